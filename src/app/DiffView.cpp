#include "app/DiffView.h"

#include "app/DiffMarks.h"

#include "engine/diff/FileDiff.h"
#include "engine/files/FileAccess.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QLocale>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <numeric>

namespace quorvane {

namespace {

// Longer lines are cut for showing; a viewer needs no megabyte lines.
constexpr int kShownLineLength = 4000;

struct LineLook {
    QColor line, span;
};

LineLook LookOf(DiffLine::Kind kind)
{
    switch (kind) {
    case DiffLine::Kind::Removed:
        return {QColor(0xff, 0xeb, 0xe9), QColor(0xff, 0xb3, 0xad)};
    case DiffLine::Kind::Added:
        return {QColor(0xe6, 0xff, 0xec), QColor(0xab, 0xf2, 0xbc)};
    default:
        return {QColor(Qt::transparent), QColor(Qt::transparent)};
    }
}

QString Number(qint64 n, int width)
{
    return n > 0 ? QString::number(n).rightJustified(width) : QString(width, QLatin1Char(' '));
}

// Digits of the largest line number the hunks show, six at least.
int NumberWidth(const std::vector<DiffHunk>& hunks)
{
    qint64 most = 0;
    for (const DiffHunk& hunk : hunks)
        most = std::max({most, hunk.oldStart + hunk.oldCount, hunk.newStart + hunk.newCount});
    return std::max(6, int(QString::number(most).size()));
}

void AddBlock(QTextCursor& cursor, bool& first, const QColor& background)
{
    QTextBlockFormat block;
    if (background.alpha() > 0)
        block.setBackground(background);
    if (first)
        cursor.setBlockFormat(block);
    else
        cursor.insertBlock(block);
    first = false;
}

void AddLine(QTextCursor& cursor, bool& first, const DiffLine& line, const Spans& spans, int width)
{
    const LineLook look = LookOf(line.kind);
    AddBlock(cursor, first, look.line);
    QTextCharFormat gutter;
    gutter.setForeground(QColor(0x80, 0x80, 0x80));
    const QChar sign = line.kind == DiffLine::Kind::Removed ? u'-' : line.kind == DiffLine::Kind::Added ? u'+' : u' ';
    cursor.insertText(QStringLiteral("%1 %2  %3 ").arg(Number(line.oldLine, width), Number(line.newLine, width), sign),
                      gutter);

    QString text = line.text;
    if (text.endsWith(u'\r'))
        text.chop(1);
    // An overlong line is cut around its first change, so the change shows.
    auto [from, to] = ShownPart(int(text.size()), spans, kShownLineLength);
    if (from > 0 && text[from].isLowSurrogate())
        ++from;
    if (to < text.size() && text[to].isLowSurrogate())
        --to;
    if (from > 0)
        cursor.insertText(QStringLiteral("\u2026 "), gutter);
    QTextCharFormat plain, marked;
    marked.setBackground(look.span);
    int at = from;
    for (const auto& [start, end] : spans) {
        const int markFrom = std::clamp(start, at, to), markTo = std::clamp(end, markFrom, to);
        cursor.insertText(text.mid(at, markFrom - at), plain);
        cursor.insertText(text.mid(markFrom, markTo - markFrom), marked);
        at = markTo;
    }
    cursor.insertText(text.mid(at, to - at), plain);
    if (to < text.size())
        cursor.insertText(QStringLiteral(" \u2026"), gutter);
    if (line.noNewline) {
        AddBlock(cursor, first, look.line);
        cursor.insertText(QString(2 * width + 4, u' ') + DiffView::tr("\\ No newline at end of file"), gutter);
    }
}

} // namespace

struct DiffView::Work {
    std::atomic_bool cancelled{false};
    FileDiff result;
};

DiffView::DiffView(QWidget* parent)
    : QWidget(parent), m_summary(new QLabel(this)), m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("DiffView"));
    m_summary->setObjectName(QStringLiteral("DiffSummary"));
    m_text->setObjectName(QStringLiteral("DiffText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Keys move a cursor, so Home, End, Ctrl+Home and Ctrl+End scroll.
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->installEventFilter(this);
    m_text->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_summary);
    layout->addWidget(m_text, 1);
}

DiffView::~DiffView()
{
    abandon();
    // Abandoned work ends within milliseconds; none may outlive the view.
    for (QThread* thread : m_threads)
        thread->wait();
}

void DiffView::abandon()
{
    if (m_work)
        m_work->cancelled = true;
    m_work.reset();
}

void DiffView::clear()
{
    abandon();
    m_hunks.clear();
    m_summary->clear();
    m_text->clear();
}

void DiffView::showChanges(const QString& source, const QString& output, std::vector<Pair> pairs,
                           std::vector<LeftOut> leftOut)
{
    showChanges(source, output, std::make_shared<const RunPairs>(std::move(pairs)), std::move(leftOut));
}

void DiffView::showChanges(const QString& source, const QString& output, std::shared_ptr<const RunPairs> pairs,
                           std::vector<LeftOut> leftOut)
{
    clear();
    m_leftOut = std::move(leftOut);
    m_summary->setText(tr("Computing changes..."));
    auto work = std::make_shared<Work>();
    m_work = work;
    QThread* thread = QThread::create([work, source, output, pairs = std::move(pairs)] {
        FileJob job;
        job.prepared = pairs;
        job.cancelled = [work] { return work->cancelled.load(); };
        work->result = CollectDiff(source, output, std::move(job), kMaxChanges);
    });
    thread->setParent(this);
    m_threads.push_back(thread);
    connect(thread, &QThread::finished, this, [this, thread, work] {
        std::erase(m_threads, thread);
        thread->deleteLater();
        if (work == m_work) {
            m_work.reset();
            present(work->result);
        }
    });
    thread->start();
}

void DiffView::present(const FileDiff& diff)
{
    const QLocale locale;
    const qint64 replacements = std::accumulate(diff.outcome.counts.begin(), diff.outcome.counts.end(), qint64(0));
    const qint64 places = diff.changesTotal;
    if (!diff.outcome.ok) {
        m_summary->setText(DescribeFileError(diff.outcome.failure));
    } else if (places == 0) {
        m_summary->setText(tr("No changes."));
    } else {
        // Counted as the report's table counts: replacements, in the places they change.
        const QString count =
            replacements == 1 ? tr("1 replacement") : tr("%1 replacements").arg(locale.toString(replacements));
        const QString where = places == 1 ? tr("in 1 place.") : tr("in %1 places.").arg(locale.toString(places));
        QString text = count + u' ' + where;
        if (diff.changesShown < places)
            text += u' ' + tr("The first %1 are shown.").arg(locale.toString(diff.changesShown));
        m_summary->setText(text);
    }
    if (diff.cutShort)
        m_summary->setText(m_summary->text() + u' ' + tr("The last change shown is cut short."));

    // Built apart, its layout given only once it is whole, so it is laid out once.
    auto* document = new QTextDocument(m_text);
    document->setDefaultFont(m_text->font());
    QTextCursor cursor(document);
    bool first = true;
    const int width = NumberWidth(diff.hunks);
    m_hunks.clear();
    for (const DiffHunk& hunk : diff.hunks) {
        AddBlock(cursor, first, QColor(0xf1, 0xf8, 0xff));
        QTextCharFormat header;
        header.setForeground(QColor(0x57, 0x60, 0x6a));
        if (m_approving) {
            const LeftOut lines{hunk.oldStart, hunk.oldCount, hunk.newStart, hunk.newCount};
            const bool checked = std::find(m_leftOut.begin(), m_leftOut.end(), lines) == m_leftOut.end();
            m_hunks.push_back({lines, cursor.blockNumber(), checked});
            cursor.insertText(checked ? QStringLiteral("[x] ") : QStringLiteral("[ ] "), header);
        }
        cursor.insertText(QStringLiteral("@@ -%1,%2 +%3,%4 @@")
                              .arg(hunk.oldStart).arg(hunk.oldCount).arg(hunk.newStart).arg(hunk.newCount),
                          header);
        const std::vector<Spans> spans = ReplacedSpans(hunk);
        for (size_t k = 0; k < hunk.lines.size(); ++k)
            AddLine(cursor, first, hunk.lines[k], spans[k], width);
    }
    document->setDocumentLayout(new QPlainTextDocumentLayout(document));
    // The edit deletes its own first document; the ones made here are ours.
    QTextDocument* old = m_text->document();
    const bool ours = old->parent() == m_text;
    m_text->setDocument(document);
    if (ours)
        delete old;
    emit changesShown();
}

int DiffView::changeAt(int block) const
{
    int change = -1;
    for (size_t k = 0; k < m_hunks.size() && m_hunks[k].block <= block; ++k)
        change = int(k);
    return change;
}

void DiffView::setChecked(int change, bool checked)
{
    Shown& hunk = m_hunks.at(size_t(change));
    if (hunk.checked == checked)
        return;
    hunk.checked = checked;
    QTextCursor box(m_text->document()->findBlockByNumber(hunk.block));
    box.setPosition(box.position() + 3, QTextCursor::KeepAnchor);
    const QTextCharFormat format = box.charFormat();
    box.insertText(checked ? QStringLiteral("[x]") : QStringLiteral("[ ]"), format);
}

void DiffView::toggle(int change)
{
    if (change < 0)
        return;
    setChecked(change, !isChecked(change));
    emit checksChanged();
}

std::vector<LeftOut> DiffView::leftOut() const
{
    std::vector<LeftOut> out;
    for (const Shown& hunk : m_hunks)
        if (!hunk.checked)
            out.push_back(hunk.lines);
    return out;
}

bool DiffView::eventFilter(QObject* watched, QEvent* event)
{
    if (m_hunks.empty())
        return QWidget::eventFilter(watched, event);
    if (watched == m_text && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        toggle(changeAt(m_text->textCursor().blockNumber()));
        return true;
    }
    if (watched == m_text->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const QTextCursor at = m_text->cursorForPosition(static_cast<QMouseEvent*>(event)->position().toPoint());
        const int change = changeAt(at.blockNumber());
        // Only a click on the box itself toggles.
        if (change >= 0 && m_hunks[size_t(change)].block == at.blockNumber() && at.positionInBlock() <= 3)
            toggle(change);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quorvane
