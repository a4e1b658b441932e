#pragma once
// "Load Sample/Example Files": puts the sample files recorded at first start
// into the file list and offers a ready example ("a" -> "b").
#include <QString>
#include <QtGlobal>

class QPlainTextEdit;
class QTabWidget;

namespace quorvane {

class FileListModel;
class Prompts;

inline constexpr const char* kOpenSamplesQuestion = QT_TRANSLATE_NOOP(
    "quorvane::Form1", "Would you like this software to open the folder where these sample files are stored "
             "(so that you can view them before working with them)?");
// Shown when the desktop could not open the samples folder; %1 is the folder.
inline constexpr const char* kSamplesFolderNotOpened =
    QT_TRANSLATE_NOOP("quorvane::Form1", "The folder of the sample files could not be opened. It is:\r\r%1");

// Appends each path of the stored "Snapshot" that exists and is not listed yet,
// in snapshot order, then always asks kOpenSamplesQuestion; Yes opens the samples
// folder, or shows kSamplesFolderNotOpened with its path when the desktop cannot.
void LoadSampleFiles(FileListModel& fileList, Prompts& prompts);

// The button's whole handler: LoadSampleFiles, then find "a", replace "b" and the
// first tab. Each step is trapped as "Form1.PushButton8_Click" and the next one still runs.
void LoadSamplesButton(FileListModel& fileList, QPlainTextEdit* findText,
                       QPlainTextEdit* replaceText, QTabWidget* tabs, Prompts& prompts);

} // namespace quorvane
