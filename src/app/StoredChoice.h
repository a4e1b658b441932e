#pragma once
// One on/off choice of the window, stored as the user toggles it.
#include "app/Form1.h"
#include "shell/ErrorReport.h"

namespace quorvane {

// Stores member of the choices read() gives as on, through write() under the
// window's error trap named step; returns what the store holds afterwards,
// which the control shows, so it never claims a choice the next start would
// not find.
template <typename Choices>
bool StoreChoice(Form1& form, const char* step, bool Choices::*member, bool on, Choices (*read)(),
                 void (*write)(const Choices&))
{
    Choices choices = read();
    choices.*member = on;
    StepTrap trap(form.prompts(), step);
    trap.step(100, [&] { write(choices); });
    return read().*member;
}

} // namespace quorvane
