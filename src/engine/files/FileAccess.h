#pragma once
// Low-level file access shared by the codec and per-file replacement: opening
// only regular files (never blocking on a FIFO or device), whole reads, and
// short human descriptions of system errors.
#include "engine/files/FileError.h"
#include "engine/files/FileIdentity.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <type_traits>

namespace quorvane {

// errno-style code for a path holding a NUL character. The system would end
// the path at the NUL and reach another file, so such a path is never used.
constexpr int kNulInPath = 0x4E554C;   // beyond every errno value

// errno-style code for a source whose text cannot be read without loss (a
// malformed UTF-32 unit); FileError::detail says where.
constexpr int kMalformedText = 0x4D414C;   // beyond every errno value

// errno-style code for a source a regular expression could not be applied
// to (a match longer than the longest allowed); FileError::detail says why.
constexpr int kPatternFailed = 0x504154;   // beyond every errno value

// False, with errno set to kNulInPath, when path holds a NUL character. Every
// entry point of the engine that hands a path to the system asks this first.
bool UsablePath(const QString& path);

// Opens path read-only if it names a regular file (after following links).
// Returns the descriptor, or -1 with errno set (EINVAL for anything that is not
// a regular file). Never opens a device and never blocks on a FIFO. Has no side
// effects: a result of a run still waiting to replace the file is not put in
// place. seen: the caller's own stat of path (links followed) taken just now,
// which spares a second look; opened, if given, receives the open file's stat.
// The descriptor may be non-blocking: read it with ReadFully or ReadAt.
int OpenRegularForReading(const QString& path, struct stat* opened = nullptr, const struct stat* seen = nullptr);

// What a look at a path saw.
struct PathLook {
    bool taken = false;   // st holds what the path reaches
    bool link = false;    // the path itself is a symbolic link (a dangling one too)
    struct stat st {};
};

// Looks at what path reaches without opening it: lstat, and stat as well when
// path is a symbolic link. Not taken, with errno set, when it leads nowhere.
PathLook LookAt(const QByteArray& native);
// The same for name in the open folder folderFd (AT_FDCWD: the working
// folder): a name in a folder held open is looked at without walking every
// folder above it.
PathLook LookAtIn(int folderFd, const QByteArray& name);

// Reads up to len bytes, retrying short reads and EINTR. Returns the bytes read
// (less than len only at end of file) or -1 with errno set. enough, if not
// negative, ends the reading early too, once that many bytes are in (what is
// left of a file by the size it had when opened), saving a read to find its end.
qint64 ReadFully(int fd, void* buffer, qint64 len, qint64 enough = -1);
// The same at offset, leaving the file position where it is.
qint64 ReadAt(int fd, void* buffer, qint64 len, qint64 offset);

// Memory to read files into. It starts on a cache line: the system copies a
// file's pages into such memory three to four times as fast as into memory
// starting a few bytes past one, which is where new[] puts large blocks.
constexpr std::align_val_t kReadAlignment{64};
template <typename Unit>
struct ReadBufferFree {
    void operator()(Unit* units) const { ::operator delete[](units, kReadAlignment); }
};
template <typename Unit>
using ReadBuffer = std::unique_ptr<Unit[], ReadBufferFree<Unit>>;
// count units of uninitialised memory, aligned as above; throws bad_alloc.
template <typename Unit>
ReadBuffer<Unit> MakeReadBuffer(std::size_t count)
{
    static_assert(std::is_trivially_destructible_v<Unit>, "freed without destructors");
    return ReadBuffer<Unit>(new (kReadAlignment) Unit[count]);
}

// Writes all len bytes, retrying short writes and EINTR. False with errno set.
bool WriteFully(int fd, const void* buffer, qint64 len);

// Short text for an errno value when reading a source: ENOENT gives
// "File not found", ENOTDIR "Path not found", EACCES/EPERM/EROFS
// "Permission denied", EINVAL (not a regular file) "Not a regular file",
// kNulInPath "Invalid file name: it contains a NUL character", kMalformedText
// "Not valid text", kPatternFailed "The pattern could not be applied",
// anything else the system's own text.
QString DescribeReadError(int err);

// The same for writing a target: ENOENT and ENOTDIR give "Path not found"
// (a missing output folder), EACCES/EPERM/EROFS "Permission denied", EINVAL
// and kNulInPath as for reading.
QString DescribeWriteError(int err);

// The usual words for a failure: DescribeReadError for the source's stages,
// DescribeWriteError for the output's, with the folder named where the folder
// refused ("cannot create a temporary file in FOLDER: Permission denied",
// "cannot replace a file in FOLDER: Permission denied"), "cannot keep a
// backup: " with the system's text, and the detail of a spool's failure, of
// malformed text ("not valid UTF-32 at byte 8 (0x00110000)") or of a pattern
// that could not be applied. Empty for none.
QString DescribeFileError(const FileError& error);

// A report's words for a failure, the same for every face that writes a
// report: DescribeFileError's, but the system's own text for a missing file
// or folder ("No such file or directory", "Not a directory"), as scripts
// expect. Empty for none.
QString ReportReason(const FileError& error);

// The file system's name for path (no Qt conversion surprises).
QByteArray NativePath(const QString& path);

// The device and inode of the file path reaches (links followed); unknown
// when it does not exist or cannot be reached.
FileIdentity IdentityOf(const QString& path);

} // namespace quorvane
