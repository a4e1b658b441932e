#pragma once
// The boxes and the starting folders of the real prompts, built apart from
// showing them so their size and contents can be checked.
#include <QMessageBox>
#include <QString>
#include <memory>

class QInputDialog;
class QWidget;

namespace quorvane {

// Width a box needs so its title bar shows title whole: the title in the
// window title font (bold, as many title bars draw it) plus room for the
// bar's icon and buttons.
int TitleFitWidth(const QString& title);

// A message box with text (CR and LF shown as line breaks, no markup), at
// least TitleFitWidth(title) wide.
std::unique_ptr<QMessageBox> MakeMessageBox(QMessageBox::Icon icon, const QString& text,
                                            const QString& title,
                                            QMessageBox::StandardButtons buttons, QWidget* parent);

// A one-line input box offering defaultAnswer, at least TitleFitWidth(title)
// wide; its answer may be of any length.
std::unique_ptr<QInputDialog> MakeInputDialog(const QString& prompt, const QString& title,
                                              const QString& defaultAnswer, QWidget* parent);

// Folder a file dialog or folder picker opens at: wanted when it names an
// existing folder, otherwise the user's home folder (never the working folder).
QString DialogStartFolder(const QString& wanted);

} // namespace quorvane
