#include "app/AppIcon.h"
#include "app/Form1.h"
#include "shell/Prompts.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Lets the desktop match the window to the installed entry and its icon.
    QApplication::setDesktopFileName("quorvane");
    app.setWindowIcon(quorvane::ApplicationIcon());
    quorvane::QtPrompts prompts;
    quorvane::Form1 window(prompts);
    window.show();
    return app.exec();
}
