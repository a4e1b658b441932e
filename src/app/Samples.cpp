#include "Samples.h"

#include "FolderScan.h"
#include "ProgramFolder.h"
#include "Settings.h"

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
