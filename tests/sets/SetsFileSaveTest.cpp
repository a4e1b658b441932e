// Saving sets files: the exact bytes written, the overwrite question, what a
// save refuses to go over, and the question about sets that would load back
// differently.
#include "sets/SetsFileSave.h"
#include "shell/Failure.h"
#include "shell/Prompts.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

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

    // Texts go out as typed: blanks kept, "::" inside a find not escaped (once
    // the user agrees to save such a set).
    const QString odd = env.path("odd.txt");
    prompts.answers = {true};
    WriteSetsFile(odd, {" a::b ", QString::fromUtf8("caf\u00e9"), ""}, {"", "x", ""}, prompts);
    EXPECT_EQ(TestEnv::read(odd), QByteArray(" a::b ::\r\ncaf\xc3\xa9::x\r\n::\r\n"));

    ASSERT_EQ(prompts.shown.size(), 1u) << "no question for a new file, no confirmation";
    EXPECT_TRUE(prompts.shown[0].text.startsWith("The set with find text \" a::b \""));
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
}

namespace {
// What stands at a path, without following a link: its type and the link's target.
QString Standing(const QString& path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return "nothing";
    if (S_ISLNK(st.st_mode))
        return "link to " + QFileInfo(path).symLinkTarget();
    return S_ISREG(st.st_mode) ? "file" : S_ISDIR(st.st_mode) ? "folder"
        : S_ISFIFO(st.st_mode) ? "fifo" : S_ISCHR(st.st_mode) ? "device" : "other";
}
} // namespace

TEST(SetsFile, SaveGoesOnlyOverARegularFileAndThroughLinksToOne)
{
    TestEnv env;
    SetApplicationTitleText("Quorvane");
    const QString fifo = env.path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString device = env.path("full");
    // A device node can only be made with the rights to do so (root, usually).
    const bool haveDevice = ::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0;
    const QString folder = env.mkdir("taken");
    const QString dangling = env.path("dangling");
    QFile::link(env.path("nowhere.txt"), dangling);
    const QString loop = env.path("loop");
    QFile::link(env.path("loop2"), loop);
    QFile::link(loop, env.path("loop2"));

    struct Refused {
        QString path;
        QString standing;
    };
    std::vector<Refused> refused = {{fifo, "fifo"}, {folder, "folder"},
                                    {dangling, "link to " + env.path("nowhere.txt")},
                                    {loop, "link to " + env.path("loop2")}};
    if (haveDevice)
        refused.push_back({device, "device"});
    for (const Refused& r : refused) {
        ScriptedPrompts prompts;
        prompts.answers = {true, true};
        WriteSetsFile(r.path, {"a"}, {"b"}, prompts);
        ASSERT_EQ(prompts.shown.size(), 1u) << r.path.toStdString();
        EXPECT_EQ(prompts.shown[0].kind, "notice");
        EXPECT_EQ(prompts.shown[0].text, r.path + " is not a regular file. The sets were not saved.");
        EXPECT_EQ(prompts.shown[0].title, "Quorvane");
        EXPECT_EQ(Standing(r.path), r.standing);
    }
    EXPECT_FALSE(QFileInfo::exists(env.path("nowhere.txt")));

    // A link to a regular file stays a link; the file it points to is written.
    const QString target = env.write("real.txt", "old\r\n");
    const QString link = env.path("link.txt");
    QFile::link(target, link);
    ScriptedPrompts yes;
    yes.answers = {true};
    WriteSetsFile(link, {"a"}, {"b"}, yes);
    EXPECT_EQ(yes.texts("question"), QStringList{"Are you sure you wish to overwrite " + link + " ?"});
    EXPECT_EQ(Standing(link), "link to " + target);
    EXPECT_EQ(TestEnv::read(target), QByteArray("a::b\r\n"));
    SetApplicationTitleText(QString());
}

TEST(SetsFile, SetsThatWouldLoadBackDifferentlyAreSavedOnlyAfterAYes)
{
    TestEnv env;
    SetApplicationTitleText("Quorvane");
    const auto asked = [](const QString& find, const QString& replace) {
        return "The set with find text \"" + find + "\" and replace text \"" + replace
            + "\" would load back as a different set, since \"::\" separates the two texts in a "
              "sets file. Save anyway?";
    };
    struct Case {
        QStringList finds;
        QStringList replaces;
        bool answer;
        QString question;   // empty: none asked
        QByteArray bytes;   // the file afterwards
    };
    const QByteArray old("old\r\n");
    const std::vector<Case> cases = {
        {{"ok", "colour::a", "x::"}, {"1", "b", "y"}, false, asked("colour::a", "b"), old},
        {{"ok", "colour::a"}, {"1", "b"}, true, asked("colour::a", "b"), "ok::1\r\ncolour::a::b\r\n"},
        {{"a"}, {"b::c"}, false, asked("a", "b::c"), old},
        {{"a:"}, {"b"}, false, asked("a:", "b"), old},
        {{"a\nb"}, {"c"}, false, asked("a\nb", "c"), old},
        {{QString(QChar(0xfeff)) + "a"}, {"b"}, false, asked(QString(QChar(0xfeff)) + "a", "b"), old},
        {{"a", "", "x"}, {":b", "", " :: "}, false, asked("x", " :: "), old},
        {{"a", "", "x"}, {":b", "", "y:"}, false, {}, "a:::b\r\n::\r\nx::y:\r\n"},
    };
    for (const Case& c : cases) {
        const QString path = env.write("sets.txt", old);
        ScriptedPrompts prompts;
        prompts.answers = {true, c.answer};
        WriteSetsFile(path, c.finds, c.replaces, prompts);
        // The overwrite question comes first, then the one about the sets.
        QStringList questions{"Are you sure you wish to overwrite " + path + " ?"};
        if (!c.question.isEmpty())
            questions << c.question;
        EXPECT_EQ(prompts.texts("question"), questions) << c.finds.join('|').toStdString();
        EXPECT_EQ(prompts.shown.size(), size_t(questions.size()));
        EXPECT_EQ(TestEnv::read(path), c.bytes) << c.finds.join('|').toStdString();
    }
    SetApplicationTitleText(QString());
}
