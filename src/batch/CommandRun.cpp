#include "batch/CommandRun.h"

#include "engine/FileReplace.h"
#include "engine/files/PathHelpers.h"
#include "engine/write/CommitGroup.h"
#include "filelist/FolderScan.h"
#include "filelist/ListFile.h"
#include "sets/SetsFile.h"
#include "shell/Failure.h"

#include <cstdint>
#include <numeric>

namespace quorvane::batch {

namespace {

void Print(std::FILE* stream, const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

QString Counted(std::int64_t n, const char* one, const char* many)
{
    return QString::number(n) + ' ' + QLatin1String(n == 1 ? one : many);
}

// Pairs from --find/--replace and sets files, in command-line order. False
// (with the reason on err) when a sets file cannot be read.
bool GatherPairs(const BatchArguments& a, std::vector<Pair>& pairs, std::FILE* err)
{
    for (const Source& source : a.pairSources) {
        if (source.kind == Source::Kind::Pair) {
            pairs.push_back({source.text, source.second});
            continue;
        }
        QStringList finds, replaces;
        try {
            LoadSetsFile(source.text, source.second, finds, replaces);
        } catch (const Failure& failure) {
            Print(err, FileExists(source.text) ? source.text + ": " + failure.text
                                               : source.text + " not found.");
            return false;
        }
        for (qsizetype i = 0; i < finds.size(); ++i)
            pairs.push_back({finds.at(i), replaces.at(i)});
    }
    return true;
}

// The file list; a list file or folder that cannot be read is reported and
// counted in failed, and the others still contribute.
QStringList GatherFiles(const BatchArguments& a, std::int64_t& failed, std::FILE* err)
{
    QStringList files;
    for (const Source& source : a.fileSources) {
        try {
            switch (source.kind) {
            case Source::Kind::File:
                files.append(source.text);
                break;
            case Source::Kind::List: {
                if (!FileExists(source.text)) {
                    Print(err, "File not found: " + source.text);
                    ++failed;
                    break;
                }
                const ListFileEntries read = ReadListFile(source.text);
                files.append(read.entries);
                // A line holding a NUL names no file: each is reported and failed.
                for (const qsizetype line : read.nulLines) {
                    Print(err, source.text + ": " + NulLineReason(line));
                    ++failed;
                }
                break;
            }
            case Source::Kind::Folder:
                if (!FolderExists(source.text)) {
                    Print(err, "Folder not found: " + source.text);
                    ++failed;
                    break;
                }
                files.append(CollectFolderFiles(source.text, source.second, {}));
                break;
            default:
                break;
            }
        } catch (const Failure& failure) {
            Print(err, source.text + ": " + failure.text);
            ++failed;
        }
    }
    return files;
}

} // namespace

int RunBatch(const BatchArguments& a, std::FILE* out, std::FILE* err)
{
    if (!a.inPlace && !FolderExists(a.outputFolder)) {
        Print(err, "Folder does not exist. Please select another folder.");
        return 2;
    }
    FileJob job;
    if (!GatherPairs(a, job.pairs, err))
        return 2;
    job.dryRun = a.dryRun;

    std::int64_t written = 0, unchanged = 0, failed = 0, replacements = 0;
    const QStringList files = GatherFiles(a, failed, err);

    // Results wait in a group so that a batch of small files pays for one
    // sync per group instead of one per file; a commit that fails there is
    // reported late, under the file's own path.
    std::vector<std::pair<qsizetype, QString>> lateFailures;   // file index, reason
    std::vector<std::int64_t> made(files.size(), 0);
    CommitGroup group;
    if (!a.dryRun)
        job.group = &group;

    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString& source = files.at(i);
        const QString output = a.inPlace ? source : OutputPathInFolder(a.outputFolder, source);
        const FileOutcome outcome = ProcessFile(source, output, job, [&lateFailures, i](const QString& why) {
            lateFailures.emplace_back(i, why);
        });
        if (!outcome.ok) {
            Print(err, source + ": " + (outcome.error.isEmpty() ? QStringLiteral("failed") : outcome.error));
            ++failed;
            continue;
        }
        made[i] = std::accumulate(outcome.counts.begin(), outcome.counts.end(), std::int64_t{0});
        replacements += made[i];
        if (a.dryRun)
            Print(out, QString::number(made[i]) + '\t' + source);
        else if (outcome.written)
            ++written;
        else
            ++unchanged;
    }
    group.flush();
    for (const auto& [i, why] : lateFailures) {
        Print(err, files.at(i) + ": " + why);
        replacements -= made[i];
        --written;
        ++failed;
    }

    if (!a.quiet) {
        const QString tail = QString::number(failed) + " failed, "
                             + Counted(replacements, "replacement", "replacements");
        if (a.dryRun)
            Print(out, Counted(std::int64_t(files.size()), "file", "files") + " checked, " + tail);
        else
            Print(out, Counted(written, "file", "files") + " written, " + QString::number(unchanged)
                           + " unchanged, " + tail);
    }
    return failed ? 1 : 0;
}

} // namespace quorvane::batch
