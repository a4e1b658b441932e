// The --folder scan alone, as quorvane-batch makes it before a run: prints the
// files found below TREE, one a line, as `find TREE -type f` does.
//
//   quorvane-scan-bench TREE [EXTENSION...]     (default: any name)
#include "filelist/FolderScan.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: quorvane-scan-bench TREE [EXTENSION...]\n");
        return 2;
    }
    const QStringList extensions = arguments.size() > 2 ? arguments.mid(2) : QStringList{QStringLiteral("*")};
    const QStringList files = quorvane::CollectFolderFiles(arguments.at(1), extensions, {});
    for (const QString& file : files) {
        const QByteArray name = QFile::encodeName(file);
        std::fwrite(name.constData(), 1, size_t(name.size()), stdout);
        std::fputc('\n', stdout);
    }
    return 0;
}
