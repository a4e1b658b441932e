#include "engine/FileReplace.h"
#include "engine/text/TextCodec.h"
#include "tests/engine/IoSandbox.h"
#include "tests/engine/OutcomeWords.h"

#include <QStringDecoder>
#include <gtest/gtest.h>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace quorvane;
using quorvane::test::Hex;
using quorvane::test::IoSandbox;

// How a run classes a file: the codec its dry run reads it with, or why it cannot.
static bool DetectTextEncoding(const QString& path, Detected& detected, QString* error)
{
    FileJob job;
    job.dryRun = true;
    const FileOutcome outcome = ProcessFile(path, path, job);
    detected = outcome.codec.read;
    *error = quorvane::test::Why(outcome);
    return outcome.ok;
}

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

// The same texts in every class split alike: CR LF, LF and a lone CR each end
// a line and a final terminator adds none.
TEST(TextCodec, LinesEndAtCrLfLfOrCrAlikeInEveryClass)
{
    IoSandbox box;
    const struct { const char* text; QStringList lines; } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"hi::hello\npeter::pete\n", {"hi::hello", "peter::pete"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},   // LF then CR: two breaks
        {"", {""}},
        {"\r\n", {""}},
        {"caf\xC3\xA9::x", {QString::fromUtf8("café::x")}},
        // A mark inside the text is a character; only the file's own mark is not.
        {"\xEF\xBB\xBFx\n\xEF\xBB\xBFy", {QChar(0xFEFF) + QString("x"), QChar(0xFEFF) + QString("y")}},
    };
    for (const auto& c : cases) {
        // Decoded keeping a leading U+FEFF, which QString::fromUtf8 would drop.
        const QString text = QStringDecoder(QStringDecoder::Utf8,
                                            QStringDecoder::Flag::ConvertInitialBom)(c.text);
        QByteArray le("\xFF\xFE", 2);
        for (QChar ch : text)
            le.append(char(ch.unicode() & 0xFF)).append(char(ch.unicode() >> 8));
        const struct { QByteArray bytes; TextEncoding enc; } forms[] = {
            {QByteArray(c.text), TextEncoding::Ansi},
            {"\xEF\xBB\xBF" + QByteArray(c.text), TextEncoding::Utf8},
            {le, TextEncoding::Unicode},
        };
        for (const auto& f : forms) {
            if (f.enc == TextEncoding::Ansi && QByteArray(c.text).startsWith("\xEF\xBB\xBF"))
                continue;   // that would be a marked file
            TextEncoding enc = TextEncoding(-1);
            EXPECT_EQ(Lines(box, f.bytes, &enc), c.lines) << c.text << " as class " << int(f.enc);
            EXPECT_EQ(enc, f.enc) << c.text;
        }
    }
    EXPECT_EQ(Lines(box, Hex("FEFF 0061 000A 0062")), (QStringList{"a", "b"}));
    EXPECT_EQ(Lines(box, Hex("FFFE0000 61000000 0D000000 62000000")), (QStringList{"a", "b"}));
    EXPECT_EQ(Lines(box, Hex("0000FEFF 00000061 0000000A 0001F600")),
              (QStringList{"a", QString::fromUtf16(u"\U0001F600")}));
}
