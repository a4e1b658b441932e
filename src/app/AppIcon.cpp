#include "app/AppIcon.h"

namespace quorvane {

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : {32, 64, 128})
        icon.addFile(QStringLiteral(":/quorvane/quorvane-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace quorvane
