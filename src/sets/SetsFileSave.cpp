#include "sets/SetsFileSave.h"

#include "engine/files/PathHelpers.h"
#include "sets/SetsFile.h"
#include "shell/Failure.h"
#include "shell/Prompts.h"
#include "shell/SaveBytes.h"

#include <QCoreApplication>

namespace quorvane {

namespace {
// A set's text quoted in a question; a very long one is shortened so the box
// stays readable.
constexpr qsizetype kQuotedLimit = 80;

QString Quoted(const QString& text)
{
    if (text.size() <= kQuotedLimit)
        return QLatin1Char('"') + text + QLatin1Char('"');
    return QLatin1Char('"') + text.left(kQuotedLimit) + QStringLiteral("...\"");
}
} // namespace

void WriteSetsFile(const QString& path, const QStringList& finds,
                   const QStringList& replaces, Prompts& prompts)
{
    if (!SavableTarget(path)) {
        prompts.notice(QCoreApplication::translate("quorvane::SetList",
                                                  "%1 is not a regular file. The sets were not saved.")
                           .arg(path),
                       ApplicationTitle());
        return;
    }
    if (FileExists(path)
        && !prompts.question(
            QCoreApplication::translate("quorvane::SetList", "Are you sure you wish to overwrite %1 ?").arg(path),
            ApplicationTitle()))
        return;
    const qsizetype odd = FirstSetNotRoundTripping(finds, replaces);
    if (odd >= 0
        && !prompts.question(QCoreApplication::translate(
                                 "quorvane::SetList",
                                 "The set with find text %1 and replace text %2 would load back as a "
                                 "different set, since \"::\" separates the two texts in a sets file. "
                                 "Save anyway?")
                                 .arg(Quoted(finds.at(odd)), Quoted(replaces.at(odd))),
                             ApplicationTitle()))
        return;

    QString why;
    if (!SaveBytes(path, SetsFileBytes(finds, replaces), &why))
        throw Failure(why);
}

} // namespace quorvane
