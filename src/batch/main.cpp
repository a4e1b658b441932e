// quorvane-batch: the replacement engine from the command line, for scripts
// and for measuring. No window and no settings are involved: backups and
// their limits follow the command line's options alone.
#include "batch/BatchArguments.h"
#include "batch/CommandRun.h"
#include "batch/UndoCommand.h"
#include "batch/Streams.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    using quorvane::batch::ParseOutcome;
    const std::vector<QByteArray> raw(argv, argv + argc);
    const ParseOutcome parsed = quorvane::batch::ParseBatchArguments(QCoreApplication::arguments(), raw);
    quorvane::batch::Streams streams(stdout, stderr);
    switch (parsed.result) {
    case ParseOutcome::Result::Help:
    case ParseOutcome::Result::Version:
        streams.out(parsed.text.toUtf8());
        return streams.finish(0);
    case ParseOutcome::Result::Usage:
        streams.message(parsed.text + '\n' + quorvane::batch::UsageSynopsis()
                        + "Try 'quorvane-batch --help' for more.");
        return streams.finish(2);
    case ParseOutcome::Result::Run:
        break;
    }
    using Mode = quorvane::batch::BatchArguments::Mode;
    switch (parsed.arguments.mode) {
    case Mode::Undo: return streams.finish(quorvane::batch::UndoCommand(parsed.arguments, streams));
    case Mode::ListRuns: return streams.finish(quorvane::batch::ListRunsCommand(streams));
    case Mode::Replace: break;
    }
    return streams.finish(quorvane::batch::RunBatch(parsed.arguments, streams, stderr));
}
