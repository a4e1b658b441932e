// Tree scans over a real source tree: version-control metadata, symbolic
// links (a loop among them), dotfiles and "~" files, under each set of options.
#include "filelist/FolderScan.h"
#include "tests/support/GitRepo.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using quorvane::test::TestEnv;

namespace quorvane {
namespace {

QByteArray raw(const QString& path) { return QFile::encodeName(path); }

// A checkout "top" with one commit, every kind of version-control folder, a
// worktree's .git file, links to files and folders (one back up the tree),
// dotfiles, a "~" file, and "far" beside it that a link leads to.
bool MakeSourceTree(const TestEnv& env)
{
    for (const char* name : {"a.txt", ".dot.txt", ".ro.txt", "~lock.txt", ".config/k.txt", ".hg/h.txt",
                             ".svn/s.txt", ".bzr/b.txt", "_darcs/d.txt", "CVS/c.txt", "sub/c.txt", "wt/w.txt"})
        env.write("top/" + QString(name), "x");
    env.write("far/f.txt", "x");
    const QString top = env.path("top");
    if (!test::CommitCheckout(top, {"a.txt"}))
        return false;
    env.write("top/.git/note.txt", "x");
    env.write("top/wt/.git", "gitdir: ../.git/worktrees/wt\n");
    const struct {
        const char* target;
        const char* link;
    } links[] = {{"a.txt", "b.txt"}, {"a.txt", ".l.txt"}, {"missing", "gone.txt"},
                 {"sub", "linked"}, {"../far", "outside"}, {"..", "sub/up"}};
    for (const auto& l : links)
        if (symlink(l.target, raw(top + '/' + l.link).constData()) != 0)
            return false;
    return chmod(raw(top + "/.ro.txt").constData(), 0444) == 0;
}

TEST(SourceTreeScan, TakesWhatEachSetOfOptionsAsksForAndNeverLoops)
{
    if (!test::HasGit())
        GTEST_SKIP() << "git is not installed";
    TestEnv env;
    ASSERT_TRUE(MakeSourceTree(env));
    using Links = ScanOptions::Links;
    const struct {
        const char* what;
        ScanOptions options;
        QStringList files;
    } cases[] = {
        {"the window's scan: links to files as their files, dotfiles by the write bit (a link is no dotfile)",
         {},
         {".l.txt", ".ro.txt", "a.txt", "b.txt", ".config/k.txt", "sub/c.txt", "wt/w.txt"}},
        {"no links",
         {.links = Links::None},
         {".ro.txt", "a.txt", ".config/k.txt", "sub/c.txt", "wt/w.txt"}},
        {"no links, hidden files taken; the .git file still left out",
         {.links = Links::None, .hidden = true},
         {".dot.txt", ".ro.txt", "a.txt", "~lock.txt", ".config/k.txt", "sub/c.txt", "wt/w.txt"}},
        {"no links, version-control folders entered; the .git file is a writable dotfile",
         {.includeVcs = true, .links = Links::None},
         {".ro.txt", "a.txt", ".bzr/b.txt", ".config/k.txt", ".git/note.txt", ".hg/h.txt", ".svn/s.txt",
          "CVS/c.txt", "sub/c.txt", "wt/w.txt", "_darcs/d.txt"}},
        {"no links, version-control metadata and hidden files",
         {.includeVcs = true, .links = Links::None, .hidden = true},
         {".dot.txt", ".ro.txt", "a.txt", "~lock.txt", ".bzr/b.txt", ".config/k.txt", ".git/note.txt",
          ".hg/h.txt", ".svn/s.txt", "CVS/c.txt", "sub/c.txt", "wt/.git", "wt/w.txt", "_darcs/d.txt"}},
        {"links followed: a linked folder is entered, the way back up is not; a link is judged by its file",
         {.links = Links::All},
         {".ro.txt", "a.txt", "b.txt", ".config/k.txt", "linked/c.txt", "outside/f.txt", "sub/c.txt",
          "wt/w.txt"}},
        {"links followed, hidden files taken, dot-folders skipped",
         {.skipHiddenFolders = true, .links = Links::All, .hidden = true},
         {".dot.txt", ".l.txt", ".ro.txt", "a.txt", "b.txt", "~lock.txt", "linked/c.txt", "outside/f.txt",
          "sub/c.txt", "wt/w.txt"}},
    };
    const QString top = env.path("top");
    for (const auto& c : cases) {
        QStringList expected;
        for (const QString& file : c.files)
            expected << top + '/' + file;
        EXPECT_EQ(CollectFolderFiles(top, QStringList{"TXT", "git"}, {}, {}, c.options), expected) << c.what;
    }
}

TEST(SourceTreeScan, ScansAVersionControlFolderAskedForByNameAndMatchesAnyOfSeveralExtensions)
{
    TestEnv env;
    env.write("top/.git/HEAD", "ref: refs/heads/main\n");
    env.write("top/.git/a.cpp", "x");
    env.write("top/.git/b.H", "x");
    env.write("top/.git/c.txt", "x");
    const QString git = env.path("top/.git");
    EXPECT_EQ(CollectFolderFiles(git, QStringList{"cpp", "h"}, {}),
              QStringList({git + "/a.cpp", git + "/b.H"}));
    EXPECT_EQ(CollectFolderFiles(env.path("top"), "*", {}), QStringList());
}

} // namespace
} // namespace quorvane
