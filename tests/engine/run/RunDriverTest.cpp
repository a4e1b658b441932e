// The run driver through a scripted face: the rows of a run, stops, results
// that fail to land, files the run itself wrote, and backups. The cases marked
// for workers run with one file at a time and with three on worker threads.
#include "engine/backup/BackupStore.h"
#include "engine/files/FileAccess.h"
#include "engine/run/RunDriver.h"
#include "engine/run/WorkerScheduler.h"
#include "tests/engine/IoSandbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <new>
#include <random>
#include <set>
#include <thread>
#include <unistd.h>

using namespace quorvane;
using quorvane::test::IoSandbox;

namespace {

// A face that plans each entry from a script and notes what it is told.
class ScriptFace : public RunFace {
public:
    std::vector<EntryPlan> plans;
    std::function<bool(qsizetype index, int yields)> stopAt;   // asked as the run goes
    QStringList told;
    int yields = 0;
    qsizetype current = -1;

    qsizetype count() override { return qsizetype(plans.size()); }
    EntryPlan plan(qsizetype index) override
    {
        current = index;
        if (asks.count(index))
            told << QString("ask %1").arg(index);
        return plans[size_t(index)];
    }
    // Every plan is quiet but those of the entries in asks.
    std::optional<EntryPlan> planAhead(qsizetype index) override
    {
        return asks.count(index) ? std::nullopt : std::optional<EntryPlan>(plan(index));
    }
    std::set<qsizetype> asks;
    void yield() override { ++yields; }
    bool stopRequested() override { return stopAt && stopAt(current, yields); }
    QString describe(const FileError& error) override { return DescribeFileError(error); }
    void fileDone(qsizetype index, const RunReportRow& row, const FileError& error) override
    {
        told << QString("%1 %2 %3").arg(index).arg(RunOutcomeText(row.outcome), row.reason);
        if (error.failed())
            told.last() += QString(" (stage %1)").arg(int(error.stage));
    }
    void lateFailure(qsizetype index, const RunReportRow& row, const FileError&) override
    {
        told << QString("%1 late %2").arg(index).arg(row.reason);
    }
    std::optional<RunReportRow> unreached(qsizetype index) override
    {
        return RunReportRow{plans[size_t(index)].source, QString(), 0, RunOutcome::NotReached, QString()};
    }
};

EntryPlan Process(const QString& source, const QString& output, std::vector<Pair> pairs, bool skipEmpty = false)
{
    EntryPlan plan;
    plan.source = source;
    plan.output = output;
    plan.pairs = std::make_shared<const RunPairs>(std::move(pairs));
    plan.skipEmpty = skipEmpty;
    return plan;
}

EntryPlan Other(EntryPlan::Action action, const QString& source, const QString& failure = {})
{
    EntryPlan plan;
    plan.action = action;
    plan.source = source;
    plan.failure = failure;
    return plan;
}

QStringList Rows(const RunReport& report)
{
    QStringList rows;
    for (const RunReportRow& r : report.rows())
        rows << QString("%1|%2|%3|%4|%5")
                    .arg(QFileInfo(r.source).fileName(), QFileInfo(r.output).fileName())
                    .arg(r.replacements)
                    .arg(RunOutcomeText(r.outcome), r.reason);
    return rows;
}

// Runs face's entries with one file at a time (workers 1) or on workers.
RunReport RunWith(int workers, RunFace& face, RunOptions options = {})
{
    WorkerScheduler scheduler(workers);
    return RunDriver(face, std::move(options), workers > 1 ? &scheduler : nullptr).run();
}

class RunDriverWorkers : public testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Workers, RunDriverWorkers, testing::Values(1, 3));

} // namespace

TEST_P(RunDriverWorkers, EveryEntryGetsOneRowInListOrderAndTheFaceHearsOfEachFile)
{
    IoSandbox box;
    const QString a = box.write("a.txt", "cat cat"), same = box.write("same.txt", "dog");
    const QString empty = box.write("empty.txt", "");
    ScriptFace face;
    const std::vector<Pair> pairs{{"cat", "cow"}};
    face.plans = {Process(a, a, pairs),
                  Other(EntryPlan::Action::Fail, QString(), "Index out of bounds"),
                  Process(same, same, pairs),
                  Process(empty, empty, pairs, true),
                  Other(EntryPlan::Action::Skip, a),
                  Process(box.path("missing.txt"), box.path("missing.txt"), pairs),
                  Process(empty, box.path("no/out.txt"), pairs),
                  Process(box.path("gone.txt"), box.path("gone.txt"), pairs, true)};
    const RunReport report = RunWith(GetParam(), face);
    // A skip of an empty or unreadable file says which it is.
    EXPECT_EQ(Rows(report), (QStringList{"a.txt|a.txt|2|written|", "||0|failed|Index out of bounds",
                                         "same.txt|same.txt|0|unchanged|", "empty.txt|empty.txt|0|skipped|empty file",
                                         "a.txt||0|skipped|", "missing.txt|missing.txt|0|failed|File not found",
                                         "empty.txt|out.txt|0|failed|Path not found",
                                         "gone.txt|gone.txt|0|skipped|cannot be read: File not found"}));
    EXPECT_EQ(face.told, (QStringList{"0 written ", "2 unchanged ", "3 skipped empty file",
                                      "5 failed File not found (stage 1)", "6 failed Path not found (stage 3)",
                                      "7 skipped cannot be read: File not found"}));
    EXPECT_FALSE(report.stopped());
    EXPECT_EQ(IoSandbox::read(a), "cow cow");
    EXPECT_EQ(box.entries(), (QStringList{"a.txt", "empty.txt", "same.txt"}));
}

TEST(RunDriver, AStopAbandonsTheFileInHandLandsWhatIsCompleteAndListsTheRestAsNotReached)
{
    const struct {
        const char* name;
        qsizetype stopIndex;   // the entry in hand when the stop comes
        int afterYields;       // ... once this many yields were made in all
        QStringList rows;
    } cases[] = {
        {"before the first entry", 0, 0, {"a.txt||0|not reached|", "big.txt||0|not reached|", "c.txt||0|not reached|"}},
        {"within the big file", 1, 6, {"a.txt|a.txt|1|written|", "big.txt||0|not reached|", "c.txt||0|not reached|"}},
        {"once the big file is done", 1, 1 << 30, {"a.txt|a.txt|1|written|", "big.txt|big.txt|0|unchanged|",
                                                   "c.txt|c.txt|1|written|"}},
    };
    for (const auto& c : cases) {
        IoSandbox box;
        const QString a = box.write("a.txt", "x"), c3 = box.write("c.txt", "x");
        const QByteArray big = QByteArray(5 << 16, 'y');
        const QString b = box.write("big.txt", big);
        ScriptFace face;
        face.plans = {Process(a, a, {{"x", "z"}}), Process(b, b, {{"x", "z"}}), Process(c3, c3, {{"x", "z"}})};
        face.stopAt = [&c](qsizetype index, int yields) { return index >= c.stopIndex && yields >= c.afterYields; };
        const RunReport report = RunDriver(face, {}).run();
        EXPECT_EQ(Rows(report), c.rows) << c.name;
        EXPECT_EQ(report.stopped(), c.afterYields < (1 << 30)) << c.name;
        EXPECT_EQ(IoSandbox::read(a), c.stopIndex > 0 ? "z" : "x") << c.name;
        EXPECT_TRUE(IoSandbox::read(b) == big) << c.name;
        EXPECT_EQ(box.entries(), (QStringList{"a.txt", "big.txt", "c.txt"})) << c.name;
    }
}

TEST(RunDriver, AFullGroupOfResultsLandsDuringTheRunNotOnlyAtItsEnd)
{
    // The run's group holds 2048 results; the entry after them sees the first landed.
    struct Face : ScriptFace {
        QByteArray firstWhenLastTold;
        void fileDone(qsizetype index, const RunReportRow& row, const FileError& error) override
        {
            if (index + 1 == count())
                firstWhenLastTold = IoSandbox::read(plans[0].source);
            ScriptFace::fileDone(index, row, error);
        }
    } face;
    IoSandbox box;
    for (int k = 0; k < 2049; ++k) {
        const QString f = box.write(QString("f%1.txt").arg(k), "a");
        face.plans.push_back(Process(f, f, {{"a", "b"}}));
    }
    const QStringList rows = Rows(RunWith(1, face));
    EXPECT_EQ(rows.filter("|written|").size(), 2049);
    EXPECT_EQ(face.firstWhenLastTold, "b");
}

TEST(RunDriver, AFileIsWorkedInStretchesWithAYieldForEach)
{
    IoSandbox box;
    const QString big = box.write("big.txt", QByteArray(5 * 65536, 'a'));
    ScriptFace face;
    face.plans = {Process(big, box.path("out.txt"), {{"b", "c"}})};
    RunDriver(face, {}).run();
    EXPECT_GE(face.yields, 5);
}

TEST(RunDriver, AResultThatFailsToLandIsToldAtOnceAndItsRowTurnsFailed)
{
    IoSandbox box;
    const QString a = box.write("a.txt", "cat"), b = box.write("b.txt", "cat");
    ScriptFace face;
    face.plans = {Process(a, a, {{"cat", "cow"}}), Process(b, b, {{"cat", "cow"}})};
    // After a's result waits, its target turns into a folder: it cannot be replaced.
    face.stopAt = [&](qsizetype index, int) {
        if (index == 1 && QFileInfo(a).isFile()) {
            QFile::remove(a);
            box.mkdir("a.txt");
        }
        return false;
    };
    const RunReport report = RunDriver(face, {}).run();
    EXPECT_EQ(Rows(report), (QStringList{"a.txt|a.txt|0|failed|Is a directory", "b.txt|b.txt|1|written|"}));
    EXPECT_EQ(face.told, (QStringList{"0 written ", "1 written ", "0 late Is a directory"}));
    EXPECT_EQ(IoSandbox::read(b), "cow");
}

TEST_P(RunDriverWorkers, AnEntryReadingAFileTheRunWroteSeesItsNewBytes)
{
    // The second entry reads the first one's output by another name; the third
    // is sized after the result that fills it, not skipped as the empty file it was.
    IoSandbox box;
    const QString source = box.write("src/a.txt", "a"), filled = box.write("src/e.txt", "a");
    box.write("out/e.txt", "");
    const QString link = box.path("link.txt");
    ASSERT_TRUE(QFile::link(box.path("out/a.txt"), link));
    ScriptFace face;
    const std::vector<Pair> pairs{{"a", "ab"}};
    face.plans = {Process(source, box.path("out/a.txt"), pairs), Process(link, link, pairs),
                  Process(filled, box.path("out/e.txt"), pairs),
                  Process(box.path("out/e.txt"), box.path("out/e2.txt"), pairs, true)};
    const RunReport report = RunWith(GetParam(), face);
    EXPECT_EQ(Rows(report), (QStringList{"a.txt|a.txt|1|written|", "link.txt|link.txt|1|written|",
                                         "e.txt|e.txt|1|written|", "e.txt|e2.txt|1|written|"}));
    EXPECT_EQ(IoSandbox::read(box.path("out/a.txt")), "abb");
    EXPECT_EQ(IoSandbox::read(box.path("out/e2.txt")), "abb");
}

TEST_P(RunDriverWorkers, AFailureThrownWhileAFileRunsFailsThatFileAndTheRunGoesOn)
{
    IoSandbox box;
    const QString a = box.write("a.txt", "x"), b = box.write("b.txt", "x");
    ScriptFace face;
    face.plans = {Process(a, a, {{"x", "y"}}), Process(b, b, {{"x", "y"}})};
    RunOptions options;
    options.process = [](const QString& source, const QString& output, const FileJob& job) {
        if (source.endsWith("a.txt"))
            throw std::bad_alloc();
        return ProcessFile(source, output, job);
    };
    const RunReport report = RunWith(GetParam(), face, options);
    EXPECT_EQ(Rows(report), (QStringList{"a.txt|a.txt|0|failed|std::bad_alloc", "b.txt|b.txt|1|written|"}));
    EXPECT_EQ(IoSandbox::read(a), "x");
}

TEST_P(RunDriverWorkers, BackupsAreKeptForARunAndARunThatCannotKeepThemIsRefusedFirst)
{
    IoSandbox box;
    const QString a = box.write("a.txt", "cat");
    ScriptFace face;
    face.plans = {Process(a, a, {{"cat", "dog"}})};
    RunOptions options;
    BackupStore refusing(box.write("store-is-a-file", "x") + "/backups");
    options.backups = &refusing;
    EXPECT_EQ(RunDriver(face, options).refusal(), "Not a directory");
    options.dryRun = true;
    EXPECT_EQ(RunDriver(face, options).refusal(), "");

    BackupStore store(box.path("backups"));
    options.dryRun = false;
    options.backups = &store;
    options.backupDescription = "in place";
    WorkerScheduler scheduler(GetParam());
    RunDriver driver(face, options, GetParam() > 1 ? &scheduler : nullptr);
    ASSERT_EQ(driver.refusal(), "");
    driver.run();
    EXPECT_EQ(IoSandbox::read(a), "dog");
    const std::vector<BackupRunInfo> runs = store.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].description, "in place");
    EXPECT_EQ(runs[0].files, 1);
    ASSERT_TRUE(store.undo(runs[0].id).has_value());
    EXPECT_EQ(IoSandbox::read(a), "cat");
}

TEST(RunDriver, EntriesSharingFilesOnSeveralWorkersGiveWhatOneFileAtATimeGives)
{
    // Sixty entries over eight files, reached by their paths, a link, a hard
    // link and outputs that later entries read, every entry growing its file.
    std::mt19937 random(7);
    std::vector<std::pair<QString, QString>> entries;   // relative source, output
    const QStringList names{"f0", "f1", "f2", "f3", "f4", "f5", "link0", "hard1", "out/f2", "out/f3"};
    for (int k = 0; k < 60; ++k) {
        const QString source = names[int(random() % names.size())];
        entries.emplace_back(source, random() % 3 == 0 && !source.startsWith("out") ? "out/" + source : source);
    }
    QStringList rows[2], told[2];
    std::vector<QByteArray> bytes[2];
    for (const int workers : {1, 3}) {
        IoSandbox box;
        for (int f = 0; f < 6; ++f)
            box.write(QString("f%1").arg(f), QByteArray("a-").repeated(f + 1));
        box.mkdir("out");
        ASSERT_TRUE(QFile::link("f0", box.path("link0")));
        ASSERT_EQ(::link(QFile::encodeName(box.path("f1")).constData(),
                         QFile::encodeName(box.path("hard1")).constData()), 0);
        ScriptFace face;
        for (const auto& [source, output] : entries)
            face.plans.push_back(Process(box.path(source), box.path(output), {{"a", "ab"}}, true));
        BackupStore store(box.path("backups"));
        RunOptions options;
        options.backups = &store;
        const int at = workers > 1;
        rows[at] = Rows(RunWith(workers, face, options));
        told[at] = face.told;
        for (const QString& name : names + QStringList{"out/f0", "out/f1", "out/f4", "out/f5", "out/link0", "out/hard1"})
            bytes[at].push_back(IoSandbox::read(box.path(name)));
        ASSERT_EQ(store.runs().size(), 1u);
        EXPECT_EQ(store.runs()[0].files, rows[at].filter("|written|").size()) << workers;
    }
    EXPECT_EQ(rows[1], rows[0]);
    EXPECT_EQ(told[1], told[0]);
    EXPECT_EQ(bytes[1], bytes[0]);
    EXPECT_TRUE(rows[0].filter("same file as entry").size() > 0 && rows[0].filter("|written|").size() > 30);
}

TEST(RunDriver, AStopOnSeveralWorkersAbandonsEveryFileInHandAndKeepsTheFilesAlreadyComplete)
{
    IoSandbox box;
    const QString a = box.write("a.txt", "x"), big = box.write("big.txt", "x"), c = box.write("c.txt", "x"),
                  d = box.write("d.txt", "x");
    ScriptFace face;
    face.plans = {Process(a, a, {{"x", "z"}}), Process(big, big, {{"x", "z"}}), Process(c, c, {{"x", "z"}}),
                  Process(d, d, {{"x", "z"}})};
    // big and d stay in hand until the stop, which comes once c is complete.
    std::atomic<bool> cDone{false};
    face.stopAt = [&](qsizetype, int) { return cDone.load(); };
    RunOptions options;
    options.process = [&](const QString& source, const QString& output, const FileJob& job) {
        for (int waited = 0; source != a && source != c && !job.cancelled() && waited < 20000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const FileOutcome outcome = ProcessFile(source, output, job);
        cDone = cDone || source == c;
        return outcome;
    };
    const RunReport report = RunWith(3, face, options);
    EXPECT_EQ(Rows(report), (QStringList{"a.txt|a.txt|1|written|", "big.txt||0|not reached|",
                                         "c.txt|c.txt|1|written|", "d.txt||0|not reached|"}));
    EXPECT_TRUE(report.stopped());
    EXPECT_EQ(face.told, (QStringList{"0 written ", "2 written "}));
    EXPECT_EQ(IoSandbox::read(c), "z");
    EXPECT_EQ(IoSandbox::read(big) + IoSandbox::read(d), "xx");
    EXPECT_EQ(box.entries(), (QStringList{"a.txt", "big.txt", "c.txt", "d.txt"}));
}

TEST(RunDriver, AnEntryWhosePlanMayAskWaitsUntilEveryEarlierEntryIsTold)
{
    IoSandbox box;
    ScriptFace face;
    for (const char* name : {"a", "b", "c", "d"}) {
        const QString path = box.write(name, "x");
        face.plans.push_back(Process(path, path, {{"x", "y"}}));
    }
    face.asks = {2};
    RunWith(3, face);
    EXPECT_EQ(face.told, (QStringList{"0 written ", "1 written ", "ask 2", "2 written ", "3 written "}));
}

// Options keeping backups in store, pruned to limits.
static RunOptions KeepingIn(BackupStore& store, BackupLimits limits)
{
    RunOptions options;
    options.backups = &store;
    options.backupLimits = limits;
    return options;
}

TEST_P(RunDriverWorkers, ARunThatLandsGroupsAsItGoesLeavesTheStorePrunedToItsLimits)
{
    // Pruning starts beside the run once its first group stands; what is left
    // is what pruning after it leaves: the run and the newest run before it.
    IoSandbox box;
    BackupStore store(box.path("backups"));
    RunOptions options = KeepingIn(store, {2, qint64(1) << 40});
    QStringList before;
    for (const char* word : {"one", "two"}) {
        const QString f = box.write(QString("%1.txt").arg(word), "a");
        ScriptFace face;
        face.plans = {Process(f, f, {{"a", "b"}})};
        RunDriver(face, options).run();
        before.prepend(store.runs().front().id);
    }
    ScriptFace face;
    for (int k = 0; k < 2049; ++k) {
        const QString f = box.write(QString("f%1.txt").arg(k), "a");
        face.plans.push_back(Process(f, f, {{"a", "b"}}));
    }
    WorkerScheduler scheduler(GetParam());
    RunDriver(face, options, GetParam() > 1 ? &scheduler : nullptr).run();
    const std::vector<BackupRunInfo> runs = store.runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].files, 2049);
    EXPECT_EQ(runs[1].id, before[0]);
    EXPECT_TRUE(QFileInfo::exists(box.path("backups/" + before[0])));
    EXPECT_FALSE(QFileInfo::exists(box.path("backups/" + before[1])));
}

TEST(RunDriver, ALongResultHasTheStorePrunedForItsOldFileWhileItIsStillBeingWritten)
{
    // The store's byte limit leaves room for one 5 MB file: the run before
    // goes as soon as the long result starts to be written, not after it lands.
    IoSandbox box;
    BackupStore store(box.path("backups"));
    RunOptions options = KeepingIn(store, {50, qint64(6) << 20});
    QByteArray text;
    for (int i = 0; text.size() < 5 * (1 << 20); ++i)
        text += "a" + QByteArray::number(i) + ' ';
    const QString big = box.write("big.txt", text);
    {
        ScriptFace face;
        face.plans = {Process(big, big, {{"a", "b"}})};
        RunDriver(face, options).run();
    }
    const QString before = store.runs().front().id;
    bool goneBeforeLanding = false;
    options.process = [&](const QString& source, const QString& output, const FileJob& job) {
        const FileOutcome outcome = ProcessFile(source, output, job);
        const QString folder = box.path("backups/" + before);
        for (int waited = 0; QFileInfo::exists(folder) && waited < 10000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        goneBeforeLanding = !QFileInfo::exists(folder) && IoSandbox::read(big).startsWith("b0 ");
        return outcome;
    };
    ScriptFace face;
    face.plans = {Process(big, big, {{"b", "c"}})};
    RunDriver(face, options).run();
    EXPECT_TRUE(goneBeforeLanding);
    const std::vector<BackupRunInfo> runs = store.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].files, 1);
    EXPECT_TRUE(IoSandbox::read(big).startsWith("c0 "));
}
