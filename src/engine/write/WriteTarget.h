#pragma once
// Where a write to a path lands. A run resolves many paths in few folders, so
// the folders' canonical forms are kept for it (TargetFolders).
#include <QHash>
#include <QString>
#include <mutex>

namespace quorvane {

// The canonical forms of the folders a run's targets sit in, each found once.
// Only folders that exist are kept, so one the run creates later is still
// found. Safe to share between threads.
class TargetFolders {
public:
    // The canonical form of the absolute folder, or empty when it does not exist.
    QString canonical(const QString& absoluteFolder);

private:
    std::mutex m_lock;
    QHash<QString, QString> m_known;
};

// The file a write to path really lands in: symbolic links followed (so a link
// stays a link and its target is written) and the folder made canonical when it
// exists. Also the identity under which pending writes are compared. A link
// loop gives the link itself, whose write then fails. folders, when given,
// remembers the canonical folders between calls. maybeLink false: the caller
// has just seen that path is no symbolic link, so it is not looked at again.
QString ResolveWriteTarget(const QString& path, TargetFolders* folders = nullptr, bool maybeLink = true);

} // namespace quorvane
