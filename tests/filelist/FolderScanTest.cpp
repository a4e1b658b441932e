#include "filelist/FolderScan.h"
#include "filelist/NameOrder.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using quorvane::test::TestEnv;

namespace quorvane {
namespace {

QByteArray raw(const QString& path) { return QFile::encodeName(path); }

TEST(Wildcard, MatchesCaseInsensitivelyWithStarQuestionAndTheAnyNamePattern)
{
    EXPECT_TRUE(MatchesWildcard("Notes.TXT", "*.txt"));
    EXPECT_FALSE(MatchesWildcard("notes.txt.bak", "*.txt"));
    EXPECT_FALSE(MatchesWildcard("txt", "*.txt"));
    EXPECT_TRUE(MatchesWildcard("README", "*.*"));
    EXPECT_TRUE(MatchesWildcard(".hidden", "*.*"));
    EXPECT_TRUE(MatchesWildcard("a.b.c", "*.*"));
    EXPECT_TRUE(MatchesWildcard("ab.c", "a?.c"));
    EXPECT_FALSE(MatchesWildcard("a.c", "a?.c"));
    EXPECT_TRUE(MatchesWildcard("Ärger.TXT", "ä*.txt"));
    EXPECT_FALSE(MatchesWildcard("a.txt", "*..txt"));
    EXPECT_TRUE(MatchesWildcard("a..txt", "*..txt"));
}

TEST(ListFilesOfFolder, ListsOnlyReadableRegularFilesInCaseInsensitiveNameOrder)
{
    TestEnv env;
    env.write("d/b.txt", "x");
    env.write("d/B.TXT", "x");
    env.write("d/a.txt", "x");
    env.write("d/.dot.txt", "x");
    env.write("d/noext", "x");
    env.write("d/c.doc", "x");
    env.mkdir("d/folder.txt");
    ASSERT_EQ(mkfifo(raw(env.path("d/pipe.txt")).constData(), 0644), 0);
    ASSERT_EQ(symlink("missing", raw(env.path("d/dangling.txt")).constData()), 0);
    ASSERT_EQ(symlink("a.txt", raw(env.path("d/link.txt")).constData()), 0);
    const QString elsewhere = env.write("e/far.txt", "x");
    ASSERT_EQ(symlink(raw(elsewhere).constData(), raw(env.path("d/far.txt")).constData()), 0);

    EXPECT_EQ(ListFilesOfFolder(env.path("d"), "*.txt"),
              QStringList({".dot.txt", "a.txt", "B.TXT", "b.txt", "far.txt", "link.txt"}));
    EXPECT_EQ(ListFilesOfFolder(env.path("d/"), "*.*"),
              QStringList({".dot.txt", "a.txt", "B.TXT", "b.txt", "c.doc", "far.txt", "link.txt", "noext"}));
    EXPECT_TRUE(ListFilesOfFolder(env.path("missing"), "*.*").isEmpty());
    EXPECT_TRUE(ListFilesOfFolder("/dev", "null").isEmpty());
}

TEST(ListFilesOfFolder, OrdersByUpperCaseFormsAndKeepsALeadingMark)
{
    TestEnv env;
    const QString mark = QChar(0xFEFF) + QString("mark");
    for (const QString& name : {QString("_a"), QString("Z"), QString("my_file"), QString("[x]"),
                                QString("`q"), QString("b"), QString("myfile"), QString("A"), mark,
                                QString("éa"), QString("Éb"), QString("Éa")})
        env.write("d/" + name, "x");
    EXPECT_EQ(ListFilesOfFolder(env.path("d"), "*.*"),
              QStringList({"A", "b", "myfile", "my_file", "Z", "[x]", "_a", "`q", "Éa", "éa", "Éb", mark}));
}

TEST(HasUnsafeNameChar, FlagsInvalidUtf8ControlCharactersAndQuestionMark)
{
    EXPECT_FALSE(HasUnsafeNameChar(""));
    EXPECT_FALSE(HasUnsafeNameChar("plain name"));
    EXPECT_FALSE(HasUnsafeNameChar("Straße ✓"));
    EXPECT_TRUE(HasUnsafeNameChar("bad\xff"));
    EXPECT_TRUE(HasUnsafeNameChar("tab\there"));
    EXPECT_TRUE(HasUnsafeNameChar("del\x7f"));
    EXPECT_TRUE(HasUnsafeNameChar("c1\xc2\x85"));   // U+0085
    EXPECT_FALSE(HasUnsafeNameChar("nbsp\xc2\xa0")); // U+00A0
    EXPECT_TRUE(HasUnsafeNameChar("what?"));
}

TEST(FileAttributes, ComputesTheWholeValueFromMetadata)
{
    TestEnv env;
    const QString writable = env.write(".dot", "x");
    const QString readOnly = env.write(".ro", "x");
    ASSERT_EQ(chmod(raw(readOnly).constData(), 0444), 0);
    const QString plain = env.write("plain", "x");
    const QString dir = env.mkdir(".hiddendir");
    ASSERT_EQ(symlink(raw(plain).constData(), raw(env.path("lnk")).constData()), 0);

    EXPECT_EQ(FileAttributes(writable), 34);
    EXPECT_EQ(FileAttributes(readOnly), 35);
    EXPECT_EQ(FileAttributes(plain), 32);
    EXPECT_EQ(FileAttributes(dir), 18);
    EXPECT_EQ(FileAttributes(dir + "/"), 18);
    EXPECT_EQ(FileAttributes(env.path("lnk")), 1024 + 32);
    EXPECT_EQ(FileAttributes(env.path("missing")), -1);
}

} // namespace
} // namespace quorvane
