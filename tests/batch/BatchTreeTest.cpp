// quorvane-batch pointed at a real tree: a git checkout, links, binary files
// and outputs that several files share.
#include "tests/batch/BatchProcess.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <unistd.h>

using quorvane::test::BatchResult;
using quorvane::test::RunBatchCommand;
using quorvane::test::TestEnv;

namespace {

// Runs git in folder; its standard output, or nullopt when it failed.
std::optional<QByteArray> Git(const QString& folder, const QStringList& arguments)
{
    QProcess git;
    git.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", folder);
    env.insert("GIT_CONFIG_NOSYSTEM", "1");
    git.setProcessEnvironment(env);
    git.start("git", arguments);
    if (!git.waitForFinished(60000) || git.exitStatus() != QProcess::NormalExit || git.exitCode() != 0)
        return std::nullopt;
    return git.readAllStandardOutput();
}

QStringList FilesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

TEST(BatchTree, ARunOverAGitCheckoutReplacesItsFilesAndLeavesTheRepositoryWorking)
{
    if (QStandardPaths::findExecutable("git").isEmpty())
        GTEST_SKIP() << "git is not installed";
    TestEnv env;
    const QString repo = env.mkdir("repo");
    env.write("repo/src/FileReplace.h", "class FileReplace;\n");
    env.write("repo/docs/notes with spaces.txt", "FileReplace here\n");
    env.write("repo/.gitignore", "*.o\n");
    env.write("repo/logo.bin", QByteArray("FileReplace\0\x89PNG", 16));
    ASSERT_TRUE(Git(repo, {"init", "-q", "-b", "FileReplace"}));
    ASSERT_TRUE(Git(repo, {"-c", "user.name=t", "-c", "user.email=t@t", "add", "."}));
    ASSERT_TRUE(Git(repo, {"-c", "user.name=t", "-c", "user.email=t@t", "commit", "-q", "-m", "FileReplace"}));
    ASSERT_EQ(::symlink("src/FileReplace.h", QFile::encodeName(repo + "/link.h").constData()), 0);
    ASSERT_TRUE(Git(repo, {"-c", "user.name=t", "-c", "user.email=t@t", "add", "link.h"}));
    ASSERT_TRUE(Git(repo, {"-c", "user.name=t", "-c", "user.email=t@t", "commit", "-q", "-m", "link"}));

    const BatchResult r = RunBatchCommand({"--folder", ".", "--find", "FileReplace", "--replace", "FileRewrite",
                                           "--in-place", "--no-backup"}, repo);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "2 files written, 0 unchanged, 1 skipped, 0 failed, 2 replacements\n");
    EXPECT_EQ(r.err, "quorvane-batch: ./logo.bin: skipped: binary file\n");
    EXPECT_EQ(TestEnv::read(repo + "/src/FileReplace.h"), "class FileRewrite;\n");
    EXPECT_EQ(Git(repo, {"rev-parse", "--abbrev-ref", "HEAD"}), QByteArray("FileReplace\n"));
    EXPECT_EQ(Git(repo, {"status", "--porcelain"}),
              QByteArray(" M \"docs/notes with spaces.txt\"\n M src/FileReplace.h\n"));
    EXPECT_EQ(Git(repo, {"fsck", "--no-progress"}), QByteArray());
}

TEST(BatchTree, SkippedFilesAreToldAndCountedAndBinaryFilesAreReplacedWhenAskedTo)
{
    struct Case {
        QStringList options;
        QByteArray out, err, binAfter, aAfter;
    } cases[] = {
        {{}, "1 file written, 0 unchanged, 2 skipped, 0 failed, 1 replacement\n",
         "quorvane-batch: bin.dat: skipped: binary file\nquorvane-batch: link.txt: skipped: same file as entry 1\n",
         QByteArray("foo\0", 4), "foofoo\n"},
        {{"--binary"}, "2 files written, 0 unchanged, 1 skipped, 0 failed, 2 replacements\n",
         "quorvane-batch: link.txt: skipped: same file as entry 1\n", QByteArray("foofoo\0", 7), "foofoo\n"},
        {{"--dry-run"}, "1\ta.txt\n3 files checked, 2 skipped, 0 failed, 1 replacement\n",
         "quorvane-batch: bin.dat: skipped: binary file\nquorvane-batch: link.txt: skipped: same file as entry 1\n",
         QByteArray("foo\0", 4), "foo\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        TestEnv env;
        env.write("a.txt", "foo\n");
        env.write("bin.dat", QByteArray("foo\0", 4));
        ASSERT_EQ(::symlink("a.txt", QFile::encodeName(env.root() + "/link.txt").constData()), 0);
        const BatchResult r = RunBatchCommand(QStringList{"--in-place", "--no-backup", "--find", "foo", "--replace",
                                                          "foofoo"} + c.options + QStringList{"a.txt", "bin.dat", "link.txt"},
                                              env.root());
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(TestEnv::read(env.root() + "/bin.dat"), c.binAfter);
        EXPECT_EQ(TestEnv::read(env.root() + "/a.txt"), c.aAfter);
    }
}

TEST(BatchTree, OutputsSharedByFilesOfOneNameAreToldBeforeTheRunUnlessTheTreeIsKept)
{
    for (const bool keepTree : {false, true}) {
        SCOPED_TRACE(keepTree ? "--keep-tree" : "flat");
        TestEnv env;
        env.write("src/CMakeLists.txt", "a\n");
        env.write("src/lib/CMakeLists.txt", "a a\n");
        env.write("src/lib/x.txt", "no\n");
        const QString out = env.mkdir("out");
        QStringList arguments{"--output-folder", "out", "--folder", "src", "--find", "a", "--replace", "b",
                              "--no-backup", "--report", "r.csv"};
        if (keepTree)
            arguments << "--keep-tree";
        const BatchResult r = RunBatchCommand(arguments, env.root());
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, "3 files written, 0 unchanged, 0 failed, 3 replacements\n");
        if (keepTree) {
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(FilesBelow(out), (QStringList{"CMakeLists.txt", "lib/CMakeLists.txt", "lib/x.txt"}));
            EXPECT_EQ(TestEnv::read(out + "/lib/CMakeLists.txt"), "b b\n");
            EXPECT_EQ(TestEnv::read(out + "/CMakeLists.txt"), "b\n");
        } else {
            EXPECT_EQ(r.err, "quorvane-batch: out/CMakeLists.txt: written by 2 entries; the last one wins\n");
            EXPECT_EQ(FilesBelow(out), (QStringList{"CMakeLists.txt", "x.txt"}));
            EXPECT_EQ(TestEnv::read(out + "/CMakeLists.txt"), "b b\n");
            EXPECT_EQ(TestEnv::read(env.root() + "/r.csv"),
                      "source,output,replacements,outcome,reason\r\n"
                      "src/CMakeLists.txt,out/CMakeLists.txt,1,written,\"written by 2 entries (1, 2); the last one wins\"\r\n"
                      "src/lib/CMakeLists.txt,out/CMakeLists.txt,2,written,\"written by 2 entries (1, 2); the last one wins\"\r\n"
                      "src/lib/x.txt,out/x.txt,0,written,\r\n");
        }
    }
}
