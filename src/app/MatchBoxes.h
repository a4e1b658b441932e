#pragma once
// The status bar's matching options, "Match whole words", "Ignore case" and
// "Regular expressions", and the help on regular expressions beside them.
#include "engine/RunPairs.h"

#include <QString>

class QCheckBox;
class QStatusBar;
class QToolButton;

namespace quorvane {

class Form1;
class Prompts;

struct MatchControls {
    QCheckBox* wholeWords = nullptr;
    QCheckBox* ignoreCase = nullptr;
    QCheckBox* regex = nullptr;
    QToolButton* help = nullptr;   // "?": RegexHelpButton
    // What the boxes show, as a run's matcher and options take it.
    MatcherKind matcher() const;
    MatchOptions options() const;
};

// Adds the three boxes and the help button to bar, after its permanent widgets
// so far. Each box shows the stored choice and stores it the moment it is
// toggled; a failure to store is reported as "Form1.MatchChoices" and the box
// goes back to the stored choice.
MatchControls AddMatchControls(Form1& form, QStatusBar* bar);

// The syntax of patterns and the references of replacements, in a few lines.
QString RegexHelpText();

// The help button's handler: RegexHelpText() as a notice with the application
// title, trapped as "Form1.RegexHelpButton_Click".
void RegexHelpButton(Prompts& prompts);

} // namespace quorvane
