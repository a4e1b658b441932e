#pragma once
// Every message box, question, input box, file dialog and folder picker of the
// program goes through one Prompts object, so tests can script the answers.
#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

namespace quorvane {

class Prompts {
public:
    virtual ~Prompts() = default;

    // Message box with an OK button only and no icon. CR and LF in text are line breaks.
    virtual void notice(const QString& text, const QString& title) = 0;
    // "Application Error" box: warning icon, one OK button.
    virtual void errorBox(const QString& text, const QString& title) = 0;
    // Yes/No question without an icon; true for Yes.
    virtual bool question(const QString& text, const QString& title) = 0;
    // Input box; the empty text when cancelled or answered empty.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultAnswer) = 0;
    // Open dialog; empty list when cancelled. filter uses Qt's "Name (*.x);;All Files (*)" form.
    // File dialogs open in the folder of the file last chosen in one, at first
    // in the user's home folder.
    virtual QStringList openFiles(const QString& title, const QString& filter, bool multiple) = 0;
    // Save dialog without its own overwrite question and without adding an extension;
    // empty when cancelled.
    virtual QString saveFile(const QString& title, const QString& filter) = 0;
    // Folder picker opening at initialFolder when it exists, otherwise at the
    // user's home folder; empty when cancelled.
    // The result has no trailing '/' unless it is the root.
    virtual QString pickFolder(const QString& title, const QString& initialFolder) = 0;
    // Hands a web address or a local folder to the desktop; false when the
    // desktop has nothing that opens it.
    virtual bool openUrl(const QUrl& url) = 0;
};

// The application title shown by prompts that have no title of their own.
const QString& ApplicationTitle();
void SetApplicationTitleText(const QString& title);

// Real dialogs, owned by the active window.
class QtPrompts : public Prompts {
public:
    void notice(const QString& text, const QString& title) override;
    void errorBox(const QString& text, const QString& title) override;
    bool question(const QString& text, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultAnswer) override;
    QStringList openFiles(const QString& title, const QString& filter, bool multiple) override;
    QString saveFile(const QString& title, const QString& filter) override;
    QString pickFolder(const QString& title, const QString& initialFolder) override;
    bool openUrl(const QUrl& url) override;
};

// Shows CR, LF and CR LF as line breaks the way a message box of the user's
// desktop displays text.
QString DisplayText(const QString& text);

} // namespace quorvane
