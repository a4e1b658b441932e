#include "shell/Prompts.h"

#include "shell/PromptBoxes.h"

// The real dialogs, kept apart from the rest of the prompts so that programs
// without windows do not load the widget libraries.
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QWidget>

namespace quorvane {

namespace {
QWidget* owner()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// A dialog opened while a long operation shows the hourglass gets the arrow,
// so the user sees that it waits for an answer.
class ArrowWhileAsking {
public:
    ArrowWhileAsking() : m_busy(QApplication::overrideCursor() != nullptr)
    {
        if (m_busy)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileAsking()
    {
        if (m_busy)
            QApplication::restoreOverrideCursor();
    }
    ArrowWhileAsking(const ArrowWhileAsking&) = delete;
    ArrowWhileAsking& operator=(const ArrowWhileAsking&) = delete;

private:
    bool m_busy;
};

QMessageBox::StandardButton showBox(QMessageBox::Icon icon, const QString& text,
                                    const QString& title, QMessageBox::StandardButtons buttons)
{
    ArrowWhileAsking arrow;
    const auto box = MakeMessageBox(icon, text, title, buttons, owner());
    return static_cast<QMessageBox::StandardButton>(box->exec());
}

// Folder of the file last chosen in a file dialog during this run; the next
// file dialog opens there.
QString g_lastFileFolder;

QStringList RememberFolder(const QStringList& chosen)
{
    if (!chosen.isEmpty() && !chosen.first().isEmpty())
        g_lastFileFolder = QFileInfo(chosen.first()).absolutePath();
    return chosen;
}
} // namespace

void QtPrompts::notice(const QString& text, const QString& title)
{
    showBox(QMessageBox::NoIcon, text, title, QMessageBox::Ok);
}

void QtPrompts::errorBox(const QString& text, const QString& title)
{
    showBox(QMessageBox::Warning, text, title, QMessageBox::Ok);
}

bool QtPrompts::question(const QString& text, const QString& title)
{
    return showBox(QMessageBox::NoIcon, text, title, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

QString QtPrompts::inputBox(const QString& prompt, const QString& title, const QString& defaultAnswer)
{
    ArrowWhileAsking arrow;
    const auto dialog = MakeInputDialog(prompt, title, defaultAnswer, owner());
    return dialog->exec() == QDialog::Accepted ? dialog->textValue() : QString();
}

QStringList QtPrompts::openFiles(const QString& title, const QString& filter, bool multiple)
{
    ArrowWhileAsking arrow;
    const QString start = DialogStartFolder(g_lastFileFolder);
    if (multiple)
        return RememberFolder(QFileDialog::getOpenFileNames(owner(), title, start, filter));
    const QString one = QFileDialog::getOpenFileName(owner(), title, start, filter);
    return RememberFolder(one.isEmpty() ? QStringList() : QStringList{one});
}

QString QtPrompts::saveFile(const QString& title, const QString& filter)
{
    ArrowWhileAsking arrow;
    const QString chosen = QFileDialog::getSaveFileName(owner(), title, DialogStartFolder(g_lastFileFolder),
                                                        filter, nullptr, QFileDialog::DontConfirmOverwrite);
    RememberFolder({chosen});
    return chosen;
}

QString QtPrompts::pickFolder(const QString& title, const QString& initialFolder)
{
    ArrowWhileAsking arrow;
    QString chosen = QFileDialog::getExistingDirectory(owner(), title, DialogStartFolder(initialFolder));
    while (chosen.size() > 1 && chosen.endsWith(u'/'))
        chosen.chop(1);
    return chosen;
}

bool QtPrompts::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

} // namespace quorvane
