#include "tests/support/ScriptedPrompts.h"

namespace quorvane::test {

void ScriptedPrompts::record(const Shown& item)
{
    shown.push_back(item);
    // A copy: the hook may show further prompts, which move the recorded ones.
    if (onShown)
        onShown(item);
}

namespace {
template <typename T>
T take(std::deque<T>& queue, T fallback)
{
    if (queue.empty())
        return fallback;
    T v = queue.front();
    queue.pop_front();
    return v;
}
} // namespace

void ScriptedPrompts::notice(const QString& text, const QString& title)
{
    record({"notice", text, title, {}});
}

void ScriptedPrompts::errorBox(const QString& text, const QString& title)
{
    record({"error", text, title, {}});
}

bool ScriptedPrompts::question(const QString& text, const QString& title)
{
    record({"question", text, title, {}});
    return take(answers, false);
}

QString ScriptedPrompts::inputBox(const QString& prompt, const QString& title, const QString& defaultAnswer)
{
    record({"input", prompt, title, defaultAnswer});
    return take(inputs, QString());
}

QStringList ScriptedPrompts::openFiles(const QString& title, const QString& filter, bool multiple)
{
    record({"open", title, filter, multiple ? "multiple" : "single"});
    return take(openResults, QStringList());
}

QString ScriptedPrompts::saveFile(const QString& title, const QString& filter)
{
    record({"save", title, filter, {}});
    return take(saveResults, QString());
}

QString ScriptedPrompts::pickFolder(const QString& title, const QString& initialFolder)
{
    record({"folder", title, initialFolder, {}});
    return take(folderResults, QString());
}

bool ScriptedPrompts::openUrl(const QUrl& url)
{
    record({"url", url.toString(), {}, {}});
    return urlOpens;
}

QStringList ScriptedPrompts::texts(const QString& kind) const
{
    QStringList out;
    for (const Shown& s : shown)
        if (s.kind == kind)
            out << s.text;
    return out;
}

} // namespace quorvane::test
