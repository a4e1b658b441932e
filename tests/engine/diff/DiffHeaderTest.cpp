// The header lines of a file's changes: names quoted where patch would
// misread them, and time stamps as `diff -u` writes them.
#include "engine/diff/DiffHeader.h"
#include "tests/engine/IoSandbox.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

using namespace quorvane::diff;
using quorvane::test::IoSandbox;

namespace {

// Sets TZ for the test's time and puts back what was there.
class LocalZone {
public:
    explicit LocalZone(const char* zone) : m_had(std::getenv("TZ") != nullptr), m_old(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~LocalZone()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    bool m_had;
    QByteArray m_old;
};

} // namespace

TEST(DiffHeader, NamesThatPatchWouldMisreadAreQuotedWithCEscapes)
{
    const struct {
        QByteArray name, header;
    } cases[] = {
        {"dir/plain-name_1.txt", "dir/plain-name_1.txt"},
        {"it's$odd~;*?", "it's$odd~;*?"},
        {"del\x7f", "del\x7f"},
        {"notes 2024.txt", "\"notes 2024.txt\""},
        {"a\tb", "\"a\\tb\""},
        {"new\nline", "\"new\\nline\""},
        {"q\"uote", "\"q\\\"uote\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"\a\b\v\f\r", "\"\\a\\b\\v\\f\\r\""},
        {"c\x01\x1b", "\"c\\001\\033\""},
        {"caf\xc3\xa9 \xff", "\"caf\\303\\251 \\377\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HeaderName(c.name), c.header) << c.name.constData();
}

TEST(DiffHeader, StampsGiveTheLocalTimeToTheNanosecondWithItsZone)
{
    LocalZone zone("QVT-5:30");
    EXPECT_EQ(HeaderStamp({1700000000, 42}), "2023-11-15 03:43:20.000000042 +0530");
    EXPECT_EQ(HeaderStamp({0, 999999999}), "1970-01-01 05:30:00.999999999 +0530");

    // The old side shows when the source was last modified, the new side now.
    IoSandbox box;
    const QString source = box.write("a b.txt", "x\n");
    const timespec times[2] = {{1700000000, 0}, {1700000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(source).constData(), times, 0), 0);
    timespec before {}, after {};
    clock_gettime(CLOCK_REALTIME, &before);
    const QByteArray header = FileHeader(source, "a b.txt");
    clock_gettime(CLOCK_REALTIME, &after);
    const QByteArray old = "--- \"a b.txt\"\t2023-11-15 03:43:20.123456789 +0530\n+++ \"a b.txt\"\t";
    ASSERT_TRUE(header.startsWith(old)) << header.constData();
    const QByteArray now = header.mid(old.size());
    EXPECT_TRUE(now == HeaderStamp(before) + '\n' || now == HeaderStamp(after) + '\n'
                || (now > HeaderStamp(before) && now < HeaderStamp(after)))
        << now.constData();
}
