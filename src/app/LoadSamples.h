#pragma once
// "Load Sample/Example Files": puts the sample files recorded at first start
// into the file list and offers a ready example ("a" -> "b").
#include <QString>

class QPlainTextEdit;
class QTabWidget;

namespace quorvane {

class FileListModel;
class Prompts;

inline constexpr const char* kOpenSamplesQuestion =
    "Would you like this software to open the folder where these sample files are stored "
    "(so that you can view them before working with them)?";

// Appends each path of the stored "Snapshot" that exists and is not listed yet,
// in snapshot order, then always asks kOpenSamplesQuestion; Yes opens the samples folder.
void LoadSampleFiles(FileListModel& fileList, Prompts& prompts);

// The button's whole handler: LoadSampleFiles, then find "a", replace "b" and the
// first tab. Each step is trapped as "Form1.PushButton8_Click" and the next one still runs.
void LoadSamplesButton(FileListModel& fileList, QPlainTextEdit* findText,
                       QPlainTextEdit* replaceText, QTabWidget* tabs, Prompts& prompts);

} // namespace quorvane
