#include "filelist/FileListModel.h"
#include "filelist/ListFile.h"
#include "shell/Failure.h"
#include "shell/Prompts.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using quorvane::test::ScriptedPrompts;
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

TEST(LoadListFile, AppendsEntriesAndNamesAMissingListAndRefusedLines)
{
    TestEnv env;
    SetApplicationTitleText("Quorvane Test");
    ScriptedPrompts prompts;
    FileListModel list;
    list.addEntry("/already/there");
    LoadListFile(list, env.write("list.txt", "/already/there\r\n/new\r\n"), prompts);
    LoadListFile(list, env.path("missing.txt"), prompts);
    const QString oneNul = env.write("one.txt", QByteArray("/a\0b\n/c\n", 7));
    LoadListFile(list, oneNul, prompts);
    QByteArray many;
    for (int i = 1; i <= 12; ++i)
        many += QByteArray("/n\0", 3) + QByteArray::number(i) + "\n";
    const QString manyNul = env.write("many.txt", many);
    LoadListFile(list, manyNul, prompts);
    const QString notUtf8 = env.write("latin1.txt", "/caf\xE9\n/d\n");
    LoadListFile(list, notUtf8, prompts);

    EXPECT_EQ(list.entries(), QStringList({"/already/there", "/already/there", "/new", "/c", "/d"}));
    EXPECT_EQ(prompts.texts("notice"),
              QStringList({"File not found",
                           "Line 1 of " + oneNul
                               + " was not added: a file name cannot hold a NUL character.",
                           "Lines 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 2 more of " + manyNul
                               + " were not added: a file name cannot hold a NUL character.",
                           "These lines of " + notUtf8
                               + " were not added: the names are not valid UTF-8.\nline 1: /caf\\xE9"}));
    EXPECT_EQ(prompts.shown[0].title, "Quorvane Test");
}

} // namespace
} // namespace quorvane
