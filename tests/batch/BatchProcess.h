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

// Runs quorvane-batch with arguments in folder (with HOME pointing there too,
// so nothing reaches the real home folder).
BatchResult RunBatchCommand(const QStringList& arguments, const QString& folder);

} // namespace quorvane::test
