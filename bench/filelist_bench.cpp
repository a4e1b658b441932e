// Times the file list's long operations through the real main window on the
// offscreen platform: its own buttons, clicked, with scripted answers to the
// questions they ask.
//
//   quorvane-filelist-bench TREE LISTFILE OUTDIR RUNS
//
// Writes OUTDIR/L.addall.json ("Add All File(s) In Folder" over TREE with
// extension "txt"), L.filter1.json and L.filter2.json (the two name filters
// over the entries Add All gave) and L.list.json ("Load List Of Files From
// File" with LISTFILE), each {"results":[{"median":s,"times":[...]}]}.
#include "app/Form1.h"
#include "filelist/FileListModel.h"
#include "shell/Chance.h"
#include "shell/ProgramFolder.h"
#include "shell/Prompts.h"
#include "shell/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace quorvane;

// Answers set before each click; an error report is a failure of the run.
class BenchPrompts : public Prompts {
public:
    QStringList inputs;
    QString folder;
    QString listFile;
    int failures = 0;

    void notice(const QString& text, const QString&) override
    {
        std::fprintf(stderr, "notice: %s\n", qPrintable(text));
    }
    void errorBox(const QString& text, const QString&) override
    {
        std::fprintf(stderr, "error report: %s\n", qPrintable(DisplayText(text)));
        ++failures;
    }
    bool question(const QString&, const QString&) override { return false; }
    QString inputBox(const QString&, const QString&, const QString&) override
    {
        return inputs.isEmpty() ? QString() : inputs.takeFirst();
    }
    QStringList openFiles(const QString&, const QString&, bool) override { return {listFile}; }
    QString saveFile(const QString&, const QString&) override { return {}; }
    QString pickFolder(const QString&, const QString&) override { return folder; }
    bool openUrl(const QUrl&) override { return true; }
};

// Runs prepare (untimed) then step (timed, with the events it leaves) runs times.
std::vector<double> Time(int runs, const std::function<void()>& prepare, const std::function<void()>& step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        step();
        QApplication::processEvents();
        times.push_back(timer.nsecsElapsed() / 1e9);
    }
    return times;
}

void WriteResult(const QString& folder, const QString& id, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    QByteArray json = "{\"results\":[{\"command\":\"" + id.toUtf8() + "\",\"median\":"
                      + QByteArray::number(median, 'f', 6) + ",\"times\":[";
    for (size_t i = 0; i < n; ++i)
        json += (i ? "," : "") + QByteArray::number(times[i], 'f', 6);
    json += "]}]}\n";
    QFile file(folder + "/" + id + ".json");
    if (file.open(QIODevice::WriteOnly))
        file.write(json);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 5) {
        std::fputs("usage: quorvane-filelist-bench TREE LISTFILE OUTDIR RUNS\n", stderr);
        return 2;
    }
    const QString tree = args[1], listFile = args[2], outDir = args[3];
    const int runs = std::max(1, args[4].toInt());
    // A settings store and program folder of the run's own.
    QTemporaryDir sandbox;
    SetSettingsFolder(sandbox.path());
    SetProgramFolder(sandbox.path());
    SetRandomFractionSource([] { return 0.5; });

    BenchPrompts prompts;
    prompts.folder = tree;
    prompts.listFile = listFile;
    Form1 window(prompts);
    window.show();
    QApplication::processEvents();
    FileListModel& list = window.fileList();
    const auto click = [&](int button) { window.pushButton(button)->click(); };

    const auto addAll = Time(runs, [&] { list.clear(); prompts.inputs = {"txt"}; }, [&] { click(3); });
    const QStringList scanned = list.entries();
    std::fprintf(stderr, "Add All: %lld entries\n", static_cast<long long>(scanned.size()));

    // "file00" is in one name of ten: the first filter removes a tenth, the
    // second keeps only that tenth.
    const auto refill = [&] {
        list.clear();
        list.addEntries(scanned);
        prompts.inputs = {"FILE00"};
    };
    const auto filter1 = Time(runs, refill, [&] { click(17); });
    const qsizetype left1 = list.count();
    const auto filter2 = Time(runs, refill, [&] { click(11); });
    std::fprintf(stderr, "filters: %lld and %lld entries left\n", static_cast<long long>(left1),
                 static_cast<long long>(list.count()));

    const auto loaded = Time(runs, [&] { list.clear(); }, [&] { click(9); });
    std::fprintf(stderr, "list: %d entries\n", list.count());

    WriteResult(outDir, "L.addall", addAll);
    WriteResult(outDir, "L.filter1", filter1);
    WriteResult(outDir, "L.filter2", filter2);
    WriteResult(outDir, "L.list", loaded);
    return prompts.failures ? 1 : 0;
}
