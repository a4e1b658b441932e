#pragma once
#include <QString>

namespace quorvane {

// Folder holding the program's resources (HAND-M.CUR, drag.ico, Samples, x/o.cjs),
// without a trailing '/': the executable's folder in the build tree, or
// <prefix>/share/quorvane when installed under <prefix>/bin.
QString ProgramFolder();
// Overrides the folder (tests); an empty text restores the detection above.
void SetProgramFolder(const QString& folder);

} // namespace quorvane
