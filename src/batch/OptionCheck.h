#pragma once
// Options the command line does not know, caught before the argument parser
// sees them: the message names the option as it was typed and suggests the
// nearest known one, and "-dash.txt" is not taken for the options d, a, s...
#include <QString>
#include <QStringList>

namespace quorvane::batch {

struct KnownOptions {
    QStringList longNames;  // without the leading "--"
    QStringList valued;     // the long names that take the next argument as their value
    QString shortNames;     // letters that may stand alone or together (-0V)
};

// The usage message for the first option in arguments (program name first)
// that known does not hold, e.g. "unknown option --inplace; did you mean
// --in-place?"; empty when every option is known. The value of a valued
// option and every argument after "--" are not options.
QString UnknownOptionMessage(const QStringList& arguments, const KnownOptions& known);

// The name in names that name most likely meant: the only one that starts
// with name, else the first one at the fewest edits (at most two, and fewer
// than half of name's length); empty when none is that near.
QString NearestOption(const QString& name, const QStringList& names);

} // namespace quorvane::batch
