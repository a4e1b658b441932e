// The set list on two combo boxes: mirroring, removal at the selected index,
// appending without selecting, and the handlers of its buttons.
#include "sets/SetList.h"
#include "shell/Prompts.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QComboBox>
#include <gtest/gtest.h>

using namespace quorvane;
using quorvane::test::ScriptedPrompts;
using quorvane::test::TestEnv;

namespace {
struct Boxes {
    QComboBox find;
    QComboBox replace;
    SetList sets{&find, &replace};

    explicit Boxes(int n = 0)
    {
        for (int i = 0; i < n; ++i)
            sets.append(QString("f%1").arg(i), QString("r%1").arg(i));
    }
};
} // namespace

TEST(SetList, SelectingInEitherBoxSelectsTheSameSetInTheOther)
{
    Boxes b(5);
    int findChanges = 0;
    int replaceChanges = 0;
    QObject::connect(&b.find, &QComboBox::currentIndexChanged, [&] { ++findChanges; });
    QObject::connect(&b.replace, &QComboBox::currentIndexChanged, [&] { ++replaceChanges; });

    b.replace.setCurrentIndex(3);
    EXPECT_EQ(b.find.currentIndex(), 3);
    EXPECT_EQ(b.replace.currentIndex(), 3);
    b.find.setCurrentIndex(1);
    EXPECT_EQ(b.replace.currentIndex(), 1);
    // One exchange each time, no ping-pong.
    EXPECT_EQ(findChanges, 2);
    EXPECT_EQ(replaceChanges, 2);
}

TEST(SetList, AppendingAddsToTheEndOfBothListsWithoutSelecting)
{
    Boxes b;
    b.sets.append("a", "b");
    EXPECT_EQ(b.find.currentIndex(), -1);
    EXPECT_EQ(b.replace.currentIndex(), -1);
    b.find.setCurrentIndex(0);
    b.sets.append("a", "b");
    b.sets.appendAll({"c", "d", "extra"}, {"e", "f"});
    EXPECT_EQ(b.sets.finds(), (QStringList{"a", "a", "c", "d"}));
    EXPECT_EQ(b.sets.replaces(), (QStringList{"b", "b", "e", "f"}));
    EXPECT_EQ(b.sets.count(), 4);
    EXPECT_EQ(b.find.currentIndex(), 0);
    EXPECT_EQ(b.replace.currentIndex(), 0);
}

TEST(SetList, RemovingTakesTheSelectedSetFromBothListsAndLeavesNothingSelected)
{
    Boxes b(5);
    b.replace.setCurrentIndex(2);
    b.sets.removeSelected();
    EXPECT_EQ(b.sets.finds(), (QStringList{"f0", "f1", "f3", "f4"}));
    EXPECT_EQ(b.sets.replaces(), (QStringList{"r0", "r1", "r3", "r4"}));
    EXPECT_EQ(b.find.currentIndex(), -1);
    EXPECT_EQ(b.replace.currentIndex(), -1);

    // The last set: the find box's removal must not move the replace selection.
    b.find.setCurrentIndex(3);
    b.sets.removeSelected();
    EXPECT_EQ(b.sets.finds(), (QStringList{"f0", "f1", "f3"}));
    EXPECT_EQ(b.sets.replaces(), (QStringList{"r0", "r1", "r3"}));

    // Nothing selected, or nothing at all: nothing happens.
    b.sets.removeSelected();
    EXPECT_EQ(b.sets.count(), 3);
    Boxes empty;
    ScriptedPrompts prompts;
    empty.sets.removeSelectedClicked(prompts);
    EXPECT_EQ(empty.sets.count(), 0);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(SetList, ClearAllEmptiesBothListsWithoutAsking)
{
    Boxes b(4);
    b.find.setCurrentIndex(1);
    ScriptedPrompts prompts;
    b.sets.clearAllClicked(prompts);
    EXPECT_EQ(b.find.count(), 0);
    EXPECT_EQ(b.replace.count(), 0);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(SetList, AddSetKeepsTheFirstTwoPiecesOfTheAnswer)
{
    SetApplicationTitleText("Quorvane");
    Boxes b;
    ScriptedPrompts prompts;
    for (const char* answer : {"findwhat::replacewith", "a::b::c", "::x", "x::", "::", " a :: b "})
        prompts.inputs.push_back(answer);
    for (int i = 0; i < 6; ++i)
        b.sets.addSetClicked(prompts);
    EXPECT_EQ(b.sets.finds(), (QStringList{"findwhat", "a", "", "x", "", " a "}));
    EXPECT_EQ(b.sets.replaces(), (QStringList{"replacewith", "b", "x", "", "", " b "}));
    EXPECT_EQ(b.find.currentIndex(), -1);

    ASSERT_EQ(prompts.shown.size(), 6u);
    EXPECT_EQ(prompts.shown[0].kind, "input");
    EXPECT_EQ(prompts.shown[0].text,
              "Enter find and replace set (use :: to separate find text and replace text):");
    EXPECT_EQ(prompts.shown[0].title, "Quorvane");
    EXPECT_EQ(prompts.shown[0].extra, "findwhat::replacewith");
    SetApplicationTitleText(QString());
}

TEST(SetList, AddSetWithoutDoubleColonOrCancelledAddsNothing)
{
    SetApplicationTitleText("Quorvane");
    Boxes b(1);
    ScriptedPrompts prompts;
    prompts.inputs.push_back("a:b");
    b.sets.addSetClicked(prompts);
    b.sets.addSetClicked(prompts);   // nothing queued: cancelled
    EXPECT_EQ(b.sets.count(), 1);
    EXPECT_EQ(b.replace.count(), 1);
    ASSERT_EQ(prompts.texts("notice"),
              QStringList{"You must use :: to separate the find text from the replace text"});
    EXPECT_EQ(prompts.shown[1].title, "Quorvane");
    EXPECT_EQ(prompts.texts("input").size(), 2);
    SetApplicationTitleText(QString());
}

TEST(SetList, SaveSetsWritesTheChosenFileOrNothingWhenCancelled)
{
    TestEnv env;
    Boxes b(2);
    ScriptedPrompts prompts;
    const QString path = env.path("mysets");   // no extension is added
    prompts.saveResults.push_back(path);
    b.sets.saveSetsClicked(prompts);
    EXPECT_EQ(TestEnv::read(path), QByteArray("f0::r0\r\nf1::r1\r\n"));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, "save");
    EXPECT_EQ(prompts.shown[0].text, "Save");
    EXPECT_EQ(prompts.shown[0].title, "Text Files (*.txt);;All Files (*)");

    b.sets.saveSetsClicked(prompts);   // cancelled
    EXPECT_EQ(prompts.shown.size(), 2u);
}

TEST(SetList, FailedSaveIsReportedUnderTheSaveButton)
{
    TestEnv env;
    Boxes b(1);
    ScriptedPrompts prompts;
    prompts.saveResults.push_back(env.path("no/such/folder/sets.txt"));
    b.sets.saveSetsClicked(prompts);
    const QStringList errors = prompts.texts("error");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("\r\nin Halderik2021/08/31.Form1.PushButton5_Click at line 104\r\r"))
        << errors[0].toStdString();
}
