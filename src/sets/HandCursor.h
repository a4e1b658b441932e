#pragma once
// The hand cursor shown over push buttons, read from a Windows cursor file.
#include <QCursor>
#include <QString>
#include <optional>

namespace quorvane {

// Cursor from the .cur file at path, with the hot spot the file states; empty
// when the file is missing or cannot be decoded.
std::optional<QCursor> LoadCursorFile(const QString& path);

} // namespace quorvane
