#pragma once
// A sandbox whose data folder (XDG_DATA_HOME) holds the backup store, runs of
// ProcessFile through a commit group with a backup attached, and a picture of
// a folder tree to compare before and after.
#include "engine/FileReplace.h"
#include "engine/backup/BackupStore.h"
#include "engine/backup/KeepFile.h"
#include "engine/files/FileAccess.h"
#include "engine/write/CommitGroup.h"
#include "tests/engine/IoSandbox.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QStringList>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace quorvane::test {

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hadData = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        m_oldData = qgetenv("XDG_DATA_HOME");
        fresh();
    }
    // A new, empty sandbox, its data folder the store's home; for each case
    // of a table.
    void fresh()
    {
        InjectBackupLinkFailure(0, 0);
        m_box = std::make_unique<IoSandbox>();
        qputenv("XDG_DATA_HOME", QFile::encodeName(box().path("data")));
    }
    IoSandbox& box() const { return *m_box; }

    void TearDown() override
    {
        InjectBackupLinkFailure(0, 0);
        if (m_hadData)
            qputenv("XDG_DATA_HOME", m_oldData);
        else
            qunsetenv("XDG_DATA_HOME");
    }

    // Runs each (source, output) pair of paths relative to the sandbox with
    // pairs, through one group with a backup run; returns the run's id and
    // the group's failures as "path: reason" lines.
    QString run(const std::vector<std::pair<QString, QString>>& jobs, const std::vector<Pair>& pairs,
                QStringList* failures = nullptr, BackupRunMode mode = BackupRunMode::InPlace)
    {
        BackupStore store;
        std::unique_ptr<BackupRun> backup = store.beginRun(QString::number(jobs.size()) + " files", mode);
        CommitGroup group;
        group.setBackup(backup.get());
        FileJob job;
        job.pairs = pairs;
        job.group = &group;
        for (const auto& [source, output] : jobs)
            EXPECT_TRUE(ProcessFile(box().path(source), box().path(output), job).ok) << source.toStdString();
        for (const CommitFailure& f : group.flush()) {
            if (failures)
                *failures << QFileInfo(f.path).fileName() + ": " + DescribeFileError(f.error);
        }
        backup->finish();
        return backup->id();
    }

    // Each undo row as "outcome name[: reason]", names relative to the sandbox.
    QStringList rows(const RunReport& report) const
    {
        QStringList lines;
        for (const RunReportRow& row : report.rows()) {
            QString line = RunOutcomeText(row.outcome) + ' ' + QDir(box().root()).relativeFilePath(row.source);
            if (!row.reason.isEmpty())
                line += ": " + row.reason;
            lines << line;
        }
        return lines;
    }

    // Every file, link and folder under the sandbox outside the data folder:
    // "name mode uid:gid -> link", "name mode uid:gid" for other kinds, and
    // for a regular file "name mode uid:gid = bytes @ mtime" and its user
    // extended attributes ("user.tag=blue").
    QStringList picture() const
    {
        QStringList lines;
        QDirIterator it(box().root(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString name = QDir(box().root()).relativeFilePath(path);
            if (name == "data" || name.startsWith("data/"))
                continue;
            struct stat st;
            ::lstat(QFile::encodeName(path).constData(), &st);
            QString line = name + ' ' + QString::number(st.st_mode, 8) + ' ' + QString::number(st.st_uid) + ':'
                           + QString::number(st.st_gid);
            if (S_ISLNK(st.st_mode))
                line += " -> " + QFileInfo(path).symLinkTarget();
            else if (S_ISREG(st.st_mode))
                line += " = " + QString::fromUtf8(IoSandbox::read(path)) + " @ " + QString::number(st.st_mtim.tv_sec)
                        + '.' + QString::number(st.st_mtim.tv_nsec) + UserAttributes(path);
            lines << line;
        }
        lines.sort();
        return lines;
    }

    // The user extended attributes of path, each as " name=value".
    static QString UserAttributes(const QString& path)
    {
        const QByteArray native = QFile::encodeName(path);
        char names[4096];
        const ssize_t len = ::llistxattr(native.constData(), names, sizeof names);
        QStringList found;
        for (ssize_t i = 0; i < len; i += ssize_t(std::strlen(names + i)) + 1) {
            char value[256];
            const ssize_t vlen = ::lgetxattr(native.constData(), names + i, value, sizeof value);
            if (QByteArray(names + i).startsWith("user.") && vlen >= 0)
                found << QString::fromUtf8(names + i) + '=' + QString::fromUtf8(value, vlen);
        }
        found.sort();
        return found.isEmpty() ? QString() : ' ' + found.join(' ');
    }

    // The run folders in the store.
    QStringList runFolders() const
    {
        return QDir(box().path("data/quorvane/backups")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    }

private:
    std::unique_ptr<IoSandbox> m_box;
    bool m_hadData = false;
    QByteArray m_oldData;
};

} // namespace quorvane::test
