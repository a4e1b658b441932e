#include "shell/Settings.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace quorvane;

TEST(Settings, MissingKeyGivesTheDefaultAndWritesGoThroughToTheFile)
{
    test::TestEnv env;
    EXPECT_EQ(ReadSetting("Output Folder", "/home/u/Desktop/"), "/home/u/Desktop/");
    EXPECT_FALSE(QFile::exists(env.path(".config/Plenmark/Quorvane.conf")));
    WriteSetting("Output Folder", "/tmp/out/");
    WriteSetting("Form2.Text2", "");
    EXPECT_EQ(ReadSetting("Output Folder", "x"), "/tmp/out/");
    EXPECT_EQ(ReadSetting("Form2.Text2", "::"), "");
    EXPECT_TRUE(QFile::exists(env.path(".config/Plenmark/Quorvane.conf")));
}

TEST(Settings, TruthAndWholeNumberConversions)
{
    EXPECT_TRUE(ReadTruth("True"));
    EXPECT_TRUE(ReadTruth("1"));
    EXPECT_TRUE(ReadTruth("-3"));
    EXPECT_FALSE(ReadTruth("False"));
    EXPECT_FALSE(ReadTruth("0"));
    EXPECT_THROW(ReadTruth("maybe"), Failure);
    EXPECT_THROW(ReadTruth(""), Failure);
    EXPECT_EQ(TruthText(true), "True");
    EXPECT_EQ(TruthText(false), "False");
    EXPECT_EQ(ReadWholeNumber("1"), 1);
    EXPECT_EQ(ReadWholeNumber("-12"), -12);
    EXPECT_THROW(ReadWholeNumber("one"), Failure);
    EXPECT_EQ(ReadWholeNumber("1.0"), 1);
    EXPECT_EQ(ReadWholeNumber("2.5"), 2);
    EXPECT_THROW(ReadWholeNumber("99999999999"), Failure);
    EXPECT_THROW(ReadTruth("nan"), Failure);
    EXPECT_THROW(ReadTruth("inf"), Failure);
    EXPECT_TRUE(ReadTruth("0.5"));
}
