#include "app/LoadSamples.h"

#include "engine/files/PathHelpers.h"
#include "filelist/FileListModel.h"
#include "shell/ErrorReport.h"
#include "shell/ProgramFolder.h"
#include "shell/Prompts.h"
#include "shell/Settings.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QUrl>

namespace quorvane {

void LoadSampleFiles(FileListModel& fileList, Prompts& prompts)
{
    // The snapshot is the set of files the samples folder held at first start;
    // files added to the folder later are deliberately not offered.
    const QString snapshot = ReadSetting(QStringLiteral("Snapshot"), QString());
    if (!snapshot.isEmpty()) {
        for (const QString& path : snapshot.split(u'|')) {
            if (FileExists(path) && !fileList.contains(path))
                fileList.addEntry(path);
        }
    }

    if (!prompts.question(QCoreApplication::translate("quorvane::Form1", kOpenSamplesQuestion), ApplicationTitle()))
        return;
    const QString folder = ProgramFolder() + QStringLiteral("/Samples/");
    // Without a file manager the desktop opens nothing; the user still gets the place.
    if (!prompts.openUrl(QUrl::fromLocalFile(folder)))
        prompts.notice(QCoreApplication::translate("quorvane::Form1", kSamplesFolderNotOpened).arg(folder),
                       ApplicationTitle());
}

void LoadSamplesButton(FileListModel& fileList, QPlainTextEdit* findText,
                       QPlainTextEdit* replaceText, QTabWidget* tabs, Prompts& prompts)
{
    StepTrap trap(prompts, "Form1.PushButton8_Click");
    trap.step(100, [&] { LoadSampleFiles(fileList, prompts); });
    trap.step(102, [&] { findText->setPlainText(QStringLiteral("a")); });
    trap.step(104, [&] { replaceText->setPlainText(QStringLiteral("b")); });
    trap.step(106, [&] { tabs->setCurrentIndex(0); });
}

} // namespace quorvane
