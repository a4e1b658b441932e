#include "app/WindowFace.h"

#include "app/Form1.h"
#include "app/RunBar.h"
#include "app/RunInputs.h"
#include "app/RunPrompts.h"
#include "engine/files/FileAccess.h"
#include "engine/files/PathHelpers.h"
#include "shell/ErrorReport.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>

namespace quorvane {

namespace {

// Runs body as one step of trap; when it fails, reason receives the failure's text.
bool StepNoting(StepTrap& trap, int number, QString& reason, const std::function<void()>& body)
{
    return trap.step(number, [&] {
        try {
            body();
        } catch (const Failure& f) {
            reason = f.text;
            throw;
        } catch (const std::exception& e) {
            reason = QString::fromLocal8Bit(e.what());
            throw;
        }
    });
}

// The per-file procedures' names and the step their write failures are
// reported at; read failures are reported at step 100 in both.
using FileMode = WindowFace::FileMode;
QString ProcedureOf(FileMode mode)
{
    return mode == FileMode::Single ? QStringLiteral("ReplaceText.ReplaceTextInFile")
                                    : QStringLiteral("ReplaceText.ReplaceTextInFileCombo");
}
int WriteStepOf(FileMode mode)
{
    return mode == FileMode::Single ? 110 : 106;
}

// A file's failure box: the file on a line of its own, then the usual words.
QString FailureText(const RunReportRow& row, const FileError& error)
{
    const QString file = error.reading() || row.output.isEmpty() ? row.source : row.output;
    return file + QStringLiteral("\r\n") + DescribeFileError(error);
}

EntryPlan Stop(EntryPlan plan)
{
    plan.action = EntryPlan::Action::Stop;
    return plan;
}

} // namespace

WindowFace::WindowFace(Form1& form, RunInputs& inputs, RunBar& bar, RunPrompts& prompts, StepTrap& trap,
                       Showing& showing)
    : m_form(form), m_inputs(inputs), m_bar(bar), m_prompts(prompts), m_trap(trap), m_showing(showing)
{
}

qsizetype WindowFace::count()
{
    int count = 0;
    m_trap.step(106, [&] { count = m_form.fileList().count(); });
    m_entries.assign(size_t(count), Entry());
    if (m_stamps)
        m_stamps->assign(size_t(count), FileStamp());
    return count;
}

EntryPlan WindowFace::plan(qsizetype index)
{
    return *reach(index, true);
}

std::optional<EntryPlan> WindowFace::planAhead(qsizetype index)
{
    return reach(index, false);
}

std::optional<EntryPlan> WindowFace::reach(qsizetype index, bool inTurn)
{
    const int i = int(index) + 1;
    FileListModel& list = m_form.fileList();
    EntryPlan plan;
    // In turn a failed step is reported and the run goes on as the step
    // says; ahead of its turn the entry waits for it instead (nullopt), so
    // every box comes in list order.
    bool declined = false;
    const auto step = [&](int number, const std::function<void()>& body) {
        if (inTurn)
            return m_trap.step(number, body);
        try {
            body();
            return true;
        } catch (...) {
            declined = true;
            return false;
        }
    };
    if (inTurn)
        m_trap.step(108, [this] { yield(); });
    if (stopRequested())
        return inTurn ? std::optional(Stop(plan)) : std::nullopt;
    step(110, [&] { m_form.setPointer(PointerStyle::Hourglass); });
    m_bar.nextFile();
    m_showing = {i, QString()};
    // An entry that vanished while the run yielded is reported and skipped.
    QString reason;
    const auto readEntry = [&] { m_showing.source = list.entryText(i); };
    if (!(inTurn ? StepNoting(m_trap, 112, reason, readEntry) : step(112, readEntry))) {
        if (!inTurn)
            return std::nullopt;
        plan.action = EntryPlan::Action::Fail;
        plan.failure = reason;
        return plan;
    }
    plan.source = m_showing.source;
    step(114, [&] { m_bar.showFile(plan.source); });
    if (inTurn)
        m_trap.step(116, [this] { yield(); });
    if (stopRequested())
        return inTurn ? std::optional(Stop(plan)) : std::nullopt;
    step(118, [&] { m_bar.showPosition(i, list.count()); });
    step(120, [&] {
        plan.output = m_form.option1()->isChecked()
                          ? OutputPathInFolder(m_form.outputFolderText()->text(), plan.source)
                          : plan.source;
    });
    if (declined)
        return std::nullopt;
    FileMode mode = FileMode::None;
    const int tab = m_form.tabs()->currentIndex();
    if (tab == 0) {
        bool stop = false;
        step(122, [&] {
            const QString problem = m_inputs.singleProblem();
            if (problem.isEmpty())
                return;
            if (inTurn) {
                m_form.setPointer(PointerStyle::Default);
                m_prompts.notice(problem, ApplicationTitle());
                m_form.batchStopped = true;
            }
            stop = true;
        });
        if (!inTurn && (stop || declined))
            return std::nullopt;
        if (stop)
            return Stop(plan);
        mode = FileMode::Single;
        plan.pairs = m_inputs.singlePairs();
        // Empty and unreadable files are skipped without a message.
        plan.skipEmpty = true;
    } else if (tab == 1) {
        mode = FileMode::Sets;
        plan.pairs = m_inputs.setPairs();
    } else {
        plan.action = EntryPlan::Action::Skip;
    }
    // A refused pattern or replacement stops the run before the file, as the
    // line-count check does: with the same texts, before any file is touched.
    if (plan.pairs && plan.pairs->problem().failed()) {
        if (!inTurn)
            return std::nullopt;
        m_trap.step(124, [&] {
            m_form.setPointer(PointerStyle::Default);
            m_prompts.notice(plan.pairs->problemText(), ApplicationTitle());
        });
        m_form.batchStopped = true;
        return Stop(plan);
    }
    m_entries[size_t(index)] = {mode, plan.source};
    if (m_stamps && plan.action == EntryPlan::Action::Process)
        (*m_stamps)[size_t(index)] = StampOf(plan.source);
    if (plan.pairs && !m_firstPairs)
        m_firstPairs = plan.pairs;
    return plan;
}

std::optional<QString> WindowFace::peekSource(qsizetype index)
{
    const QStringList& entries = m_form.fileList().entries();
    return index < entries.size() ? std::optional<QString>(entries.at(index)) : std::nullopt;
}

void WindowFace::yield()
{
    m_bar.tick();
    QCoreApplication::processEvents();
}

void WindowFace::fileDone(qsizetype index, const RunReportRow& row, const FileError& error)
{
    if (!error.failed())
        return;
    const FileMode mode = m_entries[size_t(index)].mode;
    aboutEntry(index, row.source, [&] {
        ReportFailure(m_prompts, FailureText(row, error), ProcedureOf(mode),
                      error.reading() ? 100 : WriteStepOf(mode));
    });
}

void WindowFace::lateFailure(qsizetype index, const RunReportRow& row, const FileError& error)
{
    const FileMode mode = m_entries[size_t(index)].mode;
    aboutEntry(index, row.source,
               [&] { ReportFailure(m_prompts, FailureText(row, error), ProcedureOf(mode), WriteStepOf(mode)); });
}

void WindowFace::aboutEntry(qsizetype index, const QString& source, const std::function<void()>& tell)
{
    const Showing now = m_showing;
    if (now.position == int(index) + 1) {
        tell();
        return;
    }
    m_showing = {int(index) + 1, source};
    tell();
    m_showing = now;
    putOnBar();
}

std::optional<RunReportRow> WindowFace::unreached(qsizetype index)
{
    const FileListModel& list = m_form.fileList();
    if (index >= list.count())
        return std::nullopt;
    return RunReportRow{list.entries().at(index), QString(), 0, RunOutcome::NotReached, QString()};
}

bool WindowFace::guard(Phase phase, qsizetype entry, const std::function<void()>& work, QString& reason)
{
    if (phase == Phase::Landing || entry < 0)
        return m_trap.step(130, work);
    // A worker's failure is told when its entry's turn comes, over that entry.
    const Entry& e = m_entries[size_t(entry)];
    bool ran = false;
    aboutEntry(entry, e.source,
               [&] { ran = StepNoting(m_trap, e.mode == FileMode::Single ? 126 : 128, reason, work); });
    return ran;
}

void WindowFace::putOnBar()
{
    if (m_showing.position <= 0)
        return;
    m_bar.showFile(m_showing.source);
    if (m_form.fileList().count() > 0)
        m_bar.showPosition(m_showing.position, m_form.fileList().count());
}

bool WindowFace::stopRequested()
{
    return m_form.closing || m_form.stopRequested;
}

QString WindowFace::describe(const FileError& error)
{
    return ReportReason(error);
}

QString WindowFace::describeSkip(const SkipCause& cause)
{
    return SkipText(cause);
}

QString WindowFace::SkipText(const SkipCause& cause)
{
    switch (cause.kind) {
    case SkipCause::Kind::SameFile:
        return QCoreApplication::translate("quorvane::WindowFace", "same file as entry %1").arg(cause.entry + 1);
    case SkipCause::Kind::Empty: return QCoreApplication::translate("quorvane::WindowFace", "empty file");
    case SkipCause::Kind::Unreadable:
        return QCoreApplication::translate("quorvane::WindowFace", "cannot be read: %1").arg(ReportReason(cause.error));
    case SkipCause::Kind::Binary: break;
    }
    return QCoreApplication::translate("quorvane::WindowFace", "binary file");
}

} // namespace quorvane
