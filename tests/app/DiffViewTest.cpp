// The diff view: a file's changes shown with their summary, the limit of
// changes shown, and a file abandoned for another.
#include "app/DiffMarks.h"
#include "app/DiffView.h"
#include "engine/diff/FileDiff.h"
#include "tests/support/TestEnv.h"

#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace quorvane;
using quorvane::test::TestEnv;

namespace {

QString Summary(const DiffView& view)
{
    return view.findChild<QLabel*>("DiffSummary")->text();
}

QString Shown(const DiffView& view)
{
    return view.findChild<QPlainTextEdit*>("DiffText")->toPlainText();
}

} // namespace

TEST(DiffView, ShowsTheRemovedAndAddedLinesWithTheirNumbersAndASummary)
{
    TestEnv env;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    DiffView view;
    EXPECT_EQ(view.objectName(), "DiffView");
    QSignalSpy shown(&view, &DiffView::changesShown);

    const QString file = env.write("a.txt", "one\ntwo cat\nthree\n");
    view.showChanges(file, file, {{"cat", "dog"}});
    EXPECT_EQ(Summary(view), "Computing changes...");
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(Summary(view), "1 replacement in 1 place.");
    EXPECT_EQ(Shown(view), "@@ -1,3 +1,3 @@\n"
                           "     1      1    one\n"
                           "     2         - two cat\n"
                           "            2  + two dog\n"
                           "     3      3    three");
    EXPECT_EQ(env.read(file), "one\ntwo cat\nthree\n");

    // A file with many changes, abandoned at once for one without any.
    QByteArray many;
    for (int i = 0; i < 1005; ++i)
        many += "cat\nline\nline\nline\nline\nline\nline\nline\n";
    const QString big = env.write("big.txt", many);
    view.showChanges(big, big, {{"cat", "dog"}});
    view.showChanges(file, file, {{"none", "x"}});
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(Summary(view), "No changes.");
    EXPECT_EQ(Shown(view), "");

    view.showChanges(big, big, {{"cat", "dog"}});
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(Summary(view), "1,005 replacements in 1,005 places. The first 1,000 are shown.");
    EXPECT_EQ(shown.count(), 3);

    view.showChanges(env.path("missing.txt"), env.path("missing.txt"), {{"cat", "dog"}});
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(Summary(view), "File not found");
    // Leaving while a file is in hand neither waits long nor crashes.
    view.showChanges(big, big, {{"cat", "dog"}});
}

TEST(DiffMarks, EachReplacedPlaceOfALineIsItsOwnSpan)
{
    const struct {
        QString removed, added;
        Spans removedSpans, addedSpans;
    } cases[] = {
        {"cat and cat", "dog and dog", {{0, 3}, {8, 11}}, {{0, 3}, {8, 11}}},
        {"a cat sat", "a cat sat down", {}, {{9, 14}}},
        {"x=1;y=1", "x=22;y=22", {{2, 3}, {6, 7}}, {{2, 4}, {7, 9}}},
        {"same", "same", {}, {}},
        {"\U0001F600a", "\U0001F600b", {{2, 3}}, {{2, 3}}},
    };
    for (const auto& c : cases) {
        Spans removed, added;
        MarkReplacedSpans(c.removed, c.added, removed, added);
        EXPECT_EQ(removed, c.removedSpans) << c.removed.toStdString();
        EXPECT_EQ(added, c.addedSpans) << c.added.toStdString();
    }
    // In a hunk, the engine's one span from the first to the last difference
    // becomes a span per replaced place; a context line keeps none.
    DiffHunk hunk;
    hunk.lines = {{DiffLine::Kind::Context, 1, 1, "cat", {}, false},
                  {DiffLine::Kind::Removed, 2, 0, "cat and cat", {{0, 11}}, false},
                  {DiffLine::Kind::Added, 0, 2, "dog and dog", {{0, 11}}, false}};
    EXPECT_EQ(ReplacedSpans(hunk), (std::vector<Spans>{{}, {{0, 3}, {8, 11}}, {{0, 3}, {8, 11}}}));

    // An overlong line shows the part around its first change.
    EXPECT_EQ(ShownPart(100, {{50, 52}}, 200), (std::pair<int, int>(0, 100)));
    EXPECT_EQ(ShownPart(10000, {{6000, 6003}}, 4000), (std::pair<int, int>(5500, 9500)));
    EXPECT_EQ(ShownPart(10000, {{9990, 9995}}, 4000), (std::pair<int, int>(6000, 10000)));
}

TEST(DiffView, ShowsAChangeFarIntoALongLineScrollsByKeysAndAlignsWideLineNumbers)
{
    TestEnv env;
    DiffView view;
    QSignalSpy shown(&view, &DiffView::changesShown);
    const QByteArray head(6000, 'x'), tail(5000, 'y');
    const QString file = env.write("long.txt", head + "cat" + tail + "\n");
    view.showChanges(file, file, {{"cat", "dog"}});
    ASSERT_TRUE(shown.wait(10000));
    const QStringList lines = Shown(view).split('\n');
    ASSERT_EQ(lines.size(), 3);
    const QString prefix = "     1         - \u2026 " + QString(500, 'x');
    EXPECT_EQ(lines[1], prefix + "cat" + QString(4000 - 503, 'y') + " \u2026");
    EXPECT_TRUE(lines[2].startsWith("            1  + \u2026 " + QString(500, 'x') + "dog"));

    // Keys scroll: Ctrl+End to the end of the last line, Home back to its start.
    auto* text = view.findChild<QPlainTextEdit*>("DiffText");
    view.resize(300, 60);
    view.show();
    QCoreApplication::processEvents();
    QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
    EXPECT_GT(text->horizontalScrollBar()->value(), 0);
    QTest::keyClick(text, Qt::Key_Home);
    EXPECT_EQ(text->horizontalScrollBar()->value(), 0);

    // Line 1,000,000 needs seven digits: every gutter has them.
    QByteArray many;
    for (int i = 1; i < 1000000; ++i)
        many += "\n";
    const QString big = env.write("big.txt", many + "cat\nend\n");
    view.showChanges(big, big, {{"cat", "dog"}});
    ASSERT_TRUE(shown.wait(20000));
    EXPECT_EQ(Shown(view).split('\n').mid(3), QStringList({" 999999  999999    ",
                                                            "1000000          - cat",
                                                            "        1000000  + dog",
                                                            "1000001 1000001    end"}));
    EXPECT_EQ(Summary(view), "1 replacement in 1 place.");
    // ... and down to the last line and up to the first.
    QCoreApplication::processEvents();
    QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
    EXPECT_GT(text->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(text->verticalScrollBar()->value(), text->verticalScrollBar()->maximum());
    QTest::keyClick(text, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(text->verticalScrollBar()->value(), 0);
}
