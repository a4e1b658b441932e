#include "filelist/ListFile.h"
#include "shell/Failure.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using quorvane::test::TestEnv;

namespace quorvane {
namespace {

TEST(ReadListFile, GivesOneEntryPerLineAndLeavesOutLinesHoldingANul)
{
    TestEnv env;
    const QStringList oneTwo{"/a/one.txt", "", "/b/two.txt"};
    const QString marked = QChar(0xFEFF) + QString("/m.txt");
    const struct { QByteArray bytes; QStringList entries; std::vector<qsizetype> nulLines; } cases[] = {
        {"/a/one.txt\r\n\r\n/b/two.txt\r\n", oneTwo, {}},
        {"/a/one.txt\r\r/b/two.txt\r", oneTwo, {}},
        {"/a/one.txt\n\n/b/two.txt\n", oneTwo, {}},
        {"/a/one.txt\n\n/b/two.txt", oneTwo, {}},
        {"x\r\ny\nz\rw", {"x", "y", "z", "w"}, {}},
        {"\xEF\xBB\xBF/x/Gr\xC3\xBC\xC3\x9F" "e.txt\r\n  padded  \r\n",
         {QString::fromUtf8("/x/Grüße.txt"), "  padded  "}, {}},
        // Only the mark at the very start of the file is not part of a line.
        {"\xEF\xBB\xBF\xEF\xBB\xBF/m.txt\n\xEF\xBB\xBF/m.txt", {marked, marked}, {}},
        {"", {}, {}},
        {"\xEF\xBB\xBF", {}, {}},
        {"\r\n", {""}, {}},
        {QByteArray("/ok\n/victim.txt\0.not-this\r\n/ok2\r\0\n", 34), {"/ok", "/ok2"}, {2, 4}},
    };
    int n = 0;
    for (const auto& c : cases) {
        const ListFileEntries read = ReadListFile(env.write(QString("list%1.txt").arg(n++), c.bytes));
        EXPECT_EQ(read.entries, c.entries) << c.bytes.toStdString();
        EXPECT_EQ(read.nulLines, c.nulLines) << c.bytes.toStdString();
    }
    EXPECT_THROW(ReadListFile(env.path("missing.txt")), Failure);
    // A FIFO would block the window until something writes to it.
    ASSERT_EQ(mkfifo(QFile::encodeName(env.path("fifo")).constData(), 0644), 0);
    EXPECT_THROW(ReadListFile(env.path("fifo")), Failure);
    EXPECT_EQ(NulLineReason(4), "line 4: a file name cannot hold a NUL character");
}

TEST(ParseList, NulSeparatedNamesAndNamesThatAreNotUtf8)
{
    const ListFileEntries nul = ParseNulList(QByteArray("a\nb\r\0\0\xEF\xBB\xBF" "c\0caf\xE9\0last", 20));
    EXPECT_EQ(nul.entries, QStringList({"a\nb\r", "", QChar(0xFEFF) + QString("c"), "last"}));
    EXPECT_EQ(nul.undecodableLines, (std::vector<std::pair<qsizetype, QByteArray>>{{4, "caf\xE9"}}));
    EXPECT_TRUE(ParseNulList("").entries.isEmpty());

    const ListFileEntries lines = ParseListFile("ok\r\nbad\xFF\r\n\xC3\xA9\r\n");
    EXPECT_EQ(lines.entries, QStringList({"ok", QString::fromUtf8("\xC3\xA9")}));
    EXPECT_EQ(lines.undecodableLines, (std::vector<std::pair<qsizetype, QByteArray>>{{2, "bad\xFF"}}));
}

} // namespace
} // namespace quorvane
