#include "app/AppIcon.h"
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/Startup.h"
#include "shell/Prompts.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    // Read before Qt starts: --help, --version and a mistyped option need no
    // display, and without one Qt would abort with a message of its own.
    const quorvane::WindowCommandLine line = quorvane::ReadWindowCommandLine(argc, argv);
    using Action = quorvane::WindowCommandLine::Action;
    if (line.action == Action::Help || line.action == Action::Version) {
        std::fputs(line.text.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    if (line.action == Action::Usage) {
        std::fprintf(stderr, "quorvane: %s\nTry 'quorvane --help' for more.\n", line.text.toLocal8Bit().constData());
        return 2;
    }
    if (const QString missing = quorvane::NoDisplayMessage(line); !missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", missing.toLocal8Bit().constData());
        return 1;
    }
    // Qt sees its own options alone, so no file name is ever taken for one.
    std::vector<char*> qtArgv{argv[0]};
    for (const int i : line.qtArguments)
        qtArgv.push_back(argv[i]);
    qtArgv.push_back(nullptr);
    int qtArgc = int(qtArgv.size()) - 1;
    QApplication app(qtArgc, qtArgv.data());
    // Lets the desktop match the window to the installed entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("quorvane"));
    app.setWindowIcon(quorvane::ApplicationIcon());
    const quorvane::StartupPaths& given = line.given;
    quorvane::QtPrompts prompts;
    quorvane::Form1 window(prompts);
    window.show();
    // "Open With" from a file manager: the files arrive once the window is up,
    // so a folder's scan and any notice show over it.
    if (!given.paths.isEmpty() || !given.refused.isEmpty())
        QTimer::singleShot(0, &window, [&window, &given] { quorvane::AddStartupPaths(window, given); });
    return app.exec();
}
