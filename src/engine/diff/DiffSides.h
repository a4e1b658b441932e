#pragma once
// The two sides of a file's changes as lines: the source read on demand, the
// result cut as it arrives. Files without a mark stay raw bytes; marked files
// are turned into UTF-8 so both sides compare and show alike.
#include "engine/text/SourceReader.h"

#include <QByteArray>
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
    void addUnits(std::u16string_view units, QByteArray& out);

private:
    From m_from;
    std::optional<QStringDecoder> m_decoder;
    QStringEncoder m_encoder;
};

// How the result of a source in `form` is read back for the diff.
Utf8Side::From ResultSideOf(SourceForm form);

// Cuts a byte stream into lines, each with its LF if it has one.
class LineCutter {
public:
    using Take = std::function<void(QByteArray&& line)>;
    void feed(const char* data, qint64 len, const Take& take);
    // The last line, when it lacks an LF.
    void finish(const Take& take);

private:
    QByteArray m_partial;
};

// The source's lines, read as they are asked for.
class OldLines {
public:
    // False when the file cannot be opened (failed(); errorNumber() tells why).
    bool open(const QString& path);
    const Detected& detected() const { return m_reader.detected(); }
    // The next line; false at the end and on a read failure (failed()).
    bool next(QByteArray& line);
    bool failed() const { return m_failed; }
    int errorNumber() const { return m_reader.errorNumber(); }

private:
    bool refill();

    SourceReader m_reader;
    std::optional<Utf8Side> m_side;
    LineCutter m_cutter;
    std::deque<QByteArray> m_ready;
    QByteArray m_scratch;
    bool m_ended = false;
    bool m_failed = false;
};

} // namespace quorvane::diff
