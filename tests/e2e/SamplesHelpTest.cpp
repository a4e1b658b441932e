// "Load Sample/Example Files" and "Help" through scripted prompts.
#include "app/Help.h"
#include "app/LoadSamples.h"
#include "filelist/FileListModel.h"
#include "shell/Failure.h"
#include "shell/ProgramFolder.h"
#include "shell/Prompts.h"
#include "shell/Settings.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QUrl>

#include <gtest/gtest.h>

using namespace quorvane;
using quorvane::test::ScriptedPrompts;
using quorvane::test::TestEnv;

namespace {

const QString kQuestion = "Would you like this software to open the folder where these sample "
                          "files are stored (so that you can view them before working with them)?";

// The single-pair boxes and the tabs as the button finds them on the window.
struct Boxes {
    QPlainTextEdit find;
    QPlainTextEdit replace;
    QTabWidget tabs;
    Boxes()
    {
        tabs.addTab(new QWidget, "Single find and replace");
        tabs.addTab(new QWidget, "Multiple find and replace (sets)");
        find.setPlainText("old find\nsecond line");
        replace.setPlainText("old replace");
        tabs.setCurrentIndex(1);
    }
};

class SamplesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetApplicationTitleText("Quorvane");
        SetProgramFolder(env.mkdir("program"));
        one = env.write("program/Samples/one.txt", "a");
        two = env.write("program/Samples/two.txt", "aa");
        three = env.write("program/Samples/three.txt", "aaa");
    }
    void press() { LoadSamplesButton(list, &boxes.find, &boxes.replace, &boxes.tabs, prompts); }

    TestEnv env;
    ScriptedPrompts prompts;
    FileListModel list;
    Boxes boxes;
    QString one, two, three;
};

} // namespace

TEST_F(SamplesTest, PressingTwiceAddsEachRecordedFileOnceAndAsksBothTimes)
{
    WriteSetting("Snapshot", one + "|" + two + "|" + three);
    list.addEntry(two);
    prompts.answers = {false, true};

    press();
    EXPECT_EQ(list.entries(), QStringList({two, one, three}));
    press();
    EXPECT_EQ(list.entries(), QStringList({two, one, three}));

    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.texts("question"), QStringList({kQuestion, kQuestion}));
    EXPECT_EQ(prompts.shown[0].title, "Quorvane");
    // Only the Yes opens the folder, as a local-file address (no shell involved).
    EXPECT_EQ(prompts.shown[2].kind, "url");
    EXPECT_EQ(prompts.shown[2].text, QUrl::fromLocalFile(env.path("program") + "/Samples/").toString());
    EXPECT_TRUE(prompts.texts("error").isEmpty());
}

TEST_F(SamplesTest, ADeletedSampleIsSkippedAndOneAddedLaterIsNotLoaded)
{
    WriteSetting("Snapshot", one + "|" + two + "|" + three);
    QFile::remove(two);
    env.write("program/Samples/four.txt", "a later file");

    press();

    EXPECT_EQ(list.entries(), QStringList({one, three}));
    EXPECT_EQ(prompts.texts("question"), QStringList({kQuestion}));
    EXPECT_TRUE(prompts.texts("url").isEmpty());
}

TEST_F(SamplesTest, TheButtonFillsTheExampleAndShowsTheFirstTabWhateverWasThere)
{
    WriteSetting("Snapshot", one);

    press();

    EXPECT_EQ(boxes.find.toPlainText(), "a");
    EXPECT_EQ(boxes.replace.toPlainText(), "b");
    EXPECT_EQ(boxes.tabs.currentIndex(), 0);
    EXPECT_EQ(list.entries(), QStringList({one}));
}

TEST_F(SamplesTest, WithoutARecordedSnapshotNothingIsAddedButTheQuestionIsStillAsked)
{
    press(); // key never written
    WriteSetting("Snapshot", "");
    press(); // recorded while the folder was empty

    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(prompts.texts("question"), QStringList({kQuestion, kQuestion}));
    EXPECT_EQ(boxes.find.toPlainText(), "a");
}

TEST_F(SamplesTest, PathsAreComparedAsWrittenSoAnotherSpellingIsNotADuplicate)
{
    // The list holds texts, not files: another spelling of the same file is a new entry.
    const QString spelled = env.path("program") + "/Samples/../Samples/one.txt";
    WriteSetting("Snapshot", one + "|" + spelled + "|" + one);

    press();

    EXPECT_EQ(list.entries(), QStringList({one, spelled}));
}

TEST(Help, ShowsTheTwoParagraphsAndTheSupportAddressAsANotice)
{
    TestEnv env;
    SetApplicationTitleText("Quorvane");
    ScriptedPrompts prompts;

    HelpButton(prompts);

    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, "notice");
    EXPECT_EQ(prompts.shown[0].text,
              "This software is intended to be used on text based files, not images, "
              "executables, etc.\r\rIf you have any questions, please email support@quorvane.app");
    EXPECT_EQ(prompts.shown[0].title, "Quorvane");
    // Shown as a message box: one empty line between the paragraphs.
    EXPECT_EQ(DisplayText(prompts.shown[0].text),
              "This software is intended to be used on text based files, not images, "
              "executables, etc.\n\nIf you have any questions, please email support@quorvane.app");
}

namespace {
// Prompts whose question box cannot be shown.
class BrokenQuestion : public ScriptedPrompts {
public:
    bool question(const QString& text, const QString& title) override
    {
        ScriptedPrompts::question(text, title);
        throw Failure("Out of memory");
    }
};
} // namespace

TEST(SamplesButton, AFailureWhileLoadingIsReportedAndTheExampleIsStillFilledIn)
{
    TestEnv env;
    SetProgramFolder(env.mkdir("program"));
    const QString one = env.write("program/Samples/one.txt", "a");
    WriteSetting("Snapshot", one);
    BrokenQuestion prompts;
    FileListModel list;
    Boxes boxes;

    LoadSamplesButton(list, &boxes.find, &boxes.replace, &boxes.tabs, prompts);

    EXPECT_EQ(list.entries(), QStringList({one}));
    EXPECT_EQ(prompts.texts("error"),
              QStringList({"Out of memory\r\nin Halderik2021/08/31.Form1.PushButton8_Click at line 100"
                           "\r\rPlease email screenshot of this message to support@quorvane.app"}));
    EXPECT_EQ(boxes.find.toPlainText(), "a");
    EXPECT_EQ(boxes.replace.toPlainText(), "b");
    EXPECT_EQ(boxes.tabs.currentIndex(), 0);
}
