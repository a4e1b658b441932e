// Files and folders named on the program's command line ("Open With" from a
// file manager): added to the file list at start-up as a drop would add them.
#include "app/Form1.h"
#include "app/Startup.h"
#include "shell/ProgramFolder.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QDir>

#include <gtest/gtest.h>

#include <vector>

using namespace quorvane;
using quorvane::test::ScriptedPrompts;
using quorvane::test::TestEnv;

TEST(StartupPaths, NamesThatAreNotUtf8AreRefusedWithTheirBytesShownEscaped)
{
    struct Case {
        const char* name;
        const char* shown; // nullptr: taken as it is
    };
    const Case cases[] = {
        {"plain.txt", nullptr},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\x84.txt", nullptr},
        {"caf\xE9.txt", "caf\\xE9.txt"},
        {"\xC3\xA9\xFF", "\xC3\xA9\\xFF"},        // a valid letter stays readable
        {"cut\xC3", "cut\\xC3"},                  // a sequence cut short
        {"\xC0\xAF", "\\xC0\\xAF"},               // an overlong '/'
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},      // a surrogate
    };
    for (const Case& c : cases) {
        const char* argv[] = {"quorvane", c.name};
        const StartupPaths given = ReadStartupPaths(2, argv);
        if (c.shown) {
            EXPECT_EQ(given.paths, QStringList()) << c.shown;
            EXPECT_EQ(given.refused, QStringList(QString::fromUtf8(c.shown))) << c.shown;
        } else {
            EXPECT_EQ(given.paths, QStringList(QString::fromUtf8(c.name))) << c.name;
            EXPECT_EQ(given.refused, QStringList()) << c.name;
        }
    }
}

TEST(StartupPaths, FilesAndFoldersJoinTheListInOrderAndRefusedNamesGetOneNotice)
{
    TestEnv env;
    SetProgramFolder(env.mkdir("program"));
    const QString one = env.write("work/one.txt", "a");
    env.write("work/docs/a.txt", "a");
    env.write("work/docs/sub/b.md", "a");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(env.path("work")));

    ScriptedPrompts prompts;
    Form1 form(prompts);
    const char* argv[] = {"quorvane", "docs", "./one.txt", "bad\xE9", "../work/missing.txt", "x\xFF"};
    AddStartupPaths(form, ReadStartupPaths(6, argv));
    QDir::setCurrent(previous);

    const QString work = QDir(env.path("work")).absolutePath();
    EXPECT_EQ(form.fileList().entries(),
              QStringList({work + "/docs/a.txt", work + "/docs/sub/b.md", one, work + "/missing.txt"}));
    EXPECT_EQ(prompts.texts("notice"),
              QStringList("These files given at start-up were not added: their names are not valid "
                          "UTF-8.\r\rbad\\xE9\rx\\xFF"));
}
