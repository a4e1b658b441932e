// The names under which paths reach one file: paths that meet must share a
// key, whatever links, relative folders or ".." lead there; and the look at a
// source the scheduler hands to its work, only where no earlier entry can
// change what the path reaches.
#include "engine/run/TargetKeys.h"
#include "engine/run/WorkerScheduler.h"

#include "tests/engine/IoSandbox.h"

#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <unistd.h>

using namespace quorvane;
using namespace quorvane::test;

namespace {

bool Meet(const FileKeys& a, const FileKeys& b)
{
    return std::any_of(a.key, a.key + a.count, [&b](quint64 k) { return std::find(b.key, b.key + b.count, k) != b.key + b.count; });
}

} // namespace

TEST(TargetKeys, PathsReachingOneFileMeetAndOthersDoNotWhetherTheFileExistsYetOrNot)
{
    IoSandbox box;
    box.write("d/sub/f.txt", "x");
    box.write("d/sub/g.txt", "x");
    ASSERT_EQ(::symlink("d/sub", QFile::encodeName(box.path("folderlink")).constData()), 0);
    ASSERT_EQ(::symlink("sub/f.txt", QFile::encodeName(box.path("d/filelink")).constData()), 0);
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(box.path("d")));
    struct Case {
        const char* a;
        const char* b;
        bool meet;
    } cases[] = {
        {"ROOT/d/sub/f.txt", "sub/f.txt", true},                 // relative to the working folder
        {"ROOT/d/sub/f.txt", "ROOT/folderlink/f.txt", true},     // through a folder link
        {"ROOT/d/sub/f.txt", "ROOT/d/filelink", true},           // a link to the file
        {"ROOT/d/sub/f.txt", "./sub/../sub/f.txt", true},
        {"ROOT/d/sub/new.txt", "ROOT/folderlink/new.txt", true}, // not there yet
        {"ROOT/d/sub/f.txt", "ROOT/d/sub/g.txt", false},
        {"ROOT/d/sub/new.txt", "ROOT/d/new.txt", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        const auto path = [&box](const char* p) { return QString(p).replace("ROOT", box.root()); };
        TargetKeys keys;   // both on one cache, and each on its own
        const FileKeys a = keys.of(path(c.a)), b = keys.of(path(c.b));
        EXPECT_EQ(Meet(a, b), c.meet);
        EXPECT_EQ(Meet(TargetKeys().of(path(c.b)), TargetKeys().of(path(c.a))), c.meet);
    }
    // A path through a missing folder cannot be told: its entry waits for all.
    EXPECT_EQ(TargetKeys().of(box.path("d/x/../sub/f.txt")).count, 0);
    QDir::setCurrent(cwd);
}

TEST(TargetKeys, AnEntryGetsTheSchedulersLookAtItsSourceOnlyWhenItFollowsNoEarlierEntry)
{
    IoSandbox box;
    box.write("a.txt", "x");
    box.write("b.txt", "yy");
    ASSERT_EQ(::symlink("b.txt", QFile::encodeName(box.path("link")).constData()), 0);
    struct Case {
        const char* source;
        const char* output;
        bool looked;
        qint64 size;   // of what the look saw
    } cases[] = {
        {"a.txt", "a.txt", true, 1},
        {"b.txt", "b.txt", true, 2},
        {"a.txt", "a.txt", false, 0},   // the same file again
        {"link", "link", false, 0},     // b.txt through a link
        {"missing.txt", "missing.txt", false, 0},
        {"new.txt", "b.txt", false, 0},  // writes b.txt
    };
    WorkerScheduler scheduler(2);
    std::vector<PathLook> looks(std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i)
        scheduler.submit(qsizetype(i), box.path(cases[i].source), box.path(cases[i].output), [] {}, &looks[i]);
    scheduler.drain();
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].source);
        EXPECT_EQ(looks[i].taken, cases[i].looked);
        EXPECT_EQ(looks[i].st.st_size, cases[i].size);
    }
}
