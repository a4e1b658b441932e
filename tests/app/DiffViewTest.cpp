// The diff view: a file's changes shown with their summary, the limit of
// changes shown, and a file abandoned for another.
#include "app/DiffView.h"
#include "tests/support/TestEnv.h"

#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QSignalSpy>
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
    EXPECT_EQ(Summary(view), "1 change.");
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
    EXPECT_EQ(Summary(view), "Showing the first 1,000 changes of 1,005.");
    EXPECT_EQ(shown.count(), 3);

    view.showChanges(env.path("missing.txt"), env.path("missing.txt"), {{"cat", "dog"}});
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(Summary(view), "File not found");
    // Leaving while a file is in hand neither waits long nor crashes.
    view.showChanges(big, big, {{"cat", "dog"}});
}
