#include "filelist/ListFileLoad.h"

#include "engine/files/PathHelpers.h"
#include "filelist/FileListModel.h"
#include "filelist/FolderListing.h"
#include "filelist/ListFile.h"
#include "shell/Prompts.h"

#include <QCoreApplication>

namespace quorvane {

namespace {

// "Line 3 of PATH was not added: …" or "Lines 3, 7, 9 of PATH were not added: …";
// a long run of numbers is cut after the first ten.
QString nulLinesNotice(const QString& path, const std::vector<qsizetype>& lines)
{
    constexpr std::size_t shown = 10;
    QStringList numbers;
    for (std::size_t i = 0; i < lines.size() && i < shown; ++i)
        numbers.append(QString::number(lines[i]));
    QString list = numbers.join(QStringLiteral(", "));
    if (lines.size() > shown)
        list = QCoreApplication::translate("quorvane::FileListView", "%1 and %n more", nullptr,
                                           int(lines.size() - shown))
                   .arg(list);
    // The English is the source text itself, with no catalogue to give its
    // plural forms, so one line has a sentence of its own; every other count
    // takes the plural forms of the language shown.
    if (lines.size() == 1)
        return QCoreApplication::translate("quorvane::FileListView",
                                           "Line %1 of %2 was not added: a file name cannot hold a NUL character.")
            .arg(list, ShownEntryText(path));
    return QCoreApplication::translate("quorvane::FileListView",
                                       "Lines %1 of %2 were not added: a file name cannot hold a NUL character.",
                                       nullptr, int(lines.size()))
        .arg(list, ShownEntryText(path));
}

// The lines whose names are not UTF-8, each with its bytes escaped.
QString undecodableNotice(const QString& path, const std::vector<std::pair<qsizetype, QByteArray>>& lines)
{
    QString text = QCoreApplication::translate("quorvane::FileListView",
                                               "These lines of %1 were not added: the names are not valid UTF-8.",
                                               nullptr, int(lines.size()))
                       .arg(ShownEntryText(path));
    for (const auto& [line, raw] : lines)
        text += u'\n'
            + QCoreApplication::translate("quorvane::FileListView", "line %1: %2")
                  .arg(QString::number(line), EscapedName(raw));
    return text;
}

} // namespace

void LoadListFile(FileListModel& model, const QString& path, Prompts& prompts)
{
    if (!FileExists(path)) {
        prompts.notice(QCoreApplication::translate("quorvane::FileListView", "File not found"), ApplicationTitle());
        return;
    }
    const ListFileEntries read = ReadListFile(path);
    model.addEntries(read.entries);
    if (!read.nulLines.empty())
        prompts.notice(nulLinesNotice(path, read.nulLines), ApplicationTitle());
    if (!read.undecodableLines.empty())
        prompts.notice(undecodableNotice(path, read.undecodableLines), ApplicationTitle());
}

} // namespace quorvane
