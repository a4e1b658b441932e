#include "engine/text/TextCodec.h"

#include "engine/files/FileAccess.h"
#include "engine/text/SourceReader.h"

#include <QStringDecoder>

#include <string>

namespace quorvane {

QString Utf8Text(QByteArrayView bytes)
{
    // fromUtf8 differs only in dropping a leading mark, and costs far less
    // than setting up a decoder for each of 100,000 names.
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    // Stateless: each call starts afresh, so the mark is kept wherever the bytes begin.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless
                                                     | QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
}

FileCodec ChooseCodec(const Detected& detected)
{
    FileCodec codec;
    codec.read = detected;
    if (detected.encoding == TextEncoding::Unicode)
        codec.resultMark = QByteArrayLiteral("\xFF\xFE");
    return codec;
}

// CR LF, LF and a lone CR each end a line; a final terminator adds no empty
// line. take(start, length) gets each line's span in order.
template <typename Text, typename Take>
static void ForEachLine(const Text& text, const Take& take)
{
    qsizetype start = 0;
    qsizetype count = 0;
    const qsizetype n = qsizetype(text.size());
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        take(start, i - start);
        ++count;
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n || count == 0)
        take(start, n - start);
}

// Wide files as their UTF-16 units (an odd last byte as U+FFFD).
static bool ReadWideLines(SourceReader& reader, QStringList& lines)
{
    QString text;
    std::u16string_view block;
    do {
        if (!reader.nextUnits(block))
            return false;
        text.append(QStringView(block.data(), qsizetype(block.size())));
    } while (!block.empty());
    if (!reader.trailingBytes().isEmpty())
        text.append(QChar(0xFFFD));
    ForEachLine(QStringView(text), [&](qsizetype start, qsizetype length) { lines.append(text.mid(start, length)); });
    return true;
}

// Narrow files as UTF-8, line by line: CR and LF never occur inside a
// character, so a line's bytes tell alone whether they are UTF-8.
static bool ReadNarrowLines(SourceReader& reader, QStringList& lines, std::vector<RawLine>* notUtf8)
{
    std::string bytes;
    std::string_view block;
    do {
        if (!reader.nextBytes(block))
            return false;
        bytes.append(block);
    } while (!block.empty());
    ForEachLine(std::string_view(bytes), [&](qsizetype start, qsizetype length) {
        const QByteArrayView line(bytes.data() + start, length);
        if (notUtf8 && !line.isValidUtf8())
            notUtf8->emplace_back(lines.size() + 1, line.toByteArray());
        lines.append(Utf8Text(line));
    });
    return true;
}

bool ReadTextFile(const QString& path, QStringList& lines, QString* error, TextEncoding* encoding,
                  std::vector<RawLine>* notUtf8)
{
    SourceReader reader;
    QStringList read;
    if (!reader.open(path) || !(reader.wide() ? ReadWideLines(reader, read) : ReadNarrowLines(reader, read, notUtf8))) {
        if (error)
            *error = reader.errorDetail().isEmpty() ? DescribeReadError(reader.errorNumber()) : reader.errorDetail();
        return false;
    }
    if (encoding)
        *encoding = reader.detected().encoding;
    lines = std::move(read);
    return true;
}

} // namespace quorvane
