// Sets files: the exact bytes written, the overwrite question, and reading
// sets back with any separator from any encoding class.
#include "sets/SetsFile.h"
#include "shell/Failure.h"
#include "shell/Prompts.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace quorvane;
using quorvane::test::ScriptedPrompts;
using quorvane::test::TestEnv;

TEST(SetsFile, SavedFileHoldsEachSetWithDoubleColonAndCrLfInUtf8)
{
    TestEnv env;
    ScriptedPrompts prompts;
    const QString two = env.path("two.txt");
    WriteSetsFile(two, {"hi", "peter"}, {"hello", "pete"}, prompts);
    EXPECT_EQ(TestEnv::read(two), QByteArray("hi::hello\r\npeter::pete\r\n"));

    const QString empty = env.path("empty");
    WriteSetsFile(empty, {}, {}, prompts);
    EXPECT_EQ(TestEnv::read(empty), QByteArray(""));

    // Texts go out as typed: blanks kept, "::" inside a find not escaped.
    const QString odd = env.path("odd.txt");
    WriteSetsFile(odd, {" a::b ", QString::fromUtf8("caf\u00e9"), ""}, {"", "x", ""}, prompts);
    EXPECT_EQ(TestEnv::read(odd), QByteArray(" a::b ::\r\ncaf\xc3\xa9::x\r\n::\r\n"));

    EXPECT_TRUE(prompts.shown.empty()) << "no question for a new file, no confirmation";
}

TEST(SetsFile, OverwriteQuestionAnsweredNoLeavesTheFileAndYesReplacesAllOfIt)
{
    TestEnv env;
    SetApplicationTitleText("Quorvane");
    const QString path = env.write("sets.txt", "old content that is longer\r\n");

    ScriptedPrompts no;
    no.answers.push_back(false);
    WriteSetsFile(path, {"a"}, {"b"}, no);
    EXPECT_EQ(TestEnv::read(path), QByteArray("old content that is longer\r\n"));
    ASSERT_EQ(no.shown.size(), 1u);
    EXPECT_EQ(no.shown[0].kind, "question");
    EXPECT_EQ(no.shown[0].text, "Are you sure you wish to overwrite " + path + " ?");
    EXPECT_EQ(no.shown[0].title, "Quorvane");

    ScriptedPrompts yes;
    yes.answers.push_back(true);
    WriteSetsFile(path, {"a"}, {"b"}, yes);
    EXPECT_EQ(TestEnv::read(path), QByteArray("a::b\r\n"));
    EXPECT_EQ(yes.texts("question").size(), 1);
    SetApplicationTitleText(QString());
}

TEST(SetsFile, FailedSaveThrowsAndLeavesAnExistingTargetAsItWas)
{
    TestEnv env;
    ScriptedPrompts prompts;
    EXPECT_THROW(WriteSetsFile(env.path("missing/folder/sets.txt"), {"a"}, {"b"}, prompts), Failure);
    EXPECT_FALSE(QFileInfo::exists(env.path("missing")));

    // A folder in the way: asked about, answered Yes, still nothing destroyed.
    const QString folder = env.mkdir("taken");
    env.write("taken/inside.txt", "keep");
    prompts.answers.push_back(true);
    EXPECT_THROW(WriteSetsFile(folder, {"a"}, {"b"}, prompts), Failure);
    EXPECT_EQ(TestEnv::read(folder + "/inside.txt"), QByteArray("keep"));
}

TEST(SetsFile, LinesSplitAtTheFirstTwoSeparatorsAndOddLinesAreSkipped)
{
    QStringList finds{"kept"};
    QStringList replaces{"before"};
    AppendSetsFromLines({"a::b::c", "::x", "x::", "", "no separator", "   ", "  ::  ", "a:b"}, "::",
                        finds, replaces);
    EXPECT_EQ(finds, (QStringList{"kept", "a", "", "x", "  "}));
    EXPECT_EQ(replaces, (QStringList{"before", "b", "x", "", "  "}));

    QStringList f2, r2;
    AppendSetsFromLines({"hi,hello", "peter,pete", "hi::hello"}, ",", f2, r2);
    EXPECT_EQ(f2, (QStringList{"hi", "peter"}));
    EXPECT_EQ(r2, (QStringList{"hello", "pete"}));

    // Blanks in the separator count, and matching is case-sensitive.
    QStringList f3, r3;
    AppendSetsFromLines({"one - uno", "two-dos", "aXb", "cxd"}, " - ", f3, r3);
    AppendSetsFromLines({"aXb", "cxd"}, "X", f3, r3);
    EXPECT_EQ(f3, (QStringList{"one", "a"}));
    EXPECT_EQ(r3, (QStringList{"uno", "b"}));

    // Separators are found left to right without overlapping, as a split does.
    QStringList f4, r4;
    AppendSetsFromLines({"a:::b", "::::", "a::::b::c"}, "::", f4, r4);
    EXPECT_EQ(f4, (QStringList{"a", "", "a"}));
    EXPECT_EQ(r4, (QStringList{":b", "", ""}));
}

TEST(SetsFile, SameSetsLoadFromEveryEncodingClass)
{
    TestEnv env;
    const QString text = QString::fromUtf8("hi::hello\r\n\r\npeter::p\u00e9te\r\nplain line\r\n");
    const QByteArray utf8 = text.toUtf8();
    QByteArray le("\xff\xfe", 2), be("\xfe\xff", 2);
    for (QChar c : text) {
        le.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
        be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xff));
    }
    const QList<QPair<QString, QByteArray>> files = {
        {"ansi.txt", utf8},
        {"marked.txt", QByteArray("\xef\xbb\xbf") + utf8},
        {"le.txt", le},
        {"be.txt", be},
    };
    for (const auto& [name, bytes] : files) {
        QStringList finds, replaces;
        LoadSetsFile(env.write(name, bytes), "::", finds, replaces);
        EXPECT_EQ(finds, (QStringList{"hi", "peter"})) << name.toStdString();
        EXPECT_EQ(replaces, (QStringList{"hello", QString::fromUtf8("p\u00e9te")})) << name.toStdString();
    }
}

TEST(SetsFile, LoadingAMissingFileThrowsAndAddsNothing)
{
    TestEnv env;
    QStringList finds{"a"}, replaces{"b"};
    EXPECT_THROW(LoadSetsFile(env.path("none.txt"), "::", finds, replaces), Failure);
    EXPECT_EQ(finds, QStringList{"a"});
    EXPECT_EQ(replaces, QStringList{"b"});
}
