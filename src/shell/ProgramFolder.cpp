#include "shell/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace quorvane {

namespace {
QString g_override;
}

QString ProgramFolder()
{
    if (!g_override.isEmpty())
        return g_override;
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString installed = QDir::cleanPath(exeDir + "/../share/quorvane");
    if (QFileInfo(exeDir).fileName() == "bin" && QFileInfo(installed).isDir())
        return installed;
    return exeDir;
}

void SetProgramFolder(const QString& folder) { g_override = folder; }

} // namespace quorvane
