#pragma once
// Tells whether a result is byte for byte the file it would replace, while the
// result is being made: each part is compared with the file's bytes at the
// same offset, a block at a time, so neither is ever held whole.
#include "engine/files/FileAccess.h"

#include <QString>
#include <memory>

namespace quorvane {

class TargetCompare {
public:
    // The file is opened at the first comparison, unless fd is an open
    // descriptor of it to read instead (left open here).
    explicit TargetCompare(const QString& path, int fd = -1);
    ~TargetCompare();
    TargetCompare(const TargetCompare&) = delete;
    TargetCompare& operator=(const TargetCompare&) = delete;

    // Compares the next len bytes of the result; after the first difference
    // nothing more is read.
    void feed(const char* data, qint64 len);
    // True when everything fed equals the file and the file ends there.
    bool same();

private:
    bool ready();
    void stop();

    QString m_path;
    int m_fd = -1;
    bool m_borrowed = false;   // m_fd is the caller's
    qint64 m_offset = 0;
    bool m_differs = false;
    ReadBuffer<char> m_scratch;
};

} // namespace quorvane
