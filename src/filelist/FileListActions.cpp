#include "filelist/FileListActions.h"

#include "engine/files/PathHelpers.h"
#include "filelist/FileListModel.h"
#include "filelist/FolderScanReport.h"
#include "filelist/ListFileLoad.h"
#include "filelist/NameFilter.h"
#include "shell/ErrorReport.h"
#include "shell/Pointer.h"
#include "shell/Prompts.h"
#include "shell/Settings.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QItemSelectionModel>

namespace quorvane {

namespace {

using Filter = void (*)(FileListModel&, const QString&, const Yield&);

void askAndFilter(FileListModel& list, Prompts& prompts, PointerHost& pointer, const Yield& yield,
                  const QString& prompt, const char* procedure, Filter filter)
{
    const ListOperation hold(list);
    if (!hold)
        return;
    StepTrap trap(prompts, procedure);
    QString answer;
    trap.step(100, [&] { answer = prompts.inputBox(prompt, ApplicationTitle(), QString()); });
    if (answer.isEmpty())
        return;
    trap.step(102, [&] { pointer.setPointer(PointerStyle::Hourglass); });
    trap.step(104, [&] { filter(list, answer, yield); });
    trap.step(106, [&] { pointer.setPointer(PointerStyle::Arrow); });
}

// A dropped path counts as a folder only when it exists as one (links followed).
bool isDroppedFolder(const QString& path)
{
    return FolderExists(path);
}

} // namespace

QModelIndex SelectedEntry(const QAbstractItemView& view)
{
    const QItemSelectionModel* selection = view.selectionModel();
    if (!selection)
        return {};
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isSelected(current))
        return current;
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? QModelIndex() : rows.first();
}

Yield WindowYield()
{
    return [] { QCoreApplication::processEvents(); };
}

void ClearList(FileListModel& list, PointerHost& pointer, Prompts& prompts)
{
    StepTrap trap(prompts, "Form1.PushButton1_Click");
    trap.step(100, [&] {
        if (!pointer.busy() && !list.operationRunning())
            list.clear();
    });
}

void RemoveSelectedEntry(QAbstractItemView& view, FileListModel& list, const PointerHost* pointer)
{
    if ((pointer && pointer->busy()) || list.operationRunning() || list.count() == 0)
        return;
    const QModelIndex chosen = SelectedEntry(view);
    if (chosen.isValid() && chosen.row() < list.count())
        list.removeEntry(chosen.row() + 1);
}

void AskRemoveEntriesContaining(FileListModel& list, Prompts& prompts, PointerHost& pointer,
                                const Yield& yield)
{
    askAndFilter(list, prompts, pointer, yield,
                 QCoreApplication::translate("quorvane::FileListView", "Remove entries containing: "),
                 "Form1.PushButton17_Click", &RemoveEntriesContaining);
}

void AskRemoveEntriesNotContaining(FileListModel& list, Prompts& prompts, PointerHost& pointer,
                                   const Yield& yield)
{
    askAndFilter(list, prompts, pointer, yield,
                 QCoreApplication::translate("quorvane::FileListView", "Remove entries not containing: "),
                 "Form1.PushButton11_Click", &RemoveEntriesNotContaining);
}

void AddFilesFromDialog(FileListModel& list, Prompts& prompts)
{
    StepTrap trap(prompts, "Form1.PushButton13_Click");
    QStringList chosen;
    trap.step(100, [&] {
        chosen = prompts.openFiles(
            QCoreApplication::translate("quorvane::FileListView", "Add File(s) - Hold Ctrl to select multiple files"),
            QCoreApplication::translate("quorvane::FileListView", "All Files (*)"), true);
    });
    if (chosen.isEmpty())
        return;
    trap.step(102, [&] {
        if (chosen.size() == 1) {
            list.addEntry(chosen.first());
            return;
        }
        QStringList paths;
        paths.reserve(chosen.size());
        for (const QString& path : chosen)
            paths.append(NormalizePath(path));
        list.addEntries(paths);
    });
}

void LoadListsFromDialog(FileListModel& list, Prompts& prompts, PointerHost& pointer)
{
    const ListOperation hold(list);
    if (!hold)
        return;
    StepTrap trap(prompts, "Form1.PushButton9_Click");
    QStringList chosen;
    trap.step(100, [&] {
        chosen = prompts.openFiles(
            QCoreApplication::translate("quorvane::FileListView", "Load List(s) - Hold Ctrl to select multiple list files"),
            QCoreApplication::translate("quorvane::FileListView", "Text Files (*.txt);;All Files (*)"), true);
    });
    if (chosen.isEmpty())
        return;
    trap.step(102, [&] { pointer.setPointer(PointerStyle::Hourglass); });
    if (chosen.size() == 1) {
        trap.step(104, [&] { LoadListFile(list, chosen.first(), prompts); });
    } else {
        // A list that fails to load is reported and the next one is still loaded.
        for (const QString& path : chosen)
            trap.step(106, [&] { LoadListFile(list, NormalizePath(path), prompts); });
    }
    trap.step(108, [&] { pointer.setPointer(PointerStyle::Default); });
}

void AddAllFilesInFolder(FileListModel& list, Prompts& prompts, PointerHost& pointer,
                         const Yield& yield)
{
    const ListOperation hold(list);
    if (!hold)
        return;
    StepTrap trap(prompts, "Form1.PushButton3_Click");
    QString answer;
    trap.step(100, [&] {
        answer = prompts.inputBox(QCoreApplication::translate("quorvane::FileListView", "Enter file extension to load:\r\r(* for all "
                                                              "files, txt for all txt files, doc for "
                                                              "all doc files, etc.)"),
                                  ApplicationTitle(), ReadSetting(QStringLiteral("Extension"), QStringLiteral("*")));
    });
    if (answer.isEmpty())
        return;
    trap.step(102, [&] { WriteSetting(QStringLiteral("Extension"), answer); });
    QString folder;
    trap.step(104, [&] {
        folder = prompts.pickFolder(QCoreApplication::translate("quorvane::FileListView", "Please select folder:"),
                                    ReadSetting(QStringLiteral("LastFolder"), QString()));
    });
    if (folder.isEmpty())
        return;
    trap.step(106, [&] { WriteSetting(QStringLiteral("LastFolder"), folder); });
    trap.step(108, [&] { pointer.setPointer(PointerStyle::Hourglass); });
    trap.step(110, [&] { list.addEntries(CollectFolderFilesReported(folder, answer, yield, &prompts)); });
    pointer.setPointer(PointerStyle::Default);
}

void AddDroppedPaths(FileListModel& list, const QStringList& paths, Prompts* prompts,
                     const Yield& yield)
{
    const ListOperation hold(list);
    if (!hold)
        return;
    QStringList refused;
    for (const QString& path : paths) {
        // The system would cut such a path at the NUL and reach another file.
        if (path.contains(QChar(0)))
            refused.append(path);
        else if (isDroppedFolder(path))
            list.addEntries(CollectFolderFilesReported(path, QStringLiteral("*"), yield, prompts));
        else
            list.addEntry(path);
    }
    if (refused.isEmpty() || !prompts)
        return;
    QString text = refused.size() == 1
        ? QCoreApplication::translate("quorvane::FileListView", "This dropped entry was not added: a file name cannot hold a NUL character.")
        : QCoreApplication::translate("quorvane::FileListView", "These dropped entries were not added: a file name cannot hold a NUL character.");
    text += u'\r';
    constexpr qsizetype shown = 10;
    for (qsizetype i = 0; i < refused.size() && i < shown; ++i)
        text += u'\r' + ShownEntryText(refused.at(i)).replace(QChar(0), QChar(0x2400));
    if (refused.size() > shown)
        text += u'\r'
            + QCoreApplication::translate("quorvane::FileListView", "(and %1 more)").arg(refused.size() - shown);
    prompts->notice(text, ApplicationTitle());
}

} // namespace quorvane
