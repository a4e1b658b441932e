#include "engine/text/TextCodec.h"
#include "tests/engine/IoSandbox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace quorvane;
using quorvane::test::Hex;
using quorvane::test::IoSandbox;

TEST(TextCodec, DetectionFollowsTheMarkRulesInOrder)
{
    IoSandbox box;
    const struct { const char* bytes; TextEncoding enc; SourceForm form; int mark; } cases[] = {
        {"", TextEncoding::Ansi, SourceForm::Bytes, 0},
        {"FF", TextEncoding::Ansi, SourceForm::Bytes, 0},
        {"FFFE", TextEncoding::Unicode, SourceForm::Utf16LE, 2},
        {"FEFF", TextEncoding::Unicode, SourceForm::Utf16BE, 2},
        {"FFFE00", TextEncoding::Unicode, SourceForm::Utf16LE, 2},      // too short for UTF-32
        {"FFFE0000", TextEncoding::Unicode, SourceForm::Utf32LE, 4},
        {"0000FEFF", TextEncoding::Unicode, SourceForm::Utf32BE, 4},
        {"EFBBBF", TextEncoding::Utf8, SourceForm::Utf8Marked, 3},
        {"EFBB", TextEncoding::Ansi, SourceForm::Bytes, 0},
        {"EFBBBF616263", TextEncoding::Utf8, SourceForm::Utf8Marked, 3},
        {"0000FE", TextEncoding::Ansi, SourceForm::Bytes, 0},
        {"41FFFE", TextEncoding::Ansi, SourceForm::Bytes, 0},            // a mark counts only at the start
    };
    int n = 0;
    for (const auto& c : cases) {
        Detected d;
        QString error;
        ASSERT_TRUE(DetectTextEncoding(box.write(QString("f%1").arg(n++), Hex(c.bytes)), d, &error)) << c.bytes;
        EXPECT_EQ(d.encoding, c.enc) << c.bytes;
        EXPECT_EQ(d.form, c.form) << c.bytes;
        EXPECT_EQ(d.markLength, c.mark) << c.bytes;
    }
}

TEST(TextCodec, DetectionFailsWithAShortReasonForWhatCannotBeRead)
{
    IoSandbox box;
    Detected d;
    QString error;
    EXPECT_FALSE(DetectTextEncoding(box.path("missing.txt"), d, &error));
    EXPECT_EQ(error, "File not found");
    EXPECT_FALSE(DetectTextEncoding(box.mkdir("folder"), d, &error));
    EXPECT_EQ(error, "Not a regular file");
    const QString fifo = box.path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    EXPECT_FALSE(DetectTextEncoding(fifo, d, &error));   // returns at once, no writer needed
    EXPECT_EQ(error, "Not a regular file");

    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(box.path("sock"));
    ASSERT_LT(size_t(socketPath.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_FALSE(DetectTextEncoding(box.path("sock"), d, &error));
    EXPECT_EQ(error, "Not a regular file");
    ::close(sock);
    EXPECT_FALSE(DetectTextEncoding("/dev/null", d, &error));
    EXPECT_EQ(error, "Not a regular file");
}

static QStringList Lines(const IoSandbox& box, const QByteArray& bytes, TextEncoding* enc = nullptr)
{
    static int n = 0;
    QStringList lines;
    QString error;
    EXPECT_TRUE(ReadTextFile(box.write(QString("lines%1").arg(n++), bytes), lines, &error, enc)) << qPrintable(error);
    return lines;
}

TEST(TextCodec, AnsiAndUnicodeLinesEndAtCrLfLfOrCrAndAFinalBreakAddsNothing)
{
    IoSandbox box;
    const QStringList ab{"a", "b"};
    TextEncoding enc = TextEncoding::Utf8;
    EXPECT_EQ(Lines(box, "a\r\nb\r\n", &enc), ab);
    EXPECT_EQ(enc, TextEncoding::Ansi);
    EXPECT_EQ(Lines(box, "a\nb"), ab);
    EXPECT_EQ(Lines(box, "a\rb\r"), ab);
    EXPECT_EQ(Lines(box, "a\r\n\r\nb"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(Lines(box, "a\n\rb"), (QStringList{"a", "", "b"}));   // LF then CR: two breaks
    EXPECT_EQ(Lines(box, ""), QStringList{""});
    EXPECT_EQ(Lines(box, "\r\n"), QStringList{""});
    EXPECT_EQ(Lines(box, "caf\xC3\xA9::x"), QStringList{QString::fromUtf8("café::x")});

    EXPECT_EQ(Lines(box, Hex("FFFE 6100 0D00 0A00 6200 0D00 0A00"), &enc), ab);
    EXPECT_EQ(enc, TextEncoding::Unicode);
    EXPECT_EQ(Lines(box, Hex("FEFF 0061 000A 0062")), ab);
    EXPECT_EQ(Lines(box, Hex("FFFE0000 61000000 0D000000 62000000")), ab);
    EXPECT_EQ(Lines(box, Hex("0000FEFF 00000061 0000000A 0001F600")),
              (QStringList{"a", QString::fromUtf16(u"\U0001F600")}));
    EXPECT_EQ(Lines(box, Hex("FFFE")), QStringList{""});
}

TEST(TextCodec, Utf8LinesSplitAtCrLfOnlyAndATrailingPairGivesAnEmptyLine)
{
    IoSandbox box;
    TextEncoding enc = TextEncoding::Ansi;
    EXPECT_EQ(Lines(box, "\xEF\xBB\xBF" "a\r\nb\r\n", &enc), (QStringList{"a", "b", ""}));
    EXPECT_EQ(enc, TextEncoding::Utf8);
    EXPECT_EQ(Lines(box, "\xEF\xBB\xBF" "a\nb\rc"), QStringList{"a\nb\rc"});
    EXPECT_EQ(Lines(box, "\xEF\xBB\xBF"), QStringList{""});
    EXPECT_EQ(Lines(box, "\xEF\xBB\xBF" "\xC3\xA9"), QStringList{QString::fromUtf8("é")});
}
