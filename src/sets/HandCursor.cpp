#include "HandCursor.h"

#include <QFile>
#include <QImageReader>
#include <QPixmap>

namespace quorvane {

std::optional<QCursor> LoadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The image decoder ignores the hot spot; it sits in the first directory
    // entry, bytes 10-13 of the file, little-endian.
    const QByteArray head = file.peek(14);
    QImageReader reader(&file, "cur");
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    int hotX = -1;
    int hotY = -1;
    if (head.size() == 14) {
        hotX = quint8(head[10]) | (quint8(head[11]) << 8);
        hotY = quint8(head[12]) | (quint8(head[13]) << 8);
        if (hotX >= image.width() || hotY >= image.height())
            hotX = hotY = -1;
    }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

} // namespace quorvane
