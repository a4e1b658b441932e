// quorvane-batch over source trees: a run over a git checkout, --extension's
// forms, and folders that yield no file.
#include "tests/batch/BatchProcess.h"
#include "tests/support/GitRepo.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

#include <unistd.h>

using quorvane::test::BatchResult;
using quorvane::test::Git;
using quorvane::test::RunBatchCommand;
using quorvane::test::TestEnv;

namespace {

QByteArray FirstLine(const QByteArray& text) { return text.left(text.indexOf('\n') + 1); }

TEST(BatchTree, ARunOverACheckoutReplacesItsFilesAndLeavesGitWorking)
{
    if (!quorvane::test::HasGit())
        GTEST_SKIP() << "git is not installed";
    TestEnv env;
    env.write("co/a.txt", "main\n");
    env.write("co/sub/b.txt", "main branch\n");
    env.write("co/.env", "main\n");
    ASSERT_EQ(symlink("a.txt", QFile::encodeName(env.path("co/l.txt")).constData()), 0);
    const QString co = env.path("co");
    ASSERT_TRUE(quorvane::test::CommitCheckout(co, {"a.txt", "sub/b.txt", ".env", "l.txt"}));

    // HEAD names the branch "main": a scan that entered .git would rename it away.
    const BatchResult r = RunBatchCommand({"--folder", ".", "--find", "main", "--replace", "trunk", "--in-place"}, co);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "2 files written, 0 unchanged, 0 failed, 2 replacements\n");
    EXPECT_EQ(TestEnv::read(co + "/a.txt"), "trunk\n");
    EXPECT_EQ(Git(co, {"status", "--porcelain"}), " M a.txt\n M sub/b.txt\n");
    EXPECT_EQ(Git(co, {"rev-parse", "--abbrev-ref", "HEAD"}), "main\n");
    EXPECT_EQ(Git(co, {"log", "--format=%s"}), "One commit\n");
}

TEST(BatchTree, ExtensionTakesADotAStarDotOrAList)
{
    TestEnv env;
    for (const char* name : {"d/a.cpp", "d/b.h", "d/c.txt", "d/.cpp"})
        env.write(name, "a");
    const struct {
        const char* extension;
        QByteArray files;
    } cases[] = {
        {"cpp", "d/a.cpp\n"},
        {".cpp", "d/a.cpp\n"},
        {"*.cpp", "d/a.cpp\n"},
        {"cpp,h", "d/a.cpp\nd/b.h\n"},
        {" .H , *.CPP,", "d/a.cpp\nd/b.h\n"},
        {"*", "d/a.cpp\nd/b.h\nd/c.txt\n"},
    };
    for (const auto& c : cases) {
        const BatchResult r = RunBatchCommand({"--extension", c.extension, "--folder", "d", "--dry-run", "--quiet",
                                               "--in-place", "--find", "z", "--replace", "y"},
                                              env.root());
        EXPECT_EQ(r.exitCode, 0) << c.extension;
        EXPECT_EQ(r.out.toStdString(), QByteArray(c.files).replace("d/", "0\td/").toStdString()) << c.extension;
        EXPECT_EQ(r.err, "") << c.extension;
    }

    const BatchResult r = RunBatchCommand({"--extension", " ,.", "--folder", "d", "--in-place", "--find", "z",
                                           "--replace", "y"},
                                          env.root());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(FirstLine(r.err), "quorvane-batch: --extension \" ,.\" names no extension; give one such as txt, "
                                ".txt or *.txt, or * for any name.\n");
}

TEST(BatchTree, AFolderThatYieldsNoFileSaysSoAndARunWithNoFileAtAllFails)
{
    TestEnv env;
    env.write("d/a.txt", "a");
    env.mkdir("empty");
    const QString one = env.write("one.txt", "a");
    const QString emptyList = env.write("list.txt", "");
    const QStringList replace{"--in-place", "--find", "a", "--replace", "b"};
    const struct {
        QStringList sources;
        int exitCode;
        QByteArray out, err;
    } cases[] = {
        {{"--extension", ".rs", "--folder", "d"}, 1, "",
         "quorvane-batch: d: no file matches *.rs\nquorvane-batch: No files added.\n"},
        {{"--extension", "rs,go", "--folder", "d", "--folder", "empty", "--list", emptyList}, 1, "",
         "quorvane-batch: d: no file matches *.rs, *.go\nquorvane-batch: empty: no file matches *.rs, *.go\n"
         "quorvane-batch: No files added.\n"},
        {{"--folder", "empty", one}, 0, "1 file written, 0 unchanged, 0 failed, 1 replacement\n",
         "quorvane-batch: empty: no file matches *\n"},
    };
    for (const auto& c : cases) {
        const BatchResult r = RunBatchCommand(c.sources + replace, env.root());
        EXPECT_EQ(r.exitCode, c.exitCode) << c.sources.join(' ').toStdString();
        EXPECT_EQ(r.out, c.out) << c.sources.join(' ').toStdString();
        EXPECT_EQ(r.err, c.err) << c.sources.join(' ').toStdString();
    }
    EXPECT_EQ(TestEnv::read(env.path("d/a.txt")), "a");
}

} // namespace
