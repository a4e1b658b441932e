// quorvane-batch pointed at a real tree: a git checkout, links, binary files,
// --extension's forms, folders that yield no file and outputs that several
// files share.
#include "tests/batch/BatchProcess.h"
#include "tests/support/GitRepo.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using quorvane::test::BatchResult;
using quorvane::test::Git;
using quorvane::test::RunBatchCommand;
using quorvane::test::TestEnv;

namespace {

QByteArray FirstLine(const QByteArray& text) { return text.left(text.indexOf('\n') + 1); }

QStringList FilesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

TEST(BatchTree, ARunOverACheckoutReplacesItsFilesAndLeavesGitWorking)
{
    if (!quorvane::test::HasGit())
        GTEST_SKIP() << "git is not installed";
    TestEnv env;
    env.write("co/a.txt", "main\n");
    env.write("co/docs/notes with spaces.txt", "main branch\n");
    env.write("co/.env", "main\n");
    env.write("co/logo.bin", QByteArray("main\0\x89PNG", 9));
    ASSERT_EQ(symlink("a.txt", QFile::encodeName(env.path("co/l.txt")).constData()), 0);
    const QString co = env.path("co");
    ASSERT_TRUE(quorvane::test::CommitCheckout(co, {"a.txt", "docs/notes with spaces.txt", ".env", "l.txt",
                                                    "logo.bin"}));

    // HEAD names the branch "main": a scan that entered .git would rename it
    // away, and the index is a binary file.
    const BatchResult r = RunBatchCommand({"--folder", ".", "--find", "main", "--replace", "trunk", "--in-place"}, co);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "quorvane-batch: ./logo.bin: skipped: binary file\n");
    EXPECT_EQ(r.out, "2 files written, 0 unchanged, 1 skipped, 0 failed, 2 replacements\n");
    EXPECT_EQ(TestEnv::read(co + "/a.txt"), "trunk\n");
    EXPECT_EQ(Git(co, {"status", "--porcelain"}), " M a.txt\n M \"docs/notes with spaces.txt\"\n");
    EXPECT_EQ(Git(co, {"rev-parse", "--abbrev-ref", "HEAD"}), "main\n");
    EXPECT_EQ(Git(co, {"log", "--format=%s"}), "One commit\n");
    EXPECT_EQ(Git(co, {"fsck", "--no-progress"}), "");
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
                                               "--verbose", "--find", "z", "--replace", "y"},
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

TEST(BatchTree, AFolderGivenWithSeveralExtensionsListsEachOnesFilesInItsTurn)
{
    TestEnv env;
    for (const char* name : {"d/a.cpp", "d/b.h", "d/s/c.cpp", "d/s/d.h"})
        env.write(name, "a");
    const QByteArray odd = QFile::encodeName(env.path("d")) + "/\xff.h";
    const int fd = ::open(odd.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ASSERT_EQ(::mkdir((QFile::encodeName(env.path("d")) + "/\xff" "dir").constData(), 0755), 0);

    const BatchResult r = RunBatchCommand({"--extension", "h", "--folder", "d", "--extension", "cpp", "--folder", "d",
                                           "--extension", "*", "--folder", "d", "--extension", "rs", "--folder", "d",
                                           "--dry-run", "--quiet", "--verbose", "--find", "z", "--replace", "y"},
                                          env.root());
    EXPECT_EQ(r.out, "0\td/b.h\n0\td/s/d.h\n"
                     "0\td/a.cpp\n0\td/s/c.cpp\n"
                     "0\td/a.cpp\n0\td/b.h\n0\td/s/c.cpp\n0\td/s/d.h\n");
    // A subfolder whose name is not UTF-8 is every extension's failure.
    const QByteArray file = "quorvane-batch: d/\\xFF.h: the name is not valid UTF-8\n";
    const QByteArray folder = "quorvane-batch: d/\\xFFdir/: the name is not valid UTF-8\n";
    EXPECT_EQ(r.err.toStdString(), (file + folder + folder + file + folder + folder).toStdString());
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
         "quorvane-batch: d: no file matches *.rs\nquorvane-batch: no files to process\n"},
        {{"--extension", "rs,go", "--folder", "d", "--folder", "empty", "--list", emptyList}, 1, "",
         "quorvane-batch: d: no file matches *.rs, *.go\nquorvane-batch: empty: no file matches *.rs, *.go\n"
         "quorvane-batch: no files to process\n"},
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

TEST(BatchTree, ADryRunAndADiffOfAFileListedTwiceForetellWhatTheRunWrites)
{
    TestEnv env;
    env.write("f", "a\n");
    const QStringList pairs{"--in-place", "--no-backup", "--find", "a", "--replace", "aa"};
    const BatchResult dry = RunBatchCommand(pairs + QStringList{"--dry-run", "f", "f"}, env.root());
    EXPECT_EQ(dry.out, "1\tf\n2\tf\n2 files checked, 0 failed, 3 replacements\n");
    const BatchResult diff = RunBatchCommand(pairs + QStringList{"--diff", "f", "f"}, env.root());
    EXPECT_EQ(diff.exitCode, 0);
    EXPECT_EQ(TestEnv::read(env.path("f")), "a\n");
    if (!QFile::exists("/usr/bin/patch"))
        GTEST_SKIP() << "patch is not installed";
    env.write("changes.diff", diff.out);
    EXPECT_EQ(QProcess::execute("/bin/sh", {"-c", "cd '" + env.root() + "' && patch -s -p0 < changes.diff"}), 0);
    EXPECT_EQ(TestEnv::read(env.path("f")), "aaaa\n");
    const BatchResult run = RunBatchCommand(pairs + QStringList{"f", "f"}, env.root());
    EXPECT_EQ(run.out, "2 files written, 0 unchanged, 0 failed, 12 replacements\n");   // from aaaa
    EXPECT_EQ(TestEnv::read(env.path("f")), QByteArray(16, 'a') + "\n");
}

} // namespace
