#include "engine/backup/Manifest.h"

#include "engine/backup/ManifestLine.h"
#include "engine/backup/StoreFiles.h"
#include "engine/files/FileAccess.h"

#include <QFile>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

namespace quorvane {

namespace {

constexpr char kInPlace[] = "in place";
constexpr char kOutputFolder[] = "output folder";
// Lines carry checksums from this format on.
constexpr int kSealedFormat = 2;

// The common folder of the entries' paths.
QString EntriesFolder(const std::vector<BackupEntry>& entries)
{
    QStringList paths;
    paths.reserve(qsizetype(entries.size()));
    for (const BackupEntry& e : entries)
        paths << e.path;
    return CommonFolder(paths);
}

// Opens the manifest at path the way the store opens what it keeps.
bool OpenManifest(const QString& path, QFile& file, QString* why)
{
    const int fd = OpenStoreFile(AT_FDCWD, NativePath(path));
    if (fd < 0) {
        if (why)
            *why = DescribeReadError(errno);
        return false;
    }
    return file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
}

// The head of a manifest from its first line (no LF): whether its lines are
// sealed in sealed. False when it is damaged, or names a format yet is unsealed.
bool ReadHead(const QByteArray& line, BackupManifest& head, bool& sealed)
{
    QByteArray body;
    const LineSeal seal = Unseal(line, body);
    const std::optional<QJsonObject> o = ObjectOf(body);
    if (seal == LineSeal::Broken || !o || !HeadFrom(*o, head))
        return false;
    sealed = seal == LineSeal::Sealed;
    return sealed || !o->contains("format");
}

// The object of a later line of a manifest sealed or not; nullopt when damaged.
std::optional<QJsonObject> ReadLine(const QByteArray& line, bool sealed)
{
    QByteArray body;
    const LineSeal seal = Unseal(line, body);
    if (seal != (sealed ? LineSeal::Sealed : LineSeal::Plain))
        return std::nullopt;
    return ObjectOf(body);
}

// The file's last whole line (its final LF left out); empty when none.
QByteArray LastLine(QFile& file)
{
    constexpr qint64 kTail = 8192;   // a totals line is some 70 bytes and its folder
    const qint64 size = file.size();
    if (!file.seek(std::max<qint64>(0, size - kTail)))
        return {};
    QByteArray tail = file.read(kTail);
    if (!tail.endsWith('\n'))
        return {};   // cut short
    tail.chop(1);
    return tail.mid(tail.lastIndexOf('\n') + 1);
}

} // namespace

BackupRunMode ManifestModeNamed(const QString& name)
{
    if (name == QLatin1String(kInPlace))
        return BackupRunMode::InPlace;
    if (name == QLatin1String(kOutputFolder))
        return BackupRunMode::OutputFolder;
    return BackupRunMode::Unrecorded;
}

QByteArray ManifestHeadLine(const BackupManifest& m)
{
    QJsonObject o{{"run", m.id},
                  {"started", m.started.toUTC().toString(Qt::ISODateWithMs)},
                  {"description", m.description},
                  {"hash", m.hashName},
                  {"format", kSealedFormat}};
    if (m.mode != BackupRunMode::Unrecorded)
        o.insert("mode", QLatin1String(m.mode == BackupRunMode::InPlace ? kInPlace : kOutputFolder));
    return SealedLine(o);
}

QByteArray ManifestEntryLine(const BackupEntry& e)
{
    // A run writes one of these for every file it replaces, while it lands
    // them: written directly, as QJsonDocument would write the object (keys
    // in order, compact), at a fraction of the cost.
    QByteArray line;
    line.reserve(160 + e.path.size() * 3 + e.kept.size() + e.hash.size());
    const auto number = [&line](const char* key, qint64 value) {
        line.append(key).append(QByteArray::number(value));
    };
    const auto text = [&line](const char* key, QStringView value) {
        line.append(key);
        AppendJsonString(line, value);
    };
    line += '{';
    if (e.kept.isEmpty()) {
        line += "\"created\":true";
        text(",\"hash\":", QString::fromLatin1(e.hash));
        number(",\"n\":", e.number);
        text(",\"path\":", e.path);
        number(",\"size\":", e.size);
        return SealedLine(line += '}');
    }
    if (e.copied)
        line += "\"copied\":true,";
    number("\"gid\":", e.gid);
    text(",\"hash\":", QString::fromLatin1(e.hash));
    text(",\"kept\":", e.kept);
    number(",\"keptBytes\":", e.keptBytes);
    number(",\"mode\":", e.mode);
    number(",\"n\":", e.number);
    text(",\"path\":", e.path);
    number(",\"size\":", e.size);
    number(",\"uid\":", e.uid);
    return SealedLine(line += '}');
}

QByteArray ManifestDropLine(qint64 number)
{
    return SealedLine({{"drop", number}});
}

QByteArray ManifestTotalsLine(qint64 files, qint64 keptBytes, const QString& folder)
{
    return SealedLine({{"files", files}, {"keptBytes", keptBytes}, {"folder", folder}});
}

QString CommonFolder(const QStringList& files)
{
    if (files.isEmpty())
        return {};
    // Folders as their text up to the last '/', the root as the empty text.
    const auto folderOf = [](const QString& path) { return path.left(std::max<qsizetype>(0, path.lastIndexOf('/'))); };
    QString common = folderOf(files.front());
    for (const QString& file : files) {
        const QString folder = folderOf(file);
        while (!common.isEmpty() && folder != common && !folder.startsWith(common + QLatin1Char('/')))
            common.truncate(std::max<qsizetype>(0, common.lastIndexOf('/')));
    }
    return common.isEmpty() && files.front().startsWith('/') ? QStringLiteral("/") : common;
}

std::optional<ManifestSummary> ReadManifestSummary(const QString& path)
{
    QFile file;
    if (!OpenManifest(path, file, nullptr))
        return std::nullopt;
    QByteArray first = file.readLine();
    if (!first.endsWith('\n'))
        return std::nullopt;
    first.chop(1);
    BackupManifest head;
    bool sealed = false;
    if (!ReadHead(first, head, sealed))
        return std::nullopt;
    ManifestSummary summary;
    summary.id = head.id;
    summary.started = head.started;
    summary.description = head.description;
    summary.mode = head.mode;
    const std::optional<QJsonObject> totals = ReadLine(LastLine(file), sealed);
    if (totals && IsTotals(*totals) && totals->contains("folder")) {
        summary.files = totals->value("files").toInteger();
        summary.keptBytes = totals->value("keptBytes").toInteger();
        summary.folder = totals->value("folder").toString();
        return summary;
    }
    const std::optional<BackupManifest> whole = ReadManifest(path);
    if (!whole)
        return std::nullopt;
    summary.files = qint64(whole->entries.size() + whole->damaged.size());
    for (const BackupEntry& e : whole->entries)
        summary.keptBytes += e.keptBytes;
    summary.folder = EntriesFolder(whole->entries);
    return summary;
}

std::optional<BackupManifest> ReadManifest(const QString& path, QString* why)
{
    QFile file;
    if (!OpenManifest(path, file, why))
        return std::nullopt;
    QList<QByteArray> lines = file.readAll().split('\n');
    // A last line without its LF was being written when the run was cut short.
    const bool cutShort = !lines.back().isEmpty();
    if (!cutShort)
        lines.removeLast();
    BackupManifest manifest;
    bool sealed = false;
    if (lines.isEmpty() || (cutShort && lines.size() == 1) || !ReadHead(lines.front(), manifest, sealed)
        || (!sealed && std::any_of(lines.begin(), lines.end(), HasSumKey))) {
        if (why)
            *why = QStringLiteral("damaged record");
        return std::nullopt;
    }
    QSet<qint64> numbers;
    QSet<qint64> dropped;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const std::optional<QJsonObject> o = ReadLine(lines[i], sealed);
        std::optional<BackupEntry> entry;
        if (o && o->contains("n"))
            entry = EntryFrom(*o);
        if (entry && !numbers.contains(entry->number)) {
            numbers.insert(entry->number);
            manifest.entries.push_back(std::move(*entry));
        } else if (o && !o->contains("n") && DroppedNumber(*o) > 0) {
            dropped.insert(DroppedNumber(*o));
        } else if (!(o && !o->contains("n") && IsTotals(*o)) && !(cutShort && i == lines.size() - 1)) {
            manifest.damaged.push_back({int(i + 1), lines[i]});
        }
    }
    if (!dropped.isEmpty())
        std::erase_if(manifest.entries, [&](const BackupEntry& e) { return dropped.contains(e.number); });
    return manifest;
}

bool RewriteManifest(const QString& path, const BackupManifest& manifest, QString& why)
{
    QByteArray lines = ManifestHeadLine(manifest);
    qint64 keptBytes = 0;
    for (const BackupEntry& e : manifest.entries) {
        lines += ManifestEntryLine(e);
        keptBytes += e.keptBytes;
    }
    for (const DamagedRecord& d : manifest.damaged)
        lines += d.text + '\n';
    lines += ManifestTotalsLine(qint64(manifest.entries.size() + manifest.damaged.size()), keptBytes,
                                EntriesFolder(manifest.entries));
    return ReplaceStoreFile(path, lines, why);
}

} // namespace quorvane
