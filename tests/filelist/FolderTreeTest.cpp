#include "filelist/FolderScan.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using quorvane::test::TestEnv;

namespace quorvane {
namespace {

QByteArray raw(const QString& path) { return QFile::encodeName(path); }

// Takes a scan's failed steps as "step: text".
ScanFailed recordInto(QStringList& failures)
{
    return [&failures](int step, const QString& text) { failures << QString("%1: %2").arg(step).arg(text); };
}

TEST(GetSubDirectories2016, ListsFoldersLevelByLevelInNameOrder)
{
    TestEnv env;
    env.mkdir("top/b/b1");
    env.mkdir("top/A/A1/deep");
    env.mkdir("top/A/a2");
    env.mkdir("top/.hidden");
    env.write("top/file.txt", "x");
    const QString top = env.path("top/");
    QStringList folders{top};
    int yields = 0;
    QStringList failures;
    GetSubDirectories2016(folders, true, recordInto(failures), [&] { ++yields; });

    EXPECT_EQ(folders, QStringList({top, top + ".hidden/", top + "A/", top + "b/", top + "A/A1/",
                                    top + "A/a2/", top + "b/b1/", top + "A/A1/deep/"}));
    EXPECT_GT(yields, 0);
    EXPECT_TRUE(failures.isEmpty());

    QStringList oneLevel{top};
    GetSubDirectories2016(oneLevel, false, recordInto(failures), {});
    EXPECT_EQ(oneLevel, QStringList({top, top + ".hidden/", top + "A/", top + "b/"}));
}

TEST(GetSubDirectories2016, DoesNotEnterUnsafeNamesOrLinkedFolders)
{
    TestEnv env;
    env.mkdir("top/ok");
    const QByteArray top = raw(env.path("top/"));
    for (const QByteArray& name : {QByteArray("bad\xff"), QByteArray("ctl\x01"), QByteArray("q?")}) {
        ASSERT_EQ(mkdir(QByteArray(top + name).constData(), 0755), 0);
        ASSERT_EQ(mkdir(QByteArray(top + name + "/below").constData(), 0755), 0);
    }
    // A link back up the tree would make the scan endless.
    ASSERT_EQ(symlink("..", QByteArray(top + "loop").constData()), 0);
    QStringList folders{env.path("top/")};
    GetSubDirectories2016(folders, true, {}, {});
    EXPECT_EQ(folders, QStringList({env.path("top/"), env.path("top/ok/")}));
}

// Scans folders as a user that permission bits apply to: as root, the scan
// runs in a child process that has given up root. Returns the scanned list,
// or the child's failure as one text.
QStringList scanWithoutPrivileges(QStringList folders)
{
    if (geteuid() != 0) {
        QStringList failures;
        GetSubDirectories2016(folders, true, recordInto(failures), {});
        if (!failures.isEmpty())
            return {"failed: " + failures.front()};
        return folders;
    }
    int fds[2];
    if (pipe(fds) != 0)
        return {"no pipe"};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        try {
            GetSubDirectories2016(folders, true, {}, {});
        } catch (...) {
            _exit(4);
        }
        const QByteArray out = folders.join('\n').toUtf8();
        const bool written = write(fds[1], out.constData(), out.size()) == out.size();
        _exit(written ? 0 : 5);
    }
    close(fds[1]);
    QByteArray out;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, n);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {QString("child failed with status %1").arg(status)};
    return QString::fromUtf8(out).split('\n');
}

TEST(GetSubDirectories2016, DropsAnUnreadableFolderSilentlyAndScansItsSiblings)
{
    TestEnv env;
    env.mkdir("top/a");
    env.mkdir("top/locked/inner");
    env.mkdir("top/z/z1");
    // Let an unprivileged scanner into the sandbox, but not into "locked".
    ASSERT_EQ(chmod(raw(env.root()).constData(), 0755), 0);
    const QString locked = env.path("top/locked");
    ASSERT_EQ(chmod(raw(locked).constData(), 0), 0);
    const QStringList folders = scanWithoutPrivileges({env.path("top/")});
    chmod(raw(locked).constData(), 0755);

    EXPECT_EQ(folders, QStringList({env.path("top/"), env.path("top/a/"), env.path("top/z/"),
                                    env.path("top/z/z1/")}));
}

TEST(GetSubDirectories2016, GivesRootSubfoldersASingleSlash)
{
    QStringList folders{"/"};
    GetSubDirectories2016(folders, false, {}, {});
    ASSERT_GT(folders.size(), 1);
    EXPECT_EQ(folders.first(), "/");
    EXPECT_TRUE(folders.contains("/tmp/"));
    for (const QString& f : folders.mid(1))
        EXPECT_FALSE(f.startsWith("//")) << f.toStdString();
}

TEST(CollectFolderFiles, AddsFilesFolderByFolderLeavingOutTildeAndHiddenArchiveFiles)
{
    TestEnv env;
    env.write("top/b.txt", "x");
    env.write("top/A.txt", "x");
    env.write("top/~lock.txt", "x");
    env.write("top/.writable.txt", "x");
    const QString readOnly = env.write("top/.readonly.txt", "x");
    ASSERT_EQ(chmod(raw(readOnly).constData(), 0444), 0);
    env.write("top/noext", "x");
    env.write("top/A/in-a.txt", "x");
    env.write("top/A/A1/in-a1.txt", "x");
    env.write("top/B/in-b.doc", "x");
    const QString t = env.path("top");

    EXPECT_EQ(CollectFolderFiles(t, "*", {}),
              QStringList({t + "/.readonly.txt", t + "/A.txt", t + "/b.txt", t + "/noext",
                           t + "/A/in-a.txt", t + "/B/in-b.doc", t + "/A/A1/in-a1.txt"}));
    EXPECT_EQ(CollectFolderFiles(t + "/", "TXT", {}),
              QStringList({t + "/.readonly.txt", t + "/A.txt", t + "/b.txt", t + "/A/in-a.txt",
                           t + "/A/A1/in-a1.txt"}));
    EXPECT_TRUE(CollectFolderFiles(t, ".txt", {}).isEmpty());
    EXPECT_TRUE(CollectFolderFiles(env.path("missing"), "*", {}).isEmpty());
}

TEST(CollectFolderFiles, KeepsNamesStartingWithAMarkAndLeavesOutPathsTooLongToOpen)
{
    TestEnv env;
    const QString mark(QChar(0xFEFF));
    env.write("top/" + mark + "a.txt", "x");
    env.write("top/" + mark + "sub/" + mark + "in.txt", "x");

    // Folders nested until one more level would pass the system's path limit;
    // the last one holds a file that can be opened and one whose full path is
    // one character too long to open.
    QString deep = env.mkdir("top/deep");
    int dir = open(raw(deep).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(dir, 0);
    const QByteArray level(150, 'd');
    while (deep.size() + 1 + level.size() < PATH_MAX - 60) {
        ASSERT_EQ(mkdirat(dir, level.constData(), 0755), 0);
        const int next = openat(dir, level.constData(), O_RDONLY | O_DIRECTORY);
        close(dir);
        ASSERT_GE(next, 0);
        dir = next;
        deep += '/' + QString::fromLatin1(level);
    }
    const QByteArray tooLong(PATH_MAX - 1 - int(deep.size()), 'n');
    for (const QByteArray& name : {QByteArray("s.txt"), tooLong})
        close(openat(dir, name.constData(), O_WRONLY | O_CREAT, 0644));

    const QString t = env.path("top");
    const QStringList files = CollectFolderFiles(t, "*", {});
    // The sandbox's removal cannot reach a path that long.
    EXPECT_EQ(unlinkat(dir, tooLong.constData(), 0), 0);
    close(dir);
    EXPECT_EQ(files, QStringList({t + "/" + mark + "a.txt", t + "/" + mark + "sub/" + mark + "in.txt",
                                  deep + "/s.txt"}));
}

TEST(CollectFolderFiles, HandsBackTheNamesItCannotHoldAndLeavesOutExcludedNames)
{
    TestEnv env;
    env.write("top/ok.txt", "x");
    env.write("top/skip.log", "x");
    env.write("top/.git/config", "x");
    env.write("top/Build/out.txt", "x");
    const QByteArray t = raw(env.path("top"));
    close(open(t + "/caf\xE9.txt", O_WRONLY | O_CREAT, 0644));
    ASSERT_EQ(mkdir(t + "/\xFF" "dir", 0755), 0);
    close(open(t + "/\xFF" "dir/in.txt", O_WRONLY | O_CREAT, 0644));
    const QString top = env.path("top");

    // Each scan appends its names, in byte order; the command line reports them.
    std::vector<QByteArray> undecodable;
    const ScanOptions options{{"*.LOG", "build"}, true};
    EXPECT_EQ(CollectFolderFiles(top, "*", {}, {}, options, &undecodable), QStringList({top + "/ok.txt"}));
    EXPECT_EQ(CollectFolderFiles(top, "txt", {}, {}, {}, &undecodable),
              QStringList({top + "/ok.txt", top + "/Build/out.txt"}));
    const QByteArray file = t + "/caf\xE9.txt";
    const QByteArray folder = t + "/\xFF" "dir/";
    EXPECT_EQ(undecodable, std::vector<QByteArray>({file, folder, file, folder}));
    std::filesystem::remove_all(t.toStdString());
}

TEST(CollectFolderFiles, GivesTheSameFilesWhetherItsFoldersAreReadSideBySideOrOneByOne)
{
    // Levels wide enough to be read on several threads without a yield, and
    // one by one with one: the files, their order and the names handed back
    // must not depend on which.
    TestEnv env;
    for (int i = 0; i < 12; ++i) {
        const QString f = QString("top/f%1/").arg(i, 2, 10, QChar('0'));
        env.write(f + "a.txt", "x");
        env.write(f + "~skip.txt", "x");
        env.write(f + "sub/b.txt", "x");
        env.write(f + "Sub2/deeper/c.txt", "x");
        env.write(f + ".git/config", "x");
    }
    const QByteArray t = raw(env.path("top"));
    ASSERT_EQ(mkdir(t + "/f03/\xFF" "odd", 0755), 0);
    close(open(t + "/f07/caf\xE9.txt", O_WRONLY | O_CREAT, 0644));
    ASSERT_EQ(symlink("..", t + "/f05/up"), 0);
    ASSERT_EQ(symlink("../f01", t + "/f09/across"), 0);
    const QString top = env.path("top");

    ScanOptions follow;
    follow.links = ScanOptions::Links::All;
    for (const ScanOptions& options : {ScanOptions{}, follow, ScanOptions{{"sub*"}, true}}) {
        std::vector<QByteArray> sideBySide, oneByOne;
        const QStringList wide = CollectFolderFiles(top, "*", {}, {}, options, &sideBySide);
        const QStringList narrow = CollectFolderFiles(top, "*", [] {}, {}, options, &oneByOne);
        EXPECT_EQ(wide, narrow);
        EXPECT_EQ(sideBySide, oneByOne);
        EXPECT_EQ(sideBySide, std::vector<QByteArray>({t + "/f03/\xFF" "odd/", t + "/f07/caf\xE9.txt"}));
        EXPECT_EQ(wide.first(), top + "/f00/a.txt");
        const char* last = options.links == ScanOptions::Links::All ? "/f09/across/Sub2/deeper/c.txt"
                           : options.excludes.isEmpty()              ? "/f11/Sub2/deeper/c.txt"
                                                                     : "/f11/a.txt";
        EXPECT_EQ(wide.last().toStdString(), (top + last).toStdString());
    }
    EXPECT_EQ(CollectFolderFiles(top, "*", {}).size(), 36);
    EXPECT_EQ(CollectFolderFiles(top, "*", {}, {}, follow).size(), 36 + 3);
    EXPECT_EQ(CollectFolderFiles(top, "*", {}, {}, ScanOptions{{"sub*"}, true}).size(), 12);
    std::filesystem::remove_all(t.toStdString());
}

} // namespace
} // namespace quorvane
