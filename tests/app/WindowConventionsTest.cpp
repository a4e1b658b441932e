// The window as the desktop meets it: texts ready for translation, the place
// it opens at and the captions at its smallest, and the samples folder when no
// file manager opens it. Run on an offscreen screen of 1024 x 700.
#include "app/Form1.h"
#include "app/RunReportView.h"
#include "app/WindowFit.h"
#include "sets/Form2.h"
#include "sets/SetList.h"
#include "shell/ErrorReport.h"
#include "tests/app/WindowFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QTableView>
#include <QHeaderView>
#include <QSplitter>
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
        // A push button's hint has a least width of its own ("..." is narrower on purpose);
        // a check box needs its whole hint, box and caption.
        const int caption = button->fontMetrics().horizontalAdvance(button->text())
            + 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin);
        const int least = qobject_cast<QCheckBox*>(button) ? button->sizeHint().width()
                                                           : std::min(caption, button->sizeHint().width());
        if (button->isVisibleTo(&window) && button->width() < least)
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

TEST_F(WindowTest, AStoppedPreviewOfALongPathStaysWithinTheScreenWithItsButtonsOnIt)
{
    QString path = "/home/u";
    while (path.size() < 400)
        path += "/a-rather-long-folder-name";
    RunReport report;
    for (int i = 1; i <= 151; ++i)
        report.add({QString("%1/f%2.txt").arg(path).arg(i), {}, 1, RunOutcome::Written, {}});
    report.stopBefore({});
    for (int i = 152; i <= 301; ++i)
        report.add({QString("%1/f%2.txt").arg(path).arg(i), {}, 0, RunOutcome::NotReached, {}});
    RunReportWindow window(prompts);
    window.setReport(report, ReportKind::Preview);
    window.show();
    QApplication::sendPostedEvents();
    const QRect available = window.screen()->availableGeometry();
    EXPECT_TRUE(available.contains(window.frameGeometry())) << window.width();
    EXPECT_LE(window.minimumSizeHint().width(), available.width());
    QStringList offWindow;
    for (auto* button : window.findChildren<QAbstractButton*>())
        if (!window.rect().contains(QRect(button->mapTo(&window, QPoint(0, 0)), button->size())))
            offWindow << button->text();
    EXPECT_EQ(offWindow.join(" | ").toStdString(), "");
    // The summary wraps; the path is elided in its middle and whole in the tooltip.
    auto* totals = window.findChild<QLabel*>("RunReportTotals");
    const QString stopped = "Stopped at entry 152 of 301, " + path + "/f152.txt: it and the entries after it "
                            "were not reached.";
    EXPECT_TRUE(totals->toolTip().endsWith("\n" + stopped));
    EXPECT_TRUE(totals->text().contains("\nStopped at entry 152 of 301, /home/u/a-rather"));
    EXPECT_TRUE(totals->text().contains(QChar(0x2026)));
    EXPECT_TRUE(totals->text().endsWith(".txt: it and the entries after it were not reached."));
}

TEST_F(WindowTest, TheReportTableShowsNamesAndFoldersApartInColumnsSizedToTheirContent)
{
    const QString folder = "/home/u/projects/a-long-folder-name/with/many/levels/below/it/notes";
    RunReport report;
    report.add({folder + "/f029.txt", folder + "/f029.txt", 3, RunOutcome::Written, {}});
    report.add({folder + "/f129.txt", folder + "/f129.txt", 0, RunOutcome::Skipped, "empty file"});
    RunReportWindow window(prompts);
    window.setReport(report, ReportKind::Preview);
    window.show();
    QApplication::sendPostedEvents();
    QTableView* table = window.table();
    QStringList cells;
    for (int column = 0; column < RunReportModel::ColumnCount; ++column)
        cells << table->model()->headerData(column, Qt::Horizontal).toString() + "="
                     + table->model()->index(1, column).data().toString();
    EXPECT_EQ(cells, QStringList({"File=f129.txt", "Folder=" + folder, "Output=" + folder + "/f129.txt",
                                  "Replacements=0", "Outcome=skipped", "Reason=empty file"}));
    EXPECT_EQ(table->model()->index(1, 0).data(Qt::ToolTipRole).toString(), folder + "/f129.txt");

    // Nothing but the paths is cut, and Reason, last, fills the rest of the table.
    const QHeaderView* header = table->horizontalHeader();
    for (int column : {RunReportModel::FileColumn, RunReportModel::ReplacementsColumn, RunReportModel::OutcomeColumn})
        for (int row = 0; row < 2; ++row)
            EXPECT_GT(header->sectionSize(column),
                      table->fontMetrics().horizontalAdvance(table->model()->index(row, column).data().toString()))
                << column;
    int used = 0;
    for (int column = 0; column < RunReportModel::ColumnCount; ++column)
        used += header->sectionSize(column);
    EXPECT_EQ(used, table->viewport()->width());
    EXPECT_GT(header->sectionSize(RunReportModel::ReasonColumn), header->sectionSize(RunReportModel::FileColumn));
    // Rows as tall as a line of text, not a header section.
    EXPECT_LE(table->rowHeight(0), table->fontMetrics().height() + 8);

    // The table has most of the height until a row is chosen, then the changes do.
    const QList<int> before = window.splitter()->sizes();
    EXPECT_GT(before[0], 2 * before[1]);
    table->selectRow(0);
    const QList<int> after = window.splitter()->sizes();
    EXPECT_LT(2 * after[0], after[1] + 2);
}

TEST_F(WindowTest, TheStatusBarKeepsTheWindowsMarginsSoTheUndoArrowIsWhole)
{
    Form1& window = open();
    window.show();
    QApplication::sendPostedEvents();
    const QMargins margins = window.centralWidget()->layout()->contentsMargins();
    const QRect undo(window.undoButton()->mapTo(&window, QPoint(0, 0)), window.undoButton()->size());
    const QRect counts(window.countsLabel()->mapTo(&window, QPoint(0, 0)), window.countsLabel()->size());
    EXPECT_LE(undo.right(), window.width() - 1 - margins.right());
    EXPECT_GE(counts.left(), margins.left());
    EXPECT_GE(window.undoButton()->width(), window.undoButton()->sizeHint().width());
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
