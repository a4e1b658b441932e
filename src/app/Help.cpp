#include "app/Help.h"

#include "shell/ErrorReport.h"
#include "shell/Prompts.h"

#include <QCoreApplication>

namespace quorvane {

QString HelpText()
{
    return QCoreApplication::translate("quorvane::Form1",
                                       "This software is intended to be used on text based files, "
                                       "not images, executables, etc.\r\rIf you have any questions, "
                                       "please email %1")
        .arg(QLatin1String(kSupportAddress));
}

void HelpButton(Prompts& prompts)
{
    StepTrap trap(prompts, "Form1.PushButton10_Click");
    trap.step(100, [&] { prompts.notice(HelpText(), ApplicationTitle()); });
}

} // namespace quorvane
