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

// Reads the whole text: narrow files as UTF-8 (invalid bytes become U+FFFD),
// wide files as their UTF-16 units.
static bool ReadWholeText(SourceReader& reader, QString& text)
{
    if (reader.wide()) {
        std::u16string_view block;
        do {
            if (!reader.nextUnits(block))
                return false;
            text.append(QStringView(block.data(), qsizetype(block.size())));
        } while (!block.empty());
        if (!reader.trailingBytes().isEmpty())
            text.append(QChar(0xFFFD));
        return true;
    }
    // Gather the bytes first so a UTF-8 sequence cut by a block end decodes whole.
    std::string bytes;
    std::string_view block;
    do {
        if (!reader.nextBytes(block))
            return false;
        bytes.append(block);
    } while (!block.empty());
    text = Utf8Text(bytes);
    return true;
}

// CR LF, LF and a lone CR each end a line; a final terminator adds no empty line.
static QStringList SplitAtAnyTerminator(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n || lines.isEmpty())
        lines.append(text.mid(start));
    return lines;
}

bool ReadTextFile(const QString& path, QStringList& lines, QString* error, TextEncoding* encoding)
{
    SourceReader reader;
    QString text;
    if (!reader.open(path) || !ReadWholeText(reader, text)) {
        if (error)
            *error = reader.errorDetail().isEmpty() ? DescribeReadError(reader.errorNumber()) : reader.errorDetail();
        return false;
    }
    if (encoding)
        *encoding = reader.detected().encoding;
    lines = SplitAtAnyTerminator(text);
    return true;
}

} // namespace quorvane
