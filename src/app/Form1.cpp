#include "app/Form1.h"

#include "app/BatchRun.h"
#include "app/Help.h"
#include "app/Hover.h"
#include "app/LoadSamples.h"
#include "app/OutputLocation.h"
#include "app/RunInputs.h"
#include "app/RunReportView.h"
#include "app/Startup.h"
#include "app/UndoRun.h"
#include "filelist/FileListActions.h"
#include "filelist/FileListView.h"
#include "sets/Form2.h"
#include "sets/SetList.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>

namespace quorvane {

Form1::Form1(Prompts& prompts, QWidget* parent) : QMainWindow(parent), m_prompts(prompts)
{
    setObjectName("Form1");
    compose();
    connectHandlers();
    Form_Load();
}

Form1::~Form1()
{
    if (m_overrideShown)
        QApplication::restoreOverrideCursor();
}

QPushButton* Form1::pushButton(int number) const
{
    if (number < 1 || number >= int(std::size(m_buttons)))
        return nullptr;
    return m_buttons[number];
}

void Form1::connectHandlers()
{
    // Batch run, output location, tab selection.
    connect(m_buttons[12], &QPushButton::clicked, this, &Form1::PushButton12_Click);
    connect(m_buttons[14], &QPushButton::clicked, this, &Form1::PushButton14_Click);
    connect(m_option1, &QRadioButton::toggled, this, [this](bool on) { if (on) Option1_Click(); });
    connect(m_option2, &QRadioButton::toggled, this, [this](bool on) { if (on) Option2_Click(); });
    connect(m_text3, &QLineEdit::textChanged, this, &Form1::Text3_Change);
    connect(m_tabs, &QTabWidget::currentChanged, this, &Form1::TabControl1_SelectedChanged);

    // file list
    connect(m_buttons[1], &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(m_buttons[3], &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(m_buttons[9], &QPushButton::clicked, this, &Form1::PushButton9_Click);
    connect(m_buttons[11], &QPushButton::clicked, this, &Form1::PushButton11_Click);
    connect(m_buttons[13], &QPushButton::clicked, this, &Form1::PushButton13_Click);
    connect(m_buttons[17], &QPushButton::clicked, this, &Form1::PushButton17_Click);

    // set list
    m_sets = new SetList(m_combo1, m_combo2, this);
    connect(m_buttons[2], &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(m_buttons[4], &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(m_buttons[5], &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(m_buttons[6], &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(m_buttons[7], &QPushButton::clicked, this, &Form1::PushButton7_Click);
    m_runInputs = new RunInputs(m_text1, m_text2, *m_sets, m_combo1, m_combo2, m_match, this);

    // samples and help
    connect(m_buttons[8], &QPushButton::clicked, this, &Form1::PushButton8_Click);
    connect(m_buttons[10], &QPushButton::clicked, this, &Form1::PushButton10_Click);
    connect(m_match.help, &QToolButton::clicked, this, &Form1::RegexHelpButton_Click);

    // stop and the run report
    connect(m_stop, &QPushButton::clicked, this, &Form1::StopButton_Click);
    // Escape stops at once, as the button does (a button's own shortcut would
    // click it only after its animation).
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_escape->setEnabled(false);
    connect(m_escape, &QShortcut::activated, this, &Form1::StopButton_Click);
    connect(m_reportButton, &QPushButton::clicked, this, &Form1::RunReportButton_Click);
    connect(m_preview, &QPushButton::clicked, this, &Form1::PreviewButton_Click);
    connect(m_undo, &QToolButton::clicked, this, &Form1::UndoButton_Click);

    // The status bar's counts follow the file list and the set list.
    for (QAbstractItemModel* model : {static_cast<QAbstractItemModel*>(&m_fileList), m_combo1->model()}) {
        connect(model, &QAbstractItemModel::rowsInserted, this, &Form1::showCounts);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &Form1::showCounts);
        connect(model, &QAbstractItemModel::modelReset, this, &Form1::showCounts);
    }
    showCounts();

    // A dropped folder's scan ends where it stands when the window closes.
    static_cast<FileListView*>(m_listView)->setYield(listYield());

    // Hover rules: every push button, the background, both frames, the tab control.
    for (QPushButton* button : m_buttons)
        if (button)
            button->installEventFilter(this);
    m_stop->installEventFilter(this);
    m_reportButton->installEventFilter(this);
    for (QWidget* w : {centralWidget(), static_cast<QWidget*>(m_frame1),
                       static_cast<QWidget*>(m_frame2), static_cast<QWidget*>(m_tabs),
                       static_cast<QWidget*>(m_tabs->tabBar()), m_tabs->widget(0), m_tabs->widget(1)})
        w->installEventFilter(this);
}

// ---- batch run, output location, start-up, tab ------------------------------

void Form1::Form_Load() { RunFormLoad(*this); }
void Form1::PushButton12_Click() { RunBatch(*this); }
void Form1::PushButton14_Click() { BrowseOutputFolder(*this); }
void Form1::Option1_Click() { StoreSaveOption(*this); }
void Form1::Option2_Click() { StoreSaveOption(*this); }
void Form1::Text3_Change() { StoreOutputFolder(*this); }
void Form1::TabControl1_SelectedChanged(int index) { StoreSelectedTab(index); }

// ---- file list -------------------------------------------------------------

void Form1::PushButton1_Click() { ClearList(m_fileList, *this, m_prompts); }
void Form1::PushButton3_Click()
{
    runListOperation([this] { AddAllFilesInFolder(m_fileList, m_prompts, *this, listYield()); });
}
void Form1::PushButton9_Click() { LoadListsFromDialog(m_fileList, m_prompts, *this); }
void Form1::PushButton11_Click()
{
    runListOperation([this] { AskRemoveEntriesNotContaining(m_fileList, m_prompts, *this, listYield()); });
}
void Form1::PushButton13_Click() { AddFilesFromDialog(m_fileList, m_prompts); }
void Form1::PushButton17_Click()
{
    runListOperation([this] { AskRemoveEntriesContaining(m_fileList, m_prompts, *this, listYield()); });
}

Yield Form1::listYield()
{
    return [this] {
        QCoreApplication::processEvents();
        if (closing)
            throw OperationAbandoned{};
    };
}

void Form1::runListOperation(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const OperationAbandoned&) {
        setPointer(PointerStyle::Default);
    }
}

// ListView1 is a FileListView, which handles its own mouse, key and drop
// events (removal, drag reordering, drops).

// ---- set list --------------------------------------------------------------

void Form1::PushButton2_Click() { Form2::RunModal(this, m_prompts, *m_sets, this); }
void Form1::PushButton4_Click() { m_sets->clearAllClicked(m_prompts); }
void Form1::PushButton5_Click() { m_sets->saveSetsClicked(m_prompts); }
void Form1::PushButton6_Click() { m_sets->removeSelectedClicked(m_prompts); }
void Form1::PushButton7_Click() { m_sets->addSetClicked(m_prompts); }

// ---- samples and help ------------------------------------------------------

void Form1::PushButton8_Click()
{
    LoadSamplesButton(m_fileList, m_text1, m_text2, m_tabs, m_prompts);
}

void Form1::PushButton10_Click() { HelpButton(m_prompts); }
void Form1::RegexHelpButton_Click() { RegexHelpButton(m_prompts); }

// ---- stop and the run report -----------------------------------------------

void Form1::StopButton_Click()
{
    if (batchRunning)
        stopRequested = true;
}

void Form1::RunReportButton_Click()
{
    if (!m_hasRunReport)
        return;
    m_report = m_runReport;
    m_reportKind = ReportKind::Run;
    m_reportPairs.reset();
    m_reportStamps.clear();
    showRunReport();
}

void Form1::ReplaceChecked_Click()
{
    if (!m_reportWindow || m_reportKind != ReportKind::Preview)
        return;
    std::vector<ApprovedFile> files;
    for (const size_t row : m_reportWindow->model()->checkedRows()) {
        const RunReportRow& entry = m_report.rows().at(row);
        files.push_back(ApprovedFile{entry.source, entry.output,
                                     row < m_reportStamps.size() ? m_reportStamps[row] : FileStamp(),
                                     m_reportWindow->leftOutOf(row)});
    }
    ReplaceApproved(*this, std::move(files), m_reportPairs);
}

void Form1::PreviewButton_Click() { PreviewBatch(*this); }

void Form1::UndoButton_Click() { UndoLastRun(*this); }

void Form1::showRunState(bool running)
{
    m_stop->setVisible(running);
    m_stop->setEnabled(running);
    m_escape->setEnabled(running);
    m_reportButton->setVisible(!running && m_hasRunReport);
    m_preview->setEnabled(!running);
    m_undo->setEnabled(!running);
}

void Form1::setRunReport(RunReport report, ReportKind kind, std::shared_ptr<const RunPairs> pairs,
                         std::vector<FileStamp> stamps)
{
    m_report = std::move(report);
    m_reportKind = kind;
    m_reportPairs = std::move(pairs);
    m_reportStamps = std::move(stamps);
    m_hasReport = true;
    if (kind == ReportKind::Run) {
        m_runReport = m_report;
        m_hasRunReport = true;
    }
    // An open report window follows the latest run.
    if (m_reportWindow && m_reportWindow->isVisible())
        m_reportWindow->setReport(m_report, m_reportKind, m_reportPairs);
}

void Form1::showRunReport()
{
    if (!m_hasReport)
        return;
    if (!m_reportWindow) {
        m_reportWindow = new RunReportWindow(m_prompts, this);
        connect(m_reportWindow, &RunReportWindow::replaceCheckedRequested, this, &Form1::ReplaceChecked_Click);
    }
    m_reportWindow->setReport(m_report, m_reportKind, m_reportPairs);
    m_reportWindow->show();
    m_reportWindow->raise();
    m_reportWindow->activateWindow();
}

void Form1::showCounts()
{
    const QLocale locale;
    const int files = m_fileList.count();
    const int sets = m_combo1->count();
    const QString filesText = (files == 1 ? tr("%1 file") : tr("%1 files")).arg(locale.toString(files));
    const QString setsText = (sets == 1 ? tr("%1 set") : tr("%1 sets")).arg(locale.toString(sets));
    m_counts->setText(filesText + QStringLiteral(" \u00b7 ") + setsText);
}

// ---- events ----------------------------------------------------------------

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (qobject_cast<QPushButton*>(watched))
            HoverOverButton(*this);
        else
            HoverOverBackground(*this);
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closing ends the program at once: a run abandons the file in hand and
    // commits what is complete, a list operation ends at its next yield, and
    // every other window of the program closes with this one.
    closing = true;
    if (m_reportWindow)
        m_reportWindow->close();
    event->accept();
}

// ---- pointer ---------------------------------------------------------------

void Form1::setPointer(PointerStyle style)
{
    if (style == m_pointer)
        return;
    m_pointer = style;
    showPointer();
}

void Form1::setHandCursor(std::optional<QCursor> cursor)
{
    m_handCursor = std::move(cursor);
    showPointer();
}

void Form1::showPointer()
{
    // The hourglass goes over every widget of the program, text boxes included;
    // the other styles are the window's own cursor.
    const bool hourglass = m_pointer == PointerStyle::Hourglass;
    if (hourglass && !m_overrideShown)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!hourglass && m_overrideShown)
        QApplication::restoreOverrideCursor();
    m_overrideShown = hourglass;
    if (m_pointer == PointerStyle::Custom && m_handCursor)
        setCursor(*m_handCursor);
    else if (m_pointer == PointerStyle::Arrow)
        setCursor(Qt::ArrowCursor);
    else
        unsetCursor();
}

} // namespace quorvane
