#include "batch/Gather.h"

#include "engine/files/PathHelpers.h"
#include "filelist/FolderScan.h"
#include "filelist/ListFile.h"
#include "sets/SetsFile.h"
#include "shell/Failure.h"

namespace quorvane::batch {

bool GatherPairs(const BatchArguments& a, std::vector<Pair>& pairs, const std::function<void(const QString&)>& say)
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
            say(FileExists(source.text) ? source.text + ": " + failure.text : source.text + " not found.");
            return false;
        }
        for (qsizetype i = 0; i < finds.size(); ++i)
            pairs.push_back({finds.at(i), replaces.at(i)});
    }
    return true;
}

std::vector<ListEntry> GatherFiles(const BatchArguments& a, const std::function<void(const QString&)>& say)
{
    std::vector<ListEntry> entries;
    // The message names the path in front, except where the text says what is missing.
    const auto fail = [&](const QString& path, const QString& why, bool whyFirst = false) {
        say(whyFirst ? why + ": " + path : path + ": " + why);
        entries.push_back({path, why});
    };
    for (const Source& source : a.fileSources) {
        try {
            switch (source.kind) {
            case Source::Kind::File:
                entries.push_back({source.text, {}});
                break;
            case Source::Kind::List: {
                if (!FileExists(source.text)) {
                    fail(source.text, QStringLiteral("File not found"), true);
                    break;
                }
                const ListFileEntries read = ReadListFile(source.text);
                for (const QString& entry : read.entries)
                    entries.push_back({entry, {}});
                // A line holding a NUL names no file: each is reported and failed.
                for (const qsizetype line : read.nulLines)
                    fail(source.text, NulLineReason(line));
                break;
            }
            case Source::Kind::Folder:
                if (!FolderExists(source.text)) {
                    fail(source.text, QStringLiteral("Folder not found"), true);
                    break;
                }
                for (const QString& file : CollectFolderFiles(source.text, source.second, {}))
                    entries.push_back({file, {}});
                break;
            default:
                break;
            }
        } catch (const Failure& failure) {
            fail(source.text, failure.text);
        }
    }
    return entries;
}

} // namespace quorvane::batch
