#pragma once
// The names under which two paths reach one file, now or once a run has
// written it: its device and inode where it exists, and its real path (folder
// links and a link in its own name resolved). Entries whose keys meet must be
// processed in list order.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

namespace quorvane {

class TargetKeys {
public:
    TargetKeys() = default;
    ~TargetKeys();
    TargetKeys(const TargetKeys&) = delete;
    TargetKeys& operator=(const TargetKeys&) = delete;

    // The keys of path; empty when they cannot be told (a dangling link, a
    // missing folder, a name such as ".."), so the entry must wait for every
    // earlier one and every later one for it.
    std::vector<QByteArray> of(const QString& path);

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
    QByteArray m_heldReal;
    int m_heldFd = -1;
};

} // namespace quorvane
