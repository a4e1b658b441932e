// The window program's command line: options told from names before Qt
// starts, --help and --version without a display, and a one-line answer when
// there is no display to open the window on.
#include "app/CommandLine.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using quorvane::ReadWindowCommandLine;
using quorvane::WindowCommandLine;

namespace {

const QByteArray kNoDisplay = "quorvane: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set); "
                              "quorvane-batch runs without one\n";

struct Ran {
    int status = -1;
    QByteArray out, err;
    bool running = false; // still running after the wait, then killed
};

// Runs program with arguments in a sandbox of its own, without a display
// unless environment names one; waits at most waitMs.
Ran RunWithoutDisplay(const QString& program, const QStringList& arguments,
                      const QStringList& environment = {}, int waitMs = 30000)
{
    QTemporaryDir sandbox;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    env.insert("HOME", sandbox.path());
    env.insert("XDG_CONFIG_HOME", sandbox.path() + "/config");
    env.insert("XDG_DATA_HOME", sandbox.path() + "/data");
    env.insert("BROWSER", "true"); // the rare visit to the maker's site goes nowhere
    for (const QString& pair : environment)
        env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(sandbox.path());
    process.start(program, arguments);
    Ran ran;
    if (!process.waitForFinished(waitMs)) {
        ran.running = process.state() == QProcess::Running;
        process.kill();
        process.waitForFinished(5000);
    } else {
        ran.status = process.exitCode();
    }
    ran.out = process.readAllStandardOutput();
    ran.err = process.readAllStandardError();
    return ran;
}

} // namespace

TEST(WindowCommandLine, OptionsQtsOwnOptionsAndNamesAreToldApart)
{
    using Action = WindowCommandLine::Action;
    const QString hint = "; put -- before a file whose name starts with '-'";
    const struct {
        std::vector<const char*> argv;
        Action action;
        QString text;          // Usage: the message; Version: the line
        QStringList paths;
        std::vector<int> qt;
        bool platform = false;
    } cases[] = {
        {{"a.txt", "--", "--version", "-x", "-"}, Action::Window, {}, {"a.txt", "--version", "-x", "-"}, {}},
        {{"-platform", "offscreen", "b", "-style=fusion", "--reverse", "-qwindowtitle", "T"}, Action::Window, {},
         {"b"}, {1, 2, 4, 5, 6, 7}, true},
        {{"a", "--version", "--frobnicate"}, Action::Version, "quorvane 0.1.0\n", {}, {}},
        {{"-V"}, Action::Version, "quorvane 0.1.0\n", {}, {}},
        {{"--frobnicate", "--help"}, Action::Usage, "unknown option --frobnicate" + hint, {}, {}},
        {{"-dash.txt"}, Action::Usage, "unknown option -dash.txt" + hint, {}, {}},
        {{"a", "-platform"}, Action::Usage, "option -platform needs a value", {}, {}},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"quorvane"};
        argv.insert(argv.end(), c.argv.begin(), c.argv.end());
        const WindowCommandLine line = ReadWindowCommandLine(int(argv.size()), argv.data());
        QString what;
        for (const char* arg : c.argv)
            what += QString::fromUtf8(arg) + ' ';
        EXPECT_EQ(line.action, c.action) << qPrintable(what);
        if (c.action != Action::Window) {
            EXPECT_EQ(line.text, c.text) << qPrintable(what);
        }
        EXPECT_EQ(line.given.paths, c.paths) << qPrintable(what);
        EXPECT_EQ(line.qtArguments, c.qt) << qPrintable(what);
        EXPECT_EQ(line.platformChosen, c.platform) << qPrintable(what);
    }
}

TEST(WindowCommandLine, WithoutADisplayTheProgramSaysSoInOneLineButAnswersHelpVersionAndMistakes)
{
    const struct {
        QStringList arguments;
        int status;
        QByteArray out, err;
    } cases[] = {
        {{}, 1, "", kNoDisplay},
        {{"notes.txt"}, 1, "", kNoDisplay},
        {{"--version"}, 0, "quorvane 0.1.0\n", ""},
        {{"--frobnicate"}, 2, "",
         "quorvane: unknown option --frobnicate; put -- before a file whose name starts with '-'\n"
         "Try 'quorvane --help' for more.\n"},
    };
    for (const auto& c : cases) {
        const Ran ran = RunWithoutDisplay(QStringLiteral(QUORVANE_WINDOW), c.arguments);
        EXPECT_EQ(ran.status, c.status) << qPrintable(c.arguments.join(' '));
        EXPECT_EQ(ran.out, c.out) << qPrintable(c.arguments.join(' '));
        EXPECT_EQ(ran.err, c.err) << qPrintable(c.arguments.join(' '));
    }
    for (const char* option : {"--help", "-h"}) {
        const Ran help = RunWithoutDisplay(QStringLiteral(QUORVANE_WINDOW), {"notes.txt", option});
        EXPECT_EQ(help.status, 0);
        EXPECT_TRUE(help.out.startsWith("Usage: quorvane [OPTION]... [--] [FILE | FOLDER]...\n")) << help.out.constData();
        EXPECT_TRUE(help.out.contains("\n  --             Every argument after it names a file")) << help.out.constData();
    }

    // scripts/run says the same before it builds anything.
    const Ran run = RunWithoutDisplay(QStringLiteral(QUORVANE_SOURCE_DIR "/scripts/run"), {});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, kNoDisplay);
}

TEST(WindowCommandLine, AChosenPlatformOpensTheWindowWithoutADisplay)
{
    const struct {
        QStringList arguments, environment;
    } cases[] = {
        {{}, {"QT_QPA_PLATFORM=offscreen"}},
        {{"-platform", "offscreen"}, {}},
    };
    for (const auto& c : cases) {
        const Ran ran = RunWithoutDisplay(QStringLiteral(QUORVANE_WINDOW), c.arguments, c.environment, 3000);
        EXPECT_TRUE(ran.running) << qPrintable(c.arguments.join(' ')) << " ended with " << ran.status << ": "
                                 << ran.err.constData();
        EXPECT_FALSE(ran.err.contains("no display")) << ran.err.constData();
    }
}
