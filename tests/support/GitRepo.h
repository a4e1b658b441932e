#pragma once
// A git checkout made by a test: the version-control folder a real source
// tree holds. Tests that need one skip themselves where git is not installed.
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace quorvane::test {

inline bool HasGit() { return !QStandardPaths::findExecutable(QStringLiteral("git")).isEmpty(); }

// Runs git with arguments in folder, under a fixed identity and none of the
// user's settings; its standard output, or a null text when it fails.
inline QByteArray Git(const QString& folder, const QStringList& arguments)
{
    QProcess git;
    git.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("GIT_CONFIG_GLOBAL"), QStringLiteral("/dev/null"));
    environment.insert(QStringLiteral("GIT_CONFIG_NOSYSTEM"), QStringLiteral("1"));
    git.setProcessEnvironment(environment);
    git.start(QStringLiteral("git"), QStringList{"-c", "user.name=Test", "-c", "user.email=test@example.org",
                                                 "-c", "init.defaultBranch=main"}
                                         + arguments);
    if (!git.waitForFinished(60000) || git.exitStatus() != QProcess::NormalExit || git.exitCode() != 0)
        return {};
    const QByteArray out = git.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

// Makes folder a checkout whose one commit holds the files named (relative
// to folder); false when git fails.
inline bool CommitCheckout(const QString& folder, const QStringList& files)
{
    return !Git(folder, {"init", "-q"}).isNull() && !Git(folder, QStringList{"add", "--"} + files).isNull()
        && !Git(folder, {"commit", "-q", "-m", "One commit"}).isNull();
}

} // namespace quorvane::test
