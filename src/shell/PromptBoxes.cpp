#include "shell/PromptBoxes.h"

#include "shell/Prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QSpacerItem>

#include <limits>

namespace quorvane {

int TitleFitWidth(const QString& title)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    const QFontMetrics metrics(font);
    // The window manager's icon and its close, maximize and minimize buttons
    // are each about a line high and square, with some space around them.
    const int decorations = 6 * metrics.height() + 24;
    return metrics.horizontalAdvance(title) + decorations;
}

std::unique_ptr<QMessageBox> MakeMessageBox(QMessageBox::Icon icon, const QString& text,
                                            const QString& title,
                                            QMessageBox::StandardButtons buttons, QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(icon, title, DisplayText(text), buttons, parent);
    box->setTextFormat(Qt::PlainText);
    // A message box fits itself to its layout when shown and ignores a minimum
    // width of its own, so the room for the title is a row of the layout.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(TitleFitWidth(title), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

std::unique_ptr<QInputDialog> MakeInputDialog(const QString& prompt, const QString& title,
                                              const QString& defaultAnswer, QWidget* parent)
{
    auto dialog = std::make_unique<QInputDialog>(parent);
    dialog->setWindowTitle(title);
    dialog->setLabelText(DisplayText(prompt));
    dialog->setInputMode(QInputDialog::TextInput);
    // The answer box is made by the input mode; without this it would cut an
    // answer at 32,767 characters.
    if (auto* answer = dialog->findChild<QLineEdit*>())
        answer->setMaxLength(std::numeric_limits<int>::max());
    dialog->setTextValue(defaultAnswer);
    dialog->setMinimumWidth(TitleFitWidth(title));
    return dialog;
}

QString DialogStartFolder(const QString& wanted)
{
    if (!wanted.isEmpty() && QFileInfo(wanted).isDir())
        return wanted;
    return QDir::homePath();
}

} // namespace quorvane
