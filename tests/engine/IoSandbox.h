#pragma once
// A temporary folder per test with byte-exact file helpers.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

// Failures show texts as texts rather than as code units.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace quorvane::test {

class IoSandbox {
public:
    QString root() const { return m_dir.path(); }
    QString path(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    // Writes bytes to root/relative (parent folders created); returns the full path.
    QString write(const QString& relative, const QByteArray& bytes) const
    {
        const QString full = path(relative);
        QDir().mkpath(QFileInfo(full).absolutePath());
        QFile f(full);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("sandbox: cannot write %s", qPrintable(full));
        return full;
    }
    QString mkdir(const QString& relative) const
    {
        QDir().mkpath(path(relative));
        return path(relative);
    }
    static QByteArray read(const QString& full)
    {
        QFile f(full);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    // Every entry of a folder, hidden ones included (to catch stray temporary files).
    QStringList entries(const QString& relative = QString()) const
    {
        return QDir(relative.isEmpty() ? root() : path(relative))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

private:
    QTemporaryDir m_dir;
};

// Bytes from a hex text such as "FF FE 41 00".
inline QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

} // namespace quorvane::test
