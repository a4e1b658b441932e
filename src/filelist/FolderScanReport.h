#pragma once
// Tree scans started from the window, which shows what a scan passes back:
// its failed steps and the names it could not list.
#include "filelist/FolderScan.h"

namespace quorvane {

class Prompts;

// CollectFolderFiles with the window's options: version-control folders as
// the stored choice says (see ReadTreeChoices), nothing else. With prompts,
// each failed step is shown in the scan's error report and the scan goes on,
// and one notice after it names the files and folders whose names are not
// UTF-8 (escaped, see EscapedName). Without prompts, failures are thrown as
// Failure and those names are left out silently.
QStringList CollectFolderFilesReported(const QString& folder, const QString& extension,
                                       const Yield& yield, Prompts* prompts);

} // namespace quorvane
