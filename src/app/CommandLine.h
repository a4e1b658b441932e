#pragma once
// The window program's command line, read before Qt is started: --help and
// --version need no display, an option it does not know is refused rather
// than added to the list as a file, and Qt's own options are passed on.
#include "app/Startup.h"

#include <QString>
#include <vector>

namespace quorvane {

struct WindowCommandLine {
    enum class Action { Window, Help, Version, Usage } action = Action::Window;
    QString text;                  // Help, Version: what to print; Usage: what is wrong
    StartupPaths given;            // Window: the files and folders named
    std::vector<int> qtArguments;  // the indexes in argv of Qt's options and their values, in order
    bool platformChosen = false;   // -platform was given
    bool displayChosen = false;    // -display was given
};

// Reads argv[1] to argv[argc - 1]: -h/--help, -V/--version, "--" (every
// argument after it names a file), Qt's own options (-platform NAME,
// -style=NAME, ...), and the names of files and folders; the first other
// argument that starts with '-' makes the outcome Usage.
WindowCommandLine ReadWindowCommandLine(int argc, const char* const* argv);

// The one line saying the window has nowhere to open, or empty when it has:
// a platform chosen (QT_QPA_PLATFORM or -platform, offscreen among them), a
// -display, or DISPLAY or WAYLAND_DISPLAY set and not empty.
QString NoDisplayMessage(const WindowCommandLine& line);

} // namespace quorvane
