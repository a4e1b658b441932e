#pragma once
// Streams a text file's content in large blocks in the units that matching
// uses: raw bytes for Ansi and Utf8 (mark skipped), UTF-16 code units for
// Unicode whatever the mark's form. The whole file is never held at once.
#include "engine/files/FileIdentity.h"
#include "engine/text/TextCodec.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <string_view>

namespace quorvane {

class SourceReader {
public:
    SourceReader();
    ~SourceReader();
    SourceReader(const SourceReader&) = delete;
    SourceReader& operator=(const SourceReader&) = delete;

    // Opens a regular file and classes it by its mark. False on failure, with
    // errorNumber() set.
    bool open(const QString& path);
    const Detected& detected() const { return m_detected; }
    // The opened file's device and inode.
    const FileIdentity& identity() const { return m_identity; }
    // True when the first 8 KiB of the file (mark included) hold a NUL byte,
    // the sign of a binary file. Reads without moving the read position.
    bool headHoldsNul() const;
    // Unit kind to use: bytes for Ansi/Utf8, UTF-16 units for Unicode.
    bool wide() const { return m_detected.encoding == TextEncoding::Unicode; }

    // Next block of bytes (narrow files); an empty view at the end. The view
    // stays valid until the next call. False on a read failure.
    bool nextBytes(std::string_view& block);
    // Next block of UTF-16 units (wide files), same rules. UTF-16BE is swapped,
    // UTF-32 converted (invalid code points and a cut-off last unit become
    // U+FFFD). A lone last byte of a UTF-16 file is kept aside: trailingByte().
    bool nextUnits(std::u16string_view& block);
    // The odd last byte of a UTF-16 file once the end is reached ("" if none).
    QByteArray trailingByte() const { return m_trailing; }

    int errorNumber() const { return m_errno; }

private:
    bool readRaw(char* into, qint64 len, qint64& got);
    // Puts the carried bytes in front of the next read; raw/total give the block.
    bool readBlock(char*& raw, qint64& total);
    void allocate();

    int m_fd = -1;
    int m_errno = 0;
    Detected m_detected;
    FileIdentity m_identity;
    std::unique_ptr<char16_t[]> m_block;    // raw block, read as bytes
    std::unique_ptr<char16_t[]> m_units;    // converted units (UTF-32 sources)
    char m_carry[4] = {};                   // bytes of a unit cut by a block end
    int m_carryLen = 0;
    qint64 m_sizeHint = 0;       // the file's size when opened
    qint64 m_blockBytes = 0;
    bool m_eof = false;          // the last read reached the end of the file
    bool m_ended = false;        // everything has been handed out
    QByteArray m_trailing;
};

// Classes a file by its first bytes (up to four) and its length.
Detected ClassifyMark(const unsigned char* first, qint64 length);

} // namespace quorvane
