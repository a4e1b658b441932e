#include "engine/diff/DiffHeader.h"

#include <QFile>

#include <sys/stat.h>

namespace quorvane::diff {

namespace {

// The letter of a byte's C escape, 0 when it has none of its own.
char EscapeLetter(unsigned char c)
{
    switch (c) {
    case '\a': return 'a';
    case '\b': return 'b';
    case '\t': return 't';
    case '\n': return 'n';
    case '\v': return 'v';
    case '\f': return 'f';
    case '\r': return 'r';
    case '"': return '"';
    case '\\': return '\\';
    default: return 0;
    }
}

bool Escaped(unsigned char c) { return EscapeLetter(c) != 0 || c < 0x20 || c > 0x7f; }

timespec Now()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

} // namespace

QByteArray HeaderName(const QByteArray& name)
{
    // Unquoted, patch ends a name at a tab and, with no tab after it, at a
    // space; quoted, it reads the escapes back.
    bool quote = false;
    for (const char c : name)
        quote = quote || c == ' ' || Escaped(static_cast<unsigned char>(c));
    if (!quote)
        return name;
    QByteArray out = "\"";
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (const char letter = EscapeLetter(c)) {
            out += '\\';
            out += letter;
        } else if (Escaped(c)) {
            out += '\\';
            out += char('0' + (c >> 6));
            out += char('0' + ((c >> 3) & 7));
            out += char('0' + (c & 7));
        } else {
            out += ch;
        }
    }
    return out + '"';
}

QByteArray HeaderStamp(const timespec& time)
{
    tm local {};
    localtime_r(&time.tv_sec, &local);
    char date[64];
    char zone[16];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &local);
    std::strftime(zone, sizeof zone, "%z", &local);
    return QByteArray(date) + '.' + QByteArray::number(qlonglong(time.tv_nsec)).rightJustified(9, '0') + ' ' + zone;
}

QByteArray FileHeader(const QString& source, const QString& label)
{
    // The new side's stamp is never the epoch, which patch takes for a file
    // that is to be removed when it ends up empty.
    const timespec now = Now();
    struct stat st {};
    const timespec old = ::stat(QFile::encodeName(source).constData(), &st) == 0 ? st.st_mtim : now;
    const QByteArray name = HeaderName(QFile::encodeName(label));
    return "--- " + name + '\t' + HeaderStamp(old) + "\n+++ " + name + '\t' + HeaderStamp(now) + '\n';
}

} // namespace quorvane::diff
