// Driver of the matching-mode benchmarks (scripts/bench X, Y and Z): one
// file through the engine with the run options the command line takes,
// written beside nothing else (no backup, no report), so that the modes can
// be timed against each other and against the peers before the command line
// carries -w, -i and -E.
//
//   quorvane-match-bench [-w] [-i] [-E] --sets FILE --output-folder DIR INPUT
//
// The sets file holds one `find::replace` per line (CR LF or LF).
#include "engine/FileReplace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

using namespace quorvane;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    MatchOptions options;
    MatcherKind kind = MatcherKind::Exact;
    QString sets, folder, input;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"-w")
            options.wholeWords = true;
        else if (a == u"-i")
            options.ignoreCase = true;
        else if (a == u"-E")
            kind = MatcherKind::Regex;
        else if (a == u"--sets" && i + 1 < args.size())
            sets = args[++i];
        else if (a == u"--output-folder" && i + 1 < args.size())
            folder = args[++i];
        else if (!a.startsWith(u"--"))   // --quiet and --no-backup: this driver keeps no backup
            input = a;
    }
    QFile file(sets);
    if (input.isEmpty() || folder.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "usage: quorvane-match-bench [-w] [-i] [-E] --sets FILE --output-folder DIR INPUT\n");
        return 2;
    }
    std::vector<Pair> pairs;
    for (QByteArray line : file.readAll().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype at = line.indexOf("::");
        if (at >= 0)
            pairs.push_back({QString::fromUtf8(line.left(at)), QString::fromUtf8(line.mid(at + 2))});
    }
    FileJob job;
    job.prepared = std::make_shared<const RunPairs>(std::move(pairs), kind, options);
    if (job.prepared->problem().failed()) {
        std::fprintf(stderr, "%s\n", qPrintable(job.prepared->problemText()));
        return 2;
    }
    QDir().mkpath(folder);
    const FileOutcome outcome = ProcessFile(input, QDir(folder).filePath(QFileInfo(input).fileName()), job);
    if (!outcome.ok) {
        std::fprintf(stderr, "failed\n");
        return 1;
    }
    return 0;
}
