#include "app/BatchRun.h"

#include "app/Form1.h"
#include "app/OutputLocation.h"
#include "engine/FileReplace.h"
#include "engine/files/PathHelpers.h"
#include "engine/write/CommitGroup.h"
#include "shell/ErrorReport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextDocument>

namespace quorvane {

namespace {

// The box's text with each line break as CR LF. The raw text keeps every
// character as typed (non-breaking spaces included); blocks and soft line
// breaks both count as line breaks.
QString BoxText(const QPlainTextEdit* box)
{
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

// The bar reads "%p", "%v" and "%m" in its caption as placeholders; an
// invisible word joiner after each '%' shows a file name such as "50%value.txt" as it is.
QString BarCaption(QString text)
{
    return text.replace(QLatin1Char('%'), QStringLiteral("%\u2060"));
}

QStringList Items(const QComboBox* box)
{
    QStringList items;
    items.reserve(box->count());
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QString OutputPath(Form1& form, const QString& source)
{
    if (!form.option1()->isChecked())
        return source;
    return OutputPathInFolder(form.outputFolderText()->text(), source);
}

// The bar takes its caption and value for every file, but is redrawn at most
// once a frame: redrawing it for each of thousands of small files would cost
// more than the files themselves.
class BarPacer {
public:
    explicit BarPacer(QProgressBar* bar) : m_bar(bar) {}
    ~BarPacer() { m_bar->setUpdatesEnabled(true); }
    // Before a file's changes to the bar: drawn at once when a frame is due,
    // held back otherwise.
    void nextFile() { m_bar->setUpdatesEnabled(frameDue()); }
    // Before each yield: held-back changes are drawn once a frame is due, so a
    // long file shows its own name while it is being worked on.
    void tick()
    {
        if (!m_bar->updatesEnabled() && frameDue())
            m_bar->setUpdatesEnabled(true);
    }

private:
    bool frameDue()
    {
        if (m_clock.isValid() && !m_clock.hasExpired(kFrameMs))
            return false;
        m_clock.start();
        return true;
    }

    static constexpr qint64 kFrameMs = 40;
    QProgressBar* m_bar;
    QElapsedTimer m_clock;
};

// Outcome of the single-mode checks made before each file.
enum class TextCheck { Pass, Stop };

TextCheck CheckSingleTexts(Form1& form, const QString& find, const QString& replace)
{
    QString message;
    if (!replace.isEmpty()) {
        if (SplitLines(find).size() != SplitLines(replace).size())
            message = "The number of lines of Find What and Replace With must be the same.";
    } else if (find.isEmpty()) {
        message = "You forgot to input find what.";
    }
    if (message.isEmpty())
        return TextCheck::Pass;
    form.setPointer(PointerStyle::Default);
    form.prompts().notice(message, ApplicationTitle());
    form.batchStopped = true;
    return TextCheck::Stop;
}

} // namespace

void RunBatch(Form1& form)
{
    if (form.batchRunning)
        return;
    Prompts& prompts = form.prompts();
    FileListModel& list = form.fileList();
    StepTrap trap(prompts, "Form1.PushButton12_Click");
    // Cleared on every way out, so a failure can never lock the button.
    struct RunFlag {
        Form1& form;
        ~RunFlag() { form.batchRunning = false; }
    } runFlag{form};
    form.batchRunning = true;
    form.batchStopped = false;
    form.closeRequested = false;

    // Results of small files wait in one group so the run pays for one sync per
    // group of files; the group's late failures are reported under the per-file
    // procedure's write step, and a window closed mid-run still commits them.
    CommitGroup group;
    BarPacer pacer(form.progressBar());
    const auto yield = [&pacer] {
        pacer.tick();
        QCoreApplication::processEvents();
    };
    ReplaceContext ctx;
    ctx.group = &group;
    ctx.yield = yield;
    ctx.report = [&prompts](const QString& procedure, int step, const QString& description) {
        ReportFailure(prompts, description, procedure, step);
    };

    bool refused = false;
    trap.step(102, [&] {
        if (list.count() <= 0) {
            refused = true;
            prompts.notice("No files added.", ApplicationTitle());
        }
    });
    if (!refused)
        trap.step(104, [&] {
            if (!FolderExists(form.outputFolderText()->text())) {
                refused = true;
                prompts.notice("Folder does not exist. Please select another folder.", ApplicationTitle());
            }
        });
    if (refused)
        return;

    int count = 0;
    trap.step(106, [&] { count = list.count(); });
    for (int i = 1; i <= count; ++i) {
        trap.step(108, yield);
        if (form.closeRequested)
            break;
        trap.step(110, [&] { form.setPointer(PointerStyle::Hourglass); });
        pacer.nextFile();
        QString source;
        // An entry that vanished while the run yielded is reported and skipped.
        if (!trap.step(112, [&] { source = list.entryText(i); }))
            continue;
        trap.step(114, [&] { form.progressBar()->setFormat(BarCaption("Processing: " + FileNameOfPath(source))); });
        trap.step(116, yield);
        if (form.closeRequested)
            break;
        trap.step(118, [&] {
            const int now = list.count();
            if (now <= 0)
                throw Failure("Division by zero");
            form.progressBar()->setValue(qBound(0, qRound(double(i) / now * 100.0), 100));
        });
        QString output;
        trap.step(120, [&] { output = OutputPath(form, source); });

        const int mode = form.tabs()->currentIndex();
        if (mode == 0) {
            QString find, replace;
            TextCheck check = TextCheck::Pass;
            trap.step(122, [&] {
                find = BoxText(form.findText());
                replace = BoxText(form.replaceText());
                check = CheckSingleTexts(form, find, replace);
            });
            if (check == TextCheck::Stop)
                break;
            qint64 size = 0;
            trap.step(124, [&] { size = FileSize2(source); });
            if (size >= 1)
                trap.step(126, [&] { ReplaceTextInFile(source, find, replace, output, ctx); });
        } else if (mode == 1) {
            trap.step(128, [&] {
                ReplaceTextInFileCombo(source, Items(form.findCombo()), Items(form.replaceCombo()),
                                       output, ctx);
            });
        }
        if (form.closeRequested)
            break;
    }

    trap.step(130, [&] { group.flush(); });
    trap.step(132, [&] {
        form.progressBar()->setUpdatesEnabled(true);
        form.setPointer(PointerStyle::Default);
        form.progressBar()->setValue(0);
        form.progressBar()->setFormat("Progress Bar");
    });
    if (!form.batchStopped && !form.closeRequested)
        trap.step(134, [&] { prompts.notice("Done.", ApplicationTitle()); });
}

} // namespace quorvane
