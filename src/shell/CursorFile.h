#pragma once
// Mouse cursors read from cursor (.cur) files beside the program.
#include <QCursor>
#include <QString>
#include <optional>

namespace quorvane {

// The cursor in the .cur file at path, with the hot spot the file states.
// Empty when no file exists there; throws Failure when the file exists but
// holds no readable cursor.
std::optional<QCursor> ReadCursorFile(const QString& path);

} // namespace quorvane
