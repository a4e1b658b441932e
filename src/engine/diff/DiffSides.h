#pragma once
// The two sides of a file's changes as lines: the source read on demand, the
// result cut as it arrives. Files without a mark stay raw bytes; marked files
// are turned into UTF-8 so both sides compare and show alike.
#include "engine/diff/SideLine.h"
#include "engine/files/FileError.h"
#include "engine/text/SourceReader.h"

#include <QByteArray>
#include <QString>
#include <QStringConverter>
#include <deque>
#include <functional>
#include <optional>
#include <string_view>

namespace quorvane::diff {

// Turns one side's pieces into the bytes the diff works on; keeps the state
// of a character cut between pieces.
class Utf8Side {
public:
    enum class From { Bytes, Utf8, Utf16LE };
    explicit Utf8Side(From from);
    void addBytes(const char* data, qint64 len, QByteArray& out);

private:
    std::optional<QStringDecoder> m_decoder;   // none for raw bytes
    QStringEncoder m_encoder;
};

// How the result of a source in `form` is read back for the diff; the source
// side of a marked file is decoded the same way. The odd last byte of a
// UTF-16 file stays in the decoder on both sides: neither shows it.
Utf8Side::From ResultSideOf(SourceForm form);

// The source's lines, read as they are asked for.
class OldLines {
public:
    // False when the file cannot be opened (failed(); errorNumber() tells why).
    bool open(const QString& path);
    const Detected& detected() const { return m_reader.detected(); }
    // The next line; false at the end and on a failure (failed()).
    bool next(Line& line);
    bool failed() const { return m_failed; }
    // Why reading failed: the source's error, or the spool's.
    FileError error() const;

private:
    bool refill();

    SourceReader m_reader;
    QString m_path;
    bool m_opened = false;
    std::optional<Utf8Side> m_side;
    LineSpool m_spool;
    LineCutter m_cutter{&m_spool};
    std::deque<Line> m_ready;
    QByteArray m_scratch;
    bool m_ended = false;
    bool m_failed = false;
};

} // namespace quorvane::diff
