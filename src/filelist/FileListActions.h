#pragma once
// The file list's button handlers, as functions of what they work on so the
// main window's slots stay one-line delegations.
#include "filelist/FolderScan.h"

#include <QModelIndex>
#include <QString>
#include <QStringList>

class QAbstractItemView;

namespace quorvane {

class FileListModel;
class PointerHost;
class Prompts;

// The entry a view reports as selected: its current entry when that is
// selected, else the first selected one; invalid when none is.
QModelIndex SelectedEntry(const QAbstractItemView& view);

// Yield that lets the window process its pending events.
Yield WindowYield();

// The operations below that yield (filters, folder scan, list load, drop) hold
// the list while they run (ListOperation) and do nothing when another one holds
// it; removals do nothing meanwhile either. A yield may throw OperationAbandoned,
// which ends the operation where it stands and passes to the caller.

// "Clear List": removes every entry unless the busy pointer is shown.
void ClearList(FileListModel& list, PointerHost& pointer, Prompts& prompts);

// Double-click or Delete: removes the view's selected entry (its current one
// when several are selected) unless the busy pointer is shown or none is
// selected. pointer may be null: then only a running list operation blocks it.
void RemoveSelectedEntry(QAbstractItemView& view, FileListModel& list, const PointerHost* pointer);

// "Remove Filenames Contain. X" / "Remove Filenames Not Cont. X": asks for the
// text, filters with the busy pointer shown and leaves the plain arrow after.
void AskRemoveEntriesContaining(FileListModel& list, Prompts& prompts, PointerHost& pointer,
                                const Yield& yield);
void AskRemoveEntriesNotContaining(FileListModel& list, Prompts& prompts, PointerHost& pointer,
                                   const Yield& yield);

// "Add File(s)": appends the files picked in an open dialog.
void AddFilesFromDialog(FileListModel& list, Prompts& prompts);

// "Load List Of Files From File": appends the entries of each picked list file.
void LoadListsFromDialog(FileListModel& list, Prompts& prompts, PointerHost& pointer);

// "Add All File(s) In Folder": asks for an extension and a folder, then appends
// the matching files of the folder's whole tree.
void AddAllFilesInFolder(FileListModel& list, Prompts& prompts, PointerHost& pointer,
                         const Yield& yield);

// Appends dropped paths in order: a file exactly as dropped, a folder as the
// files of its whole tree (see CollectFolderFilesReported, every extension). A
// path holding a NUL character is not added; such paths are named in one
// notice when prompts is given.
void AddDroppedPaths(FileListModel& list, const QStringList& paths, Prompts* prompts,
                     const Yield& yield);

} // namespace quorvane
