// Stale temporary files: a run's first write into a folder removes those that
// nobody holds and leaves every one that a live process is still writing.
#include "engine/FileReplace.h"
#include "engine/write/CommitGroup.h"
#include "engine/write/TempFiles.h"
#include "tests/engine/IoSandbox.h"

#include <gtest/gtest.h>

#include <csignal>
#include <tuple>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quorvane;
using quorvane::test::IoSandbox;

namespace {

// A child process that creates path and holds it under the lock, as a run
// writing it does; returns once the lock is taken. Only system calls run in
// the child, since the test process may have other threads.
pid_t HoldInChild(const QByteArray& path)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(path.constData(), O_CREAT | O_EXCL | O_WRONLY, 0600);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0 || ::write(ready[1], "x", 1) != 1)
            ::_exit(1);
        for (;;)
            ::pause();
    }
    char byte;
    const bool ok = pid > 0 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    ::close(ready[1]);
    return ok ? pid : -1;
}

void Kill(pid_t pid)
{
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

} // namespace

TEST(TempFiles, ARunsFirstWriteIntoAFolderRemovesOnlyTheTemporaryFilesNobodyHolds)
{
    IoSandbox box;
    const QString target = box.write("work/a.txt", "cat");
    const QString earlierTarget = box.write("work/b.txt", "cat");
    const auto native = [&](const char* name) { return QFile::encodeName(box.path(name)); };
    box.write("work/.quorvane-Stale1", "left by a crash");
    box.write("work/.quorvane-abc12", "not of the form");
    box.write("work/.quorvane-ABCDEFG", "not of the form");
    box.write("elsewhere/.quorvane-Stale2", "a folder the run does not write into");
    ASSERT_EQ(::mkfifo(native("work/.quorvane-Fifo01"), 0600), 0);
    ASSERT_EQ(::symlink("a.txt", native("work/.quorvane-Link01")), 0);
    const pid_t killed = HoldInChild(native("work/.quorvane-Kill01"));
    const pid_t alive = HoldInChild(native("work/.quorvane-Live01"));
    ASSERT_GT(killed, 0);
    ASSERT_GT(alive, 0);
    Kill(killed);   // as kill -9 would leave it

    // A result of an earlier run in this process still waits in the folder.
    FileJob job;
    job.pairs = {{"cat", "dog"}};
    CommitGroup earlier;
    job.group = &earlier;
    ASSERT_TRUE(ProcessFile(earlierTarget, earlierTarget, job).written);

    CommitGroup group;
    job.group = &group;
    ASSERT_TRUE(ProcessFile(target, target, job).written);
    Kill(alive);
    EXPECT_TRUE(group.flush().empty());
    // Had the sweep taken its temporary file, this rename would fail.
    EXPECT_TRUE(earlier.flush().empty());

    EXPECT_EQ(box.entries("work"), (QStringList{".quorvane-ABCDEFG", ".quorvane-Fifo01", ".quorvane-Link01",
                                                ".quorvane-Live01", ".quorvane-abc12", "a.txt", "b.txt"}));
    EXPECT_EQ(box.entries("elsewhere"), QStringList{".quorvane-Stale2"});
    EXPECT_EQ(IoSandbox::read(target), "dog");
    EXPECT_EQ(IoSandbox::read(earlierTarget), "dog");
}

TEST(TempFiles, ATemporaryFileIsMadeHeldAndNamedWhetherItStartsUnnamedOrByName)
{
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed first" : "by name");
        SetUnnamedTemps(unnamed);
        IoSandbox box;
        box.mkdir("work");
        const QByteArray folder = QFile::encodeName(box.path("work"));
        QByteArray path;
        struct stat held {};
        const int fd = CreateHeldTemp(folder, path, &held);
        ASSERT_GE(fd, 0);
        struct stat named {};
        ASSERT_EQ(::lstat(path.constData(), &named), 0);
        EXPECT_TRUE(path.startsWith(folder + '/'));
        EXPECT_TRUE(IsTempName(path.constData() + folder.size() + 1));
        EXPECT_EQ(std::make_tuple(named.st_dev, named.st_ino, named.st_nlink, named.st_mode & 0777),
                  std::make_tuple(held.st_dev, held.st_ino, nlink_t(1), mode_t(0600)));
        // Held: a sweep cannot take the lock.
        const int other = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), -1);
        EXPECT_EQ(errno, EWOULDBLOCK);
        ::close(other);
        ::close(fd);
        // A folder that cannot hold it fails the same way either way.
        QByteArray none;
        EXPECT_EQ(CreateHeldTemp(QFile::encodeName(box.path("missing")), none), -1);
        EXPECT_EQ(errno, ENOENT);
        EXPECT_TRUE(none.isEmpty());
    }
    SetUnnamedTemps(true);
}
