#pragma once
// Filling the file list from a list file, apart from the reading (ListFile.h)
// so that the command without windows does not carry the list's widgets.
#include <QString>

namespace quorvane {

class FileListModel;
class Prompts;

// Appends the entries of the list file at path to model, and names the refused
// lines of it in one notice. A missing file shows "File not found" and adds
// nothing; a file that cannot be read throws Failure.
void LoadListFile(FileListModel& model, const QString& path, Prompts& prompts);

} // namespace quorvane
