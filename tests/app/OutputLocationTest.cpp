#include "shell/Settings.h"
#include "tests/app/WindowFixture.h"

#include <QTest>

using namespace quorvane;
using namespace quorvane::test;

class OutputLocation : public WindowTest {};

TEST_F(OutputLocation, OptionClicksStoreBothOptionsAndSwitchTheFolderBox)
{
    Form1& f = open();
    f.show();
    QTest::mouseClick(f.option2(), Qt::LeftButton, {}, QPoint(8, f.option2()->height() / 2));
    EXPECT_EQ(ReadSetting("Option1", "?"), "False");
    EXPECT_EQ(ReadSetting("Option2", "?"), "True");
    EXPECT_FALSE(f.outputFolderText()->isEnabled());
    EXPECT_FALSE(f.pushButton(14)->isEnabled());

    QTest::mouseClick(f.option1(), Qt::LeftButton, {}, QPoint(8, f.option1()->height() / 2));
    EXPECT_EQ(ReadSetting("Option1", "?"), "True");
    EXPECT_EQ(ReadSetting("Option2", "?"), "False");
    EXPECT_TRUE(f.outputFolderText()->isEnabled());
    EXPECT_TRUE(f.pushButton(14)->isEnabled());
}

TEST_F(OutputLocation, EveryChangeOfTheFolderTextIsStored)
{
    Form1& f = open();
    f.show();
    f.outputFolderText()->clear();
    EXPECT_EQ(ReadSetting("Output Folder", "?"), "");
    QTest::keyClick(f.outputFolderText(), Qt::Key_Slash);
    EXPECT_EQ(ReadSetting("Output Folder", "?"), "/");
    QTest::keyClicks(f.outputFolderText(), "no such");
    EXPECT_EQ(ReadSetting("Output Folder", "?"), "/no such");
    // However long, the text is kept and stored whole.
    const QString longFolder = "/" + QString(40000, QChar(u'd')) + "/";
    f.outputFolderText()->setText(longFolder);
    EXPECT_EQ(ReadSetting("Output Folder", "?"), longFolder);
}

TEST_F(OutputLocation, BrowsingPutsTheChosenFolderWithOneTrailingSlash)
{
    Form1& f = open();
    prompts.folderResults = {"/data/results", "/", ""};
    f.pushButton(14)->click();
    EXPECT_EQ(f.outputFolderText()->text(), "/data/results/");
    EXPECT_EQ(ReadSetting("LastFolderDot", "?"), "/data/results");
    EXPECT_EQ(ReadSetting("Output Folder", "?"), "/data/results/");

    f.pushButton(14)->click();
    EXPECT_EQ(f.outputFolderText()->text(), "/");
    EXPECT_EQ(ReadSetting("LastFolderDot", "?"), "/");

    // Cancelling changes nothing.
    f.pushButton(14)->click();
    EXPECT_EQ(f.outputFolderText()->text(), "/");
    EXPECT_EQ(ReadSetting("LastFolderDot", "?"), "/");

    // Each picker opened at the folder chosen before it (nothing at first).
    ASSERT_EQ(prompts.shown.size(), 3u);
    for (const Shown& s : prompts.shown) {
        EXPECT_EQ(s.kind, "folder");
        EXPECT_EQ(s.text, "Please select folder:");
    }
    EXPECT_EQ(prompts.shown[0].title, "");
    EXPECT_EQ(prompts.shown[1].title, "/data/results");
    EXPECT_EQ(prompts.shown[2].title, "/");
}
