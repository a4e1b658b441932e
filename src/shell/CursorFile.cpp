#include "shell/CursorFile.h"

#include "shell/Failure.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>

namespace quorvane {

namespace {
quint16 word(const QByteArray& bytes, int at)
{
    return quint16(quint8(bytes[at]) | (quint8(bytes[at + 1]) << 8));
}
} // namespace

std::optional<QCursor> ReadCursorFile(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QCoreApplication::translate("quorvane::ErrorReport", "Permission denied"));
    const QByteArray bytes = file.readAll();
    // Header: reserved 0, type 2 (cursor), count; the first directory entry
    // keeps the hot spot where an icon keeps planes and bit count.
    if (bytes.size() < 22 || word(bytes, 0) != 0 || word(bytes, 2) != 2 || word(bytes, 4) < 1)
        throw Failure(QCoreApplication::translate("quorvane::ErrorReport", "Invalid picture"));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "cur");
    const QImage image = reader.read();
    if (image.isNull())
        throw Failure(QCoreApplication::translate("quorvane::ErrorReport", "Invalid picture"));
    int hotX = word(bytes, 10);
    int hotY = word(bytes, 12);
    if (hotX >= image.width() || hotY >= image.height())
        hotX = hotY = -1;
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

} // namespace quorvane
