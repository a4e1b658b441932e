#include "engine/backup/BackupStore.h"
#include "tests/engine/backup/BackupTestSupport.h"

#include <QDateTime>
#include <QFile>

#include <functional>

namespace quorvane::test {
namespace {

class BackupStoreTest : public BackupTest {
protected:
    // Four runs, oldest first, each replacing one file of 100, 200, 300 and 400 bytes.
    QStringList fourRuns()
    {
        QStringList ids;
        for (int k = 1; k <= 4; ++k) {
            const QString name = QString("f%1.txt").arg(k);
            box().write(name, QByteArray(100 * k, 'a'));
            ids << run({{name, name}}, {{"a", "b"}});
        }
        return ids;
    }
    QStringList ids() const
    {
        QStringList ids;
        for (const BackupRunInfo& info : BackupStore().runs())
            ids << info.id;
        return ids;
    }
};

TEST_F(BackupStoreTest, RunsAreListedNewestFirstWithWhatEachKeeps)
{
    const QDateTime begun = QDateTime::currentDateTimeUtc().addSecs(-1);
    const QStringList made = fourRuns();
    box().write("src/new.txt", "a");
    box().write("src/old.txt", "a");
    box().write("out/old.txt", "12345");
    const QString last = run({{"src/new.txt", "out/new.txt"}, {"src/old.txt", "out/old.txt"}}, {{"a", "b"}},
                             nullptr, BackupRunMode::OutputFolder);
    const QString root = QFileInfo(box().root()).canonicalFilePath();

    EXPECT_EQ(BackupStore().folder(), box().path("data/quorvane/backups"));
    const std::vector<BackupRunInfo> runs = BackupStore().runs();
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].id, last);
    EXPECT_EQ(runs[0].description, "2 files");
    EXPECT_EQ(runs[0].files, 2);
    EXPECT_EQ(runs[0].bytes, 5);   // the file created keeps nothing
    EXPECT_EQ(runs[0].mode, BackupRunMode::OutputFolder);
    EXPECT_EQ(runs[0].folder, root + "/out");
    EXPECT_EQ(runs[4].id, made[0]);
    EXPECT_EQ(runs[4].bytes, 100);
    EXPECT_EQ(runs[4].mode, BackupRunMode::InPlace);
    EXPECT_EQ(runs[4].folder, root);
    EXPECT_GE(runs[4].started, begun);
    EXPECT_LE(runs[0].started, QDateTime::currentDateTimeUtc());
    EXPECT_LE(runs[4].started, runs[0].started);
    EXPECT_TRUE(std::is_sorted(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return a.id > b.id; }));

    // Without the totals a run ends with (cut short, or still going), every
    // record is counted instead, to the same figures.
    QFile manifest(BackupStore().folder() + "/" + last + "/manifest.jsonl");
    ASSERT_TRUE(manifest.open(QIODevice::ReadWrite));
    QByteArray lines = manifest.readAll();
    const QByteArray totals = "{\"files\":2,\"folder\":\"" + root.toUtf8() + "/out\",\"keptBytes\":5,\"sum\":\"";
    const qsizetype totalsAt = lines.lastIndexOf('\n', lines.size() - 2) + 1;
    ASSERT_TRUE(lines.sliced(totalsAt).startsWith(totals));
    lines.truncate(totalsAt);
    ASSERT_TRUE(manifest.resize(0) && manifest.seek(0) && manifest.write(lines) == lines.size());
    manifest.close();
    EXPECT_EQ(BackupStore().runs().at(0).files, 2);
    EXPECT_EQ(BackupStore().runs().at(0).bytes, 5);
    EXPECT_EQ(BackupStore().runs().at(0).folder, root + "/out");
}

TEST_F(BackupStoreTest, ARunRecordedWithoutModeOrFolderIsListedFromItsRecords)
{
    const QString folder = box().mkdir("data/quorvane/backups/20240102-030405-006-7");
    box().write("data/quorvane/backups/20240102-030405-006-7/manifest.jsonl",
                "{\"run\":\"20240102-030405-006-7\",\"started\":\"2024-01-02T03:04:05.006Z\","
                "\"description\":\"quorvane-batch, in place\",\"hash\":\"Blake2b_256\"}\n"
                "{\"n\":1,\"path\":\"/srv/notes/a/x.txt\",\"size\":1,\"hash\":\"00\",\"kept\":\"1\","
                "\"mode\":420,\"uid\":0,\"gid\":0,\"keptBytes\":7}\n"
                "{\"n\":2,\"path\":\"/srv/notes/b/y.txt\",\"size\":1,\"hash\":\"00\",\"created\":true}\n"
                "{\"files\":2,\"keptBytes\":7}\n");
    const std::vector<BackupRunInfo> runs = BackupStore().runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].started, QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5, 6), Qt::UTC));
    EXPECT_EQ(runs[0].description, "quorvane-batch, in place");
    EXPECT_EQ(runs[0].mode, BackupRunMode::Unrecorded);
    EXPECT_EQ(runs[0].files, 2);
    EXPECT_EQ(runs[0].bytes, 7);
    EXPECT_EQ(runs[0].folder, "/srv/notes");
    EXPECT_TRUE(QFileInfo::exists(folder));
}

TEST(CommonFolder, IsTheDeepestFolderHoldingEveryFile)
{
    const struct {
        QStringList files;
        QString folder;
    } cases[] = {
        {{}, ""},
        {{"/a/b/x.txt"}, "/a/b"},
        {{"/a/b/x.txt", "/a/b/y.txt"}, "/a/b"},
        {{"/a/b/x.txt", "/a/c/y.txt"}, "/a"},
        {{"/a/b/c/x.txt", "/a/b/y.txt"}, "/a/b"},
        {{"/ab/x.txt", "/a/y.txt"}, "/"},   // by whole names, not by letters
        {{"/x.txt", "/a/y.txt"}, "/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommonFolder(c.files), c.folder) << c.files.join(' ').toStdString();
}

TEST_F(BackupStoreTest, TheLastRunIsKnownToHaveKeptNoBackupsUntilARunKeepsSome)
{
    const std::function<void()> keeps = [this] {
        box().write("k.txt", "a");
        run({{"k.txt", "k.txt"}}, {{"a", "b"}});
    };
    const std::function<void()> replacesNothing = [this] {
        box().write("n.txt", "x");
        run({{"n.txt", "n.txt"}}, {{"a", "b"}});
    };
    // A run whose backups are off: attached to no group, it keeps nothing.
    const std::function<void()> backupsOff = [] { BackupStore().beginRun("off", BackupRunMode::InPlace)->finish(); };
    const std::function<void()> undoesLatest = [] { ASSERT_TRUE(BackupStore().undo(BackupStore().runs().at(0).id)); };
    const std::function<void()> spoilsNote = [this] { box().write("data/quorvane/backups/last-run.json", "{"); };
    const struct {
        const char* name;
        std::vector<std::function<void()>> steps;
        bool keptNone;   // the last step's run kept no backups
    } cases[] = {
        {"no run yet", {}, false},
        {"a run that kept backups", {keeps}, false},
        {"backups off after a run that kept some", {keeps, backupsOff}, true},
        {"backups off in the first run, the store made for it", {backupsOff}, true},
        {"a run that replaced nothing", {keeps, replacesNothing}, true},
        {"a run that kept some after one without", {backupsOff, keeps}, false},
        {"the last run undone", {keeps, keeps, undoesLatest}, false},
        {"a note that cannot be read", {keeps, backupsOff, spoilsNote}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        QDateTime before;
        for (const auto& step : c.steps) {
            before = QDateTime::currentDateTimeUtc().addMSecs(-1);
            step();
        }
        BackupStore store;
        const std::optional<QDateTime> keptNone = store.lastRunWithoutBackups(store.runs());
        ASSERT_EQ(keptNone.has_value(), c.keptNone);
        if (keptNone) {
            EXPECT_GE(*keptNone, before);
            EXPECT_LE(*keptNone, QDateTime::currentDateTimeUtc());
        }
    }

    // Where the store cannot be made, a run without backups goes on without its note.
    BackupStore blocked(box().write("a-file", "") + "/backups");
    blocked.beginRun("off", BackupRunMode::InPlace)->finish();
    EXPECT_FALSE(blocked.lastRunWithoutBackups({}));
}

TEST_F(BackupStoreTest, PruningRemovesTheOldestRunsFirstButNeverTheOneToKeep)
{
    const struct {
        const char* name;
        BackupLimits limits;
        int keep;               // index of the run to keep, oldest 0
        QList<int> left;        // runs left, newest first
        qint64 room;            // what the store may still take
        qint64 keepBytes = -1;  // what the run to keep is counted with, if given
    } cases[] = {
        {"within the limits", {}, 3, {3, 2, 1, 0}, (qint64(2) << 30) - 1000},
        {"by count", {2, qint64(1) << 30}, 3, {3, 2}, (qint64(1) << 30) - 700},
        {"by bytes", {10, 750}, 3, {3, 2}, 50},
        {"by bytes, the run to keep alone over them", {10, 100}, 3, {3}, -300},
        {"by count, keeping the oldest", {2, qint64(1) << 30}, 0, {3, 0}, (qint64(1) << 30) - 500},
        {"by bytes, the run to keep counted as it grows", {10, 750}, 3, {3}, 150, 600},
        {"by bytes, the run to keep counted before it keeps more", {10, 750}, 3, {3, 2, 1}, 50, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        const QStringList made = fourRuns();
        EXPECT_EQ(BackupStore().prune(c.limits, made[c.keep], c.keepBytes), c.room);
        QStringList expected;
        for (int i : c.left)
            expected << made[i];
        EXPECT_EQ(ids(), expected);
        EXPECT_EQ(runFolders().size(), expected.size());
    }

    // A run of many kept files goes whole, its folder with them.
    fresh();
    std::vector<std::pair<QString, QString>> jobs;
    for (int k = 0; k < 50; ++k) {
        const QString name = QString("m%1.txt").arg(k);
        box().write(name, "a");
        jobs.push_back({name, name});
    }
    run(jobs, {{"a", "b"}});
    const QString last = run({{"m0.txt", "m0.txt"}}, {{"b", "c"}});
    BackupStore().prune({1, qint64(1) << 30}, last);
    EXPECT_EQ(ids(), QStringList{last});
    EXPECT_EQ(runFolders().size(), 1);
}

TEST_F(BackupStoreTest, ARunStillGoingIsNeitherUndoneNorPrunedAndAnUnknownRunIsNoRun)
{
    box().write("a.txt", "a");
    BackupStore store;
    std::unique_ptr<BackupRun> going = store.beginRun("going", BackupRunMode::InPlace);
    CommitGroup group;
    group.setBackup(going.get());
    FileJob job;
    job.pairs = {{"a", "b"}};
    job.group = &group;
    ASSERT_TRUE(ProcessFile(box().path("a.txt"), box().path("a.txt"), job).ok);
    ASSERT_TRUE(group.flush().empty());

    QString problem;
    EXPECT_FALSE(store.undo(going->id(), {}, {}, &problem));
    EXPECT_EQ(problem, "The run " + going->id() + " is still going.");
    store.prune({0, 0}, QString());
    EXPECT_EQ(ids(), QStringList{going->id()});
    EXPECT_FALSE(store.undo("../backups", {}, {}, &problem));
    EXPECT_EQ(problem, "There is no run ../backups in " + store.folder() + ".");

    going->finish();
    EXPECT_TRUE(store.undo(going->id()));
    EXPECT_EQ(IoSandbox::read(box().path("a.txt")), "a");
}

TEST_F(BackupStoreTest, AStoppedUndoLeavesTheFilesNotReachedInTheRun)
{
    box().write("a.txt", "a");
    box().write("b.txt", "a");
    const QString id = run({{"a.txt", "a.txt"}, {"b.txt", "b.txt"}}, {{"a", "b"}});
    int yields = 0;
    const std::optional<RunReport> report =
        BackupStore().undo(id, [&yields] { ++yields; }, [&yields] { return yields > 1; });

    ASSERT_TRUE(report);
    EXPECT_EQ(rows(*report), (QStringList{"restored b.txt", "not reached a.txt"}));
    EXPECT_EQ(IoSandbox::read(box().path("a.txt")), "b");
    EXPECT_EQ(BackupStore().runs().at(0).files, 1);
}

} // namespace
} // namespace quorvane::test
