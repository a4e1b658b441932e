#pragma once
// "Help": the main window's short help text.
#include <QString>

namespace quorvane {

class Prompts;

// The help text: what the tool is for, two CRs, and where to ask questions.
QString HelpText();

// The button's handler: the help text as a notice with the application title,
// trapped as "Form1.PushButton10_Click".
void HelpButton(Prompts& prompts);

} // namespace quorvane
