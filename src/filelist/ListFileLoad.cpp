#include "filelist/ListFile.h"

// Filling the list from a list file; apart from the reading so that the
// command without windows does not carry the list's widgets.
#include "engine/files/PathHelpers.h"
#include "filelist/FileListModel.h"
#include "shell/Prompts.h"

namespace quorvane {

void LoadListFile(FileListModel& model, const QString& path, Prompts& prompts)
{
    if (!FileExists(path)) {
        prompts.notice("File not found", ApplicationTitle());
        return;
    }
    model.addEntries(ReadListFileEntries(path));
}

} // namespace quorvane
