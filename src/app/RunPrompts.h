#pragma once
// The prompts of a run: each one first runs a hook (which puts the file the
// prompt is about on the progress bar) and is shown only when the hook allows
// it: once the window is closing, the run asks and tells nothing more.
#include "shell/Prompts.h"

#include <functional>

namespace quorvane {

class RunPrompts : public Prompts {
public:
    // before() runs ahead of every prompt; false drops the prompt (a question
    // then answers No, a box or dialog is cancelled).
    RunPrompts(Prompts& inner, std::function<bool()> before)
        : m_inner(inner), m_before(std::move(before))
    {
    }

    void notice(const QString& text, const QString& title) override
    {
        if (m_before())
            m_inner.notice(text, title);
    }
    void errorBox(const QString& text, const QString& title) override
    {
        if (m_before())
            m_inner.errorBox(text, title);
    }
    bool question(const QString& text, const QString& title) override
    {
        return m_before() && m_inner.question(text, title);
    }
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultAnswer) override
    {
        return m_before() ? m_inner.inputBox(prompt, title, defaultAnswer) : QString();
    }
    QStringList openFiles(const QString& title, const QString& filter, bool multiple) override
    {
        return m_before() ? m_inner.openFiles(title, filter, multiple) : QStringList();
    }
    QString saveFile(const QString& title, const QString& filter) override
    {
        return m_before() ? m_inner.saveFile(title, filter) : QString();
    }
    QString pickFolder(const QString& title, const QString& initialFolder) override
    {
        return m_before() ? m_inner.pickFolder(title, initialFolder) : QString();
    }
    bool openUrl(const QUrl& url) override
    {
        return m_before() && m_inner.openUrl(url);
    }

private:
    Prompts& m_inner;
    std::function<bool()> m_before;
};

} // namespace quorvane
