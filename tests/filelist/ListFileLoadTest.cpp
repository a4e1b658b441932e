#include "filelist/FileListModel.h"
#include "filelist/ListFileLoad.h"
#include "shell/Prompts.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

using quorvane::test::ScriptedPrompts;
using quorvane::test::TestEnv;

namespace quorvane {
namespace {

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

// Between the counts the first test covers, the plural sentence and the cut.
TEST(LoadListFile, NamesRefusedLinesInOneSentenceAtEveryCount)
{
    TestEnv env;
    const struct { int lines; QString numbers; } cases[] = {
        {2, "1, 2"},
        {10, "1, 2, 3, 4, 5, 6, 7, 8, 9, 10"},
        {11, "1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 1 more"},
    };
    for (const auto& c : cases) {
        const QString path = env.write(QString("nul%1.txt").arg(c.lines), QByteArray("\0\n", 2).repeated(c.lines));
        ScriptedPrompts prompts;
        FileListModel list;
        LoadListFile(list, path, prompts);
        EXPECT_EQ(prompts.texts("notice"), QStringList("Lines " + c.numbers + " of " + path
                                                       + " were not added: a file name cannot hold a NUL character."));
    }
}

} // namespace
} // namespace quorvane
