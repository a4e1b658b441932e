#pragma once
// Per-test sandbox: a temporary folder tree, a settings store and a data
// folder (XDG_DATA_HOME, where backups are kept) of its own, so nothing
// touches the real home folder.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quorvane::test {

class TestEnv {
public:
    // Creates the folder, points the settings store into it and fixes the
    // random source so that start-up never opens the maker's site.
    TestEnv();
    ~TestEnv();

    QString root() const { return m_dir.path(); }
    // XDG_DATA_HOME while the sandbox lives: apart from root, so scans of root
    // never meet the backup store.
    QString dataHome() const { return m_data.path(); }
    // root + "/" + relative
    QString path(const QString& relative) const;
    // Writes bytes to root/relative, creating parent folders; returns the full path.
    QString write(const QString& relative, const QByteArray& bytes) const;
    QString mkdir(const QString& relative) const;
    static QByteArray read(const QString& fullPath);

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_data;
    QByteArray m_oldDataHome;
};

} // namespace quorvane::test
