#include "app/OutputLocation.h"

#include "app/Form1.h"
#include "shell/ErrorReport.h"
#include "shell/Settings.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

namespace quorvane {

void StoreSaveOption(Form1& form)
{
    // No trap of its own: a refused write ends the handler quietly.
    try {
        WriteSetting(QStringLiteral("Option1"), TruthText(form.option1()->isChecked()));
        WriteSetting(QStringLiteral("Option2"), TruthText(form.option2()->isChecked()));
    } catch (const Failure&) {
    }
    form.frame1()->setEnabled(form.option1()->isChecked());
}

void StoreOutputFolder(Form1& form)
{
    try {
        WriteSetting(QStringLiteral("Output Folder"), form.outputFolderText()->text());
    } catch (const Failure&) {
    }
}

QString WithTrailingSlash(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

void BrowseOutputFolder(Form1& form)
{
    StepTrap trap(form.prompts(), "Form1.PushButton14_Click");
    trap.step(100, [&] { form.browseFolder = ReadSetting(QStringLiteral("LastFolderDot"), QString()); });
    QString chosen;
    trap.step(102, [&] { chosen = form.prompts().pickFolder(Form1::tr("Please select folder:"), form.browseFolder); });
    if (chosen.isEmpty())
        return;
    trap.step(104, [&] {
        form.browseFolder = chosen;
        WriteSetting(QStringLiteral("LastFolderDot"), chosen);
    });
    trap.step(106, [&] { form.outputFolderText()->setText(WithTrailingSlash(chosen)); });
}

} // namespace quorvane
