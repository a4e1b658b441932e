// Prints the folder where the program would look for its resources, as seen
// from wherever this executable is copied to.
#include "shell/ProgramFolder.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::fputs(qPrintable(quorvane::ProgramFolder()), stdout);
    return 0;
}
