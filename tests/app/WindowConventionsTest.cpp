// The window as the desktop meets it: texts ready for translation, the place
// it opens at and the captions at its smallest, and the samples folder when no
// file manager opens it. Run on an offscreen screen of 1024 x 700.
#include "app/Form1.h"
#include "app/WindowFit.h"
#include "sets/Form2.h"
#include "sets/SetList.h"
#include "shell/ErrorReport.h"
#include "tests/app/WindowFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTranslator>
#include <algorithm>

namespace quorvane::test {
namespace {

// Marks every text it is asked for, so a text shown unmarked did not pass
// through the translation functions.
class MarkingTranslator : public QTranslator {
public:
    MarkingTranslator() { QCoreApplication::installTranslator(this); }
    ~MarkingTranslator() override { QCoreApplication::removeTranslator(this); }
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* source, const char*, int) const override
    {
        return QStringLiteral("<") + QString::fromUtf8(source) + QStringLiteral(">");
    }
};

// Every caption, label, tab text and tooltip under root that is not marked.
QStringList UnmarkedTexts(QWidget* root)
{
    QStringList texts;
    for (auto* button : root->findChildren<QAbstractButton*>())
        texts << button->text() << button->toolTip();
    for (auto* label : root->findChildren<QLabel*>())
        texts << label->text();
    for (auto* box : root->findChildren<QGroupBox*>())
        texts << box->title();
    for (auto* bar : root->findChildren<QTabBar*>())
        for (int i = 0; i < bar->count(); ++i)
            texts << bar->tabText(i);
    for (auto* view : root->findChildren<QWidget*>())
        texts << view->toolTip();
    QStringList unmarked;
    for (const QString& text : texts)
        if (!text.isEmpty() && !text.contains('<'))
            unmarked << text;
    unmarked.removeDuplicates();
    return unmarked;
}

TEST_F(WindowTest, EveryTextOfTheWindowsAndTheirMessagesGoesThroughTranslation)
{
    MarkingTranslator marking;
    Form1& window = open();
    EXPECT_EQ(UnmarkedTexts(&window).join(" | ").toStdString(), "");
    EXPECT_EQ(window.progressBar()->format(), "<Progress Bar>");

    QComboBox find, replace;
    SetList sets(&find, &replace);
    Form2 dialog(prompts, sets);
    EXPECT_EQ(UnmarkedTexts(&dialog).join(" | ").toStdString(), "");
    EXPECT_EQ(dialog.windowTitle(), "<Load Sets>");

    window.pushButton(12)->click();   // an empty list
    window.pushButton(10)->click();   // help
    EXPECT_EQ(notices(), (QStringList{"<No files added.>", "<This software is intended to be used on text "
                                      "based files, not images, executables, etc.\r\rIf you have any "
                                      "questions, please email " + QString(kSupportAddress) + ">"}));
}

TEST_F(WindowTest, AFolderNoFileManagerOpensIsNamedInANotice)
{
    Form1& window = open();
    prompts.answers = {true, true};
    window.pushButton(8)->click();
    prompts.urlOpens = false;
    window.pushButton(8)->click();
    const QString folder = env.path("program") + "/Samples/";
    EXPECT_EQ(prompts.texts("url"), QStringList(2, QUrl::fromLocalFile(folder).toString()));
    EXPECT_EQ(notices(), QStringList{"The folder of the sample files could not be opened. It is:\r\r" + folder});
}

TEST_F(WindowTest, OpensWithinTheScreenAndKeepsEveryCaptionWholeAtItsSmallest)
{
    Form1& window = open();
    const QRect available = window.screen()->availableGeometry();
    window.show();
    EXPECT_TRUE(available.contains(window.frameGeometry())) << available.width() << "x" << available.height();

    window.resize(1, 1);
    QApplication::sendPostedEvents();
    window.centralWidget()->layout()->activate();
    EXPECT_LE(window.width(), available.width());
    EXPECT_LE(window.height(), available.height());
    QStringList clipped;
    for (auto* button : window.findChildren<QAbstractButton*>()) {
        // A push button's hint has a least width of its own ("..." is narrower on purpose).
        const int caption = button->fontMetrics().horizontalAdvance(button->text())
            + 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin);
        if (button->isVisibleTo(&window) && button->width() < std::min(caption, button->sizeHint().width()))
            clipped << button->text();
    }
    for (auto* label : window.findChildren<QLabel*>())
        if (label->isVisibleTo(&window) && label->width() < label->sizeHint().width())
            clipped << label->text();
    // The tab bar's hint is the sum of its whole tabs.
    QTabBar* tabs = window.tabs()->tabBar();
    if (tabs->width() < tabs->sizeHint().width())
        clipped << tabs->tabText(tabs->count() - 1);
    EXPECT_EQ(clipped.join(" | ").toStdString(), "");
}

TEST(WindowFit, TheWindowIsBoundedByTheFreeAreaButNeverBelowItsMinimum)
{
    struct Case {
        QSize wanted, minimum;
        QRect available, expected;
    };
    // The room is the free area less 8 px at the sides and bottom and 40 px above.
    const Case cases[] = {
        {{1070, 620}, {700, 400}, {0, 0, 1600, 1200}, {265, 306, 1070, 620}},
        {{1070, 620}, {700, 400}, {0, 30, 1024, 700}, {8, 86, 1008, 620}},
        {{1070, 620}, {900, 650}, {100, 0, 800, 600}, {108, 40, 900, 650}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitOnScreen(c.wanted, c.minimum, c.available), c.expected) << c.available.width();
}

} // namespace
} // namespace quorvane::test
