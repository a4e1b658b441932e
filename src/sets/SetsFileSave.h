#pragma once
// Saving the set list as a sets file, with the window's questions.
#include <QString>
#include <QStringList>

namespace quorvane {

class Prompts;

// Writes the sets to path. Anything at path but a regular file (or a symbolic
// link to one, whose target is then written) is refused with a notice. Then,
// when a file exists there, asks whether to overwrite it, and when a set would
// not load back as it is, whether to save anyway; writes nothing unless each
// answer is Yes. The file is replaced atomically, so a failed save leaves an
// existing file as it was; throws Failure then.
void WriteSetsFile(const QString& path, const QStringList& finds,
                   const QStringList& replaces, Prompts& prompts);

} // namespace quorvane
