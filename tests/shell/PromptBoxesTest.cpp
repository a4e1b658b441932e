// The real prompts' boxes, built but never shown: room for the whole title,
// answers of any length, and the folder a dialog opens at.
#include "shell/PromptBoxes.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLayout>
#include <gtest/gtest.h>

using namespace quorvane;

TEST(PromptBoxes, NoticesQuestionsAndInputBoxesAreWideEnoughForTheirTitle)
{
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    for (const QString& title : {QString("Quorvane"), QString("Application Error"),
                                 QString("Exact Replace Over Many Files At Once")}) {
        const int need = TitleFitWidth(title);
        // The title itself and at least an icon and three buttons of a line's height.
        EXPECT_GE(need, metrics.horizontalAdvance(title) + 4 * metrics.height()) << title.toStdString();

        const auto notice = MakeMessageBox(QMessageBox::NoIcon, "Done.", title, QMessageBox::Ok, nullptr);
        const auto question = MakeMessageBox(QMessageBox::NoIcon, "Sure?", title,
                                             QMessageBox::Yes | QMessageBox::No, nullptr);
        for (QMessageBox* box : {notice.get(), question.get()}) {
            box->layout()->activate();
            EXPECT_GE(box->layout()->totalMinimumSize().width(), need) << title.toStdString();
        }
        EXPECT_GE(MakeInputDialog("Extension:", title, "*", nullptr)->minimumWidth(), need);
    }
}

TEST(PromptBoxes, InputBoxOffersAndReturnsAnAnswerOfAnyLength)
{
    const QString answer = QString(40000, QChar(u'a')) + "::b";
    const auto dialog = MakeInputDialog("Enter a set:", "Quorvane", answer, nullptr);
    EXPECT_EQ(dialog->textValue(), answer);
    EXPECT_EQ(dialog->windowTitle(), "Quorvane");
    EXPECT_EQ(dialog->labelText(), "Enter a set:");
}

TEST(PromptBoxes, DialogsOpenAtTheWantedFolderOrElseAtHome)
{
    test::TestEnv env;
    const QString folder = env.mkdir("there");
    const std::vector<std::pair<QString, QString>> cases = {
        {"", QDir::homePath()},
        {folder, folder},
        {env.path("missing"), QDir::homePath()},
        {env.write("file.txt", "x"), QDir::homePath()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DialogStartFolder(c.first), c.second) << c.first.toStdString();
}
