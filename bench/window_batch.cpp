// Runs one "Start Replacing" through the real main window on the offscreen
// platform and prints how long the click took, so the window's own cost per
// file can be set against quorvane-batch on the same files.
//
//   quorvane-window-bench [--find TEXT --replace TEXT]... [--pairs FILE] [--list FILE]...
//                         [--generate N DIR] [--stop-after MS | --close-after MS] [--jobs N]
//                         (--output-folder DIR | --in-place) [FILE]...
//
// Pairs become the lines of the two single-mode boxes; --pairs adds those of a
// sets file (one "find::replace" per line). --generate writes N
// small files into DIR first and adds them. Prints the elapsed milliseconds
// on stdout; failures reported by the window go to stderr, and so do the
// totals of the run's report, which the window keeps as it always does.
//
// --stop-after MS clicks "Stop" MS milliseconds into the run and prints
// "stop-ms T" on stdout: the time from the click to the run's end. --close-after
// MS closes the window instead and prints "closed-at T" at once, T being the
// monotonic clock in nanoseconds, so that whoever waits for the process can
// tell how long it took to be gone. Both print "abandoned" on stderr when the
// file in hand was left unfinished.
//
// --jobs N runs the files on N workers (default: one per core, as the window does).
//
// --open-report opens the report window after the run, sorts it by its
// replacements and shows only the failed files, and prints "report-ms OPEN
// SORT FILTER" on stdout, each step's milliseconds until the window has
// painted.
#include "app/Form1.h"
#include "app/RunReportView.h"
#include "shell/Chance.h"
#include "shell/ProgramFolder.h"
#include "shell/Settings.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <chrono>
#include <cstdio>
#include <functional>

namespace {

class BenchPrompts : public quorvane::Prompts {
public:
    int failures = 0;
    void notice(const QString& text, const QString&) override
    {
        if (text != "Done.")
            std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    void errorBox(const QString& text, const QString&) override
    {
        ++failures;
        std::fprintf(stderr, "%s\n", qPrintable(quorvane::DisplayText(text)));
    }
    bool question(const QString&, const QString&) override { return false; }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QStringList openFiles(const QString&, const QString&, bool) override { return {}; }
    QString saveFile(const QString&, const QString&) override { return {}; }
    QString pickFolder(const QString&, const QString&) override { return {}; }
    bool openUrl(const QUrl&) override { return true; }
};

int Usage()
{
    std::fprintf(stderr, "usage: quorvane-window-bench [--find TEXT --replace TEXT]... [--list FILE]...\n"
                         "       [--generate N DIR] [--stop-after MS | --close-after MS] [--open-report] [--jobs N]\n"
                         "       (--output-folder DIR | --in-place) [FILE]...\n");
    return 2;
}

// N files of a few hundred bytes, each with some occurrences of "apple".
QStringList Generate(int count, const QString& folder)
{
    QDir().mkpath(folder);
    const QByteArray body = QByteArray("an apple a day keeps the doctor away; ").repeated(8) + "\n";
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("%1/f%2.txt").arg(folder).arg(i, 6, 10, QLatin1Char('0'));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(body);
        paths << path;
    }
    return paths;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QStringList finds, replaces, files;
    QString outputFolder;
    bool inPlace = false;
    int stopAfter = -1, closeAfter = -1, jobs = 0;
    bool openReport = false;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto next = [&]() -> QString { return i + 1 < args.size() ? args[++i] : QString(); };
        if (a == "--find") finds << next();
        else if (a == "--replace") replaces << next();
        else if (a == "--output-folder") outputFolder = next();
        else if (a == "--in-place") inPlace = true;
        else if (a == "--stop-after") stopAfter = next().toInt();
        else if (a == "--close-after") closeAfter = next().toInt();
        else if (a == "--open-report") openReport = true;
        else if (a == "--jobs") jobs = next().toInt();
        else if (a == "--pairs") {
            QFile sets(next());
            if (!sets.open(QIODevice::ReadOnly)) return Usage();
            for (QByteArray line : sets.readAll().split('\n')) {
                line.replace("\r", "");
                const qsizetype at = line.indexOf("::");
                if (at < 0) continue;
                finds << QString::fromUtf8(line.left(at));
                replaces << QString::fromUtf8(line.mid(at + 2));
            }
        } else if (a == "--list") {
            QFile list(next());
            if (!list.open(QIODevice::ReadOnly)) return Usage();
            for (const QByteArray& line : list.readAll().split('\n'))
                if (!line.trimmed().isEmpty()) files << QString::fromUtf8(line).remove('\r');
        } else if (a == "--generate") {
            const int n = next().toInt();
            files << Generate(n, next());
        } else if (a.startsWith("--")) return Usage();
        else files << a;
    }
    if (finds.size() != replaces.size() || inPlace == !outputFolder.isEmpty())
        return Usage();
    if (finds.isEmpty()) {
        finds << "apple";
        replaces << "pear";
    }

    // A settings store and program folder of the run's own, so nothing of the
    // user's is read or written.
    QTemporaryDir sandbox;
    quorvane::SetSettingsFolder(sandbox.path());
    quorvane::SetProgramFolder(sandbox.path());
    quorvane::SetRandomFractionSource([] { return 0.0; });

    BenchPrompts prompts;
    quorvane::Form1 window(prompts);
    if (jobs > 0)
        window.runWorkers = jobs;
    window.show();
    window.fileList().addEntries(files);
    window.findText()->setPlainText(finds.join('\n'));
    window.replaceText()->setPlainText(replaces.join('\n'));
    // The folder must exist for either option; in place it is only checked.
    window.outputFolderText()->setText(inPlace ? sandbox.path() + "/" : outputFolder);
    (inPlace ? window.option2() : window.option1())->click();
    QCoreApplication::processEvents();

    // The timers fire while the run yields to the window.
    QElapsedTimer sinceStop;
    if (stopAfter >= 0)
        QTimer::singleShot(stopAfter, [&] {
            sinceStop.start();
            window.stopButton()->click();
        });
    if (closeAfter >= 0)
        QTimer::singleShot(closeAfter, [&] {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("closed-at %lld\n",
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            std::fflush(stdout);
            window.close();
        });

    QElapsedTimer timer;
    timer.start();
    window.pushButton(12)->click();
    const qint64 ms = timer.elapsed();
    if (sinceStop.isValid())
        std::printf("stop-ms %.1f\n", double(sinceStop.nsecsElapsed()) / 1e6);
    std::printf("%lld\n", static_cast<long long>(ms));
    std::fprintf(stderr, "%lld files through the window in %lld ms\n",
                 static_cast<long long>(files.size()), static_cast<long long>(ms));
    if (const quorvane::RunReport* report = window.runReport()) {
        std::fprintf(stderr, "report: %s\n", qPrintable(report->totalsText()));
        if (report->stopped() && report->count(quorvane::RunOutcome::NotReached) > 0)
            std::fprintf(stderr, "abandoned\n");
    }
    if (openReport && window.runReport()) {
        // Each step counts until the window has painted what it changed.
        const auto timed = [](const std::function<void()>& step) {
            QElapsedTimer t;
            t.start();
            step();
            QCoreApplication::processEvents();
            return double(t.nsecsElapsed()) / 1e6;
        };
        const double open = timed([&] { window.reportButton()->click(); });
        quorvane::RunReportWindow* report = window.reportWindow();
        const double sort = timed([&] { report->table()->sortByColumn(2, Qt::DescendingOrder); });
        const double filter = timed([&] { report->filter()->setShow(quorvane::RunReportFilter::Show::Failed); });
        std::printf("report-ms %.1f %.1f %.1f\n", open, sort, filter);
    }
    return prompts.failures ? 1 : 0;
}
