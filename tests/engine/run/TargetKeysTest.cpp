// The names under which paths reach one file: paths that meet must share a
// key, whatever links, relative folders or ".." lead there.
#include "engine/run/TargetKeys.h"

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
