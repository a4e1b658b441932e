#pragma once
// The main window: composes every control, restores the saved state at start-up
// and routes each control's events to its handler. Handlers stay one-line
// delegations to the files that own the behaviour.
#include "app/ApprovedRun.h"
#include "app/MatchBoxes.h"
#include "app/RunReportView.h"
#include "engine/report/RunReport.h"
#include "filelist/FileListModel.h"
#include "filelist/FolderScan.h"
#include "shell/Pointer.h"
#include "shell/Prompts.h"

#include <QCursor>
#include <QMainWindow>
#include <QThread>
#include <functional>
#include <optional>

class QComboBox;
class QDragMoveEvent;
class QDropEvent;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMouseEvent;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QShortcut;
class QTabWidget;
class QToolButton;
class QTreeView;

namespace quorvane {

class RunInputs;
class RunReportWindow;
class SetList;

class Form1 : public QMainWindow, public PointerHost {
    Q_OBJECT
public:
    // Composes the window and runs the start-up (Form_Load) before returning;
    // every prompt of the window goes through prompts.
    explicit Form1(Prompts& prompts, QWidget* parent = nullptr);
    ~Form1() override;

    // Working state shared with the subsystems' handlers.
    FileListModel& fileList() { return m_fileList; }
    QTreeView* listView() const { return m_listView; }
    QComboBox* findCombo() const { return m_combo1; }
    QComboBox* replaceCombo() const { return m_combo2; }
    QPlainTextEdit* findText() const { return m_text1; }
    QPlainTextEdit* replaceText() const { return m_text2; }
    QTabWidget* tabs() const { return m_tabs; }
    QLineEdit* outputFolderText() const { return m_text3; }
    QRadioButton* option1() const { return m_option1; }
    QRadioButton* option2() const { return m_option2; }
    QGroupBox* frame1() const { return m_frame1; }
    QProgressBar* progressBar() const { return m_progress; }
    // Push button by its number (1..14, 17); nullptr for any other number.
    QPushButton* pushButton(int number) const;
    // "Stop", beside the progress bar: shown and enabled only while a run goes.
    QPushButton* stopButton() const { return m_stop; }
    // "Run Report...", beside the progress bar: shown once a run that could
    // write has ended, it opens that run's report (never a preview's or an undo's).
    QPushButton* reportButton() const { return m_reportButton; }
    // The status bar's count of file list entries and sets.
    QLabel* countsLabel() const { return m_counts; }
    // "Preview" and "Undo Last Run" (with the backup choices in its menu), at
    // the status bar's end.
    QPushButton* previewButton() const { return m_preview; }
    QToolButton* undoButton() const { return m_undo; }
    // The status bar's matching options and their help button.
    const MatchControls& matchControls() const { return m_match; }
    Prompts& prompts() { return m_prompts; }
    // The texts and sets as a run reads them, made ready once per change.
    RunInputs& runInputs() { return *m_runInputs; }
    PointerHost& pointerHost() { return *this; }

    // PointerHost: the hourglass covers the whole window, children included.
    PointerStyle pointer() const override { return m_pointer; }
    void setPointer(PointerStyle style) override;

    // The hand cursor loaded at start-up; empty when none was loaded.
    const std::optional<QCursor>& handCursor() const { return m_handCursor; }
    void setHandCursor(std::optional<QCursor> cursor);

    // Run state of "Start Replacing".
    bool batchRunning = false;
    bool batchStopped = false;
    // Set by "Stop" (or Escape) during a run: the file in hand is abandoned,
    // what is complete is committed and the report shows where it stopped.
    bool stopRequested = false;
    // Set when the window closes. A run ends as on "Stop" but shows nothing
    // more; a list operation ends where it stands (see listYield).
    bool closing = false;
    // Files "Start Replacing" and "Replace Checked Files" work on at once:
    // one per core; 1 works on one file after another on this thread.
    int runWorkers = QThread::idealThreadCount();

    // Shows "Stop" while a run goes and "Run Report..." once one has ended.
    void showRunState(bool running);
    // Keeps the report of the run (or preview, or undo) that just ended, to be
    // shown by showRunReport(); a run's is kept for "Run Report..." too. A
    // preview keeps the pairs it ran with for its changes.
    // stamps: a preview's, one per row, for "Replace Checked Files".
    void setRunReport(RunReport report, ReportKind kind = ReportKind::Run,
                      std::shared_ptr<const RunPairs> pairs = nullptr, std::vector<FileStamp> stamps = {});
    // The report of the latest run, preview or undo; null before the first one.
    const RunReport* runReport() const { return m_hasReport ? &m_report : nullptr; }
    // Opens (or raises) the report window on the latest report kept.
    void showRunReport();
    // The report window once it has been opened; null before.
    RunReportWindow* reportWindow() const { return m_reportWindow; }
    // The yield of the file list's long operations: lets the window process
    // its events and, once the window is closing, throws OperationAbandoned.
    Yield listYield();
    // Folder the output-folder picker opens at.
    QString browseFolder;

public slots:
    void Form_Load();

    // Batch run and output location.
    void PushButton12_Click();
    void PushButton14_Click();
    void Option1_Click();
    void Option2_Click();
    void Text3_Change();
    void TabControl1_SelectedChanged(int index);

    // File list.
    void PushButton1_Click();
    void PushButton3_Click();
    void PushButton9_Click();
    void PushButton11_Click();
    void PushButton13_Click();
    void PushButton17_Click();

    // Set list.
    void PushButton2_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton6_Click();
    void PushButton7_Click();

    // Samples and help.
    void PushButton8_Click();
    void PushButton10_Click();
    void RegexHelpButton_Click();

    // Stop and the run report.
    void StopButton_Click();
    void RunReportButton_Click();

    // Preview and undo.
    void PreviewButton_Click();
    void UndoButton_Click();
    // "Replace Checked Files" of the preview's report.
    void ReplaceChecked_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void compose();
    void composeStatusButtons();
    QWidget* composeLeftColumn();
    QWidget* composeRightColumn();
    QWidget* composeSingleTab();
    QWidget* composeSetsTab();
    QGroupBox* composeSaveOption();
    QPushButton* makeButton(int number, const QString& caption);
    void connectHandlers();
    void showPointer();
    void showCounts();
    // Runs a list operation of a button; one abandoned as the window closes ends quietly.
    void runListOperation(const std::function<void()>& operation);

    Prompts& m_prompts;
    FileListModel m_fileList;
    PointerStyle m_pointer = PointerStyle::Default;
    std::optional<QCursor> m_handCursor;
    bool m_overrideShown = false;

    QTreeView* m_listView = nullptr;
    QPushButton* m_buttons[18] = {};
    QProgressBar* m_progress = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_reportButton = nullptr;
    QShortcut* m_escape = nullptr;
    QLabel* m_counts = nullptr;
    RunReportWindow* m_reportWindow = nullptr;
    RunReport m_report;
    ReportKind m_reportKind = ReportKind::Run;
    std::shared_ptr<const RunPairs> m_reportPairs;
    std::vector<FileStamp> m_reportStamps;
    bool m_hasReport = false;
    RunReport m_runReport;   // of the latest run that could write
    bool m_hasRunReport = false;
    QPushButton* m_preview = nullptr;
    QToolButton* m_undo = nullptr;
    MatchControls m_match;
    QTabWidget* m_tabs = nullptr;
    QPlainTextEdit* m_text1 = nullptr;
    QPlainTextEdit* m_text2 = nullptr;
    QComboBox* m_combo1 = nullptr;
    QComboBox* m_combo2 = nullptr;
    SetList* m_sets = nullptr;   // binds Combo1 and Combo2
    RunInputs* m_runInputs = nullptr;
    QGroupBox* m_frame2 = nullptr;
    QGroupBox* m_frame1 = nullptr;
    QRadioButton* m_option1 = nullptr;
    QRadioButton* m_option2 = nullptr;
    QLineEdit* m_text3 = nullptr;
};

} // namespace quorvane
