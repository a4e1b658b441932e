// Where the program finds HAND-M.CUR, drag.ico and Samples: beside the executable
// in the build tree, or <prefix>/share/quorvane once installed in <prefix>/bin.
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using quorvane::test::TestEnv;

namespace {

// Copies the probe executable to folder and returns what it prints.
QString ProgramFolderSeenFrom(const QString& folder)
{
    QDir().mkpath(folder);
    const QString exe = folder + "/print_program_folder";
    QFile::remove(exe);
    if (!QFile::copy(QStringLiteral(QUORVANE_PROBE), exe))
        return "<copy failed>";
    QProcess probe;
    probe.start(exe, {});
    if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
        return "<probe failed>";
    return QString::fromUtf8(probe.readAllStandardOutput());
}

} // namespace

TEST(ProgramFolder, IsTheExecutablesFolderInTheBuildTreeAndShareQuorvaneWhenInstalled)
{
    TestEnv env;
    const QString root = QDir(env.root()).canonicalPath();

    // Build tree: the executable's own folder.
    EXPECT_EQ(ProgramFolderSeenFrom(root + "/build"), root + "/build");

    // Installed: <prefix>/bin/quorvane uses <prefix>/share/quorvane.
    QDir().mkpath(root + "/prefix/share/quorvane");
    EXPECT_EQ(ProgramFolderSeenFrom(root + "/prefix/bin"), root + "/prefix/share/quorvane");

    // A bin folder without installed data is just a folder holding the program.
    EXPECT_EQ(ProgramFolderSeenFrom(root + "/other/bin"), root + "/other/bin");
}
