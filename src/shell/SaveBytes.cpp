#include "shell/SaveBytes.h"

#include <QFileInfo>
#include <QSaveFile>

namespace quorvane {

bool SavableTarget(const QString& path)
{
    const QFileInfo info(path);
    const bool somethingThere = info.exists() || info.isSymLink();
    return !somethingThere || info.isFile();
}

bool SaveBytes(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    file.cancelWriting();
    return false;
}

} // namespace quorvane
