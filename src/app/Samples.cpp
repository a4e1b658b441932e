#include "app/Samples.h"

#include "filelist/FolderScan.h"
#include "shell/ProgramFolder.h"
#include "shell/Settings.h"

namespace quorvane {

void RecordSampleSnapshot()
{
    const QString folder = ProgramFolder() + "/Samples";
    QStringList paths;
    for (const QString& name : ListFilesOfFolder(folder, "*.*"))
        paths << folder + "/" + name;
    WriteSetting("Snapshot", paths.join('|'));
}

} // namespace quorvane
