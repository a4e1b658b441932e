// quorvane-batch's matching options (-w, -i, -E) and "-" as a filter.
#include "tests/batch/BatchProcess.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <gtest/gtest.h>

using quorvane::test::BatchResult;
using quorvane::test::RunBatchCommand;
using quorvane::test::TestEnv;

TEST(BatchMatch, StandardInputIsReplacedOntoStandardOutputInEveryMode)
{
    const struct {
        QStringList arguments;
        QByteArray input, out, err;
        int exitCode;
    } cases[] = {
        {{"--find", "FileReplace", "--replace", "FR"}, "FileReplace FileReplaceTargets\n",
         "FR FR" "Targets\n", "", 0},
        {{"-w", "--find", "FileReplace", "--replace", "FR"}, "FileReplace FileReplaceTargets _FileReplace é-FileReplace\n",
         "FR FileReplaceTargets _FileReplace é-FR\n", "", 0},
        {{"--ignore-case", "--find", "STRASSE", "--replace", "S"}, "Straße strasse STRASSE\n",
         "Straße S S\n", "", 0},
        {{"-wi", "--find", "abc", "--replace", "x"}, "ABC abcd Abc\n", "x abcd x\n", "", 0},
        {{"-E", "--find", "([a-z])(?<n>\\d+)", "--replace", "${n}$1$$\\t\\\\"}, "a1 b22\n",
         "1a$\t\\ 22b$\t\\\n", "", 0},
        {{"--regex", "--word", "--find", "v\\d", "--replace", "V"}, "v1 v2x xv3 v4\n", "V v2x xv3 V\n", "", 0},
        // A UTF-16 input keeps its mark and width.
        {{"--find", "a", "--replace", "Z"}, QByteArray("\xff\xfe" "a\0b\0", 6), QByteArray("\xff\xfe" "Z\0b\0", 6),
         "", 0},
        // A binary input passes through untouched unless --binary.
        {{"--find", "ab", "--replace", "X"}, QByteArray("ab\0cd", 5), QByteArray("ab\0cd", 5),
         "quorvane-batch: -: skipped: binary file\n", 0},
        {{"--binary", "--find", "ab", "--replace", "X"}, QByteArray("ab\0cd", 5), QByteArray("X\0cd", 4), "", 0},
        {{"--find", "a", "--replace", "b"}, "", "", "", 0},
        // Refused before anything is read or written.
        {{"-E", "--find", "ok", "--replace", "fine", "--find", "a(b", "--replace", "c"}, "a(b\n", "",
         "quorvane-batch: Pattern 2 \"a(b\": missing closing parenthesis (at the end)\n", 2},
        {{"-E", "--find", "(a)", "--replace", "$2"}, "a\n", "",
         "quorvane-batch: Replacement 1 \"$2\": No group 2 in the pattern (at character 1)\n", 2},
        {{"-E", "--find", "(?s)s.*e", "--replace", "-"}, "s" + QByteArray((1 << 20) + 8, 'x') + "e", "",
         "quorvane-batch: -: Pattern 1: A match would span more than 1 MiB\n", 1},
    };
    for (const auto& c : cases) {
        TestEnv env;
        const BatchResult r = RunBatchCommand(c.arguments + QStringList{"-"}, env.root(), c.input);
        EXPECT_EQ(r.out, c.out) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(r.err, c.err) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        // Nothing is kept: a filter is no run to undo.
        EXPECT_FALSE(QDir(env.root() + "/.local/share/quorvane").exists());
    }
}

TEST(BatchMatch, DashAmongOtherFilesOrWithOutputOptionsIsNoFilter)
{
    TestEnv env;
    BatchResult r = RunBatchCommand({"--find", "a", "--replace", "b", "--in-place", "-"}, env.root(), "a");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith("quorvane-batch: - (standard input to standard output) goes without --in-place, "
                                 "--output-folder, --dry-run, --diff, --keep-tree and --report.\n"));
    const QString file = env.write("f.txt", "a");
    r = RunBatchCommand({"--find", "a", "--replace", "b", "--in-place", file, "-"}, env.root(), "a");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "quorvane-batch: -: No such file or directory\n");
    EXPECT_EQ(TestEnv::read(file), "b");
}

TEST(BatchMatch, ARefusedPatternTouchesNoFileAndTheModesWorkWithDiffReportAndUndo)
{
    TestEnv env;
    const QString file = env.write("src/main.cpp", "FileReplace(x); FileReplaceTargets t;\n");
    BatchResult r = RunBatchCommand({"-E", "--find", "x)", "--replace", "y", "--in-place", file}, env.root());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "quorvane-batch: Pattern 1 \"x)\": unmatched closing parenthesis (at character 2)\n");
    EXPECT_EQ(TestEnv::read(file), "FileReplace(x); FileReplaceTargets t;\n");

    r = RunBatchCommand({"-w", "--diff", "--find", "FileReplace", "--replace", "Swap", "src/main.cpp"}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.endsWith("@@ -1 +1 @@\n-FileReplace(x); FileReplaceTargets t;\n"
                               "+Swap(x); FileReplaceTargets t;\n"));

    r = RunBatchCommand({"-wE", "--find", "File(\\w+)", "--replace", "$1", "--report", "r.csv", "--in-place",
                         file}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TestEnv::read(file), "Replace(x); ReplaceTargets t;\n");
    EXPECT_EQ(TestEnv::read(env.root() + "/r.csv").split('\n').value(1).trimmed(),
              file.toUtf8() + "," + file.toUtf8() + ",2,written,");
    r = RunBatchCommand({"--undo"}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TestEnv::read(file), "FileReplace(x); FileReplaceTargets t;\n");
}
