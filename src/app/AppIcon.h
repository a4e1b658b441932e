#pragma once
#include <QIcon>

namespace quorvane {

// The program's own icon, in the sizes shipped with it.
QIcon ApplicationIcon();

} // namespace quorvane
