#pragma once
// The menu of the status bar's "Options" button: what runs and scans reach
// in a source tree.
class QMenu;

namespace quorvane {

class Form1;

// A menu owned by the window with two checkable items, each stored the moment
// it is toggled: "Include Version-Control Folders In Scans" (read by "Add All
// File(s) In Folder" and dropped folders) and "Replace In Binary Files Too".
// A failure to store a choice is reported as "Form1.TreeChoices" and leaves
// the choice as it was.
QMenu* TreeChoicesMenu(Form1& form);

} // namespace quorvane
