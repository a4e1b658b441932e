// The store trusts nothing it holds: planted links, FIFOs and damaged records
// change nothing outside it and lose nothing in it.
#include "engine/backup/BackupStore.h"
#include "engine/backup/ManifestLine.h"
#include "engine/files/ContentHash.h"
#include "tests/engine/backup/BackupTestSupport.h"

#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <csignal>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvane::test {
namespace {

class StoreTrustTest : public BackupTest {
protected:
    QString runPath(const QString& id, const QString& name = {}) const
    {
        return box().path("data/quorvane/backups/" + id) + (name.isEmpty() ? QString() : '/' + name);
    }
    // The lines of a run's manifest, each with its LF.
    QList<QByteArray> manifestLines(const QString& id) const
    {
        QList<QByteArray> lines;
        for (const QByteArray& line : IoSandbox::read(runPath(id, "manifest.jsonl")).split('\n'))
            if (!line.isEmpty())
                lines << line + '\n';
        return lines;
    }
    void writeManifest(const QString& id, const QList<QByteArray>& lines) const
    {
        box().write("data/quorvane/backups/" + id + "/manifest.jsonl", lines.join());
    }
    // The rows of an undo of id, or "refused: " and why.
    QStringList undoRows(const QString& id) const
    {
        QString problem;
        const std::optional<RunReport> report = BackupStore().undo(id, {}, {}, &problem);
        return report ? rows(*report) : QStringList{"refused: " + problem};
    }
};

TEST_F(StoreTrustTest, ARunStoppedBeforeItsRenamesCountsAsUndoneSoTheRunBeforeItIsReached)
{
    box().write("a.txt", "cat");
    box().write("b.txt", "cat");
    const QString earlier = run({{"a.txt", "a.txt"}}, {{"cat", "cow"}});
    const QStringList before = picture();

    // Killed once its records and kept files were on disk, before any rename.
    const pid_t child = ::fork();
    if (child == 0) {
        std::unique_ptr<BackupRun> stopped = BackupStore().beginRun("stopped", BackupRunMode::InPlace);
        const QByteArray hash = ContentHash::hash("bow", stopped->hashKind());
        int error = 0;
        for (const char* name : {"a.txt", "b.txt", "new.txt"})
            stopped->keep(box().path(name), 3, hash, error);
        stopped->sync(error);
        ::kill(::getpid(), SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    const std::vector<BackupRunInfo> runs = BackupStore().runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].files, 3);

    EXPECT_EQ(undoRows(runs[0].id), (QStringList{"removed new.txt: already gone",
                                                 "restored b.txt: already as before the run",
                                                 "restored a.txt: already as before the run"}));
    EXPECT_EQ(picture(), before);
    EXPECT_EQ(runFolders(), QStringList{earlier});
    EXPECT_EQ(undoRows(BackupStore().runs().at(0).id), QStringList{"restored a.txt"});
    EXPECT_EQ(IoSandbox::read(box().path("a.txt")), "cat");
}

TEST_F(StoreTrustTest, LinksAndFifosPlantedInTheStoreLeadNowhereAndLoseNothing)
{
    // Each plants its thing in the run's folder; elsewhere is a folder outside the store.
    const struct {
        const char* name;
        std::function<void(const QString& folder, const QString& elsewhere)> plant;
        QStringList undone;
        QStringList left;   // in the run's folder afterwards
    } cases[] = {
        {"a kept file that is a link",
         [](const QString& folder, const QString& elsewhere) {
             QFile::remove(folder + "/1");
             QFile::link(elsewhere + "/secret.txt", folder + "/1");
         },
         {"restored b.txt", "failed a.txt: its backup is not a regular file"}, {"1", "manifest.jsonl"}},
        {"a kept file that is a FIFO",
         [](const QString& folder, const QString&) {
             QFile::remove(folder + "/1");
             ::mkfifo(QFile::encodeName(folder + "/1").constData(), 0600);
         },
         {"restored b.txt", "failed a.txt: its backup is not a regular file"}, {"1", "manifest.jsonl"}},
        {"a run folder that is a link",
         [](const QString& folder, const QString& elsewhere) {
             QDir().rename(folder, elsewhere + "/run");
             QFile::link(elsewhere + "/run", folder);
         },
         {"refused: There is no run %1 in %2."}, {"1", "2", "manifest.jsonl"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        box().write("elsewhere/secret.txt", "secret");
        box().write("a.txt", "cat");
        box().write("b.txt", "cat");
        const QString id = run({{"a.txt", "a.txt"}, {"b.txt", "b.txt"}}, {{"cat", "cow"}});
        c.plant(runPath(id), box().path("elsewhere"));
        // Everything but b.txt, which the undo may put back.
        const auto untouched = [this] { return picture().filter(QRegularExpression("^(?!b\\.txt )")); };
        const QStringList outside = untouched();

        QStringList undone = c.undone;
        undone.replaceInStrings("%1", id).replaceInStrings("%2", BackupStore().folder());
        EXPECT_EQ(undoRows(id), undone);
        EXPECT_EQ(IoSandbox::read(box().path("a.txt")), "cow");
        EXPECT_EQ(QDir(runPath(id)).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), c.left);
        // Pruning everything takes the run, but nothing outside the store.
        BackupStore().prune({0, 0}, QString());
        EXPECT_EQ(untouched(), outside);
        EXPECT_EQ(IoSandbox::read(box().path("elsewhere/secret.txt")), "secret");
    }
}

TEST_F(StoreTrustTest, TheNoteOfTheLastRunIsNeitherWrittenThroughALinkNorWaitedOnAsAFifo)
{
    const QString note = box().path("data/quorvane/backups/last-run.json");
    box().write("elsewhere/secret.txt", "secret");
    box().mkdir("data/quorvane/backups");
    ::mkfifo(QFile::encodeName(note).constData(), 0600);
    BackupStore store;
    EXPECT_FALSE(store.lastRunWithoutBackups({}));

    QFile::remove(note);
    QFile::link(box().path("elsewhere/secret.txt"), note);
    store.beginRun("off", BackupRunMode::InPlace)->finish();
    EXPECT_EQ(IoSandbox::read(box().path("elsewhere/secret.txt")), "secret");
    EXPECT_FALSE(QFileInfo(note).isSymLink());
    EXPECT_TRUE(store.lastRunWithoutBackups({}));
}

// Line 2 of a run over a.txt and b.txt, the record of a.txt, damaged in turn.
TEST_F(StoreTrustTest, ADamagedRecordIsNeverActedOnAndItsRunStays)
{
    using Lines = QList<QByteArray>;
    const auto withoutSums = [](Lines lines) {
        for (QByteArray& line : lines)
            line = QString::fromUtf8(line).remove(QRegularExpression(R"(,"sum":"[0-9a-f]+")")).toUtf8();
        return lines;
    };
    // The record of a.txt as it would be without its kept file's name, sealed afresh.
    const auto neitherKeptNorCreated = [](const QByteArray& line) {
        QByteArray body;
        Unseal(line.chopped(1), body);
        QJsonObject o = QJsonDocument::fromJson(body).object();
        o.remove("kept");
        return SealedLine(o);
    };
    const auto damaged = [](int line) {
        return "failed data/quorvane/backups/%1/manifest.jsonl line " + QString::number(line) + ": damaged record";
    };
    const QString refused = "refused: The record of the run %1 cannot be read (damaged record): %2/%1/manifest.jsonl.";
    const struct {
        const char* name;
        std::function<Lines(Lines)> damage;
        QStringList undone;
        int listed;   // the run's files as listed; -1: not listed
    } cases[] = {
        {"a key renamed: the checksum fails",
         [](Lines l) { l[1].replace("\"kept\"", "\"kepu\""); return l; },
         {"restored b.txt", damaged(2)}, 1},
        {"a key missing under a sound checksum",
         [&](Lines l) { l[1] = neitherKeptNorCreated(l[1]); return l; },
         {"restored b.txt", damaged(2)}, 1},
        {"a key renamed in a manifest recorded before checksums",
         [&](Lines l) { l = withoutSums(l); l[0].replace(",\"format\":2", ""); l[1].replace("\"kept\"", "\"kepu\""); return l; },
         {"restored b.txt", damaged(2)}, 1},
        {"the head's checksum gone: no old manifest names a format",
         [&](Lines l) { l[0] = withoutSums(l)[0]; return l; },
         {refused}, -1},
        {"every checksum gone but the head's: no old manifest has one",
         [&](Lines l) { return Lines{l[0]} + withoutSums(l).mid(1); },
         {damaged(2), damaged(3), damaged(4)}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        box().write("a.txt", "cat");
        box().write("b.txt", "cat");
        const QString id = run({{"a.txt", "a.txt"}, {"b.txt", "b.txt"}}, {{"cat", "cow"}});
        writeManifest(id, c.damage(manifestLines(id)));
        QStringList undone = c.undone;
        undone.replaceInStrings("%1", id).replaceInStrings("%2", BackupStore().folder());

        // Twice: the damaged record stays as it was, and so does all it might name.
        EXPECT_EQ(undoRows(id), undone);
        EXPECT_EQ(undoRows(id), undone.filter("damaged record"));
        EXPECT_EQ(IoSandbox::read(box().path("a.txt")), "cow");
        EXPECT_EQ(IoSandbox::read(runPath(id, "1")), "cat");
        EXPECT_EQ(runFolders(), QStringList{id});
        const std::vector<BackupRunInfo> runs = BackupStore().runs();
        EXPECT_EQ(runs.empty() ? -1 : runs[0].files, c.listed);
    }
}

TEST_F(StoreTrustTest, AManifestWithAnyOneByteFlippedNeitherDeletesNorRestoresWrongly)
{
    box().write("a.txt", "cat");
    box().write("src/n.txt", "cat");
    box().mkdir("out");
    const QString id = run({{"a.txt", "a.txt"}, {"src/n.txt", "out/n.txt"}}, {{"cat", "cow"}});
    const QByteArray manifest = IoSandbox::read(runPath(id, "manifest.jsonl"));
    QRandomGenerator random(23);
    int undoneWhole = 0;
    for (qsizetype at = 0; at < manifest.size(); ++at) {
        SCOPED_TRACE(at);
        // The tree as the run left it, the manifest flipped at one byte.
        QFile::remove(box().path("a.txt"));
        box().write("a.txt", "cow");
        box().write("out/n.txt", "cow");
        QFile::remove(runPath(id, "1"));
        box().write("data/quorvane/backups/" + id + "/1", "cat");
        QByteArray flipped = manifest;
        flipped[at] = char(flipped[at] ^ char(random.bounded(1, 256)));
        box().write("data/quorvane/backups/" + id + "/manifest.jsonl", flipped);

        BackupStore().undo(id);
        const QByteArray a = IoSandbox::read(box().path("a.txt")), n = IoSandbox::read(box().path("out/n.txt"));
        ASSERT_TRUE(a == "cat" || a == "cow") << a.constData();
        ASSERT_TRUE(n == "<unreadable>" || n == "cow") << n.constData();
        ASSERT_EQ(IoSandbox::read(box().path("src/n.txt")), "cat");
        // What is not put back is still kept.
        if (a == "cow") {
            ASSERT_EQ(IoSandbox::read(runPath(id, "1")), "cat");
        }
        undoneWhole += !QFileInfo::exists(runPath(id));
    }
    // Only the final LF may go unnoticed: a last line without it reads as cut short.
    EXPECT_EQ(undoneWhole, 1);
}

} // namespace
} // namespace quorvane::test

namespace quorvane::test {

TEST(ManifestRecords, AFileRecordIsTheLineTheJsonWriterWouldWriteAndReadsBackAsItWas)
{
    // Paths with every escape, text beyond ASCII, a pair and lone halves of one.
    const QString odd = QString("/t/q\"b\\s\x01\x08\x09\x0a\x0c\x0d\x1f\x7f/é€") + QChar(0xd83d) + QChar(0xde00)
                        + QChar(0xd800) + "x" + QChar(0xdc00);
    for (const QString& path : {QString("/srv/notes/a.txt"), odd}) {
        for (const bool created : {true, false}) {
            for (const bool copied : {false, true}) {
                BackupEntry e;
                e.number = 12345678901;
                e.path = path;
                e.kept = created ? QString() : QString("17");
                e.copied = copied && !created;
                e.mode = 0100644;
                e.uid = 4294967294u;
                e.gid = 100;
                e.keptBytes = 42;
                e.size = 7;
                e.hash = "00ff";
                QJsonObject o{{"n", e.number}, {"path", e.path}, {"size", e.size}, {"hash", QString::fromLatin1(e.hash)}};
                if (created) {
                    o.insert("created", true);
                } else {
                    o.insert("kept", e.kept);
                    if (e.copied)
                        o.insert("copied", true);
                    o.insert("mode", qint64(e.mode));
                    o.insert("uid", qint64(e.uid));
                    o.insert("gid", qint64(e.gid));
                    o.insert("keptBytes", e.keptBytes);
                }
                SCOPED_TRACE(QString("%1 %2 %3").arg(path.size()).arg(created).arg(copied).toStdString());
                const QByteArray line = ManifestEntryLine(e);
                EXPECT_EQ(line, SealedLine(o));
                QByteArray body;
                ASSERT_EQ(Unseal(line.chopped(1), body), LineSeal::Sealed);
                const std::optional<QJsonObject> back = ObjectOf(body);
                ASSERT_TRUE(back);
                EXPECT_EQ(*back, o);
            }
        }
    }
}

} // namespace quorvane::test
