#pragma once
// The command's standard output and error, which remember their first failed
// write: output that cannot be written is an error like any other.
#include <QByteArray>
#include <QString>
#include <cstdio>

namespace quorvane::batch {

class Streams {
public:
    Streams(std::FILE* out, std::FILE* err) : m_out(out), m_err(err) {}

    void out(const QByteArray& bytes) { write(m_out, bytes, m_outError); }
    void err(const QByteArray& bytes) { write(m_err, bytes, m_errError); }
    // "quorvane-batch: " + text + newline on stderr: the one form of every message.
    void message(const QString& text);
    // True once a write to standard output has failed.
    bool outFailed() const { return m_outError != 0; }

    // Flushes both streams. When a write failed, says so on stderr (as far as
    // it can) and gives 1 for a status of 0; otherwise gives status unchanged.
    int finish(int status);

private:
    static void write(std::FILE* stream, const QByteArray& bytes, int& error);

    std::FILE* m_out;
    std::FILE* m_err;
    int m_outError = 0;   // errno of the first failed write, 0 while none failed
    int m_errError = 0;
};

// The system's words for errno, as strerror gives them.
QString SystemReason(int errorNumber);
// "PATH: REASON" with the system's words for errno.
QString PathReason(const QString& path, int errorNumber);

} // namespace quorvane::batch
