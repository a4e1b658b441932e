#include "app/Help.h"

#include "shell/ErrorReport.h"
#include "shell/Prompts.h"

namespace quorvane {

QString HelpText()
{
    return QStringLiteral("This software is intended to be used on text based files, not images, "
                          "executables, etc.")
        + "\r\r" + "If you have any questions, please email " + kSupportAddress;
}

void HelpButton(Prompts& prompts)
{
    StepTrap trap(prompts, "Form1.PushButton10_Click");
    trap.step(100, [&] { prompts.notice(HelpText(), ApplicationTitle()); });
}

} // namespace quorvane
