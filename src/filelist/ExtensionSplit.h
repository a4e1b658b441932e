#pragma once
// One scan of a folder tree shared by several extension lists: the tree is
// walked once for all of them and its files handed to each list that takes them.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace quorvane {

// The paths among found (as CollectFolderFiles gives them) whose names match
// "*." + one of extensions, in found's order: what a scan for these
// extensions alone gives.
QStringList PathsWithExtensions(const QStringList& found, const QStringList& extensions);

// The same for the raw paths a scan could not decode; a subfolder's (ending
// with '/') is every scan's, whatever its extensions.
std::vector<QByteArray> RawPathsWithExtensions(const std::vector<QByteArray>& found, const QStringList& extensions);

} // namespace quorvane
