#include "app/WindowFit.h"

#include <QMargins>
#include <algorithm>

namespace quorvane {

namespace {
// The frame is not known before the window is first shown: room for common
// borders and a title bar.
constexpr QMargins kFrameAllowance(8, 40, 8, 8);
} // namespace

QRect FitOnScreen(QSize wanted, QSize minimum, QRect available)
{
    const QRect room = available.marginsRemoved(kFrameAllowance);
    const QSize size = wanted.boundedTo(room.size()).expandedTo(minimum);
    const int x = room.x() + std::max(0, (room.width() - size.width()) / 2);
    const int y = room.y() + std::max(0, (room.height() - size.height()) / 2);
    return QRect(QPoint(x, y), size);
}

} // namespace quorvane
