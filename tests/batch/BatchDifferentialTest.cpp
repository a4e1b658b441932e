// quorvane-batch against a plain sequential replace-all, with thousands of
// random pairs over a tiny alphabet so that pairs keep creating and destroying
// each other's occurrences, across chunk boundaries and in both text forms,
// with one file at a time and with several at once.
#include "tests/batch/BatchProcess.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QStringList>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

using quorvane::test::BatchResult;
using quorvane::test::RunBatchCommand;
using quorvane::test::TestEnv;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// Each pair in turn over the whole text: leftmost, non-overlapping, inserted
// text not rescanned; an empty find changes nothing.
std::string ReplaceInOrder(std::string text, const Pairs& pairs, long long& count)
{
    for (const auto& [find, replace] : pairs) {
        if (find.empty())
            continue;
        std::string result;
        size_t from = 0;
        for (size_t hit; (hit = text.find(find, from)) != std::string::npos; from = hit + find.size()) {
            result.append(text, from, hit - from).append(replace);
            ++count;
        }
        result.append(text, from, std::string::npos);
        text.swap(result);
    }
    return text;
}

std::string RandomText(std::mt19937& random, const std::string& alphabet, size_t length)
{
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::string text(length, ' ');
    for (char& c : text)
        c = alphabet[pick(random)];
    return text;
}

QByteArray Utf16WithMark(const std::string& ascii)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (char c : ascii)
        bytes.append(c).append('\0');
    return bytes;
}

} // namespace

TEST(BatchDifferential, ThousandsOfPairsGiveTheSequentialResultInEveryForm)
{
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        SCOPED_TRACE(seed);
        TestEnv env;
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> findLength(1, 7), delta(-2, 2), percent(0, 99);

        // A few pairs on the command line first, then a sets file of 3,000,
        // with chains, deletions and some empty finds.
        Pairs pairs;
        QStringList arguments;
        for (int i = 0; i < 4; ++i) {
            const std::string find = RandomText(random, "abc", 2);
            const std::string replace = RandomText(random, "abcd", 3);
            pairs.emplace_back(find, replace);
            arguments << "--find=" + QString::fromStdString(find) << "--replace=" + QString::fromStdString(replace);
        }
        QByteArray sets;
        for (int i = 0; i < 3000; ++i) {
            const int length = findLength(random);
            std::string find = percent(random) < 2 ? std::string() : RandomText(random, "abcd", length);
            std::string replace = percent(random) < 10 ? std::string()
                                                       : RandomText(random, "abcd", std::max(0, length + delta(random)));
            if (i > 0 && percent(random) < 5)
                find = pairs.back().second;   // a chain: this pair rewrites what the last one wrote
            pairs.emplace_back(find, replace);
            sets += QByteArray::fromStdString(find + "::" + replace + "\r\n");
        }
        arguments << "--sets" << env.write("sets.txt", sets);

        // Sizes around the engine's chunks; line breaks among the letters.
        std::vector<std::string> texts = {"", "a", RandomText(random, "abcd", 66000),
                                          RandomText(random, "abcd\r\n", 30000),
                                          RandomText(random, "ab", 20000)};
        long long expectedCount = 0;
        std::vector<std::string> expected;
        for (size_t i = 0; i < texts.size(); ++i) {
            expected.push_back(ReplaceInOrder(texts[i], pairs, expectedCount));
            arguments << env.write(QString("in/bytes%1.txt").arg(i), QByteArray::fromStdString(texts[i]));
        }
        long long ignored = 0;
        const std::string wide = ReplaceInOrder(texts[3], pairs, ignored);
        arguments << env.write("in/wide.txt", Utf16WithMark(texts[3]));
        const QString out = env.path("out");
        arguments << "--output-folder" << out << "--report" << "report.csv";

        // One file at a time and three at once: the same bytes, counts and rows.
        QByteArray reports[2];
        for (const int jobs : {1, 3}) {
            SCOPED_TRACE(jobs);
            QDir(out).removeRecursively();
            env.mkdir("out");
            const BatchResult r = RunBatchCommand(arguments + QStringList{"--jobs", QString::number(jobs)}, env.root());
            ASSERT_EQ(r.exitCode, 0) << r.err.constData();
            for (size_t i = 0; i < texts.size(); ++i)
                EXPECT_EQ(TestEnv::read(out + QString("/bytes%1.txt").arg(i)), QByteArray::fromStdString(expected[i]))
                    << "file " << i;
            EXPECT_EQ(TestEnv::read(out + "/wide.txt"), Utf16WithMark(wide));
            EXPECT_EQ(r.out, QString("6 files written, 0 unchanged, 0 failed, %1 replacements\n")
                                 .arg(expectedCount + ignored).toUtf8());
            reports[jobs > 1] = TestEnv::read(env.path("report.csv"));
        }
        EXPECT_EQ(reports[1], reports[0]);
    }
}
