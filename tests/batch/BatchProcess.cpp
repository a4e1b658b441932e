#include "tests/batch/BatchProcess.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace quorvane::test {

namespace {

BatchResult run(const QString& program, const QStringList& arguments, const QString& folder,
                const QByteArray& input, const QString& outputFile)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", folder);
    environment.insert("B", BatchExecutable());
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    BatchResult result;
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace

QString BatchExecutable()
{
    return qEnvironmentVariable("QUORVANE_BATCH_EXE", QStringLiteral(QUORVANE_BATCH_EXE));
}

BatchResult RunBatchCommand(const QStringList& arguments, const QString& folder, const QByteArray& input,
                            const QString& outputFile)
{
    return run(BatchExecutable(), arguments, folder, input, outputFile);
}

BatchResult RunBatchScript(const QString& script, const QString& folder)
{
    return run(QStringLiteral("/bin/sh"), {"-c", script}, folder, {}, {});
}

} // namespace quorvane::test
