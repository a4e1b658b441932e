#pragma once
// Runs the built quorvane-batch executable and captures what it says.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quorvane::test {

struct BatchResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The built quorvane-batch, or the copy $QUORVANE_BATCH_EXE names: the tests
// run as an unprivileged user run outside the build tree, which that user may
// not be allowed to reach.
QString BatchExecutable();

// Runs quorvane-batch with arguments in folder (with HOME pointing there too,
// so nothing reaches the real home folder), input on its standard input (a
// pipe) and, when outputFile is given, its standard output going there.
BatchResult RunBatchCommand(const QStringList& arguments, const QString& folder,
                            const QByteArray& input = {}, const QString& outputFile = {});

// The same through /bin/sh, for arguments whose bytes are not UTF-8: script
// runs with "$B" naming the executable, e.g. "$B" --find "$(printf '\377')" ...
BatchResult RunBatchScript(const QString& script, const QString& folder);

} // namespace quorvane::test
