// quorvane-batch end to end: arguments, outputs, messages and exit codes.
#include "tests/batch/BatchProcess.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using quorvane::test::BatchResult;
using quorvane::test::RunBatchCommand;
using quorvane::test::TestEnv;

namespace {

QByteArray FirstLine(const QByteArray& text) { return text.left(text.indexOf('\n') + 1); }

} // namespace

TEST(BatchCommand, AppliesFindPairsAndSetsInCommandLineOrder)
{
    TestEnv env;
    const QString source = env.write("in/a.txt", "ab\r\n");
    const QString sets = env.write("sets.txt", "b::c\r\n");
    const QString out = env.mkdir("out");

    BatchResult r = RunBatchCommand({"--find", "a", "--replace", "b", "--sets", sets,
                                     "--output-folder", out, source}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TestEnv::read(out + "/a.txt"), "cc\r\n");
    EXPECT_EQ(r.out, "1 file written, 0 unchanged, 0 failed, 3 replacements\n");
    EXPECT_EQ(r.err, "");

    r = RunBatchCommand({"--sets", sets, "--find", "a", "--replace", "b",
                         "--output-folder", out, source}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TestEnv::read(out + "/a.txt"), "bc\r\n");
    EXPECT_EQ(r.out, "1 file written, 0 unchanged, 0 failed, 2 replacements\n");
    EXPECT_EQ(TestEnv::read(source), "ab\r\n");
}

TEST(BatchCommand, TakesValuesStartingWithADashAndEmptyValues)
{
    TestEnv env;
    const QString file = env.write("f.txt", "x -x y-x -y");
    // "--find=" (an empty find) changes nothing; "--replace=" deletes.
    BatchResult r = RunBatchCommand({"--find=-x", "--replace=", "--find=", "--replace=Z",
                                     "--in-place", file}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TestEnv::read(file), "x  y -y");
    EXPECT_EQ(r.out, "1 file written, 0 unchanged, 0 failed, 2 replacements\n");

    r = RunBatchCommand({"--find", "-y", "--replace", "--z", "--in-place", file}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TestEnv::read(file), "x  y --z");
}

TEST(BatchCommand, SeparatorAppliesToTheSetsFilesAfterIt)
{
    TestEnv env;
    const QString plain = env.write("plain.txt", "x::y\r\n");
    const QString commas = env.write("commas.txt", "a,b\r\nc::d\r\n\r\ne,f,g\r\n");
    const QString file = env.write("f.txt", "acxe");

    BatchResult r = RunBatchCommand({"--sets", plain, "--separator", ",", "--sets", commas,
                                     "--in-place", file}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TestEnv::read(file), "bcyf");

    r = RunBatchCommand({"--sets", plain, "--separator", ",", "--in-place", file}, env.root());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(FirstLine(r.err),
              "quorvane-batch: --separator applies to the --sets after it, and none follows.\n");

    r = RunBatchCommand({"--separator=", "--sets", plain, "--in-place", file}, env.root());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(FirstLine(r.err), "quorvane-batch: --separator needs one or more characters (the default is \"::\").\n");
    EXPECT_EQ(TestEnv::read(file), "bcyf");
}

TEST(BatchCommand, WritesIntoTheOutputFolderUnderEachSourcesFileName)
{
    TestEnv env;
    const QString first = env.write("in/x/n.txt", "1a");
    const QString second = env.write("in/y/n.txt", "2a");
    const QString other = env.write("in/m.txt", "3a");
    const QString out = env.mkdir("out");

    // The folder is given without its trailing '/'; the later n.txt wins.
    const BatchResult r = RunBatchCommand({"--find", "a", "--replace", "b", "--output-folder", out,
                                           first, second, other}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TestEnv::read(out + "/n.txt"), "2b");
    EXPECT_EQ(TestEnv::read(out + "/m.txt"), "3b");
    EXPECT_EQ(TestEnv::read(first), "1a");
    EXPECT_EQ(r.out, "3 files written, 0 unchanged, 0 failed, 3 replacements\n");

    const BatchResult slash = RunBatchCommand({"--find", "a", "--replace", "c", "--output-folder",
                                               out + "/", other}, env.root());
    EXPECT_EQ(slash.exitCode, 0);
    EXPECT_EQ(TestEnv::read(out + "/m.txt"), "3c");
}

TEST(BatchCommand, RefusesAMissingOutputFolderBeforeTouchingAnything)
{
    TestEnv env;
    const QString file = env.write("f.txt", "a");
    const BatchResult r = RunBatchCommand({"--find", "a", "--replace", "b", "--output-folder",
                                           env.path("nowhere"), file}, env.root());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "quorvane-batch: " + env.path("nowhere").toUtf8() + ": No such file or directory\n");
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(QFile::exists(env.path("nowhere")));
    EXPECT_EQ(TestEnv::read(file), "a");
}

TEST(BatchCommand, ReplacesInPlaceAndCountsUntouchedFilesAsUnchanged)
{
    TestEnv env;
    const QString cat = env.write("cat.txt", "cat\ncat");
    const QString dog = env.write("dog.txt", "dog");
    const QString empty = env.write("empty.txt", "");
    const BatchResult r = RunBatchCommand({"--find", "cat", "--replace", "cow", "--in-place",
                                           cat, dog, empty}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TestEnv::read(cat), "cow\ncow");
    EXPECT_EQ(TestEnv::read(dog), "dog");
    EXPECT_EQ(TestEnv::read(empty), "");
    EXPECT_EQ(r.out, "1 file written, 2 unchanged, 0 failed, 2 replacements\n");
}

TEST(BatchCommand, WritesAnEmptyResultForAnEmptySource)
{
    TestEnv env;
    const QString empty = env.write("empty.txt", "");
    const QString out = env.mkdir("out");
    const BatchResult r = RunBatchCommand({"--find", "a", "--replace", "b", "--output-folder", out,
                                           empty}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(QFile::exists(out + "/empty.txt"));
    EXPECT_EQ(TestEnv::read(out + "/empty.txt"), "");
    EXPECT_EQ(r.out, "1 file written, 0 unchanged, 0 failed, 0 replacements\n");
}

TEST(BatchCommand, ReportsAFailedFileAndGoesOnWithTheRest)
{
    TestEnv env;
    const QString missing = env.path("missing.txt");
    const QString good = env.write("good.txt", "a");
    const BatchResult r = RunBatchCommand({"--find", "a", "--replace", "b", "--in-place",
                                           missing, good}, env.root());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "quorvane-batch: " + missing.toUtf8() + ": No such file or directory\n");
    EXPECT_EQ(TestEnv::read(good), "b");
    EXPECT_EQ(r.out, "1 file written, 0 unchanged, 1 failed, 1 replacement\n");
    EXPECT_FALSE(QFile::exists(missing));
}

TEST(BatchCommand, AUtf32FileWithAUnitBeyondUnicodeFailsWithItsPlaceInTheRunDryRunAndDiff)
{
    TestEnv env;
    const QByteArray bytes("\xFF\xFE\0\0A\0\0\0\0\0\x11\0", 12);
    const QString p = env.write("p", bytes);
    const QByteArray why = "quorvane-batch: p: not valid UTF-32 at byte 8 (0x00110000)\n";
    const QByteArray checked = "1 file checked, 1 failed, 0 replacements\n";
    const struct { QStringList mode; QByteArray out, err; } modes[] = {
        {{"--in-place"}, "0 files written, 0 unchanged, 1 failed, 0 replacements\n", why},
        {{"--in-place", "--dry-run"}, checked, why},
        {{"--diff"}, "", why + checked},   // stdout holds only the changes
    };
    for (const auto& m : modes) {
        const BatchResult r = RunBatchCommand(m.mode + QStringList{"--find", "A", "--replace", "B", "p"}, env.root());
        EXPECT_EQ(r.exitCode, 1) << qPrintable(m.mode.join(' '));
        EXPECT_EQ(r.out, m.out) << qPrintable(m.mode.join(' '));
        EXPECT_EQ(r.err, m.err) << qPrintable(m.mode.join(' '));
        EXPECT_EQ(TestEnv::read(p), bytes);
    }
}

TEST(BatchCommand, TargetsThatCannotBeReplacedFailTheirFilesAndExitWithOne)
{
    TestEnv env;
    const QString out = env.mkdir("out");
    QStringList sources;
    for (const char* name : {"good.txt", "pipe.txt", "loop.txt"})
        sources << env.write(QString("in/") + name, "a");
    ASSERT_EQ(::mkfifo(QFile::encodeName(out + "/pipe.txt").constData(), 0644), 0);
    ASSERT_TRUE(QFile::link("loop.txt", out + "/loop.txt"));
    BatchResult r = RunBatchCommand(QStringList{"--find", "a", "--replace", "b", "--output-folder", out} + sources,
                                    env.root());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, ("quorvane-batch: " + sources[1] + ": Not a regular file\nquorvane-batch: " + sources[2]
                      + ": Too many levels of symbolic links\n").toUtf8());
    EXPECT_EQ(r.out, "1 file written, 0 unchanged, 2 failed, 1 replacement\n");
    EXPECT_EQ(QFileInfo(out + "/pipe.txt").isFile() || !QFileInfo(out + "/loop.txt").isSymLink(), false);

    // A result identical to its source leaves it as it was.
    r = RunBatchCommand({"--find", "a", "--replace", "a", "--in-place", sources[0]}, env.root());
    EXPECT_EQ(r.out, "0 files written, 1 unchanged, 0 failed, 1 replacement\n");

    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root";
    const QString folder = QFileInfo(env.path("in")).canonicalFilePath();
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    r = RunBatchCommand({"--find", "a", "--replace", "b", "--in-place", sources[0]}, env.root());
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, ("quorvane-batch: " + sources[0] + ": cannot create a temporary file in " + folder + ": Permission denied\n").toUtf8());
}

TEST(BatchCommand, DryRunPrintsEachFilesCountInListOrderAndWritesNothing)
{
    TestEnv env;
    env.write("a.txt", "aaa");
    env.write("b.txt", "xyz");
    env.write("list.txt", "b.txt\r\na.txt\r\n");
    BatchResult r = RunBatchCommand({"a.txt", "--list", "list.txt", "b.txt", "--dry-run", "--verbose",
                                     "--in-place", "--find", "a", "--replace", "b"}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    // The second a.txt is read as the first would leave it, as the run reads it.
    EXPECT_EQ(r.out, "3\ta.txt\n0\tb.txt\n0\ta.txt\n0\tb.txt\n4 files checked, 0 failed, 3 replacements\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(TestEnv::read(env.path("a.txt")), "aaa");

    r = RunBatchCommand({"--quiet", "--dry-run", "--output-folder", env.mkdir("out"), "--find", "x",
                         "--replace", "", "b.txt", "gone.txt"}, env.root());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "1\tb.txt\n");
    EXPECT_EQ(r.err, "quorvane-batch: gone.txt: No such file or directory\n");
    EXPECT_FALSE(QFile::exists(env.path("out/b.txt")));
}

TEST(BatchCommand, ReadsListFilesInCommandLineOrderAndProcessesDuplicatesTwice)
{
    TestEnv env;
    env.write("f.txt", "a");
    env.write("list.txt", "f.txt\nf.txt\n");
    BatchResult r = RunBatchCommand({"--find", "a", "--replace", "ab", "--in-place",
                                     "--list", "list.txt", "f.txt"}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TestEnv::read(env.path("f.txt")), "abbb");
    EXPECT_EQ(r.out, "3 files written, 0 unchanged, 0 failed, 3 replacements\n");

    r = RunBatchCommand({"--find", "a", "--replace", "ab", "--in-place",
                         "--list", "nolist.txt", "f.txt"}, env.root());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "quorvane-batch: nolist.txt: No such file or directory\n");
    EXPECT_EQ(TestEnv::read(env.path("f.txt")), "abbbb");
    EXPECT_EQ(r.out, "1 file written, 0 unchanged, 1 failed, 1 replacement\n");
}

TEST(BatchCommand, RefusesAnUnreadableSetsFileBeforeTouchingAnything)
{
    TestEnv env;
    const QString file = env.write("f.txt", "a");
    const BatchResult r = RunBatchCommand({"--find", "a", "--replace", "b", "--sets", "nosets.txt",
                                           "--in-place", file}, env.root());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "quorvane-batch: nosets.txt: No such file or directory\n");
    EXPECT_EQ(TestEnv::read(file), "a");
}

TEST(BatchCommand, RejectsBadUsageWithExitCodeTwoAndTouchesNothing)
{
    TestEnv env;
    const QString f = env.write("f.txt", "a");
    const QString out = env.mkdir("out");
    const struct {
        QStringList arguments;
        QByteArray firstLine;
    } cases[] = {
        {{"--find", "a", "--replace", "b", f}, "Give either --output-folder DIR or --in-place."},
        {{"--find", "a", "--replace", "b", "--in-place", "--output-folder", out, f},
         "Give either --output-folder DIR or --in-place."},
        {{"--find", "a", "--in-place", f}, "--find \"a\" has no --replace after it."},
        {{"--find", "a", "--find", "b", "--replace", "c", "--in-place", f},
         "--find \"a\" has no --replace after it."},
        {{"--replace", "b", "--find", "a", "--in-place", f}, "--replace \"b\" has no --find before it."},
        {{"--in-place", f}, "Nothing to replace: give --find TEXT --replace TEXT or --sets FILE."},
        {{"--find", "a", "--replace", "b", "--in-place"}, "no files given (FILE, --list or --folder)"},
        {{"--frobnicate", "--find", "a", "--replace", "b", "--in-place", f},
         "unknown option --frobnicate"},
        {{"--find", "a", "--replace"}, "Missing value after '--replace'."},
    };
    for (const auto& c : cases) {
        const BatchResult r = RunBatchCommand(c.arguments, env.root());
        EXPECT_EQ(r.exitCode, 2) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(FirstLine(r.err), "quorvane-batch: " + c.firstLine + "\n");
        EXPECT_TRUE(r.err.contains("\nUsage: quorvane-batch ")) << r.err.constData();
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(TestEnv::read(f), "a");
    EXPECT_FALSE(QFile::exists(out + "/f.txt"));
}

TEST(BatchCommand, HelpShowsTheUsageAndEveryOptionAndVersionTheVersion)
{
    TestEnv env;
    for (const char* option : {"--version", "-V"}) {
        const BatchResult v = RunBatchCommand({option}, env.root());
        EXPECT_EQ(v.exitCode, 0);
        EXPECT_EQ(v.out, "quorvane-batch 0.1.0\n") << option;
        EXPECT_EQ(v.err, "");
    }
    const BatchResult r = RunBatchCommand({"--help"}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("Usage: quorvane-batch [--find TEXT --replace TEXT]..."));
    for (const char* option : {"--find", "--replace", "--sets", "--separator", "--list", "--folder",
                               "--extension", "--output-folder", "--in-place", "--dry-run", "--quiet", "--version",
                               "--include-vcs", "--follow", "--hidden"})
        EXPECT_TRUE(r.out.contains(QByteArray(option) + " ")) << option;
    EXPECT_EQ(r.err, "");
}

TEST(BatchCommand, FolderAddsTheTreesFilesInScanOrderWithTheLatestExtension)
{
    TestEnv env;
    env.write("d/b.txt", "a");
    env.write("d/A.txt", "aa");
    env.write("d/~lock.txt", "a");
    env.write("d/sub/c.txt", "a");
    env.write("d/sub/e.log", "a");
    env.write("d/Zed/z.TXT", "a");
    env.write("one.txt", "a");
    BatchResult r = RunBatchCommand({"--extension", "txt", "--folder", "d", "one.txt", "--extension", "*",
                                     "--folder", "d/sub", "--dry-run", "--verbose", "--find", "a",
                                     "--replace", "b"}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "2\td/A.txt\n1\td/b.txt\n1\td/sub/c.txt\n1\td/Zed/z.TXT\n1\tone.txt\n"
                     "0\td/sub/c.txt\n1\td/sub/e.log\n7 files checked, 0 failed, 7 replacements\n");

    r = RunBatchCommand({"--folder", "nowhere", "one.txt", "--in-place", "--find", "a", "--replace", "b"},
                        env.root());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "quorvane-batch: nowhere: No such file or directory\n");
    EXPECT_EQ(r.out, "1 file written, 0 unchanged, 1 failed, 1 replacement\n");

    r = RunBatchCommand({"--folder", "d", "--extension", "txt", "--in-place", "--find", "a", "--replace", "b"},
                        env.root());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(FirstLine(r.err),
              "quorvane-batch: --extension applies to the --folder after it, and none follows.\n");
}
