#include "shell/ErrorReport.h"
#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>

using namespace quorvane;

TEST(ErrorReport, TextJoinsDescriptionLocationStepAndSupportLine)
{
    EXPECT_EQ(ErrorReportText("File not found", "Form1.PushButton12_Click", 104),
              QString("File not found\r\nin Halderik2021/08/31.Form1.PushButton12_Click at line 104"
                      "\r\rPlease email screenshot of this message to support@quorvane.app"));
    EXPECT_EQ(ErrorReportText("x", "AddFolder.GetSubDirectories2016", 100, kScanProject),
              QString("x\r\nin Brisomel2021/08/31.AddFolder.GetSubDirectories2016 at line 100"
                      "\r\rPlease email screenshot of this message to support@quorvane.app"));
}

TEST(ErrorReport, TrappedStepIsReportedAndTheHandlerCarriesOn)
{
    test::ScriptedPrompts prompts;
    StepTrap trap(prompts, "Form1.Form_Load");
    std::vector<int> ran;
    EXPECT_TRUE(trap.step(100, [&] { ran.push_back(100); }));
    EXPECT_FALSE(trap.step(102, [&] { throw Failure("Type mismatch"); }));
    EXPECT_TRUE(trap.step(104, [&] { ran.push_back(104); }));
    EXPECT_EQ(ran, (std::vector<int>{100, 104}));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, "error");
    EXPECT_EQ(prompts.shown[0].title, "Application Error");
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Type mismatch\r\nin Halderik2021/08/31.Form1.Form_Load at line 102\r\r"));
}
