// Composition of the main window: two equal columns. Left: the file list, four
// rows of two buttons, the progress bar (with "Stop" and "Run Report..." at its
// end when they apply). Right: the tab control, the "Save Option" frame and
// "Start Replacing", level with the progress bar. Below both, a status bar
// with the counts of files and sets.
#include "app/Form1.h"

#include "app/BackupChoices.h"
#include "app/TreeChoices.h"
#include "app/WindowFit.h"
#include "filelist/FileListView.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <limits>

namespace quorvane {

namespace {
constexpr int kColumnWidth = 520; // 7800 twips at 96 dots per inch

QLabel* makeLabel(const QString& name, const QString& caption, QWidget* buddy)
{
    auto* label = new QLabel(caption);
    label->setObjectName(name);
    label->setBuddy(buddy);
    return label;
}
} // namespace

QPushButton* Form1::makeButton(int number, const QString& caption)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(QStringLiteral("PushButton%1").arg(number));
    button->setMouseTracking(true);
    // A move over a button is the button's alone; passed on, the frame or tab
    // page around it would put the arrow back.
    button->setAttribute(Qt::WA_NoMousePropagation);
    m_buttons[number] = button;
    return button;
}

void Form1::compose()
{
    auto* central = new QWidget;
    central->setObjectName("Form1Background");
    central->setMouseTracking(true);
    auto* columns = new QHBoxLayout(central);
    columns->addWidget(composeLeftColumn(), 1);
    columns->addWidget(composeRightColumn(), 1);
    setCentralWidget(central);
    m_counts = new QLabel;
    m_counts->setObjectName("CountsLabel");
    statusBar()->setObjectName("StatusBar");
    statusBar()->setSizeGripEnabled(false);
    // The status bar keeps the margins of the columns above it, so the arrow
    // of "Undo Last Run" stays clear of the window's edge.
    const QMargins margins = columns->contentsMargins();
    statusBar()->setContentsMargins(margins.left(), 0, margins.right(), margins.bottom() / 2);
    statusBar()->addWidget(m_counts);
    composeStatusButtons();
    // The window is never narrower than the status bar's widgets need, so the
    // matching options keep their captions whole (by default the bar's width
    // counts for nothing in the window's least size).
    statusBar()->setSizePolicy(QSizePolicy::Preferred, statusBar()->sizePolicy().verticalPolicy());
    // Each column is no narrower than its captions need (the layouts' minimum),
    // and the window opens within the screen's free area.
    setGeometry(FitOnScreen(QSize(2 * kColumnWidth + 30, 620), minimumSizeHint(),
                            screen()->availableGeometry()));
}

void Form1::composeStatusButtons()
{
    m_preview = new QPushButton(tr("Preview"));
    m_preview->setObjectName("PreviewButton");
    m_preview->setToolTip(tr("Run as \"Start Replacing\" would, writing nothing, and show what each file would get"));
    m_undo = new QToolButton;
    m_undo->setObjectName("UndoButton");
    m_undo->setText(tr("Undo Last Run"));
    m_undo->setToolTip(tr("Put back the files the latest run replaced, where nobody has changed them since"));
    m_undo->setPopupMode(QToolButton::MenuButtonPopup);
    m_undo->setMenu(BackupChoicesMenu(*this));
    auto* options = new QToolButton;
    options->setObjectName("OptionsButton");
    options->setText(tr("Options"));
    options->setToolTip(tr("What folder scans and runs reach in a source tree"));
    options->setPopupMode(QToolButton::InstantPopup);
    options->setMenu(TreeChoicesMenu(*this));
    m_match = AddMatchControls(*this, statusBar());
    for (QWidget* button : {static_cast<QWidget*>(m_preview), static_cast<QWidget*>(m_undo),
                            static_cast<QWidget*>(options)}) {
        button->setMouseTracking(true);
        statusBar()->addPermanentWidget(button);
    }
}

QWidget* Form1::composeLeftColumn()
{
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* listView = new FileListView;
    listView->setPrompts(&m_prompts);
    m_listView = listView;
    m_listView->setObjectName("ListView1");
    m_listView->setModel(&m_fileList);
    m_listView->setRootIsDecorated(false);
    m_listView->setUniformRowHeights(true);
    m_listView->setItemsExpandable(false);
    m_listView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listView->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_listView->header()->setStretchLastSection(false);
    m_listView->viewport()->setMouseTracking(true);
    m_listView->setToolTip(tr("Drag and drop files here. Double-click item to remove it. "
                              "Move | line to right and out of window to reveal full names."));
    layout->addWidget(m_listView, 1);

    auto* grid = new QGridLayout;
    grid->addWidget(makeButton(13, tr("Add File(s)")), 0, 0);
    grid->addWidget(makeButton(3, tr("Add All File(s) In Folder")), 0, 1);
    grid->addWidget(makeButton(9, tr("Load List Of Files From File")), 1, 0);
    grid->addWidget(makeButton(1, tr("Clear List")), 1, 1);
    grid->addWidget(makeButton(10, tr("Help")), 2, 0);
    grid->addWidget(makeButton(8, tr("Load Sample/Example Files")), 2, 1);
    grid->addWidget(makeButton(11, tr("Remove Filenames Not Cont. X")), 3, 0);
    grid->addWidget(makeButton(17, tr("Remove Filenames Contain. X")), 3, 1);
    layout->addLayout(grid);

    m_progress = new QProgressBar;
    m_progress->setObjectName("ProgressBar1");
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(true);
    m_progress->setAlignment(Qt::AlignCenter);
    m_progress->setFormat(tr("Progress Bar"));
    // Stop and the report sit at the bar's end, so the bar keeps its place in
    // the column; both are hidden until they apply.
    m_stop = new QPushButton(tr("Stop"));
    m_stop->setObjectName("StopButton");
    m_stop->setToolTip(tr("Stop the run (Esc): the file in hand is left as it was"));
    m_reportButton = new QPushButton(tr("Run Report..."));
    m_reportButton->setObjectName("RunReportButton");
    m_reportButton->setToolTip(tr("What the latest run did to each file"));
    auto* barRow = new QHBoxLayout;
    barRow->addWidget(m_progress, 1);
    for (QPushButton* button : {m_stop, m_reportButton}) {
        button->setMouseTracking(true);
        button->setAttribute(Qt::WA_NoMousePropagation);
        button->hide();
        barRow->addWidget(button);
    }
    layout->addLayout(barRow);
    return column;
}

QWidget* Form1::composeRightColumn()
{
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName("TabControl1");
    m_tabs->setMouseTracking(true);
    m_tabs->tabBar()->setMouseTracking(true);
    // Whole tab captions count in the window's minimum width.
    m_tabs->setUsesScrollButtons(false);
    m_tabs->setElideMode(Qt::ElideNone);
    m_tabs->addTab(composeSingleTab(), tr("Single find and replace"));
    m_tabs->addTab(composeSetsTab(), tr("Multiple find and replace (sets)"));
    layout->addWidget(m_tabs, 1);

    layout->addWidget(composeSaveOption());
    layout->addWidget(makeButton(12, tr("Start Replacing")));
    return column;
}

QWidget* Form1::composeSingleTab()
{
    auto* page = new QWidget;
    page->setMouseTracking(true);
    auto* layout = new QVBoxLayout(page);
    m_text1 = new QPlainTextEdit;
    m_text1->setObjectName("Text1");
    m_text2 = new QPlainTextEdit;
    m_text2->setObjectName("Text2");
    for (QPlainTextEdit* box : {m_text1, m_text2}) {
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->setTabChangesFocus(true);
    }
    layout->addWidget(makeLabel(QStringLiteral("Label1"), tr(" Find what (exact case):"), m_text1));
    layout->addWidget(m_text1, 1);
    layout->addWidget(makeLabel(QStringLiteral("Label2"), tr(" Replace with:"), m_text2));
    layout->addWidget(m_text2, 1);
    return page;
}

QWidget* Form1::composeSetsTab()
{
    auto* page = new QWidget;
    page->setMouseTracking(true);
    auto* layout = new QVBoxLayout(page);
    m_combo1 = new QComboBox;
    m_combo1->setObjectName("Combo1");
    m_combo2 = new QComboBox;
    m_combo2->setObjectName("Combo2");
    for (QComboBox* box : {m_combo1, m_combo2}) {
        box->setEditable(false);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }
    layout->addWidget(makeLabel(QStringLiteral("Label3"), tr(" Find what (exact case):"), m_combo1));
    layout->addWidget(m_combo1);
    layout->addWidget(makeLabel(QStringLiteral("Label4"), tr(" Replace with:"), m_combo2));
    layout->addWidget(m_combo2);
    layout->addWidget(makeButton(7, tr("Add Set")));
    auto* grid = new QGridLayout;
    grid->addWidget(makeButton(2, tr("Load Sets")), 0, 0);
    grid->addWidget(makeButton(5, tr("Save Sets")), 0, 1);
    grid->addWidget(makeButton(6, tr("Remove Selected Set")), 1, 0);
    grid->addWidget(makeButton(4, tr("Clear All Sets")), 1, 1);
    layout->addLayout(grid);
    layout->addStretch(1);
    return page;
}

QGroupBox* Form1::composeSaveOption()
{
    m_frame2 = new QGroupBox(tr("Save Option"));
    m_frame2->setObjectName("Frame2");
    m_frame2->setMouseTracking(true);
    auto* layout = new QVBoxLayout(m_frame2);

    m_option1 = new QRadioButton(tr("Save results to this folder:"));
    m_option1->setObjectName("Option1");
    m_option1->setChecked(true);
    layout->addWidget(m_option1);

    m_frame1 = new QGroupBox;
    m_frame1->setObjectName("Frame1");
    m_frame1->setMouseTracking(true);
    auto* row = new QHBoxLayout(m_frame1);
    m_text3 = new QLineEdit;
    m_text3->setObjectName("Text3");
    // A folder path of any length is kept whole (the default limit is 32,767).
    m_text3->setMaxLength(std::numeric_limits<int>::max());
    row->addWidget(m_text3, 1);
    QPushButton* browse = makeButton(14, tr("..."));
    browse->setMaximumWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) * 3 + 16);
    row->addWidget(browse);
    layout->addWidget(m_frame1);

    m_option2 = new QRadioButton(tr("Save results in folder of original file"));
    m_option2->setObjectName("Option2");
    layout->addWidget(m_option2);
    return m_frame2;
}

} // namespace quorvane
