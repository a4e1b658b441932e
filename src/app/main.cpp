#include "app/AppIcon.h"
#include "app/Form1.h"
#include "app/Startup.h"
#include "shell/Prompts.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Lets the desktop match the window to the installed entry and its icon.
    QApplication::setDesktopFileName("quorvane");
    app.setWindowIcon(quorvane::ApplicationIcon());
    // QApplication has taken its own options out of argv by now.
    const quorvane::StartupPaths given = quorvane::ReadStartupPaths(argc, argv);
    quorvane::QtPrompts prompts;
    quorvane::Form1 window(prompts);
    window.show();
    // "Open With" from a file manager: the files arrive once the window is up,
    // so a folder's scan and any notice show over it.
    if (!given.paths.isEmpty() || !given.refused.isEmpty())
        QTimer::singleShot(0, &window, [&window, &given] { quorvane::AddStartupPaths(window, given); });
    return app.exec();
}
