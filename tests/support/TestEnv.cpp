#include "tests/support/TestEnv.h"

#include "shell/Chance.h"
#include "shell/ProgramFolder.h"
#include "shell/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quorvane::test {

TestEnv::TestEnv()
{
    QDir().mkpath(m_dir.path() + "/.config");
    SetSettingsFolder(m_dir.path() + "/.config");
    // A start-up never opens the maker's site in a test unless the test asks.
    SetRandomFractionSource([] { return 0.0; });
    // Children started by the test (the command line) inherit it too.
    m_oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
}

TestEnv::~TestEnv()
{
    SetProgramFolder(QString());
    SetRandomFractionSource({});
    if (m_oldDataHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", m_oldDataHome);
}

QString TestEnv::path(const QString& relative) const { return m_dir.path() + "/" + relative; }

QString TestEnv::write(const QString& relative, const QByteArray& bytes) const
{
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    return full;
}

QString TestEnv::mkdir(const QString& relative) const
{
    const QString full = path(relative);
    QDir().mkpath(full);
    return full;
}

QByteArray TestEnv::read(const QString& fullPath)
{
    QFile f(fullPath);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

} // namespace quorvane::test
