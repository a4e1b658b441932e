#include "app/Samples.h"

#include "filelist/FolderScan.h"
#include "shell/ProgramFolder.h"
#include "shell/Settings.h"

namespace quorvane {

void RecordSampleSnapshot()
{
    const QString folder = ProgramFolder() + QStringLiteral("/Samples/");
    QStringList paths;
    for (const QString& name : ListFilesOfFolder(folder, QStringLiteral("*.*")))
        paths << folder + name;
    WriteSetting(QStringLiteral("Snapshot"), paths.join(u'|'));
}

} // namespace quorvane
