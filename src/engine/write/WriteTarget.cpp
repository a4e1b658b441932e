#include "engine/write/WriteTarget.h"

#include "engine/files/FileAccess.h"

#include <QDir>
#include <QFileInfo>

namespace quorvane {

QString TargetFolders::canonical(const QString& absoluteFolder)
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (const auto found = m_known.constFind(absoluteFolder); found != m_known.cend())
            return *found;
    }
    // realpath reads every component of the folder as a possible link: the
    // dearest step of a small file's write, so it is done outside the lock.
    const QString canonical = QFileInfo(absoluteFolder).canonicalFilePath();
    if (!canonical.isEmpty()) {
        std::lock_guard<std::mutex> hold(m_lock);
        m_known.insert(absoluteFolder, canonical);
    }
    return canonical;
}

QString ResolveWriteTarget(const QString& path, TargetFolders* folders, bool maybeLink)
{
    if (!UsablePath(path))
        return path;
    QFileInfo info(path);
    int depth = 40;
    while (maybeLink && info.isSymLink() && --depth > 0)
        info.setFile(info.symLinkTarget());
    if (depth == 0)
        info.setFile(path);   // a link loop: the write fails on the link itself
    const QString absolute = info.absolutePath();
    const QString folder = folders ? folders->canonical(absolute) : QFileInfo(absolute).canonicalFilePath();
    if (folder.isEmpty())
        return QDir::cleanPath(info.absoluteFilePath());
    return folder.endsWith(QLatin1Char('/')) ? folder + info.fileName()
                                             : folder + QLatin1Char('/') + info.fileName();
}

} // namespace quorvane
