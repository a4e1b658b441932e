#pragma once
// The temporary files of atomic writes. Each is made in its target's folder
// under a name of the form ".quorvane-XXXXXX" and held under an exclusive
// flock for as long as its descriptor is open, until it is renamed or removed.
// A process killed outright (kill -9, a crash, a power cut) leaves its
// temporary files behind unheld, and that is how a later run tells them from
// the ones another run is still writing.
#include <QByteArray>
#include <QSet>
#include <mutex>
#include <sys/stat.h>

namespace quorvane {

// True when name (a bare file name) has the form of a temporary file.
bool IsTempName(const char* name);

// Creates a temporary file in folder (native bytes, no trailing '/'), held
// and still named by path when this returns. Returns its descriptor (close on
// exec), or -1 with errno set. held, if given, receives the new file's stat.
// Where the file system can, the file is made unnamed and named once held.
int CreateHeldTemp(const QByteArray& folder, QByteArray& path, struct stat* held = nullptr);

// For tests: false makes every temporary file by name, as where the file
// system makes no unnamed files.
void SetUnnamedTemps(bool on);

// Removes the temporary files in folder that no process holds, checking under
// the lock that the name still names the file it locked. A file another run
// holds is never touched; one that cannot be opened is left. Returns the
// number removed.
int RemoveStaleTemps(const QByteArray& folder);

// The folders a run has cleared of stale temporary files, so each is listed
// once, at the run's first write into it (from any of its threads).
class StaleTempSweep {
public:
    void clearOnce(const QByteArray& folder);

private:
    std::mutex m_lock;
    QSet<QByteArray> m_cleared;
};

// Descriptors that results waiting in groups may keep open at once. The first
// call raises the soft limit on open files to the hard limit.
int HeldTempBudget();

} // namespace quorvane
