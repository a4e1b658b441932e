#pragma once
// Per-test sandbox: a temporary folder tree and a settings store of its own,
// so nothing touches the real home folder.
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
    // root + "/" + relative
    QString path(const QString& relative) const;
    // Writes bytes to root/relative, creating parent folders; returns the full path.
    QString write(const QString& relative, const QByteArray& bytes) const;
    QString mkdir(const QString& relative) const;
    static QByteArray read(const QString& fullPath);

private:
    QTemporaryDir m_dir;
};

} // namespace quorvane::test
