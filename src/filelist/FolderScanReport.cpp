#include "filelist/FolderScanReport.h"

#include "filelist/FolderListing.h"
#include "shell/ErrorReport.h"
#include "shell/Prompts.h"
#include "shell/TreeSettings.h"

#include <QCoreApplication>

namespace quorvane {

namespace {

// The error report names the scan by the procedure users have always quoted.
const char* const kScanProcedure = "AddFolder.GetSubDirectories2016";

// One notice for the names a scan could not hold, each on its own line.
QString undecodableNotice(const std::vector<QByteArray>& paths)
{
    QString text = QCoreApplication::translate("quorvane::FileListView",
                                               "These names are not valid UTF-8 and were not added:");
    for (const QByteArray& path : paths)
        text += u'\n' + EscapedName(path);
    return text;
}

} // namespace

QStringList CollectFolderFilesReported(const QString& folder, const QString& extension,
                                       const Yield& yield, Prompts* prompts)
{
    ScanOptions options;
    options.includeVcs = ReadTreeChoices().includeVcs;
    if (!prompts)
        return CollectFolderFiles(folder, extension, yield, {}, options);
    const ScanFailed report = [prompts](int step, const QString& description) {
        ReportFailure(*prompts, description, kScanProcedure, step, kScanProject);
    };
    std::vector<QByteArray> undecodable;
    const QStringList files = CollectFolderFiles(folder, extension, yield, report, options, &undecodable);
    if (!undecodable.empty())
        prompts->notice(undecodableNotice(undecodable), ApplicationTitle());
    return files;
}

} // namespace quorvane
