#include "tests/support/ScriptedPrompts.h"

namespace quorvane::test {

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
    shown.push_back({"notice", text, title, {}});
}

void ScriptedPrompts::errorBox(const QString& text, const QString& title)
{
    shown.push_back({"error", text, title, {}});
}

bool ScriptedPrompts::question(const QString& text, const QString& title)
{
    shown.push_back({"question", text, title, {}});
    return take(answers, false);
}

QString ScriptedPrompts::inputBox(const QString& prompt, const QString& title, const QString& defaultAnswer)
{
    shown.push_back({"input", prompt, title, defaultAnswer});
    return take(inputs, QString());
}

QStringList ScriptedPrompts::openFiles(const QString& title, const QString& filter, bool multiple)
{
    shown.push_back({"open", title, filter, multiple ? "multiple" : "single"});
    return take(openResults, QStringList());
}

QString ScriptedPrompts::saveFile(const QString& title, const QString& filter)
{
    shown.push_back({"save", title, filter, {}});
    return take(saveResults, QString());
}

QString ScriptedPrompts::pickFolder(const QString& title, const QString& initialFolder)
{
    shown.push_back({"folder", title, initialFolder, {}});
    return take(folderResults, QString());
}

void ScriptedPrompts::openUrl(const QUrl& url)
{
    shown.push_back({"url", url.toString(), {}, {}});
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
