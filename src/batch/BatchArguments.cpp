#include "batch/BatchArguments.h"

#include "batch/OptionCheck.h"
#include "filelist/FolderListing.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <algorithm>
#include <limits>
#include <optional>

namespace quorvane::batch {

namespace {

const QStringList kValued = {"find", "replace", "sets", "separator", "list",
                             "output-folder", "folder", "extension", "report", "exclude",
                             "backup-runs", "backup-size", "jobs"};
// The options that take no value; with kValued, every long option there is.
const QStringList kSwitches = {"help", "version", "in-place", "dry-run", "verbose", "quiet", "null",
                               "skip-hidden-folders", "include-vcs", "follow", "hidden", "diff", "binary",
                               "keep-tree", "no-backup", "undo", "list-runs", "word", "ignore-case",
                               "regex"};

QString Description()
{
    return QStringLiteral(
        "Replaces text in a batch of files with the Quorvane engine.\n"
        "\n"
        "Pairs are applied in command-line order, each to the result of the ones\n"
        "before it. --find TEXT must be followed by its --replace TEXT (before the\n"
        "next --find or --sets); write --find=TEXT for a text that starts with '-'.\n"
        "An empty find text changes nothing; an empty replace text deletes.\n"
        "Finds match exact text, case-sensitive, unless -w (whole words: no letter,\n"
        "digit, mark or connector such as '_' just before or after a match), -i\n"
        "(any case, by Unicode case folding) or -E (regular expressions in\n"
        "PCRE2's syntax, with \\w, \\d and \\b by Unicode; a match spans at most\n"
        "1 MiB, and a file where one would span more fails). With -E a\n"
        "replacement may hold $1 or ${1} (a group by number, $0 the whole match),\n"
        "${name} (a group by name), $$ (a dollar), \\n (a line feed), \\t (a tab)\n"
        "and \\\\ (a backslash); any other '$' or '\\' is refused. Without -E a\n"
        "replacement is inserted as written. A pattern or replacement that is\n"
        "refused stops the run before any file:\n"
        "  \"Pattern 2 \"a(b\": missing closing parenthesis (at the end)\".\n"
        "A sets file holds one pair per line, find text, separator, replace text;\n"
        "a --separator applies to every --sets after it (until the next\n"
        "--separator), the default is \"::\". A sets file is refused when it\n"
        "yields no pair, or when it has no UTF-16 or UTF-32 mark and a line of\n"
        "it is not valid UTF-8.\n"
        "\n"
        "Files are the FILE arguments, the lines of each --list file and the files\n"
        "found by each --folder, in command-line order; a file named twice is\n"
        "processed twice. After -- every argument is a FILE, also one whose name\n"
        "starts with '-'. An --extension applies to every --folder after it:\n"
        "txt, .txt or *.txt, or a list such as cpp,h (default \"*\", any name).\n"
        "A --folder that finds no file says so (\"DIR: no file matches *.cpp\"),\n"
        "and a run whose sources hold no file at all exits with 1. The scan options\n"
        "(--exclude, --skip-hidden-folders, --include-vcs, --follow, --hidden)\n"
        "apply to every --folder. --list - reads the list from standard input;\n"
        "with -0 each name in a list ends with a NUL byte (as find -print0\n"
        "writes them). Names must be UTF-8: a file whose name is not is reported\n"
        "and fails. A \"-\" as the only FILE (and no --list or --folder) reads\n"
        "standard input and writes the result to standard output, as a filter;\n"
        "it keeps no backup and goes without --in-place and --output-folder.\n"
        "\n"
        "A --folder scan goes through every folder below DIR. It leaves out\n"
        "version-control folders (.git, .hg, .svn, .bzr, _darcs, CVS) with all\n"
        "below them and .git files, unless --include-vcs; symbolic links, to\n"
        "files and to folders, unless --follow (which lists links to files and\n"
        "enters linked folders, but none that leads back up the tree); files\n"
        "whose name starts with '~', and files whose name starts with '.' that\n"
        "their owner may write (a read-only one is taken), unless --hidden;\n"
        "folders whose name starts with '.' only with --skip-hidden-folders;\n"
        "and the folders and files an --exclude names. It never takes files that\n"
        "are not regular (FIFOs, devices, sockets), folders it may not read,\n"
        "folders whose name holds a control character or '?', or paths too long\n"
        "for the system.\n"
        "\n"
        "Output: unless --quiet, a last line such as\n"
        "  \"3 files written, 1 unchanged, 0 failed, 12 replacements\".\n"
        "With --dry-run nothing is written: one line per file that would change\n"
        "(every file checked with --verbose), the number of replacements, a tab and\n"
        "the path as listed; the last line then reads\n"
        "  \"4 files checked, 0 failed, 12 replacements\".\n"
        "A dry run or a diff judges each file in place unless given --output-folder.\n"
        "A file that fails is reported on stderr as \"quorvane-batch: PATH: REASON\"\n"
        "and the run goes on.\n"
        "--report FILE writes one CSV row per file: source, output, replacements,\n"
        "outcome (written, unchanged, skipped, failed, not reached) and reason.\n"
        "A binary file (no byte-order mark and a NUL byte in its first 8 KiB) is\n"
        "skipped untouched unless --binary; in place, a file reached again by\n"
        "another path (a link, a hard link) than the entry that wrote it is\n"
        "skipped (\"same file as entry K\"). Skips are told on stderr and counted\n"
        "in the summary (\"2 skipped\") when there are any.\n"
        "With --output-folder, results go into DIR under their file names, so two\n"
        "sources of one name share one output: the run says so before writing\n"
        "(\"DIR/NAME: written by 2 entries; the last one wins\"); --keep-tree puts\n"
        "each file found by a --folder under its path below that folder instead.\n"
        "On a terminal, a progress line on stderr shows the file in hand.\n"
        "With --diff nothing is written either: stdout gets the changes of every\n"
        "file that would change, as diff -u prints them: three lines of context,\n"
        "a name holding a space, '\"', '\\', a control or a non-ASCII byte quoted\n"
        "with C escapes. patch -p0 applies them to files without a byte-order\n"
        "mark listed by relative paths; patch refuses names holding \"..\", so run\n"
        "from a folder above every listed file. Texts with a mark are shown as\n"
        "UTF-8. A file's changes are printed once it has been gone through whole,\n"
        "so a stopped run prints whole files only. The summary goes to stderr.\n"
        "\n"
        "Before a file is replaced its old content is kept in the backup store\n"
        "($XDG_DATA_HOME/quorvane/backups, by default ~/.local/share/...): a hard\n"
        "link on the same file system, a copy elsewhere. --undo puts back the files\n"
        "of the latest run (--undo RUN: of that run, see --list-runs) where they\n"
        "still hold what the run wrote, and prints each file restored or removed.\n"
        "The store keeps the last --backup-runs runs (50) and at most --backup-size\n"
        "bytes (2G); --no-backup keeps none. Feed a long list of files as one run\n"
        "with --list - (or -0 --list -): xargs splits it into many runs, and the\n"
        "oldest runs' backups are pruned first.\n"
        "\n"
        "--jobs N works on N files at once (default: one per processor core);\n"
        "files that reach the same file, by one path or by links, are still\n"
        "worked on one after another in list order, and what the run prints and\n"
        "reports keeps the list's order. --jobs 1 works on one file at a time.\n"
        "A dry run or a --diff works on one file at a time.\n"
        "\n"
        "SIGINT or SIGTERM stops the run: the files in hand are left as they were,\n"
        "the results already complete are written, and the summary is printed.\n"
        "Exit status: 0 all files succeeded, 1 some failed (or the sources held no\n"
        "file, or the report or the output could not be written), 2 bad usage or a\n"
        "run that could not start, 130 stopped by SIGINT, 143 by SIGTERM.");
}

QString Quoted(const QString& text) { return "\"" + text + "\""; }

// The extensions an --extension value names: a comma-separated list, each
// item without the "*." or "." it may start with ("txt", ".txt" and "*.txt"
// are one). Empty when it names none.
QStringList ReadExtensions(const QString& text)
{
    QStringList extensions;
    for (QString item : text.split(u',')) {
        item = item.trimmed();
        if (item.startsWith(QLatin1String("*.")))
            item.remove(0, 2);
        else if (item.startsWith(u'.'))
            item.remove(0, 1);
        if (!item.isEmpty())
            extensions.append(item);
    }
    return extensions;
}

// A size such as "2048", "500K", "300M" or "2G" (binary units); nullopt when
// it is not one or is below one byte.
std::optional<qint64> ReadSize(const QString& text)
{
    static const QString units = QStringLiteral("KMGT");
    QString digits = text.trimmed();
    int shift = 0;
    if (!digits.isEmpty() && units.contains(digits.back().toUpper())) {
        shift = 10 * (int(units.indexOf(digits.back().toUpper())) + 1);
        digits.chop(1);
    }
    bool ok = false;
    const qint64 n = digits.toLongLong(&ok);
    if (!ok || n < 1 || n > (std::numeric_limits<qint64>::max() >> shift))
        return std::nullopt;
    return n << shift;
}

// A --jobs count: each is a thread of its own, so far more than any machine's
// cores is a mistake.
bool ReadJobs(const QString& text, int& jobs)
{
    bool ok = false;
    jobs = text.toInt(&ok);
    return ok && jobs >= 1 && jobs <= 256;
}

} // namespace

QString UsageSynopsis()
{
    return QStringLiteral(
        "Usage: quorvane-batch [--find TEXT --replace TEXT]... [[--separator SEP] --sets FILE]...\n"
        "                      [--list FILE]... [[--extension EXT] --folder DIR]...\n"
        "                      (--output-folder DIR | --in-place) [--dry-run [--verbose]] [--quiet]\n"
        "                      [--report FILE] [-0] [--exclude GLOB]... [--skip-hidden-folders]\n"
        "                      [--include-vcs] [--follow] [--hidden] [--diff] [--binary]\n"
        "                      [--keep-tree] [--no-backup] [--backup-runs N] [--backup-size SIZE]\n"
        "                      [--jobs N] [-w] [-i] [-E] [--] [FILE]...\n"
        "       quorvane-batch [-w] [-i] [-E] (--find TEXT --replace TEXT | --sets FILE)... -\n"
        "       quorvane-batch --undo [RUN] [--report FILE] [--quiet]\n"
        "       quorvane-batch --list-runs\n");
}

ParseOutcome ParseBatchArguments(const QStringList& arguments, const std::vector<QByteArray>& raw)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    parser.addOption(help);
    const QCommandLineOption version({"V", "version"}, "Show the program's name and version.");
    parser.addOption(version);
    parser.addOption({"find", "Text to find (paired with the --replace after it).", "TEXT"});
    parser.addOption({"replace", "Text that replaces the --find before it.", "TEXT"});
    parser.addOption({"sets", "Sets file: one find/replace pair per line.", "FILE"});
    parser.addOption({"separator", "Separator of the --sets files after it (default \"::\").", "SEP"});
    parser.addOption({"list", "List file: one path per line.", "FILE"});
    parser.addOption({"folder", "The files of the folder tree DIR (see above for what a scan leaves out).", "DIR"});
    parser.addOption({"extension", "Extension for the --folder options after it: txt, .txt, *.txt or a list "
                                   "such as cpp,h (default \"*\", any name).", "EXT"});
    parser.addOption({"output-folder", "Write each result into DIR under the source's file name.", "DIR"});
    parser.addOption({"in-place", "Replace each source file by its result."});
    parser.addOption({"dry-run", "Write nothing; print each file that would change, with its replacements."});
    parser.addOption({"verbose", "With --dry-run: print every file checked, also the ones that would not change."});
    parser.addOption({"quiet", "Leave out the summary line."});
    parser.addOption({"report", "Write what the run did to each file to FILE, as CSV.", "FILE"});
    parser.addOption({{"0", "null"}, "List files hold names each ended by a NUL byte."});
    parser.addOption({"exclude", "Leave out of --folder scans every folder and file whose name "
                                 "matches GLOB (as --extension matches; repeatable).", "GLOB"});
    parser.addOption({"skip-hidden-folders", "Leave out of --folder scans folders whose name starts with '.'."});
    parser.addOption({"include-vcs", "Take into --folder scans version-control folders (.git, .hg, .svn, .bzr, "
                                     "_darcs, CVS) and .git files."});
    parser.addOption({"follow", "Follow symbolic links in --folder scans: list links to files, enter linked "
                                "folders (none that leads back up the tree)."});
    parser.addOption({"hidden", "Take into --folder scans files whose name starts with '~', and writable "
                                "ones whose name starts with '.'."});
    parser.addOption({"diff", "Write nothing; print the changes of every file that would change, as diff -u "
                              "does (three lines of context), for patch -p0."});
    parser.addOption({"binary", "Replace in binary files too (by default a file without a byte-order mark whose "
                                "first 8 KiB hold a NUL byte is skipped)."});
    parser.addOption({{"w", "word"}, "Match whole words only: no word character just before or after a match."});
    parser.addOption({{"i", "ignore-case"}, "Match in any case (Unicode simple case folding)."});
    parser.addOption({{"E", "regex"}, "Finds are regular expressions (PCRE2 syntax; $1, ${name} in replacements)."});
    parser.addOption({"keep-tree", "With --output-folder: write each file a --folder found under its path "
                                   "relative to that folder, making folders as needed."});
    parser.addOption({"no-backup", "Keep no backup of the files the run replaces (it cannot be undone)."});
    parser.addOption({"backup-runs", "Keep the backups of at most N runs (default 50).", "N"});
    parser.addOption({"backup-size", "Keep at most SIZE bytes of backups (K, M, G allowed; default 2G).", "SIZE"});
    parser.addOption({{"j", "jobs"}, "Work on N files at once (default: one per processor core).", "N"});
    parser.addOption({"undo", "Put back the files of the latest run (or of run RUN) where they still hold "
                              "what it wrote."});
    parser.addOption({"list-runs", "List the runs that can be undone, newest first: id, time, mode, "
                                   "files and their folder."});
    parser.addPositionalArgument("FILE", "Files to process; after --, also names that start with '-'.",
                                 "[--] [FILE]...");

    ParseOutcome outcome;
    // What follows -j is its number (-j4), not more letters.
    QStringList letters = arguments;
    for (QString& arg : letters)
        if (arg.startsWith("-j"))
            arg = "-j";
    if (const QString unknown = UnknownOptionMessage(letters, {kValued + kSwitches, kValued, "hV0wiEj"});
        !unknown.isEmpty()) {
        outcome.text = unknown;
        return outcome;
    }
    // --undo takes an optional RUN, which the parser's options cannot: it is
    // read from the argument after it below.
    QStringList parsed = arguments;
    for (QString& arg : parsed)
        if (arg.startsWith("--undo="))
            arg = "--undo";
    if (!parser.parse(parsed)) {
        outcome.text = parser.errorText();
        return outcome;
    }
    if (parser.isSet(version)) {
        outcome.result = ParseOutcome::Result::Version;
        outcome.text = QStringLiteral("quorvane-batch " QUORVANE_VERSION "\n");
        return outcome;
    }
    if (parser.isSet(help)) {
        outcome.result = ParseOutcome::Result::Help;
        // The parser's own first line knows nothing of the option order; use ours.
        const QString text = parser.helpText();
        outcome.text = UsageSynopsis() + "\n" + text.mid(text.indexOf('\n') + 1);
        return outcome;
    }

    // The parser keeps each option's values apart; walk the raw arguments the
    // same way it does to learn the order across options and file arguments.
    BatchArguments& a = outcome.arguments;
    std::optional<QString> pendingFind;
    QString separator = QStringLiteral("::");
    QStringList extensions{QStringLiteral("*")};
    bool separatorUnused = false, extensionUnused = false, outputGiven = false, reportGiven = false;
    bool optionsEnded = false;
    auto usage = [&](const QString& why) {
        outcome.result = ParseOutcome::Result::Usage;
        outcome.text = why;
        return outcome;
    };

    // The system's bytes of argument i, when they are not UTF-8 (its text would
    // then name another file or match other bytes).
    const bool rawKnown = qsizetype(raw.size()) == arguments.size();
    const auto notUtf8 = [&](qsizetype i) {
        return rawKnown && i < arguments.size() && !IsUtf8Name(raw[size_t(i)]);
    };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !arg.startsWith('-') || arg == "-") {
            if (notUtf8(i))
                a.fileSources.push_back({Source::Kind::File, EscapedName(raw[size_t(i)]), {}, true});
            else
                a.fileSources.push_back({Source::Kind::File, arg, {}});
            continue;
        }
        if (!arg.startsWith("--") && arg.startsWith("-j")) {
            if (!ReadJobs(arg.size() > 2 ? arg.mid(2) : arguments.value(++i), a.jobs))
                return usage("-j needs a whole number from 1 to 256.");
            continue;
        }
        if (!arg.startsWith("--")) {
            // Short options, alone or together (-wi): -h and -V are handled above;
            // -j takes the number after it, so it goes first (-j2 -wi).
            if (arg.contains('j'))
                return usage("-j comes alone or first, with its number: -j N or -jN.");
            a.nulSeparated = a.nulSeparated || arg.contains('0');
            a.match.wholeWords = a.match.wholeWords || arg.contains('w');
            a.match.ignoreCase = a.match.ignoreCase || arg.contains('i');
            if (arg.contains('E'))
                a.matcher = MatcherKind::Regex;
            continue;
        }
        const qsizetype eq = arg.indexOf('=');
        const QString name = arg.mid(2, eq < 0 ? -1 : eq - 2);
        QString value;
        if (kValued.contains(name)) {
            const qsizetype at = eq >= 0 ? i : i + 1;
            if (notUtf8(at)) {
                const QByteArray& bytes = raw[size_t(at)];
                const QByteArray given = eq >= 0 ? bytes.mid(bytes.indexOf('=') + 1) : bytes;
                return usage("--" + name + " " + Quoted(EscapedName(given))
                             + " is not valid UTF-8; texts and names must be UTF-8.");
            }
            value = eq >= 0 ? arg.mid(eq + 1) : arguments.value(++i);
        }

        if (pendingFind && (name == "find" || name == "sets"))
            return usage("--find " + Quoted(*pendingFind) + " has no --replace after it.");
        if (name == "find") {
            pendingFind = value;
        } else if (name == "replace") {
            if (!pendingFind)
                return usage("--replace " + Quoted(value) + " has no --find before it.");
            a.pairSources.push_back({Source::Kind::Pair, *pendingFind, value});
            pendingFind.reset();
        } else if (name == "separator") {
            if (value.isEmpty())
                return usage("--separator needs one or more characters (the default is \"::\").");
            separator = value;
            separatorUnused = true;
        } else if (name == "sets") {
            a.pairSources.push_back({Source::Kind::Sets, value, separator});
            separatorUnused = false;
        } else if (name == "list") {
            a.fileSources.push_back({Source::Kind::List, value, {}});
        } else if (name == "extension") {
            extensions = ReadExtensions(value);
            if (extensions.isEmpty())
                return usage("--extension " + Quoted(value) + " names no extension; give one such as txt, "
                             ".txt or *.txt, or * for any name.");
            extensionUnused = true;
        } else if (name == "folder") {
            Source folder{Source::Kind::Folder, value, {}};
            folder.extensions = extensions;
            a.fileSources.push_back(std::move(folder));
            extensionUnused = false;
        } else if (name == "output-folder") {
            if (outputGiven)
                return usage("--output-folder is given more than once.");
            outputGiven = true;
            a.outputFolder = value;
        } else if (name == "in-place") {
            a.inPlace = true;
        } else if (name == "dry-run") {
            a.dryRun = true;
        } else if (name == "verbose") {
            a.verbose = true;
        } else if (name == "null") {
            a.nulSeparated = true;
        } else if (name == "exclude") {
            a.scan.excludes.append(value);
        } else if (name == "skip-hidden-folders") {
            a.scan.skipHiddenFolders = true;
        } else if (name == "include-vcs") {
            a.scan.includeVcs = true;
        } else if (name == "follow") {
            a.scan.links = ScanOptions::Links::All;
        } else if (name == "hidden") {
            a.scan.hidden = true;
        } else if (name == "diff") {
            a.diff = true;
        } else if (name == "binary") {
            a.binary = true;
        } else if (name == "word") {
            a.match.wholeWords = true;
        } else if (name == "ignore-case") {
            a.match.ignoreCase = true;
        } else if (name == "regex") {
            a.matcher = MatcherKind::Regex;
        } else if (name == "keep-tree") {
            a.keepTree = true;
        } else if (name == "no-backup") {
            a.backup = false;
        } else if (name == "backup-runs") {
            bool ok = false;
            a.backupRuns = value.toInt(&ok);
            if (!ok || a.backupRuns < 1)
                return usage("--backup-runs needs a whole number of at least 1.");
        } else if (name == "jobs") {
            if (!ReadJobs(value, a.jobs))
                return usage("--jobs needs a whole number from 1 to 256.");
        } else if (name == "backup-size") {
            const std::optional<qint64> size = ReadSize(value);
            if (!size)
                return usage("--backup-size needs a size such as 500M or 2G.");
            a.backupBytes = *size;
        } else if (name == "undo") {
            if (a.mode != BatchArguments::Mode::Replace)
                return usage("--undo and --list-runs go alone.");
            a.mode = BatchArguments::Mode::Undo;
            if (eq >= 0) {
                a.undoRun = arg.mid(eq + 1);
            } else if (i + 1 < arguments.size() && !arguments.at(i + 1).startsWith('-')) {
                a.undoRun = arguments.at(++i);
            }
        } else if (name == "list-runs") {
            if (a.mode != BatchArguments::Mode::Replace)
                return usage("--undo and --list-runs go alone.");
            a.mode = BatchArguments::Mode::ListRuns;
        } else if (name == "quiet") {
            a.quiet = true;
        } else if (name == "report") {
            if (reportGiven)
                return usage("--report is given more than once.");
            if (value.isEmpty())
                return usage("--report needs a file name.");
            reportGiven = true;
            a.reportPath = value;
        }
    }

    if (pendingFind)
        return usage("--find " + Quoted(*pendingFind) + " has no --replace after it.");
    if (separatorUnused)
        return usage("--separator applies to the --sets after it, and none follows.");
    if (extensionUnused)
        return usage("--extension applies to the --folder after it, and none follows.");
    if (a.mode != BatchArguments::Mode::Replace) {
        if (!a.pairSources.empty() || !a.fileSources.empty() || a.inPlace || outputGiven || a.dryRun || a.diff)
            return usage(a.mode == BatchArguments::Mode::Undo ? "--undo takes no pairs, files or output options."
                                                              : "--list-runs takes no pairs, files or output options.");
        if (a.mode == BatchArguments::Mode::ListRuns && reportGiven)
            return usage("--list-runs writes no report.");
        outcome.result = ParseOutcome::Result::Run;
        return outcome;
    }
    if (a.fileSources.size() == 1 && a.fileSources.front().kind == Source::Kind::File
        && a.fileSources.front().text == "-" && !optionsEnded) {
        if (a.inPlace || outputGiven || a.dryRun || a.diff || a.keepTree || reportGiven)
            return usage("- (standard input to standard output) goes without --in-place, --output-folder, "
                         "--dry-run, --diff, --keep-tree and --report.");
        if (a.pairSources.empty())
            return usage("Nothing to replace: give --find TEXT --replace TEXT or --sets FILE.");
        a.filter = true;
        outcome.result = ParseOutcome::Result::Run;
        return outcome;
    }
    // A dry run or a diff judges each file in place unless told of an output folder.
    if ((a.diff || a.dryRun) && !outputGiven)
        a.inPlace = true;
    if (a.inPlace == outputGiven)
        return usage("Give either --output-folder DIR or --in-place.");
    if (a.keepTree && !outputGiven)
        return usage("--keep-tree goes with --output-folder.");
    if (a.verbose && !a.dryRun)
        return usage("--verbose goes with --dry-run.");
    if (a.pairSources.empty())
        return usage("Nothing to replace: give --find TEXT --replace TEXT or --sets FILE.");
    const bool anyList = std::any_of(a.fileSources.begin(), a.fileSources.end(),
                                     [](const Source& s) { return s.kind == Source::Kind::List; });
    if (a.nulSeparated && !anyList)
        return usage("-0 reads the names in --list files, and none is given; add --list - to read them "
                     "from standard input.");
    if (a.fileSources.empty())
        return usage("no files given (FILE, --list or --folder)");
    outcome.result = ParseOutcome::Result::Run;
    return outcome;
}

} // namespace quorvane::batch
