#include "engine/text/SourceReader.h"

#include "engine/files/FileAccess.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <utility>

// Units are handed to matching as in-memory char16_t; the byte handling below
// assumes the usual little-endian host.
static_assert(std::endian::native == std::endian::little, "little-endian host expected");

namespace quorvane {

namespace {
constexpr qint64 kBlockBytes = 1 << 20;
}

Detected ClassifyMark(const unsigned char* b, qint64 length)
{
    Detected d;
    auto set = [&](TextEncoding e, SourceForm f, int mark) {
        d.encoding = e;
        d.form = f;
        d.markLength = mark;
        return d;
    };
    if (length >= 4 && b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0)
        return set(TextEncoding::Unicode, SourceForm::Utf32LE, 4);
    if (length >= 4 && b[0] == 0 && b[1] == 0 && b[2] == 0xFE && b[3] == 0xFF)
        return set(TextEncoding::Unicode, SourceForm::Utf32BE, 4);
    if (length >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        return set(TextEncoding::Utf8, SourceForm::Utf8Marked, 3);
    if (length >= 2 && b[0] == 0xFF && b[1] == 0xFE)
        return set(TextEncoding::Unicode, SourceForm::Utf16LE, 2);
    if (length >= 2 && b[0] == 0xFE && b[1] == 0xFF)
        return set(TextEncoding::Unicode, SourceForm::Utf16BE, 2);
    return d;
}

SourceReader::SourceReader(qint64 blockBytes)
    : m_fixedBlock(blockBytes)
{
}

SourceReader::~SourceReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SourceReader::open(const QString& path, const struct stat* seen)
{
    m_fd = OpenRegularForReading(path, &m_status, seen);
    if (m_fd < 0) {
        m_errno = errno;
        return false;
    }
    m_sizeHint = m_status.st_size;
    m_identity = {m_status.st_dev, m_status.st_ino};
    // The first block is read at once: it holds the mark, and a file no
    // larger than a block is then read whole, its end seen, in one call.
    allocate();
    char* raw = reinterpret_cast<char*>(m_block.get());
    if (!readRaw(raw, m_blockBytes + 4, m_first))
        return false;
    // The mark is judged on the file's length, as the classing rules state it;
    // a file shorter than its would-be mark reads as what it holds.
    m_detected = ClassifyMark(reinterpret_cast<const unsigned char*>(raw), std::min<qint64>(m_sizeHint, m_first));
    m_offset = m_detected.markLength;
    return true;
}

bool SourceReader::headHoldsNul() const
{
    constexpr qint64 kHead = 8192;
    const char* head = reinterpret_cast<const char*>(m_block.get());
    if (m_first >= kHead || (m_first >= 0 && m_eof))
        return std::memchr(head, 0, size_t(std::min(m_first, kHead))) != nullptr;
    char read[kHead];
    const qint64 got = ReadAt(m_fd, read, kHead, 0);
    return got > 0 && std::memchr(read, 0, size_t(got)) != nullptr;
}

void SourceReader::allocate()
{
    if (m_block)
        return;
    // Small files get a small block: a batch of many small files should not
    // pay for a megabyte each. A file that grows meanwhile just takes more blocks.
    m_blockBytes = m_fixedBlock > 0 ? m_fixedBlock
                                    : std::clamp<qint64>((m_sizeHint + 4095) / 4096 * 4096, 4096, kBlockBytes);
    // Raw bytes are read into char16_t storage so UTF-16 blocks can be used in
    // place; up to four carried bytes go in front of a block.
    m_block = MakeReadBuffer<char16_t>(size_t((m_blockBytes + 5) / 2));
}

bool SourceReader::readRaw(char* into, qint64 len, qint64& got)
{
    // Read up to the size it had when opened, a file counts as ended (one
    // growing meanwhile reads as it was then). A size of 0 says nothing: the
    // system's own files often show it whatever they hold.
    const qint64 left = m_sizeHint > 0 ? std::max<qint64>(0, m_sizeHint - m_position) : -1;
    got = m_eof ? 0 : ReadFully(m_fd, into, len, left);
    if (got < 0) {
        m_errno = errno;
        return false;
    }
    m_position += got;
    m_eof = m_eof || got < len;   // reads of a regular file come up short only at its end
    return true;
}

bool SourceReader::readBlock(char*& raw, qint64& total)
{
    raw = reinterpret_cast<char*>(m_block.get());
    if (m_first >= 0) {
        // The block open() read, from the end of the mark; nothing is carried yet.
        raw += m_detected.markLength;
        total = std::exchange(m_first, -1) - m_detected.markLength;
        return true;
    }
    std::memcpy(raw, m_carry, size_t(m_carryLen));
    qint64 got = 0;
    if (!readRaw(raw + m_carryLen, m_blockBytes, got))
        return false;
    total = m_carryLen + got;
    return true;
}

bool SourceReader::nextBytes(std::string_view& block)
{
    block = {};
    if (m_ended)
        return true;
    char* raw = nullptr;
    qint64 total = 0;
    if (!readBlock(raw, total))
        return false;
    m_carryLen = 0;
    m_ended = m_eof;
    block = std::string_view(raw, size_t(total));
    return true;
}

bool SourceReader::malformed(qint64 offset, const QString& values)
{
    m_errno = kMalformedText;
    m_detail = QStringLiteral("not valid UTF-32 at byte %1 (%2)").arg(offset).arg(values);
    return false;
}

// A unit as eight hex digits, as a hex dump of the file shows its value.
static QString UnitText(char32_t unit)
{
    return QStringLiteral("0x%1").arg(QString::number(quint32(unit), 16).toUpper(), 8, QLatin1Char('0'));
}

bool SourceReader::convertUtf32(const unsigned char* p, qint64 bytes, qint64& n)
{
    const bool big = m_detected.form == SourceForm::Utf32BE;
    char16_t* out = m_units.get();
    n = 0;
    for (qint64 i = 0; i < bytes; i += 4, m_offset += 4) {
        const char32_t cp = big ? (char32_t(p[i]) << 24 | char32_t(p[i + 1]) << 16 | char32_t(p[i + 2]) << 8 | p[i + 3])
                                : (char32_t(p[i + 3]) << 24 | char32_t(p[i + 2]) << 16 | char32_t(p[i + 1]) << 8 | p[i]);
        if (cp > 0x10FFFF)
            return malformed(m_offset, UnitText(cp));
        // Surrogate values are kept as the units they name, as a UTF-16 file
        // keeps them, unless a high one meets a low one: those two would read
        // back as one character the source does not hold.
        if (m_high && cp >= 0xDC00 && cp <= 0xDFFF)
            return malformed(m_offset - 4, UnitText(m_high) + QLatin1Char(' ') + UnitText(cp));
        m_high = cp >= 0xD800 && cp <= 0xDBFF ? cp : 0;
        if (cp < 0x10000) {
            out[n++] = char16_t(cp);
        } else {
            out[n++] = char16_t(0xD800 + ((cp - 0x10000) >> 10));
            out[n++] = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return true;
}

bool SourceReader::nextUnits(std::u16string_view& block)
{
    block = {};
    if (!m_detail.isEmpty())
        return false;   // nothing past a malformed unit is handed out
    const bool utf32 = m_detected.form == SourceForm::Utf32LE || m_detected.form == SourceForm::Utf32BE;
    const int unitBytes = utf32 ? 4 : 2;
    char16_t* units = nullptr;
    qint64 n = 0;
    // An empty block means the end, so a block too small for a whole unit
    // is followed by the next one.
    while (n == 0 && !m_ended) {
        char* raw = nullptr;
        qint64 total = 0;
        if (!readBlock(raw, total))
            return false;
        const qint64 whole = total / unitBytes * unitBytes;
        m_carryLen = int(total - whole);
        std::memcpy(m_carry, raw + whole, size_t(m_carryLen));
        m_ended = m_eof;
        units = reinterpret_cast<char16_t*>(raw);   // past a mark of 2 or 4 bytes: still aligned
        n = whole / 2;
        if (!utf32 && m_detected.form == SourceForm::Utf16BE) {
            for (qint64 i = 0; i < n; ++i)
                units[i] = char16_t((units[i] >> 8) | (units[i] << 8));
        } else if (utf32) {
            if (!m_units)
                m_units.reset(new char16_t[size_t(m_blockBytes / 2 + 4)]);
            units = m_units.get();
            if (!convertUtf32(reinterpret_cast<const unsigned char*>(raw), whole, n))
                return false;
        }
    }
    if (m_ended && m_carryLen > 0) {
        // Bytes that make no whole unit are carried through unchanged after
        // the text instead of being dropped or altered.
        m_trailing = QByteArray(m_carry, m_carryLen);
        m_carryLen = 0;
    }
    block = std::u16string_view(units, size_t(n));
    return true;
}

} // namespace quorvane
