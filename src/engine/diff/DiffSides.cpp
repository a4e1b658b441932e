#include "engine/diff/DiffSides.h"

#include "engine/files/FileAccess.h"

#include <QStringView>

namespace quorvane::diff {

Utf8Side::Utf8Side(From from)
    : m_encoder(QStringConverter::Utf8)
{
    // The mark is never part of the text; a U+FEFF after it is, on both sides.
    if (from == From::Utf8)
        m_decoder.emplace(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    else if (from == From::Utf16LE)
        m_decoder.emplace(QStringConverter::Utf16LE, QStringConverter::Flag::ConvertInitialBom);
}

void Utf8Side::addBytes(const char* data, qint64 len, QByteArray& out)
{
    if (!m_decoder) {
        out.append(data, len);
        return;
    }
    const QString text = (*m_decoder)(QByteArrayView(data, len));
    out += m_encoder(text);
}

Utf8Side::From ResultSideOf(SourceForm form)
{
    switch (form) {
    case SourceForm::Bytes:
        return Utf8Side::From::Bytes;
    case SourceForm::Utf8Marked:
        return Utf8Side::From::Utf8;
    default:
        return Utf8Side::From::Utf16LE;
    }
}

bool OldLines::open(const QString& path)
{
    m_path = path;
    if (!m_reader.open(path)) {
        m_failed = m_ended = true;
        return false;
    }
    m_opened = true;
    // Raw bytes, UTF-8 after the mark or UTF-16 units: made alike as the result's side is.
    m_side.emplace(ResultSideOf(m_reader.detected().form));
    return true;
}

bool OldLines::refill()
{
    const LineCutter::Take take = [this](Line&& line) { m_ready.push_back(std::move(line)); };
    while (m_ready.empty() && !m_ended) {
        m_scratch.clear();
        bool ok;
        bool empty;
        if (m_reader.wide()) {
            // The units go through the same UTF-16LE decoding as the result's
            // bytes (units in memory are little-endian, as the reader
            // requires), and so do bytes that make no whole unit: both sides
            // then read them alike.
            std::u16string_view units;
            ok = m_reader.nextUnits(units);
            empty = units.empty();
            if (ok)
                m_side->addBytes(reinterpret_cast<const char*>(units.data()), qint64(units.size() * 2), m_scratch);
            if (ok && empty) {
                const QByteArray tail = m_reader.trailingBytes();
                m_side->addBytes(tail.constData(), tail.size(), m_scratch);
            }
        } else {
            std::string_view bytes;
            ok = m_reader.nextBytes(bytes);
            empty = bytes.empty();
            if (ok)
                m_side->addBytes(bytes.data(), qint64(bytes.size()), m_scratch);
        }
        if (!ok) {
            m_failed = m_ended = true;
            return false;
        }
        if (!m_cutter.feed(m_scratch.constData(), m_scratch.size(), take)) {
            m_failed = m_ended = true;
            return false;
        }
        if (empty) {
            m_cutter.finish(take);
            m_ended = true;
        }
    }
    return !m_ready.empty();
}

FileError OldLines::error() const
{
    if (!m_spool.errorString().isEmpty())
        return {FileStage::Spool, 0, m_path, QStringLiteral("Cannot hold a long line: ") + m_spool.errorString()};
    return {m_opened ? FileStage::Read : FileStage::Open, m_reader.errorNumber(), m_path, m_reader.errorDetail()};
}

bool OldLines::next(Line& line)
{
    if (!m_side || (m_ready.empty() && !refill()))
        return false;
    line = std::move(m_ready.front());
    m_ready.pop_front();
    return true;
}

} // namespace quorvane::diff
