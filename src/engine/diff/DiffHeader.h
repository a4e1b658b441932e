#pragma once
// The `---` and `+++` lines that open a file's changes, written so that patch
// reads back the very name: the name, a tab and a time stamp.
#include <QByteArray>
#include <QString>

#include <ctime>

namespace quorvane::diff {

// A file name as a header holds it: as it stands, or in double quotes with C
// escapes (\t, \n, \", \\ ..., \ooo for other control bytes and every byte
// above 127) when it holds any of those or a space, as `diff -u` writes it.
QByteArray HeaderName(const QByteArray& name);

// "2024-03-01 09:30:00.123456789 +0100": the time in the local zone, as the
// headers of `diff -u` give it.
QByteArray HeaderStamp(const timespec& time);

// "--- NAME\tSTAMP\n+++ NAME\tSTAMP\n" for label: the source's modification
// time on the old side (now when it cannot be read), now on the new one.
QByteArray FileHeader(const QString& source, const QString& label);

} // namespace quorvane::diff
