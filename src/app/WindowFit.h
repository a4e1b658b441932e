#pragma once
// Where a top-level window opens: inside the screen's free area, room left for
// the window manager's frame around it.
#include <QRect>
#include <QSize>

namespace quorvane {

// The window's geometry (frame excluded): wanted, made no larger than the free
// area leaves once the frame is allowed for and no smaller than minimum, centred
// in that room; a window larger than the room starts at its top left corner.
QRect FitOnScreen(QSize wanted, QSize minimum, QRect available);

} // namespace quorvane
