// quorvane-batch's answers to the usual mistakes: each names what is wrong
// and the fix, and comes before any file is touched.
#include "batch/BatchArguments.h"
#include "tests/batch/BatchProcess.h"
#include "tests/support/TestEnv.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using quorvane::test::BatchResult;
using quorvane::test::RunBatchCommand;
using quorvane::test::TestEnv;

TEST(BatchMessages, MistakesAreToldWithTheirFixAndTouchNothing)
{
    TestEnv env;
    env.write("f.txt", "a");
    env.write("sets.txt", "a::b\r\n");
    const QStringList pair{"--find", "a", "--replace", "b"};
    const QByteArray nulNames("f.txt\0f.txt\0", 12);
    const struct {
        QStringList arguments;
        QByteArray input;
        QByteArray err;   // the first line; the usage follows
    } cases[] = {
        {QStringList{"--inplace", "f.txt"} + pair, {}, "unknown option --inplace; did you mean --in-place?"},
        {QStringList{"--dryrun", "f.txt"} + pair, {}, "unknown option --dryrun; did you mean --dry-run?"},
        {QStringList{"--in-place", "--quite", "f.txt"} + pair, {}, "unknown option --quite; did you mean --quiet?"},
        {QStringList{"--in-place", "--out=d", "f.txt"} + pair, {}, "unknown option --out; did you mean --output-folder?"},
        {QStringList{"--in-place", "--frobnicate", "f.txt"} + pair, {}, "unknown option --frobnicate"},
        {QStringList{"--in-place", "-dash.txt"} + pair, {},
         "unknown option -d (in -dash.txt); put -- before a file whose name starts with '-'"},
        {QStringList{"--in-place", "-0x", "f.txt"} + pair, {},
         "unknown option -x (in -0x); put -- before a file whose name starts with '-'"},
        {{"--in-place", "--separator", "", "--sets", "sets.txt", "f.txt"}, {},
         "--separator needs one or more characters (the default is \"::\")."},
        {QStringList{"--in-place"} + pair, {}, "no files given (FILE, --list or --folder)"},
        {QStringList{"-0", "--in-place"} + pair, nulNames,
         "-0 reads the names in --list files, and none is given; add --list - to read them from standard input."},
        {QStringList{"--in-place", "--verbose", "f.txt"} + pair, {}, "--verbose goes with --dry-run."},
        {QStringList{"--in-place", "--jobs", "0", "f.txt"} + pair, {}, "--jobs needs a whole number from 1 to 256."},
        {QStringList{"--in-place", "-j257", "f.txt"} + pair, {}, "-j needs a whole number from 1 to 256."},
        {QStringList{"--in-place", "--report", "nowhere/r.csv", "f.txt"} + pair, {},
         "--report nowhere/r.csv: No such file or directory"},
        {{"--undo", "--report", "f.txt/r.csv"}, {}, "--report f.txt/r.csv: Not a directory"},
    };
    for (const auto& c : cases) {
        const BatchResult r = RunBatchCommand(c.arguments, env.root(), c.input);
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(r.exitCode, 2) << what;
        EXPECT_EQ(r.err.left(r.err.indexOf('\n')), "quorvane-batch: " + c.err) << what;
        EXPECT_EQ(r.out, "") << what;
    }

    // Names ended by NUL, read as lines: the one "line" fails, with the fix.
    const BatchResult r = RunBatchCommand(QStringList{"--in-place", "--list", "-"} + pair, env.root(), nulNames);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "quorvane-batch: -: line 1: a file name cannot hold a NUL character; give -0 for a list whose "
                     "names each end with a NUL byte (find -print0)\n");
    EXPECT_EQ(r.out, "0 files written, 0 unchanged, 1 failed, 0 replacements\n");
    EXPECT_EQ(TestEnv::read(env.path("f.txt")), "a");
    EXPECT_FALSE(QFile::exists(env.path("nowhere")));
}

TEST(BatchMessages, EveryOptionInTheHelpIsKnownAndTypedWithALetterLeftOutIsSuggestedBack)
{
    using quorvane::batch::ParseBatchArguments;
    using quorvane::batch::ParseOutcome;
    const QString help = ParseBatchArguments({"quorvane-batch", "--help"}).text;
    const QRegularExpression option(QStringLiteral("^  (?:-\\w, )?--([a-z0-9-]+)"),
                                    QRegularExpression::MultilineOption);
    QStringList names;
    for (auto it = option.globalMatch(help); it.hasNext();)
        names.append(it.next().captured(1));
    EXPECT_GE(names.size(), 25) << qPrintable(help);
    for (const QString& name : names) {
        const ParseOutcome known = ParseBatchArguments({"quorvane-batch", "--" + name, "x", "y"});
        EXPECT_FALSE(known.text.startsWith("unknown option")) << qPrintable(known.text);
        const QString typo = name.left(1) + name.mid(2);
        const ParseOutcome mistyped = ParseBatchArguments({"quorvane-batch", "--" + typo, "x"});
        EXPECT_EQ(mistyped.result, ParseOutcome::Result::Usage);
        EXPECT_EQ(mistyped.text, "unknown option --" + typo + "; did you mean --" + name + "?");
    }
}

TEST(BatchMessages, ADryRunJudgesInPlaceAndListsOnlyTheFilesThatWouldChangeUnlessVerbose)
{
    TestEnv env;
    env.write("a.txt", "aa");
    env.write("b.txt", "xyz");
    env.write("-dash.txt", "a");
    const struct {
        QStringList arguments;
        QByteArray out;
    } cases[] = {
        {{"--find", "a", "--replace", "b", "a.txt", "b.txt", "--", "-dash.txt"},
         "2\ta.txt\n1\t-dash.txt\n3 files checked, 0 failed, 3 replacements\n"},
        {{"--verbose", "--find", "a", "--replace", "b", "a.txt", "b.txt", "--", "-dash.txt"},
         "2\ta.txt\n0\tb.txt\n1\t-dash.txt\n3 files checked, 0 failed, 3 replacements\n"},
        // In place, a result equal to its source would not be written.
        {{"--find", "a", "--replace", "a", "a.txt"}, "1 file checked, 0 failed, 2 replacements\n"},
        {{"--verbose", "--find", "a", "--replace", "a", "a.txt"}, "2\ta.txt\n1 file checked, 0 failed, 2 replacements\n"},
    };
    for (const auto& c : cases) {
        const BatchResult r = RunBatchCommand(QStringList{"--dry-run"} + c.arguments, env.root());
        EXPECT_EQ(r.exitCode, 0) << qPrintable(c.arguments.join(' '));
        EXPECT_EQ(r.out, c.out) << qPrintable(c.arguments.join(' '));
        EXPECT_EQ(r.err, "") << qPrintable(c.arguments.join(' '));
    }
    EXPECT_EQ(TestEnv::read(env.path("a.txt")), "aa");
    EXPECT_EQ(TestEnv::read(env.path("-dash.txt")), "a");
}
