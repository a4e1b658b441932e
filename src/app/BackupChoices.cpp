#include "app/BackupChoices.h"

#include "app/Form1.h"
#include "engine/backup/BackupStore.h"
#include "shell/BackupSettings.h"
#include "shell/ErrorReport.h"

#include <QDir>
#include <QMenu>
#include <QUrl>

namespace quorvane {

namespace {

// A whole number of at least 1 from an input box; 0 when cancelled, -1 when not one.
qint64 AskLimit(Form1& form, const QString& prompt, qint64 current)
{
    const QString answer = form.prompts().inputBox(prompt, ApplicationTitle(), QString::number(current)).trimmed();
    if (answer.isEmpty())
        return 0;
    bool ok = false;
    const qint64 n = answer.toLongLong(&ok);
    return ok && n >= 1 && n <= 0x7fffffff ? n : -1;
}

void Store(Form1& form, const BackupChoices& choices)
{
    StepTrap trap(form.prompts(), "Form1.BackupChoices");
    trap.step(100, [&] { WriteBackupChoices(choices); });
}

} // namespace

QMenu* BackupChoicesMenu(Form1& form)
{
    auto* menu = new QMenu(&form);
    menu->setObjectName("BackupMenu");
    QAction* keep = menu->addAction(Form1::tr("Keep Backups Of Replaced Files"));
    keep->setObjectName("KeepBackupsAction");
    keep->setCheckable(true);
    keep->setChecked(ReadBackupChoices().keep);
    QAction* limits = menu->addAction(Form1::tr("Backup Limits..."));
    limits->setObjectName("BackupLimitsAction");
    QAction* folder = menu->addAction(Form1::tr("Open Backup Folder"));
    folder->setObjectName("BackupFolderAction");
    // The menu shows the stored choices each time it opens.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [keep] { keep->setChecked(ReadBackupChoices().keep); });
    QObject::connect(keep, &QAction::triggered, menu, [&form](bool on) {
        BackupChoices choices = ReadBackupChoices();
        choices.keep = on;
        Store(form, choices);
    });
    QObject::connect(limits, &QAction::triggered, menu, [&form] { AskBackupLimits(form); });
    QObject::connect(folder, &QAction::triggered, menu, [&form] {
        const QString path = DefaultBackupFolder();
        QDir().mkpath(path);
        if (!form.prompts().openUrl(QUrl::fromLocalFile(path)))
            form.prompts().notice(Form1::tr("The backups are kept in %1.").arg(path), ApplicationTitle());
    });
    return menu;
}

QString BackupsRefusedText(const QString& folder, const QString& why)
{
    return Form1::tr("Backups of the files to replace cannot be kept in %1: %2.\n\n"
                     "Turn off \"Keep Backups Of Replaced Files\" in the menu of \"Undo Last Run\" to "
                     "replace without them.")
        .arg(folder, why);
}

void AskBackupLimits(Form1& form)
{
    BackupChoices choices = ReadBackupChoices();
    const QString notNumber = Form1::tr("Please enter a whole number of at least 1.");
    const qint64 runs = AskLimit(form, Form1::tr("Keep the backups of how many runs?"), choices.runs);
    if (runs < 0)
        form.prompts().notice(notNumber, ApplicationTitle());
    if (runs <= 0)
        return;
    // A valid first answer is kept whatever becomes of the second.
    choices.runs = int(runs);
    const qint64 megabytes =
        AskLimit(form, Form1::tr("Keep at most how many megabytes of backups?"), choices.megabytes);
    if (megabytes < 0)
        form.prompts().notice(notNumber, ApplicationTitle());
    if (megabytes > 0)
        choices.megabytes = megabytes;
    Store(form, choices);
}

} // namespace quorvane
