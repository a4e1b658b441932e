// quorvane-batch in pipelines: lists from standard input, failed writes to the
// standard streams, names that are not UTF-8, and what folder scans take.
#include "tests/batch/BatchProcess.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using quorvane::test::BatchResult;
using quorvane::test::RunBatchCommand;
using quorvane::test::RunBatchScript;
using quorvane::test::TestEnv;

namespace {

// Creates a file whose name is given as the system's bytes, below root.
void WriteRaw(const TestEnv& env, const QByteArray& relative, const QByteArray& bytes)
{
    std::FILE* f = std::fopen((QFile::encodeName(env.root()) + '/' + relative).constData(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
    std::fclose(f);
}

} // namespace

TEST(BatchConventions, ReadsListsFromStandardInputLinesOrNulSeparated)
{
    TestEnv env;
    env.write("a.txt", "a");
    env.write("line\nbreak.txt", "aa");
    env.write(" b.txt", "aaa");
    const struct {
        QStringList arguments;
        QByteArray input;
        QByteArray out;
    } cases[] = {
        {{"--list", "-"}, "a.txt\n b.txt\n", "1\ta.txt\n3\t b.txt\n2 files checked, 0 failed, 4 replacements\n"},
        {{"--list", "/dev/stdin"}, "a.txt\r\n", "1\ta.txt\n1 file checked, 0 failed, 1 replacement\n"},
        // Every name ends with a NUL, also one holding a line break; the last NUL may be missing.
        {{"-0", "--list", "-"}, QByteArray("line\nbreak.txt\0 b.txt\0a.txt", 27),
         "2\tline\nbreak.txt\n3\t b.txt\n1\ta.txt\n3 files checked, 0 failed, 6 replacements\n"},
        {{"--null", "--list=-"}, QByteArray("a.txt\0", 6), "1\ta.txt\n1 file checked, 0 failed, 1 replacement\n"},
    };
    for (const auto& c : cases) {
        const BatchResult r = RunBatchCommand(c.arguments + QStringList{"--dry-run", "--in-place", "--find", "a",
                                                                         "--replace", "b"},
                                              env.root(), c.input);
        EXPECT_EQ(r.exitCode, 0) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(r.out, c.out) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(r.err, "");
    }
}

TEST(BatchConventions, AFailedWriteToStandardOutputIsAnError)
{
    TestEnv env;
    const QString file = env.write("f.txt", "a");
    const struct {
        QStringList arguments;
        int exitCode;
    } cases[] = {
        {{"--dry-run", "--in-place", "--find", "a", "--replace", "b", file}, 1},
        {{"--version"}, 1},
        {{"--help"}, 1},
        {{"--in-place", file}, 2},
    };
    for (const auto& c : cases) {
        const BatchResult r = RunBatchCommand(c.arguments, env.root(), {}, "/dev/full");
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        if (c.exitCode == 1) {
            EXPECT_EQ(r.err, "quorvane-batch: standard output: No space left on device\n");
        }
    }
    EXPECT_EQ(TestEnv::read(file), "a");
}

TEST(BatchConventions, NamesThatAreNotUtf8AreReportedAndFailed)
{
    TestEnv env;
    ASSERT_TRUE(QDir().mkpath(env.path("d/sub")));
    env.write("d/ok.txt", "a");
    WriteRaw(env, "d/caf\xE9.txt", "a");
    ASSERT_EQ(::mkdir((QFile::encodeName(env.path("d")) + "/\xFF" "dir").constData(), 0755), 0);
    WriteRaw(env, "d/\xFF" "dir/inner.txt", "a");
    WriteRaw(env, "list", QByteArray("d/ok.txt\0d/caf\xE9.txt\0", 20));

    BatchResult r = RunBatchCommand({"--folder", "d", "--dry-run", "--in-place", "--find", "a", "--replace", "b"},
                                    env.root());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "1\td/ok.txt\n1 file checked, 2 failed, 1 replacement\n");
    EXPECT_EQ(r.err.toStdString(), "quorvane-batch: d/caf\\xE9.txt: the name is not valid UTF-8\n"
                     "quorvane-batch: d/\\xFFdir/: the name is not valid UTF-8\n");

    r = RunBatchCommand({"-0", "--list", "list", "--dry-run", "--in-place", "--find", "a", "--replace", "b"},
                        env.root());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "1\td/ok.txt\n1 file checked, 1 failed, 1 replacement\n");
    EXPECT_EQ(r.err, "quorvane-batch: list: line 2: d/caf\\xE9.txt: the name is not valid UTF-8\n");

    // A file argument: failed, never taken for another file; a find text: refused.
    r = RunBatchScript("\"$B\" --in-place --find a --replace b \"d/caf$(printf '\\351').txt\" d/ok.txt", env.root());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "quorvane-batch: d/caf\\xE9.txt: the name is not valid UTF-8\n");
    EXPECT_EQ(r.out, "1 file written, 0 unchanged, 1 failed, 1 replacement\n");
    r = RunBatchScript("\"$B\" --in-place --find=\"$(printf '\\377')\" --replace b d/ok.txt", env.root());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith("quorvane-batch: --find \"\\xFF\" is not valid UTF-8; texts and names must be "
                                 "UTF-8.\nUsage: "))
        << r.err.constData();
    EXPECT_EQ(TestEnv::read(env.path("d/ok.txt")), "b");
    // The temporary folder cannot remove names it cannot hold as text.
    std::filesystem::remove_all(QFile::encodeName(env.path("d")).toStdString());
}

TEST(BatchConventions, ScanOptionsLeaveNamesOutOfFolderScansOrTakeThemIn)
{
    TestEnv env;
    for (const char* name : {"top/a.txt", "top/B.LOG", "top/.git/config", "top/.env/x.txt", "top/Node/n.txt",
                             "top/s/c.txt", "top/.dot.txt", "top/~x.txt"})
        env.write(name, "a");
    // A link to a file, one to a folder, and one back up the tree.
    for (const auto& [target, link] : {std::pair{"a.txt", "top/b.txt"}, {"s", "top/linked"}, {"..", "top/s/up"}})
        ASSERT_EQ(symlink(target, QFile::encodeName(env.path(link)).constData()), 0);
    const struct {
        QStringList options;
        QByteArray files;
    } cases[] = {
        {{}, "top/a.txt\ntop/B.LOG\ntop/.env/x.txt\ntop/Node/n.txt\ntop/s/c.txt\n"},
        {{"--include-vcs"}, "top/a.txt\ntop/B.LOG\ntop/.env/x.txt\ntop/.git/config\ntop/Node/n.txt\ntop/s/c.txt\n"},
        {{"--skip-hidden-folders"}, "top/a.txt\ntop/B.LOG\ntop/Node/n.txt\ntop/s/c.txt\n"},
        {{"--include-vcs", "--exclude", "*.log", "--exclude=node", "--exclude", ".git"},
         "top/a.txt\ntop/.env/x.txt\ntop/s/c.txt\n"},
        {{"--follow"}, "top/a.txt\ntop/B.LOG\ntop/b.txt\ntop/.env/x.txt\ntop/linked/c.txt\ntop/Node/n.txt\ntop/s/c.txt\n"},
        {{"--hidden"}, "top/.dot.txt\ntop/a.txt\ntop/B.LOG\ntop/~x.txt\ntop/.env/x.txt\ntop/Node/n.txt\ntop/s/c.txt\n"},
    };
    for (const auto& c : cases) {
        const BatchResult r = RunBatchCommand(c.options + QStringList{"--folder", "top", "--dry-run", "--verbose",
                                                                       "--find", "z", "--replace", "y", "--quiet"},
                                              env.root());
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out.toStdString(), QByteArray(c.files).replace("top/", "0\ttop/").toStdString())
            << c.options.join(' ').toStdString();
    }
}
