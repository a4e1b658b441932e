// Reading sets files: lines split at the separator, and the same sets from
// every encoding class.
#include "sets/SetsFile.h"
#include "shell/Failure.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

using namespace quorvane;
using quorvane::test::TestEnv;

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

TEST(SetsFile, MarkedUtf8WithLfLineEndsGivesOneSetPerLine)
{
    TestEnv env;
    QStringList finds, replaces;
    LoadSetsFile(env.write("lf.txt", "\xef\xbb\xbfhi::hello\npeter::pete\n"), "::", finds, replaces);
    EXPECT_EQ(finds, (QStringList{"hi", "peter"}));
    EXPECT_EQ(replaces, (QStringList{"hello", "pete"}));
}

TEST(SetsFile, LinesReadAsUtf8ThatAreNotUtf8GiveNoSetAndAreNamedWithTheirBytes)
{
    TestEnv env;
    const struct {
        const char* name;
        QByteArray bytes;
        QStringList finds, replaces;
        qsizetype textLines;
        std::vector<RawLine> notUtf8;
    } cases[] = {
        {"plain.txt", "a::b\r\nx\xff::y\r\n\r\nc\xc3::\rd::e\n", {"a", "d"}, {"b", "e"}, 4,
         {{2, "x\xff::y"}, {4, "c\xc3::"}}},
        {"marked.txt", "\xef\xbb\xbf\xed\xa0\x80::s\nq::r", {"q"}, {"r"}, 2, {{1, "\xed\xa0\x80::s"}}},
        // A replacement character written as UTF-8 is valid; so is any text in UTF-16.
        {"fffd.txt", "a::\xef\xbf\xbd\n", {"a"}, {QString(QChar(0xfffd))}, 1, {}},
        {"wide.txt", QByteArray("\xff\xfe" "a\0:\0:\0\xe9\0\n\0\n\0", 14), {"a"}, {QString(QChar(0xe9))}, 1, {}},
        {"empty.txt", "", {}, {}, 0, {}},
        {"commas.txt", "a,b\n\n", {}, {}, 1, {}},
    };
    for (const auto& c : cases) {
        QStringList finds, replaces;
        const SetsFileRead read = LoadSetsFile(env.write(c.name, c.bytes), "::", finds, replaces);
        EXPECT_EQ(finds, c.finds) << c.name;
        EXPECT_EQ(replaces, c.replaces) << c.name;
        EXPECT_EQ(read.sets, c.finds.size()) << c.name;
        EXPECT_EQ(read.textLines, c.textLines) << c.name;
        EXPECT_EQ(read.notUtf8, c.notUtf8) << c.name;
    }
}
