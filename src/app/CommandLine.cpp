#include "app/CommandLine.h"

#include <QByteArrayView>
#include <QtGlobal>

namespace quorvane {

namespace {

// Qt's own options that take the next argument as their value; the ones
// named in kQtValued may also be written -name=value.
const char* const kQtValued[] = {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                 "qwindowicon", "qwindowtitle", "geometry", "title", "icon", "display", "name",
                                 "visual", "session", "style", "stylesheet", "qmljsdebugger"};
const char* const kQtSwitches[] = {"reverse", "widgetcount", "testability", "nograb", "dograb", "sync"};

QString HelpText()
{
    return QStringLiteral(
        "Usage: quorvane [OPTION]... [--] [FILE | FOLDER]...\n"
        "Opens the Quorvane window, which replaces text in a batch of files. The files\n"
        "named, and the files of each folder's whole tree, join its file list.\n"
        "\n"
        "Options:\n"
        "  -h, --help     Show this help.\n"
        "  -V, --version  Show the program's name and version.\n"
        "  --             Every argument after it names a file, also one that starts\n"
        "                 with '-'.\n"
        "\n"
        "Qt's own options, such as -platform NAME, -style NAME and -reverse, are passed\n"
        "on to Qt. The window needs a display (DISPLAY or WAYLAND_DISPLAY); the same\n"
        "replacements run without one from the command line: see quorvane-batch --help.\n");
}

template <size_t N>
bool Holds(const char* const (&names)[N], QByteArrayView name)
{
    for (const char* known : names)
        if (name == QByteArrayView(known))
            return true;
    return false;
}

} // namespace

WindowCommandLine ReadWindowCommandLine(int argc, const char* const* argv)
{
    WindowCommandLine line;
    std::vector<const char*> names{argv[0]};
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        if (optionsEnded || !arg.startsWith('-') || arg == "-") {
            names.push_back(argv[i]);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            line.action = WindowCommandLine::Action::Help;
            line.text = HelpText();
            return line;
        }
        if (arg == "-V" || arg == "--version") {
            line.action = WindowCommandLine::Action::Version;
            line.text = QStringLiteral("quorvane " QUORVANE_VERSION "\n");
            return line;
        }
        // Qt reads its options with one dash or two.
        QByteArrayView name = arg.sliced(arg.startsWith("--") ? 2 : 1);
        const qsizetype eq = name.indexOf('=');
        const QByteArrayView bare = eq < 0 ? name : name.first(eq);
        if (Holds(kQtValued, bare) && eq < 0 && i + 1 == argc) {
            line.action = WindowCommandLine::Action::Usage;
            line.text = QStringLiteral("option ") + QString::fromLocal8Bit(arg) + QStringLiteral(" needs a value");
            return line;
        }
        if (Holds(kQtValued, bare)) {
            line.platformChosen = line.platformChosen || bare == "platform";
            line.displayChosen = line.displayChosen || bare == "display";
            line.qtArguments.push_back(i);
            if (eq < 0)
                line.qtArguments.push_back(++i);
            continue;
        }
        if (eq < 0 && Holds(kQtSwitches, name)) {
            line.qtArguments.push_back(i);
            continue;
        }
        line.action = WindowCommandLine::Action::Usage;
        line.text = QStringLiteral("unknown option ") + QString::fromLocal8Bit(arg)
                    + QStringLiteral("; put -- before a file whose name starts with '-'");
        return line;
    }
    line.given = ReadStartupPaths(int(names.size()), names.data());
    return line;
}

QString NoDisplayMessage(const WindowCommandLine& line)
{
    if (line.platformChosen || line.displayChosen || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        || !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    return QStringLiteral("quorvane: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set); "
                          "quorvane-batch runs without one");
}

} // namespace quorvane
