#include "filelist/ListFileLoad.h"

#include "engine/files/PathHelpers.h"
#include "filelist/FileListModel.h"
#include "filelist/FolderListing.h"
#include "filelist/ListFile.h"
#include "shell/Prompts.h"

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
    QString list = numbers.join(", ");
    if (lines.size() > shown)
        list += QStringLiteral(" and %1 more").arg(lines.size() - shown);
    const bool one = lines.size() == 1;
    return QStringLiteral("%1 %2 of %3 %4 not added: a file name cannot hold a NUL character.")
        .arg(one ? "Line" : "Lines", list, ShownEntryText(path), one ? "was" : "were");
}

// The lines whose names are not UTF-8, each with its bytes escaped.
QString undecodableNotice(const QString& path, const std::vector<std::pair<qsizetype, QByteArray>>& lines)
{
    QString text = QStringLiteral("These lines of %1 were not added: the names are not valid UTF-8.")
                       .arg(ShownEntryText(path));
    for (const auto& line : lines)
        text += QStringLiteral("\nline %1: %2").arg(line.first).arg(EscapedName(line.second));
    return text;
}

} // namespace

void LoadListFile(FileListModel& model, const QString& path, Prompts& prompts)
{
    if (!FileExists(path)) {
        prompts.notice("File not found", ApplicationTitle());
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
