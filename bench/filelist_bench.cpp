// Times the file list's long operations the way the window runs them: a shown
// list view (offscreen) over the model, the buttons' own handlers, and a yield
// that processes window events.
//
//   quorvane-filelist-bench TREE LISTFILE OUTDIR RUNS
//
// Writes OUTDIR/L.addall.json ("Add All File(s) In Folder" over TREE with
// extension "txt"), L.filter1.json and L.filter2.json (the two name filters
// over the entries Add All gave) and L.list.json ("Load List Of Files From
// File" with LISTFILE), each {"results":[{"median":s,"times":[...]}]}.
#include "FileListActions.h"
#include "FileListModel.h"
#include "FileListView.h"
#include "Pointer.h"
#include "Prompts.h"
#include "Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace quorvane;

// The window's part in these handlers: its pointer, and prompts whose answers
// are set before each click. Anything else shown is a failure of the run.
class BenchWindow : public QWidget, public PointerHost, public Prompts {
public:
    BenchWindow()
    {
        auto* layout = new QVBoxLayout(this);
        view = new FileListView(this);
        view->setModel(&model);
        view->setPointerHost(this);
        layout->addWidget(view);
        resize(800, 600);
    }
    FileListModel model;
    FileListView* view;
    QStringList inputs;
    QString folder;
    QString listFile;
    int unexpected = 0;

    PointerStyle pointer() const override { return m_pointer; }
    void setPointer(PointerStyle style) override { m_pointer = style; }

    void notice(const QString& text, const QString&) override { fail(text); }
    void errorBox(const QString& text, const QString&) override { fail(text); }
    bool question(const QString& text, const QString&) override { return fail(text), false; }
    QString inputBox(const QString&, const QString&, const QString&) override
    {
        return inputs.isEmpty() ? QString() : inputs.takeFirst();
    }
    QStringList openFiles(const QString&, const QString&, bool) override { return {listFile}; }
    QString saveFile(const QString& title, const QString&) override { return fail(title), QString(); }
    QString pickFolder(const QString&, const QString&) override { return folder; }
    void openUrl(const QUrl&) override {}

private:
    void fail(const QString& text)
    {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        ++unexpected;
    }
    PointerStyle m_pointer = PointerStyle::Default;
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
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 5) {
        std::fputs("usage: quorvane-filelist-bench TREE LISTFILE OUTDIR RUNS\n", stderr);
        return 2;
    }
    const QString tree = args[1], listFile = args[2], outDir = args[3];
    const int runs = std::max(1, args[4].toInt());
    QTemporaryDir settings;
    SetSettingsFolder(settings.path());

    BenchWindow window;
    window.folder = tree;
    window.listFile = listFile;
    window.show();
    QApplication::processEvents();

    const auto addAll = Time(runs, [&] { window.model.clear(); window.inputs = {"txt"}; },
                             [&] { AddAllFilesInFolder(window.model, window, window, WindowYield()); });
    const QStringList scanned = window.model.entries();
    std::fprintf(stderr, "Add All: %lld entries\n", static_cast<long long>(scanned.size()));

    // "file00" is in one name of ten: the first filter removes a tenth, the
    // second keeps only that tenth.
    const auto refill = [&] {
        window.model.clear();
        window.model.addEntries(scanned);
        window.inputs = {"FILE00"};
    };
    const auto filter1 = Time(runs, refill, [&] {
        AskRemoveEntriesContaining(window.model, window, window, WindowYield());
    });
    const qsizetype left1 = window.model.count();
    const auto filter2 = Time(runs, refill, [&] {
        AskRemoveEntriesNotContaining(window.model, window, window, WindowYield());
    });
    std::fprintf(stderr, "filters: %lld and %lld entries left\n", static_cast<long long>(left1),
                 static_cast<long long>(window.model.count()));

    const auto list = Time(runs, [&] { window.model.clear(); },
                           [&] { LoadListsFromDialog(window.model, window, window); });
    std::fprintf(stderr, "list: %d entries\n", window.model.count());

    WriteResult(outDir, "L.addall", addAll);
    WriteResult(outDir, "L.filter1", filter1);
    WriteResult(outDir, "L.filter2", filter2);
    WriteResult(outDir, "L.list", list);
    return window.unexpected ? 1 : 0;
}
