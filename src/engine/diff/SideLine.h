#pragma once
// A line of one side of a diff. Lines are held whole up to kLongLine bytes;
// a longer one is held by its start, its length and a digest, its bytes kept
// in the side's spool file, so no line is ever held whole in memory.
#include <QByteArray>
#include <QCryptographicHash>
#include <QHashFunctions>
#include <QTemporaryFile>
#include <functional>
#include <memory>

namespace quorvane::diff {

constexpr qint64 kLongLine = qint64(1) << 20;
constexpr qsizetype kLongLineHead = 65536;

// Where the long lines of a side go; the file is made at the first one.
class LineSpool {
public:
    bool append(const char* data, qint64 len);
    qint64 size() const { return m_size; }
    // Hands the bytes [at, at + len) to take in blocks; false on a failure.
    bool read(qint64 at, qint64 len, const std::function<void(const QByteArray&)>& take);
    QString errorString() const { return m_error; }

private:
    std::unique_ptr<QTemporaryFile> m_file;
    qint64 m_size = 0;
    QString m_error;
};

struct Line {
    QByteArray bytes;             // the whole line with its LF, or a long line's first kLongLineHead bytes
    qint64 length = 0;            // of the whole line
    bool lf = false;              // the line ends with an LF
    QByteArray digest;            // a long line's SHA-1
    LineSpool* spool = nullptr;   // a long line's spool, holding it from spoolAt on
    qint64 spoolAt = 0;
    size_t hash = 0;              // of bytes and length, worked out once

    bool isLong() const { return spool != nullptr; }
    bool operator==(const Line& other) const
    {
        return length == other.length && bytes == other.bytes && digest == other.digest;
    }
    // The whole line handed to take, in pieces; false when its spool fails.
    bool wholeTo(const std::function<void(const QByteArray&)>& take) const;
};

inline size_t qHash(const Line& line, size_t seed = 0)
{
    return line.hash ^ seed;
}

// Cuts a byte stream into lines at LF; long lines go to the spool.
class LineCutter {
public:
    using Take = std::function<void(Line&& line)>;
    explicit LineCutter(LineSpool* spool = nullptr) : m_spool(spool) {}
    // False when the spool fails (its errorString() tells why).
    bool feed(const char* data, qint64 len, const Take& take);
    // The last line, when it lacks an LF.
    void finish(const Take& take);

private:
    bool add(const char* data, qint64 len);
    void end(bool lf, const Take& take);

    LineSpool* m_spool;
    QByteArray m_partial;   // the line so far, or a long line's head
    qint64 m_length = 0;
    bool m_long = false;
    qint64 m_spoolAt = 0;
    QCryptographicHash m_hash{QCryptographicHash::Sha1};
};

} // namespace quorvane::diff
