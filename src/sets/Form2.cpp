#include "sets/Form2.h"

#include "sets/SetList.h"
#include "sets/SetsFile.h"
#include "shell/CursorFile.h"
#include "shell/ErrorReport.h"
#include "shell/Pointer.h"
#include "shell/ProgramFolder.h"
#include "shell/Prompts.h"
#include "shell/Settings.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace quorvane {

namespace {
const QString kSeparatorKey = QStringLiteral("Form2.Text2");

bool OnlySpaces(const QString& text)
{
    for (QChar c : text)
        if (c != u' ')
            return false;
    return true;
}

// "Line 3 of PATH was not loaded: …" or "Lines 3, 7, 9 of PATH were not
// loaded: …"; a long run of numbers is cut after the first ten.
QString NotUtf8Notice(const QString& path, const std::vector<RawLine>& lines)
{
    constexpr std::size_t shown = 10;
    QStringList numbers;
    for (std::size_t i = 0; i < lines.size() && i < shown; ++i)
        numbers.append(QString::number(lines[i].first));
    QString list = numbers.join(QStringLiteral(", "));
    if (lines.size() > shown)
        list = Form2::tr("%1 and %n more", nullptr, int(lines.size() - shown)).arg(list);
    // The English is the source text itself, with no catalogue to give its
    // plural forms, so one line has a sentence of its own.
    if (lines.size() == 1)
        return Form2::tr("Line %1 of %2 was not loaded: its text is not valid UTF-8.").arg(list, path);
    return Form2::tr("Lines %1 of %2 were not loaded: their text is not valid UTF-8.", nullptr, int(lines.size()))
        .arg(list, path);
}
} // namespace

Form2::Form2(Prompts& prompts, SetList& sets, PointerHost* pointerHost, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_sets(sets), m_pointerHost(pointerHost)
{
    setObjectName("Form2");
    setWindowTitle(tr("Load Sets"));
    setModal(true);
    buildControls();
    Form_Load();
}

void Form2::buildControls()
{
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->installEventFilter(this);
        return b;
    };
    m_label1 = new QLabel(tr("File To Load:"), this);
    m_label1->setObjectName("Label1");
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName("Text1");
    m_browse = button("PushButton16", tr("..."));
    m_label2 = new QLabel(tr("Separator:"), this);
    m_label2->setObjectName("Label1_2");
    m_text2 = new QLineEdit(this);
    m_text2->setObjectName("Text2");
    m_help = button("PushButton3", tr("?"));
    m_load = button("PushButton1", tr("Load"));
    m_cancel = button("PushButton2", tr("Cancel"));
    // Enter in either box presses "Load".
    m_load->setDefault(true);
    // A path or a separator of any length is kept whole, not cut at the
    // boxes' default limit of 32,767 characters.
    for (QLineEdit* box : {m_text1, m_text2})
        box->setMaxLength(std::numeric_limits<int>::max());
    // The two small buttons only need room for their captions.
    for (QPushButton* small : {m_browse, m_help})
        small->setMaximumWidth(small->fontMetrics().horizontalAdvance(QStringLiteral("....")) * 3);

    auto* grid = new QGridLayout;
    grid->addWidget(m_label1, 0, 0);
    grid->addWidget(m_text1, 0, 1);
    grid->addWidget(m_browse, 0, 2);
    grid->addWidget(m_label2, 1, 0);
    grid->addWidget(m_text2, 1, 1);
    grid->addWidget(m_help, 1, 2);
    grid->setColumnMinimumWidth(1, 320);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_load);
    buttons->addWidget(m_cancel);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addLayout(buttons);

    connect(m_browse, &QPushButton::clicked, this, &Form2::PushButton16_Click);
    connect(m_help, &QPushButton::clicked, this, &Form2::PushButton3_Click);
    connect(m_load, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(m_cancel, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(m_text2, &QLineEdit::textChanged, this, &Form2::Text2_Change);
}

void Form2::RunModal(QWidget* parent, Prompts& prompts, SetList& sets,
                                    PointerHost* pointerHost)
{
    StepTrap trap(prompts, "Form1.PushButton2_Click");
    trap.step(100, [&] {
        Form2 dialog(prompts, sets, pointerHost, parent);
        dialog.exec();
    });
}

void Form2::Form_Load()
{
    // The dialog keeps the desktop's own face colour, which Qt already uses.
    StepTrap trap(m_prompts, "Form2.Form_Load");
    trap.step(102, [&] { setWindowIcon(QApplication::windowIcon()); });
    trap.step(104, [&] { m_hand = ReadCursorFile(ProgramFolder() + QStringLiteral("/HAND-M.CUR")); });
    trap.step(106, [&] {
        m_text2->setText(ReadSetting(kSeparatorKey, QStringLiteral("::")));
        m_text1->clear();
    });
}

void Form2::PushButton16_Click()
{
    StepTrap trap(m_prompts, "Form2.PushButton16_Click");
    QStringList chosen;
    trap.step(100, [&] { chosen = m_prompts.openFiles(tr("Select Text File"), tr("Text Files (*.txt)"), false); });
    trap.step(102, [&] {
        if (!chosen.isEmpty() && !chosen.first().isEmpty())
            m_text1->setText(chosen.first());
    });
}

QString Form2::SeparatorHelpText()
{
    // The example lines are a sets file's contents, the same in every language.
    const QStringList lines = {
        tr("If the text file you are loading looks like this:"),
        QString(),
        QStringLiteral("hi::hello"),
        QStringLiteral("peter::pete"),
        QString(),
        tr("then use :: as a Separator"),
        QString(),
        tr("If the text file you are loading looks like this:"),
        QString(),
        QStringLiteral("hi,hello"),
        QStringLiteral("peter,pete"),
        QString(),
        tr("then use , as a Separator"),
        QString(),
        tr("NOTE: The 'Save Sets' feature in this software always saves in this format:"),
        QString(),
        QStringLiteral("hi::hello"),
        QStringLiteral("peter::pete"),
    };
    return lines.join(QStringLiteral("\r\n"));
}

void Form2::PushButton3_Click()
{
    StepTrap trap(m_prompts, "Form2.PushButton3_Click");
    trap.step(100, [&] { m_prompts.notice(SeparatorHelpText(), ApplicationTitle()); });
}

void Form2::PushButton1_Click()
{
    StepTrap trap(m_prompts, "Form2.PushButton1_Click");
    const QString separator = m_text2->text();
    const QString path = m_text1->text();
    if (separator.isEmpty()) {
        trap.step(100, [&] { m_prompts.notice(tr("You must enter separating character(s)."), ApplicationTitle()); });
        return;
    }
    if (path.isEmpty() || OnlySpaces(path))
        return;
    // Any regular file counts, whatever its name; a folder is not a sets file.
    if (!QFileInfo(path).isFile()) {
        trap.step(104, [&] { m_prompts.notice(tr("%1 not found.").arg(path), ApplicationTitle()); });
        return;
    }
    QStringList finds;
    QStringList replaces;
    SetsFileRead read;
    trap.step(106, [&] { read = LoadSetsFile(path, separator, finds, replaces); });
    trap.step(108, [&] {
        m_sets.appendAll(finds, replaces);
        // The other lines are loaded; the ones left out are named.
        if (!read.notUtf8.empty())
            m_prompts.notice(NotUtf8Notice(path, read.notUtf8), ApplicationTitle());
    });
    trap.step(110, [&] { accept(); });
}

void Form2::PushButton2_Click()
{
    StepTrap trap(m_prompts, "Form2.PushButton2_Click");
    trap.step(100, [&] { reject(); });
}

void Form2::Text2_Change()
{
    // No report of its own: a store that refuses the separator only costs the
    // remembered value, so the failure is dropped here rather than escaping
    // into the event loop.
    try {
        WriteSetting(kSeparatorKey, m_text2->text());
    } catch (const Failure&) {
    }
}

bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    // Hand over the buttons, the default pointer elsewhere; the hourglass of
    // the main window is never replaced.
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button && m_hand && !(m_pointerHost && m_pointerHost->busy())) {
        if (event->type() == QEvent::Enter)
            button->setCursor(*m_hand);
        else if (event->type() == QEvent::Leave)
            button->unsetCursor();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace quorvane
