#include "engine/backup/BackupStore.h"
#include "engine/backup/KeepFile.h"
#include "engine/backup/Manifest.h"
#include "engine/write/AtomicWrite.h"
#include "tests/engine/backup/BackupTestSupport.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace quorvane::test {
namespace {

using Jobs = std::vector<std::pair<QString, QString>>;

ino_t Inode(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

void Chown(const QString& path, uid_t uid, gid_t gid)
{
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), uid, gid), 0);
}

// Gives path an extended attribute (where the file system takes user ones)
// and a modification time long past.
void Tag(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    ::setxattr(native.constData(), "user.tag", "blue", 4, 0);
    const struct timespec times[2] = {{1000000000, 123456789}, {1000000000, 987654321}};
    ASSERT_EQ(::utimensat(AT_FDCWD, native.constData(), times, 0), 0);
}

TEST_F(BackupTest, UndoPutsEveryFileBackExactlyAsItWasBeforeTheRun)
{
    const struct {
        const char* name;
        std::function<void(IoSandbox&)> setUp;
        Jobs jobs;
        bool otherFileSystem;   // the store cannot link: kept and put back as copies
        QStringList undone;
        bool asRoot = false;    // only root may write read-only files or give files away
    } cases[] = {
        {"in place, the untouched file left alone",
         [](IoSandbox& b) { b.write("a.txt", "cat"); b.write("b.txt", "cat cat"); b.write("c.txt", "dog"); },
         {{"a.txt", "a.txt"}, {"b.txt", "b.txt"}, {"c.txt", "c.txt"}}, false,
         {"restored b.txt", "restored a.txt"}},
        {"into an output folder: the file replaced comes back, the file created goes",
         [](IoSandbox& b) { b.write("src/a.txt", "cat"); b.write("src/b.txt", "cat"); b.write("out/a.txt", "old"); },
         {{"src/a.txt", "out/a.txt"}, {"src/b.txt", "out/b.txt"}}, false,
         {"removed out/b.txt", "restored out/a.txt"}},
        {"a file written twice goes back one step at a time",
         [](IoSandbox& b) { b.write("a.txt", "a"); },
         {{"a.txt", "a.txt"}, {"a.txt", "a.txt"}}, false,
         {"restored a.txt", "restored a.txt"}},
        {"through a symbolic link: the link stays, the file it names comes back",
         [](IoSandbox& b) { b.write("real.txt", "cat"); QFile::link("real.txt", b.path("link.txt")); },
         {{"link.txt", "link.txt"}}, false,
         {"restored real.txt"}},
        {"a store on another file system: bytes, mode, extended attributes and times come back",
         [](IoSandbox& b) { b.write("a.txt", "cat"); QFile::setPermissions(b.path("a.txt"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup); Tag(b.path("a.txt")); },
         {{"a.txt", "a.txt"}}, true,
         {"restored a.txt"}},
        {"a read-only file",
         [](IoSandbox& b) { b.write("ro.txt", "cat"); ::chmod(QFile::encodeName(b.path("ro.txt")).constData(), 0444); },
         {{"ro.txt", "ro.txt"}}, false,
         {"restored ro.txt"}, true},
        {"another owner and group",
         [](IoSandbox& b) { b.write("a.txt", "cat"); Chown(b.path("a.txt"), 1234, 5678); },
         {{"a.txt", "a.txt"}}, false,
         {"restored a.txt"}, true},
        {"another owner and group, on another file system",
         [](IoSandbox& b) { b.write("a.txt", "cat"); Chown(b.path("a.txt"), 1234, 5678); ::chmod(QFile::encodeName(b.path("a.txt")).constData(), 02640); Tag(b.path("a.txt")); },
         {{"a.txt", "a.txt"}}, true,
         {"restored a.txt"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.asRoot && ::geteuid() != 0)
            continue;
        fresh();
        c.setUp(box());
        const QStringList before = picture();
        const QString firstOutput = box().path(c.jobs.front().second);
        const ino_t inode = Inode(firstOutput);
        if (c.otherFileSystem)
            InjectBackupLinkFailure(EXDEV, 1000);

        const QString id = run(c.jobs, {{"a", "ab"}});
        EXPECT_NE(picture(), before);
        // The store keeps the very file by a hard link, or else a copy.
        EXPECT_EQ(Inode(box().path("data/quorvane/backups/" + id + "/1")) == inode, !c.otherFileSystem);
        const std::optional<RunReport> report = BackupStore().undo(id);

        ASSERT_TRUE(report);
        EXPECT_EQ(rows(*report), c.undone);
        EXPECT_EQ(picture(), before);
        if (!c.otherFileSystem) {
            EXPECT_EQ(Inode(firstOutput), inode);
        }
        EXPECT_TRUE(runFolders().isEmpty());
    }
}

TEST_F(BackupTest, ARunRecordsWhatItWroteByItsXxh3Checksum)
{
    box().write("a.txt", "cat");
    const QString id = run({{"a.txt", "a.txt"}}, {{"a", "o"}});
    const std::optional<BackupManifest> manifest
        = ReadManifest(box().path("data/quorvane/backups/" + id + "/manifest.jsonl"));
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->hashName, "Xxh3_128");
    ASSERT_EQ(manifest->entries.size(), 1u);
    // As `printf cot | xxhsum -H2` gives it.
    EXPECT_EQ(manifest->entries[0].hash, "9b5d750fedd4467bf26bfa5c785e0e3f");
}

TEST_F(BackupTest, AFileChangedOrGoneSinceTheRunIsLeftAsItIsAndTheRunKeepsIt)
{
    box().write("a.txt", "cat");
    box().write("b.txt", "cat");
    box().write("c.txt", "cat");
    const QString id = run({{"a.txt", "a.txt"}, {"b.txt", "b.txt"}, {"c.txt", "c.txt"}}, {{"cat", "cow"}});
    box().write("b.txt", "cow, edited");
    QFile::remove(box().path("c.txt"));

    BackupStore store;
    std::optional<RunReport> report = store.undo(id);
    ASSERT_TRUE(report);
    EXPECT_EQ(rows(*report), (QStringList{"failed c.txt: no longer exists", "failed b.txt: changed since the run",
                                          "restored a.txt"}));
    EXPECT_EQ(report->totalsText(), "3 files: 1 restored, 0 removed, 2 failed, 0 not reached");
    EXPECT_EQ(IoSandbox::read(box().path("b.txt")), "cow, edited");
    EXPECT_EQ(store.runs().at(0).files, 2);

    // Once b holds what the run wrote again, a second undo puts it back.
    box().write("b.txt", "cow");
    report = store.undo(id);
    ASSERT_TRUE(report);
    EXPECT_EQ(rows(*report), (QStringList{"failed c.txt: no longer exists", "restored b.txt"}));
    EXPECT_EQ(IoSandbox::read(box().path("b.txt")), "cat");
    EXPECT_EQ(store.runs().at(0).files, 1);
}

TEST_F(BackupTest, AResultWhoseOldFileCannotBeKeptOrWhoseRenameFailsLeavesTheFileAndNoBackup)
{
    const struct {
        const char* name;
        std::function<void()> inject;
        QString failure;
    } cases[] = {
        {"no room to keep it", [] { InjectBackupLinkFailure(ENOSPC, 1); },
         "a.txt: cannot keep a backup: No space left on device"},
        {"the rename refused", [] { InjectWriteFailure(WriteStep::Rename, EIO, 1); }, "a.txt: Input/output error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        box().write("a.txt", "cat");
        box().write("b.txt", "cat");
        c.inject();
        QStringList failures;
        const QString id = run({{"a.txt", "a.txt"}, {"b.txt", "b.txt"}}, {{"cat", "cow"}}, &failures);

        EXPECT_EQ(failures, QStringList{c.failure});
        EXPECT_EQ(IoSandbox::read(box().path("a.txt")), "cat");
        EXPECT_EQ(IoSandbox::read(box().path("b.txt")), "cow");
        EXPECT_EQ(QDir(box().path("data/quorvane/backups/" + id)).entryList(QDir::Files),
                  (QStringList{"2", "manifest.jsonl"}));
        EXPECT_EQ(BackupStore().runs().at(0).files, 1);
        EXPECT_EQ(BackupStore().runs().at(0).bytes, 3);   // b.txt's alone
    }
}

TEST_F(BackupTest, TwoResultsWaitingForOneTargetAreKeptAndPutBackOneStepAtATime)
{
    const QString target = box().write("a.txt", "1");
    BackupStore store;
    std::unique_ptr<BackupRun> backup = store.beginRun("twice", BackupRunMode::InPlace);
    {
        CommitGroup group;
        group.setBackup(backup.get());
        for (const char* bytes : {"2", "3"}) {
            auto file = std::make_unique<AtomicFile>(target);
            group.prepare(*file);
            ASSERT_TRUE(file->append(bytes, 1) && file->finish(false));
            group.adopt(std::move(file), target, {});
        }
        ASSERT_TRUE(group.flush().empty());
    }
    backup->finish();
    ASSERT_EQ(IoSandbox::read(target), "3");

    const std::optional<RunReport> report = store.undo(backup->id());
    ASSERT_TRUE(report);
    EXPECT_EQ(rows(*report), (QStringList{"restored a.txt", "restored a.txt"}));
    EXPECT_EQ(IoSandbox::read(target), "1");
}

TEST_F(BackupTest, ResultsFinishedOutOfTurnAreKeptAndPutBackInTheirEntriesOrder)
{
    // Workers may finish entry 1 before entry 0: the record still follows the list.
    const QString a = box().write("a.txt", "1"), b = box().write("b.txt", "1");
    BackupStore store;
    std::unique_ptr<BackupRun> backup = store.beginRun("out of turn", BackupRunMode::InPlace);
    {
        CommitGroup group;
        group.setBackup(backup.get());
        for (const auto& [target, entry] : {std::pair{b, 1}, std::pair{a, 0}}) {
            auto file = std::make_unique<AtomicFile>(target);
            group.prepare(*file);
            ASSERT_TRUE(file->append("2", 1) && file->finish(false));
            group.adopt(std::move(file), target, {}, entry);
        }
        ASSERT_TRUE(group.flush().empty());
    }
    backup->finish();
    const std::optional<RunReport> report = store.undo(backup->id());
    ASSERT_TRUE(report);
    EXPECT_EQ(rows(*report), (QStringList{"restored b.txt", "restored a.txt"}));
}

TEST_F(BackupTest, ARunThatWritesNothingLeavesNoRunBehind)
{
    box().write("a.txt", "dog");
    box().write("b.txt", "cat");
    run({{"a.txt", "a.txt"}}, {{"cat", "cow"}});
    // Kept, but its only result never landed.
    InjectWriteFailure(WriteStep::Rename, EIO, 1);
    run({{"b.txt", "b.txt"}}, {{"cat", "cow"}});

    EXPECT_TRUE(runFolders().isEmpty());
    EXPECT_TRUE(BackupStore().runs().empty());
}

} // namespace
} // namespace quorvane::test
