#include "engine/files/PathHelpers.h"
#include "tests/engine/IoSandbox.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorvane;
using quorvane::test::IoSandbox;

TEST(PathHelpers, NormalizePathCollapsesPairsInOnePassAndKeepsTheRootAsGiven)
{
    const struct { const char* in; const char* out; } cases[] = {
        {"", ""},
        {"/", "/"},
        {"//", "//"},
        {"///", "//"},
        {"/dir/x", "/dir/x"},               // a rooted path keeps its single slash
        {"//server/share//x", "//server/share/x"},
        {"////server/x", "//server/x"},
        {"/out//name.txt", "/out/name.txt"},
        {"a//b", "a/b"},
        {"a///b", "a//b"},                  // single pass: three become two
        {"a////b", "a//b"},                 // four become two
        {"c:/a/b", "c:/a/b"},
        {"dir//", "dir/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizePath(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(PathHelpers, FileNameOfPathIsEverythingAfterTheLastSlash)
{
    EXPECT_EQ(FileNameOfPath("/a/b.txt"), "b.txt");
    EXPECT_EQ(FileNameOfPath("b.txt"), "b.txt");
    EXPECT_EQ(FileNameOfPath("/a/"), "");
    EXPECT_EQ(FileNameOfPath(""), "");
    EXPECT_EQ(FileNameOfPath("a\\b.txt"), "a\\b.txt");   // a backslash is an ordinary character here
}

TEST(PathHelpers, ExistenceChecksTellFilesFromFoldersAndSwallowFailures)
{
    IoSandbox box;
    const QString file = box.write("f.txt", "x");
    const QString folder = box.mkdir("sub");

    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(folder));   // folders have a modification time too
    EXPECT_FALSE(FileExists(box.path("missing.txt")));
    EXPECT_FALSE(FileExists(""));

    EXPECT_TRUE(FolderExists(folder));
    EXPECT_TRUE(FolderExists(folder + "/"));
    EXPECT_FALSE(FolderExists(file));
    EXPECT_FALSE(FolderExists(file + "/"));
    EXPECT_FALSE(FolderExists(box.path("missing")));
    EXPECT_FALSE(FolderExists(""));
}

TEST(PathHelpers, FileSize2CountsOnlyReadableRegularFiles)
{
    IoSandbox box;
    EXPECT_EQ(FileSize2(box.write("empty.txt", "")), 0);
    EXPECT_EQ(FileSize2(box.write("five.txt", "12345")), 5);
    EXPECT_EQ(FileSize2(box.path("missing.txt")), -1);
    EXPECT_EQ(FileSize2(box.mkdir("folder")), -1);
    EXPECT_EQ(FileSize2(""), -1);

    const QString fifo = box.path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    EXPECT_EQ(FileSize2(fifo), -1);   // and it returns: no open that waits for a writer

    ASSERT_EQ(::symlink("five.txt", QFile::encodeName(box.path("link.txt")).constData()), 0);
    EXPECT_EQ(FileSize2(box.path("link.txt")), 5);   // links are followed
}

TEST(PathHelpers, FileSize2ReportsTheFullSizeOfFilesOf2GiBAndMore)
{
    IoSandbox box;
    const QString big = box.write("big.bin", "");
    const qint64 size = (qint64(1) << 32) + 7;   // low 32 bits alone would read as 7
    const int fd = ::open(QFile::encodeName(big).constData(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);   // sparse: takes no room
    ::close(fd);
    EXPECT_EQ(FileSize2(big), size);
}
