// Sets files on the command line: one whose text is not what its bytes say,
// or that yields no pair, is refused before anything is touched.
#include "tests/batch/BatchProcess.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

using quorvane::test::BatchResult;
using quorvane::test::RunBatchCommand;
using quorvane::test::TestEnv;

TEST(BatchSets, ASetsFileWithBytesThatAreNotUtf8OrWithoutAPairIsRefusedWithExitTwo)
{
    TestEnv env;
    const QString file = env.write("f.txt", "cafe a, b");
    const struct {
        const char* name;
        QByteArray bytes;
        const char* separator;
        QByteArray err;
    } cases[] = {
        {"latin1.txt", "cafe::caf\xe9\r\n", "::",
         "quorvane-batch: latin1.txt: line 1: cafe::caf\\xE9: the text is not valid UTF-8\n"},
        {"mixed.txt", "a::b\r\nx\xff::y\r\n\r\nc::\xc3\r\n", "::",
         "quorvane-batch: mixed.txt: line 2: x\\xFF::y: the text is not valid UTF-8\n"
         "quorvane-batch: mixed.txt: line 4: c::\\xC3: the text is not valid UTF-8\n"},
        {"marked.txt", "\xef\xbb\xbf" "a::b\n\xed\xa0\x80::e\n", "::",
         "quorvane-batch: marked.txt: line 2: \\xED\\xA0\\x80::e: the text is not valid UTF-8\n"},
        {"empty.txt", "", "::", "quorvane-batch: empty.txt: holds no sets\n"},
        {"blank.txt", "\r\n\n\r\n", "::", "quorvane-batch: blank.txt: holds no sets\n"},
        {"pairs.csv", "a,b\r\nc,d\r\n", "::",
         "quorvane-batch: pairs.csv: no line holds the separator \"::\" (use --separator)\n"},
        {"colons.txt", "a::b\n  \n", ",",
         "quorvane-batch: colons.txt: no line holds the separator \",\" (use --separator)\n"},
    };
    for (const auto& c : cases) {
        env.write(c.name, c.bytes);
        const BatchResult r = RunBatchCommand({"--find", "a", "--replace", "b", "--separator", c.separator,
                                               "--sets", c.name, "--in-place", file}, env.root());
        EXPECT_EQ(r.exitCode, 2) << c.name;
        EXPECT_EQ(r.err, c.err) << c.name;
        EXPECT_EQ(r.out, "") << c.name;
    }
    EXPECT_EQ(TestEnv::read(file), "cafe a, b");

    // Only a file read as UTF-8 is judged so: a UTF-16 one holds any text,
    // and a replacement character written as UTF-8 is a character like others.
    env.write("wide.txt", QByteArray("\xff\xfe" "c\0a\0f\0e\0:\0:\0c\0a\0f\0\xe9\0", 22));
    env.write("marks.txt", "b::\xef\xbf\xbd\r\n");
    const BatchResult r = RunBatchCommand({"--sets", "wide.txt", "--sets", "marks.txt", "--in-place", file},
                                          env.root());
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(TestEnv::read(file), "caf\xc3\xa9 a, \xef\xbf\xbd");
}
