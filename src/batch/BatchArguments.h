#pragma once
// The command line of quorvane-batch, checked and put in the order it was given.
#include "engine/RunPairs.h"
#include "filelist/FolderScan.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace quorvane::batch {

// One source of pairs or of files, in command-line order.
struct Source {
    enum class Kind { Pair, Sets, File, List, Folder } kind;
    QString text;        // Pair: the find text; Sets/List: the file; File: the path; Folder: the folder
    QString second;      // Pair: the replace text; Sets: the separator
    bool notUtf8 = false; // File: the name's bytes are not UTF-8; text shows them escaped
    QStringList extensions{}; // Folder: what "*." is followed by in the names it matches ("*": every name)
};

struct BatchArguments {
    // Replace: the run (or its dry run or diff); Undo: put back the files of
    // undoRun (the latest run when empty); ListRuns: list the runs kept.
    enum class Mode { Replace, Undo, ListRuns } mode = Mode::Replace;
    QString undoRun;
    std::vector<Source> pairSources;   // Pair and Sets entries, in order
    std::vector<Source> fileSources;   // File, List and Folder entries, in order
    bool inPlace = false;
    QString outputFolder;              // used when inPlace is false
    bool dryRun = false;
    bool verbose = false;              // --verbose: a dry run prints the files that would not change too
    bool diff = false;                 // --diff: a dry run printing each change as diff -u does
    bool quiet = false;
    QString reportPath;                // --report: where the run's report goes as CSV
    bool nulSeparated = false;         // -0: list files hold names ended by NUL, not lines
    // Every --folder scan: --exclude, --skip-hidden-folders, --include-vcs,
    // --follow (links followed, else none) and --hidden.
    ScanOptions scan{.links = ScanOptions::Links::None};
    bool binary = false;               // --binary: replace in binary files too
    MatcherKind matcher = MatcherKind::Exact;   // -E/--regex: finds are regular expressions
    MatchOptions match;                // -w/--word and -i/--ignore-case
    // "-" as the only FILE: standard input is replaced onto standard output.
    bool filter = false;
    bool keepTree = false;             // --keep-tree: results under their path below their --folder
    bool backup = true;                // --no-backup turns it off
    int backupRuns = 50;               // --backup-runs N
    qint64 backupBytes = qint64(2) << 30;   // --backup-size SIZE
    int jobs = 0;                      // --jobs N, -j N: files in hand at once (0: one per core)
};

struct ParseOutcome {
    enum class Result { Run, Help, Version, Usage } result = Result::Usage;
    BatchArguments arguments;          // filled when result is Run
    QString text;                      // Help: the help text; Version: the version line; Usage: what is wrong
};

// Checks arguments (program name first, as QCoreApplication::arguments() gives
// them) and recovers the order of the pair and file sources among each other.
// raw, when given, holds the same arguments as the system's bytes: an option
// value that is not UTF-8 is refused, and such a FILE is marked notUtf8.
ParseOutcome ParseBatchArguments(const QStringList& arguments,
                                 const std::vector<QByteArray>& raw = {});

// The usage summary printed with every usage error.
QString UsageSynopsis();

} // namespace quorvane::batch
