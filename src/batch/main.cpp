// quorvane-batch: the replacement engine from the command line, for scripts
// and for measuring. No window and no settings are involved.
#include "batch/BatchArguments.h"
#include "batch/CommandRun.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    using quorvane::batch::ParseOutcome;
    const ParseOutcome parsed = quorvane::batch::ParseBatchArguments(QCoreApplication::arguments());
    switch (parsed.result) {
    case ParseOutcome::Result::Help:
    case ParseOutcome::Result::Version:
        std::fputs(parsed.text.toUtf8().constData(), stdout);
        return 0;
    case ParseOutcome::Result::Usage:
        std::fputs(("quorvane-batch: " + parsed.text + '\n' + quorvane::batch::UsageSynopsis()
                    + "Try 'quorvane-batch --help' for more.\n").toUtf8().constData(), stderr);
        return 2;
    case ParseOutcome::Result::Run:
        break;
    }
    const int status = quorvane::batch::RunBatch(parsed.arguments, stdout, stderr);
    std::fflush(stdout);
    return status;
}
