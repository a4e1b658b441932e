#pragma once
// The lines of a run's manifest one by one (see engine/backup/Manifest.h):
// each sealed with a checksum of its own bytes, and read back only when the
// checksum holds and every key its kind needs is there with a sound value.
#include "engine/backup/Manifest.h"

#include <QByteArray>
#include <QJsonObject>
#include <optional>

namespace quorvane {

// The object as one compact JSON line ending in LF, its checksum the last key:
// {...,"sum":"<16 hex digits>"}, the first 8 bytes of the SHA-256 of the line
// as it would be without that key.
QByteArray SealedLine(const QJsonObject& object);
// The same for a line already written out compactly as {...}.
QByteArray SealedLine(const QByteArray& body);
// text as a JSON string, quoted and escaped byte for byte as QJsonDocument
// writes it, appended to out: for lines written without a QJsonObject.
void AppendJsonString(QByteArray& out, QStringView text);

// A line (its LF left out) as written: Sealed when its checksum holds,
// Broken when it names one that does not, Plain when it carries none.
enum class LineSeal { Sealed, Broken, Plain };
// The seal of line, and in body the line without its checksum.
LineSeal Unseal(const QByteArray& line, QByteArray& body);
// True when line carries a checksum key at all, whole or not.
bool HasSumKey(const QByteArray& line);

// The JSON object of body, or nullopt when it is none.
std::optional<QJsonObject> ObjectOf(const QByteArray& body);

// The head's fields from o into manifest; false when o is no sound head.
bool HeadFrom(const QJsonObject& o, BackupManifest& manifest);
// The record o as an entry: nullopt when it lacks a key a record needs or
// holds an unsound value (a kept name that is not the store's, a relative
// path, a hash that is not hexadecimal).
std::optional<BackupEntry> EntryFrom(const QJsonObject& o);

// The number of a drop line, a record's number that was never put in place; 0 when o is none.
qint64 DroppedNumber(const QJsonObject& o);
// True when o holds a run's totals ("files", "keptBytes" and perhaps "folder").
bool IsTotals(const QJsonObject& o);

} // namespace quorvane
