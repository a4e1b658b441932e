#pragma once
// The names under which two paths reach one file, now or once a run has
// written it: its device and inode where it exists, and its real path (folder
// links and a link in its own name resolved). Entries whose keys meet must be
// processed in list order.
#include "engine/files/FileAccess.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <string>

namespace quorvane {

// Up to two keys, each a 64-bit digest of a device and inode or of a real
// path. Digests of two different names may meet by chance; that only makes
// two entries wait for each other, never lets two that reach one file pass.
struct FileKeys {
    quint64 key[2] = {0, 0};
    int count = 0;   // 0: the path's file cannot be told
};

class TargetKeys {
public:
    TargetKeys() = default;
    ~TargetKeys();
    TargetKeys(const TargetKeys&) = delete;
    TargetKeys& operator=(const TargetKeys&) = delete;

    // The keys of path; none when they cannot be told (a dangling link, a
    // missing folder, a name such as ".."), so the entry must wait for every
    // earlier one and every later one for it. look, if given, receives what
    // the path was seen to reach.
    FileKeys of(const QString& path, PathLook* look = nullptr);

private:
    // The real path of folder (as given, no trailing '/'); empty when it cannot be told.
    QByteArray realFolder(const QString& folder);
    // Makes folder the held one: its real path, and a descriptor to look up
    // names in (-1 if it cannot be opened).
    void hold(const QString& folder);
    QHash<QString, QByteArray> m_realFolders;   // a folder as given -> its real path
    // Paths come folder by folder: the last folder stays open, so a name in
    // it is looked up without walking every folder above it again.
    QString m_heldFolder;
    std::string m_heldPath;   // its real path and '/', then the name last keyed
    qsizetype m_heldPrefix = 0;   // the length of the real path and '/'; 0: none
    int m_heldFd = -1;
};

} // namespace quorvane
