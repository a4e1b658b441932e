#pragma once
// Streams a text file's content in large blocks in the units that matching
// uses: raw bytes for Ansi and Utf8 (mark skipped), UTF-16 code units for
// Unicode whatever the mark's form. The whole file is never held at once.
#include "engine/files/FileAccess.h"
#include "engine/files/FileIdentity.h"
#include "engine/text/TextCodec.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <string_view>
#include <sys/stat.h>

namespace quorvane {

class SourceReader {
public:
    // blockBytes: a fixed size for every read (tests use tiny ones to put
    // block ends everywhere); 0 sizes the blocks by the file.
    explicit SourceReader(qint64 blockBytes = 0);
    ~SourceReader();
    SourceReader(const SourceReader&) = delete;
    SourceReader& operator=(const SourceReader&) = delete;

    // Opens a regular file, reads its first block and classes the file by its
    // mark. False on failure, with errorNumber() set. seen: as for
    // OpenRegularForReading, the caller's stat of path taken just now.
    bool open(const QString& path, const struct stat* seen = nullptr);
    const Detected& detected() const { return m_detected; }
    // The opened file's device and inode.
    const FileIdentity& identity() const { return m_identity; }
    // The opened file's stat, as taken when it was opened.
    const struct stat& status() const { return m_status; }
    // The open file's descriptor, the reader's own: others may read it at an
    // offset (pread) while the reader lives.
    int descriptor() const { return m_fd; }
    // True when the first 8 KiB of the file (mark included) hold a NUL byte,
    // the sign of a binary file. Asked before the first block is handed out,
    // it mostly reads nothing more; it never moves the read position.
    bool headHoldsNul() const;
    // Unit kind to use: bytes for Ansi/Utf8, UTF-16 units for Unicode.
    bool wide() const { return m_detected.encoding == TextEncoding::Unicode; }

    // Next block of bytes (narrow files); an empty view at the end. The view
    // stays valid until the next call. False on a read failure.
    bool nextBytes(std::string_view& block);
    // Next block of UTF-16 units (wide files), same rules. UTF-16BE is swapped,
    // UTF-32 converted: a lone surrogate value stays that unit, as in UTF-16.
    // A UTF-32 unit with no lossless UTF-16 form (beyond U+10FFFF, or a high
    // surrogate value followed by a low one, which would read back as a
    // pair) fails the read with kMalformedText. Bytes that make no whole unit
    // at the end are kept aside: trailingBytes().
    bool nextUnits(std::u16string_view& block);
    // True once the block handed out last was the file's last: the next is empty.
    bool atEnd() const { return m_ended; }
    // Once the end is reached: the odd last byte of a UTF-16 file, or the 1-3
    // stray last bytes of a UTF-32 file ("" if none).
    QByteArray trailingBytes() const { return m_trailing; }

    int errorNumber() const { return m_errno; }
    // Where and why the text is malformed, as words, when errorNumber() is
    // kMalformedText; empty otherwise.
    QString errorDetail() const { return m_detail; }

private:
    bool readRaw(char* into, qint64 len, qint64& got);
    // Puts the carried bytes in front of the next read; raw/total give the block.
    bool readBlock(char*& raw, qint64& total);
    void allocate();
    // Converts whole UTF-32 units to UTF-16 into m_units; false on a unit
    // with no lossless UTF-16 form. n receives the units made.
    bool convertUtf32(const unsigned char* p, qint64 bytes, qint64& n);
    bool malformed(qint64 offset, const QString& values);

    int m_fd = -1;
    struct stat m_status {};
    int m_errno = 0;
    QString m_detail;
    const qint64 m_fixedBlock;
    Detected m_detected;
    FileIdentity m_identity;
    ReadBuffer<char16_t> m_block;           // raw block, read as bytes
    std::unique_ptr<char16_t[]> m_units;    // converted units (UTF-32 sources)
    char m_carry[4] = {};                   // bytes of a unit cut by a block end
    int m_carryLen = 0;
    qint64 m_sizeHint = 0;       // the file's size when opened
    qint64 m_position = 0;       // bytes read so far
    qint64 m_blockBytes = 0;
    qint64 m_first = -1;         // bytes of the block open() read, until it is handed out
    bool m_eof = false;          // the last read reached the end of the file
    bool m_ended = false;        // everything has been handed out
    QByteArray m_trailing;
    qint64 m_offset = 0;          // UTF-32: the file offset of the next unit to convert
    char32_t m_high = 0;          // UTF-32: the last unit when it was a high surrogate value
};

// Classes a file by its first bytes (up to four) and its length.
Detected ClassifyMark(const unsigned char* first, qint64 length);

} // namespace quorvane
