#pragma once
// Where results go: the save option, the output folder box and its browse
// button, and the settings that keep them between runs.
#include <QString>

namespace quorvane {

class Form1;

// Option1_Click / Option2_Click: stores "Option1" and "Option2" from the two
// buttons' states and enables Frame1 exactly when Option1 is selected.
void StoreSaveOption(Form1& form);
// Text3_Change: stores "Output Folder" = the box's text, unchecked.
void StoreOutputFolder(Form1& form);
// PushButton14_Click: picks a folder starting at "LastFolderDot"; a choice is
// stored there and put into Text3 with a trailing '/'. Cancel changes nothing.
// Trapped as "Form1.PushButton14_Click".
void BrowseOutputFolder(Form1& form);

// folder followed by '/' unless it already ends with one.
QString WithTrailingSlash(const QString& folder);

} // namespace quorvane
