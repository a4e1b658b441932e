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

TEST(ReadListFileEntries, GivesOneEntryPerLineWhateverTheLineEnds)
{
    TestEnv env;
    const QStringList expected{"/a/one.txt", "", "/b/two.txt"};
    EXPECT_EQ(ReadListFileEntries(env.write("crlf.txt", "/a/one.txt\r\n\r\n/b/two.txt\r\n")), expected);
    EXPECT_EQ(ReadListFileEntries(env.write("cr.txt", "/a/one.txt\r\r/b/two.txt\r")), expected);
    EXPECT_EQ(ReadListFileEntries(env.write("lf.txt", "/a/one.txt\n\n/b/two.txt\n")), expected);
    EXPECT_EQ(ReadListFileEntries(env.write("open.txt", "/a/one.txt\n\n/b/two.txt")), expected);
    EXPECT_EQ(ReadListFileEntries(env.write("mixed.txt", "x\r\ny\nz\rw")),
              QStringList({"x", "y", "z", "w"}));
}

TEST(ReadListFileEntries, DropsALeadingUtf8MarkAndKeepsTextVerbatim)
{
    TestEnv env;
    EXPECT_EQ(ReadListFileEntries(env.write("bom.txt", "\xEF\xBB\xBF/x/Gr\xC3\xBC\xC3\x9F" "e.txt\r\n  padded  \r\n")),
              QStringList({"/x/Grüße.txt", "  padded  "}));
    EXPECT_TRUE(ReadListFileEntries(env.write("empty.txt", "")).isEmpty());
    EXPECT_TRUE(ReadListFileEntries(env.write("bomonly.txt", "\xEF\xBB\xBF")).isEmpty());
    EXPECT_EQ(ReadListFileEntries(env.write("blank.txt", "\r\n")), QStringList({""}));
    EXPECT_THROW(ReadListFileEntries(env.path("missing.txt")), Failure);
    // A FIFO would block the window until something writes to it.
    ASSERT_EQ(mkfifo(QFile::encodeName(env.path("fifo")).constData(), 0644), 0);
    EXPECT_THROW(ReadListFileEntries(env.path("fifo")), Failure);
}

TEST(LoadListFile, AppendsEntriesAndSaysFileNotFoundForAMissingList)
{
    TestEnv env;
    SetApplicationTitleText("Quorvane Test");
    ScriptedPrompts prompts;
    FileListModel list;
    list.addEntry("/already/there");
    LoadListFile(list, env.write("list.txt", "/already/there\r\n/new\r\n"), prompts);
    LoadListFile(list, env.path("missing.txt"), prompts);

    EXPECT_EQ(list.entries(), QStringList({"/already/there", "/already/there", "/new"}));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, "notice");
    EXPECT_EQ(prompts.shown[0].text, "File not found");
    EXPECT_EQ(prompts.shown[0].title, "Quorvane Test");
}

} // namespace
} // namespace quorvane
