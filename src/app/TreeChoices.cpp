#include "app/TreeChoices.h"

#include "app/StoredChoice.h"
#include "shell/TreeSettings.h"

#include <QMenu>

namespace quorvane {

namespace {

// A checkable item showing, and storing, the choice that member points at.
QAction* AddChoice(Form1& form, QMenu* menu, const QString& text, const QString& name, bool TreeChoices::*member)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setCheckable(true);
    action->setChecked(ReadTreeChoices().*member);
    // The menu shows the stored choice each time it opens.
    QObject::connect(menu, &QMenu::aboutToShow, action,
                     [action, member] { action->setChecked(ReadTreeChoices().*member); });
    QObject::connect(action, &QAction::triggered, menu, [&form, action, member](bool on) {
        action->setChecked(StoreChoice(form, "Form1.TreeChoices", member, on, ReadTreeChoices, WriteTreeChoices));
    });
    return action;
}

} // namespace

QMenu* TreeChoicesMenu(Form1& form)
{
    auto* menu = new QMenu(&form);
    menu->setObjectName(QStringLiteral("OptionsMenu"));
    menu->setToolTipsVisible(true);
    AddChoice(form, menu, Form1::tr("Include Version-Control Folders In Scans"), QStringLiteral("IncludeVcsAction"),
              &TreeChoices::includeVcs)
        ->setToolTip(Form1::tr("Let \"Add All File(s) In Folder\" and dropped folders enter .git, .hg, .svn, "
                               ".bzr, _darcs and CVS folders"));
    AddChoice(form, menu, Form1::tr("Replace In Binary Files Too"), QStringLiteral("ReplaceBinaryAction"),
              &TreeChoices::binary)
        ->setToolTip(Form1::tr("Replace also in files without a byte-order mark that hold a NUL byte in "
                               "their first 8 KiB"));
    return menu;
}

} // namespace quorvane
