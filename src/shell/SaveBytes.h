#pragma once
// Saving a file the user named in a save dialog: only over a regular file, and
// atomically, so a failed save leaves what stood there as it was.
#include <QByteArray>
#include <QString>

namespace quorvane {

// True when nothing stands at path or a regular file does (reached through any
// symbolic links); false for a FIFO, a device, a folder, a dangling link or a
// link loop, which a save must leave alone.
bool SavableTarget(const QString& path);

// Replaces path with bytes through a temporary file renamed into place. False,
// with the reason in *error, when any step fails.
bool SaveBytes(const QString& path, const QByteArray& bytes, QString* error);

} // namespace quorvane
