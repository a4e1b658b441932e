#include "engine/backup/ManifestLine.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

#include <limits>

namespace quorvane {

namespace {

constexpr char kSumKey[] = ",\"sum\":\"";
constexpr qsizetype kSumKeyLength = sizeof(kSumKey) - 1;
constexpr qsizetype kSumDigits = 16;
// ,"sum":"<digits>"} at the end of a sealed line.
constexpr qsizetype kSealLength = kSumKeyLength + kSumDigits + 2;

QByteArray Checksum(const QByteArray& body)
{
    return QCryptographicHash::hash(body, QCryptographicHash::Sha256).left(kSumDigits / 2).toHex();
}

// The integer at key of o when it is one within [min, max].
std::optional<qint64> Integer(const QJsonObject& o, const char* key, qint64 min,
                              qint64 max = std::numeric_limits<qint64>::max())
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble())
        return std::nullopt;
    const qint64 i = v.toInteger(min - 1);   // the default for a value with a fraction
    if (i < min || i > max || double(i) != v.toDouble())
        return std::nullopt;
    return i;
}

bool IsDigits(const QString& text, qsizetype most)
{
    if (text.isEmpty() || text.size() > most)
        return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

bool IsHex(const QString& text)
{
    for (QChar c : text) {
        if (!c.isDigit() && (c < QLatin1Char('a') || c > QLatin1Char('f')))
            return false;
    }
    return true;
}

} // namespace

QByteArray SealedLine(const QJsonObject& object)
{
    return SealedLine(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QByteArray SealedLine(const QByteArray& body)
{
    return body.chopped(1) + kSumKey + Checksum(body) + "\"}\n";
}

void AppendJsonString(QByteArray& out, QStringView text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const auto escaped = [&out](char16_t u) {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            out += kHex[(u >> shift) & 0xf];
    };
    out += '"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u >= 0x20 && u < 0x80 && u != u'"' && u != u'\\') {
            out += char(u);
            continue;
        }
        switch (u) {
        case u'"': out += "\\\""; continue;
        case u'\\': out += "\\\\"; continue;
        case 0x08: out += "\\b"; continue;
        case 0x0c: out += "\\f"; continue;
        case 0x0a: out += "\\n"; continue;
        case 0x0d: out += "\\r"; continue;
        case 0x09: out += "\\t"; continue;
        default: break;
        }
        if (u < 0x20) {
            escaped(u);
        } else if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += QStringView(text.data() + i, 2).toUtf8();
            ++i;
        } else if (QChar::isSurrogate(u)) {
            escaped(u);   // a lone half of a pair has no UTF-8 form
        } else {
            out += QStringView(text.data() + i, 1).toUtf8();
        }
    }
    out += '"';
}

LineSeal Unseal(const QByteArray& line, QByteArray& body)
{
    const qsizetype at = line.size() - kSealLength;
    if (at > 1 && line.endsWith("\"}") && line.sliced(at, kSumKeyLength) == kSumKey) {
        body = line.first(at) + '}';
        return line.sliced(at + kSumKeyLength, kSumDigits) == Checksum(body) ? LineSeal::Sealed : LineSeal::Broken;
    }
    body = line;
    return HasSumKey(line) ? LineSeal::Broken : LineSeal::Plain;
}

bool HasSumKey(const QByteArray& line)
{
    // A quote inside a JSON string is escaped, so this is only ever a key.
    return line.contains("\"sum\"");
}

std::optional<QJsonObject> ObjectOf(const QByteArray& body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

bool HeadFrom(const QJsonObject& o, BackupManifest& manifest)
{
    const QJsonValue run = o.value("run"), started = o.value("started"), description = o.value("description"),
                     hash = o.value("hash"), mode = o.value("mode");
    if (!run.isString() || run.toString().isEmpty() || !started.isString() || !description.isString()
        || !hash.isString() || !(mode.isUndefined() || mode.isString()))
        return false;
    manifest.id = run.toString();
    manifest.started = QDateTime::fromString(started.toString(), Qt::ISODateWithMs);
    manifest.description = description.toString();
    manifest.mode = ManifestModeNamed(mode.toString());
    manifest.hashName = hash.toString();
    return manifest.started.isValid();
}

std::optional<BackupEntry> EntryFrom(const QJsonObject& o)
{
    BackupEntry e;
    const std::optional<qint64> number = Integer(o, "n", 1), size = Integer(o, "size", 0);
    const QJsonValue path = o.value("path"), hash = o.value("hash");
    if (!number || !size || !path.isString() || !path.toString().startsWith(QLatin1Char('/')) || !hash.isString())
        return std::nullopt;
    e.number = *number;
    e.size = *size;
    e.path = path.toString();
    const QString hex = hash.toString();
    if (!IsHex(hex) || hex.isEmpty() || hex.size() % 2 != 0)
        return std::nullopt;
    e.hash = hex.toLatin1();
    // A file the run created says so; any other names its kept file, which
    // must be a name the store gives (its number), never a way elsewhere.
    if (o.contains("created"))
        return o.value("created") == QJsonValue(true) && !o.contains("kept") ? std::optional(e) : std::nullopt;
    const QJsonValue kept = o.value("kept"), copied = o.value("copied");
    const std::optional<qint64> mode = Integer(o, "mode", 0, 07777), uid = Integer(o, "uid", 0, 0xffffffff),
                                gid = Integer(o, "gid", 0, 0xffffffff), keptBytes = Integer(o, "keptBytes", 0);
    if (!kept.isString() || !IsDigits(kept.toString(), 19) || !mode || !uid || !gid || !keptBytes
        || !(copied.isUndefined() || copied.isBool()))
        return std::nullopt;
    e.kept = kept.toString();
    e.copied = copied.toBool();
    e.mode = uint(*mode);
    e.uid = uint(*uid);
    e.gid = uint(*gid);
    e.keptBytes = *keptBytes;
    return e;
}

qint64 DroppedNumber(const QJsonObject& o)
{
    return o.size() == 1 ? Integer(o, "drop", 1).value_or(0) : 0;
}

bool IsTotals(const QJsonObject& o)
{
    const QJsonValue folder = o.value("folder");
    return Integer(o, "files", 0) && Integer(o, "keptBytes", 0) && (folder.isUndefined() || folder.isString());
}

} // namespace quorvane
