#pragma once
// Prompts for tests: records everything shown and returns queued answers.
// An unqueued question answers No, an unqueued input box or dialog is cancelled.
#include "shell/Prompts.h"

#include <QStringList>
#include <deque>
#include <functional>

namespace quorvane::test {

struct Shown {
    QString kind;   // "notice", "error", "question", "input", "open", "save", "folder", "url"
    QString text;   // message, prompt or dialog title
    QString title;  // box title, or the dialog's filter / initial folder
    QString extra;  // input box default answer
};

class ScriptedPrompts : public Prompts {
public:
    std::deque<bool> answers;             // questions
    std::deque<QString> inputs;           // input boxes
    std::deque<QStringList> openResults;  // open dialogs
    std::deque<QString> saveResults;      // save dialogs
    std::deque<QString> folderResults;    // folder pickers
    bool urlOpens = true;                 // what openUrl answers
    std::vector<Shown> shown;
    // Runs as each prompt is shown, after it is recorded.
    std::function<void(const Shown&)> onShown;

    void notice(const QString& text, const QString& title) override;
    void errorBox(const QString& text, const QString& title) override;
    bool question(const QString& text, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultAnswer) override;
    QStringList openFiles(const QString& title, const QString& filter, bool multiple) override;
    QString saveFile(const QString& title, const QString& filter) override;
    QString pickFolder(const QString& title, const QString& initialFolder) override;
    bool openUrl(const QUrl& url) override;

    // Texts of every shown item of one kind, in order.
    QStringList texts(const QString& kind) const;

private:
    void record(const Shown& item);
};

} // namespace quorvane::test
