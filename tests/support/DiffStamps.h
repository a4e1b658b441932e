#pragma once
// The time stamps of diff headers, which change from run to run, taken out so
// that a diff can be compared byte for byte.
#include <QByteArray>
#include <QList>
#include <QRegularExpression>

namespace quorvane::test {

// diff with every "--- NAME\tSTAMP" and "+++ NAME\tSTAMP" line cut to
// "--- NAME" and "+++ NAME". A header line without a well-formed stamp is
// left whole, so the comparison that follows fails on it.
inline QByteArray WithoutStamps(const QByteArray& diff)
{
    static const QRegularExpression stamp(
        R"(\t\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{9} [+-]\d{4}\n$)");
    QByteArray out;
    for (qsizetype at = 0; at < diff.size();) {
        const qsizetype lf = diff.indexOf('\n', at);
        const qsizetype end = lf < 0 ? diff.size() : lf + 1;
        QByteArray line = diff.mid(at, end - at);
        if (line.startsWith("--- ") || line.startsWith("+++ ")) {
            const QRegularExpressionMatch m = stamp.match(QString::fromLatin1(line));
            if (m.hasMatch())
                line = line.left(m.capturedStart()) + '\n';
        }
        out += line;
        at = end;
    }
    return out;
}

} // namespace quorvane::test
