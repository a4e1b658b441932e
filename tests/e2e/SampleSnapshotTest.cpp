// The samples as the main window sees them: recorded at start-up, loaded and
// explained by the window's own buttons.
#include "app/Form1.h"
#include "shell/ProgramFolder.h"
#include "shell/Settings.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace quorvane;
using quorvane::test::ScriptedPrompts;
using quorvane::test::TestEnv;

namespace {

const QString kAbsent = "<absent>";

// One start of the program: the window's start-up runs in the constructor.
void StartOnce()
{
    ScriptedPrompts prompts;
    Form1 window(prompts);
    EXPECT_TRUE(prompts.texts("error").isEmpty()) << qPrintable(prompts.texts("error").join("\n"));
}

} // namespace

TEST(SampleSnapshot, FirstStartRecordsTheSamplesInNameOrderAndLaterStartsLeaveThemAlone)
{
    TestEnv env;
    const QString program = env.mkdir("program");
    SetProgramFolder(program);
    env.write("program/Samples/b.txt", "b");
    env.write("program/Samples/A.txt", "a");
    env.write("program/Samples/c.txt", "c");
    const QString recorded = program + "/Samples/A.txt|" + program + "/Samples/b.txt|" + program
        + "/Samples/c.txt";

    StartOnce();
    EXPECT_EQ(ReadSetting("Snapshot", kAbsent), recorded);

    QFile::remove(program + "/Samples/b.txt");
    env.write("program/Samples/d.txt", "d");
    StartOnce();
    EXPECT_EQ(ReadSetting("Snapshot", kAbsent), recorded);
}

TEST(SampleSnapshot, AnEmptyOrMissingSamplesFolderIsTriedAgainAtTheNextStart)
{
    TestEnv env;
    const QString program = env.mkdir("program");
    SetProgramFolder(program);

    StartOnce(); // no Samples folder at all
    EXPECT_EQ(ReadSetting("Snapshot", kAbsent), "");

    env.mkdir("program/Samples");
    StartOnce(); // an empty one
    EXPECT_EQ(ReadSetting("Snapshot", kAbsent), "");

    env.write("program/Samples/only.txt", "a");
    StartOnce();
    EXPECT_EQ(ReadSetting("Snapshot", kAbsent), program + "/Samples/only.txt");
}

TEST(SampleSnapshot, TheWindowsButtonsLoadTheSamplesWithTheExampleAndShowTheHelp)
{
    TestEnv env;
    const QString program = env.mkdir("program");
    SetProgramFolder(program);
    const QString one = env.write("program/Samples/one.txt", "banana");
    const QString two = env.write("program/Samples/two.txt", "apple");
    ScriptedPrompts prompts;
    Form1 window(prompts);
    window.tabs()->setCurrentIndex(1);
    window.findText()->setPlainText("x");
    prompts.shown.clear();

    window.pushButton(8)->click();
    window.pushButton(8)->click();
    window.pushButton(10)->click();

    EXPECT_EQ(window.fileList().entries(), QStringList({one, two}));
    EXPECT_EQ(window.findText()->toPlainText(), "a");
    EXPECT_EQ(window.replaceText()->toPlainText(), "b");
    EXPECT_EQ(window.tabs()->currentIndex(), 0);
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[0].kind, "question");
    EXPECT_EQ(prompts.shown[1].kind, "question");
    EXPECT_EQ(prompts.shown[2].kind, "notice");
    EXPECT_TRUE(prompts.shown[2].text.startsWith("This software is intended"));
}
