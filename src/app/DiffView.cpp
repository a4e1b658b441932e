#include "app/DiffView.h"

#include "engine/diff/FileDiff.h"
#include "engine/files/FileAccess.h"

#include <QFontDatabase>
#include <QLabel>
#include <QLocale>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QVBoxLayout>
#include <atomic>

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

QString Number(qint64 n)
{
    return n > 0 ? QString::number(n).rightJustified(6) : QString(6, QLatin1Char(' '));
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

void AddLine(QTextCursor& cursor, bool& first, const DiffLine& line)
{
    const LineLook look = LookOf(line.kind);
    AddBlock(cursor, first, look.line);
    QTextCharFormat gutter;
    gutter.setForeground(QColor(0x80, 0x80, 0x80));
    const QChar sign = line.kind == DiffLine::Kind::Removed ? u'-' : line.kind == DiffLine::Kind::Added ? u'+' : u' ';
    cursor.insertText(QStringLiteral("%1 %2  %3 ").arg(Number(line.oldLine), Number(line.newLine), sign), gutter);

    QString text = line.text;
    if (text.endsWith(u'\r'))
        text.chop(1);
    const bool cut = text.size() > kShownLineLength;
    text.truncate(kShownLineLength);
    QTextCharFormat plain, marked;
    marked.setBackground(look.span);
    int at = 0;
    for (const auto& [start, end] : line.marked) {
        const int from = std::min<int>(start, text.size()), to = std::min<int>(end, text.size());
        cursor.insertText(text.mid(at, from - at), plain);
        cursor.insertText(text.mid(from, to - from), marked);
        at = to;
    }
    cursor.insertText(text.mid(at), plain);
    if (cut)
        cursor.insertText(QStringLiteral(" \u2026"), gutter);
    if (line.noNewline) {
        AddBlock(cursor, first, look.line);
        cursor.insertText(QString(16, u' ') + DiffView::tr("\\ No newline at end of file"), gutter);
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
    m_summary->clear();
    m_text->clear();
}

void DiffView::showChanges(const QString& source, const QString& output, std::vector<Pair> pairs)
{
    clear();
    m_summary->setText(tr("Computing changes..."));
    auto work = std::make_shared<Work>();
    m_work = work;
    QThread* thread = QThread::create([work, source, output, pairs = std::move(pairs)] {
        FileJob job;
        job.pairs = pairs;
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
    if (!diff.outcome.ok)
        m_summary->setText(DescribeFileError(diff.outcome.failure));
    else if (diff.changesTotal == 0)
        m_summary->setText(tr("No changes."));
    else if (diff.changesShown < diff.changesTotal)
        m_summary->setText(tr("Showing the first %1 changes of %2.")
                               .arg(locale.toString(diff.changesShown), locale.toString(diff.changesTotal)));
    else
        m_summary->setText(diff.changesTotal == 1 ? tr("1 change.")
                                                  : tr("%1 changes.").arg(locale.toString(diff.changesTotal)));
    if (diff.cutShort)
        m_summary->setText(m_summary->text() + u' ' + tr("The last change shown is cut short."));

    // Built apart, its layout given only once it is whole, so it is laid out once.
    auto* document = new QTextDocument(m_text);
    document->setDefaultFont(m_text->font());
    QTextCursor cursor(document);
    bool first = true;
    for (const DiffHunk& hunk : diff.hunks) {
        AddBlock(cursor, first, QColor(0xf1, 0xf8, 0xff));
        QTextCharFormat header;
        header.setForeground(QColor(0x57, 0x60, 0x6a));
        cursor.insertText(QStringLiteral("@@ -%1,%2 +%3,%4 @@")
                              .arg(hunk.oldStart).arg(hunk.oldCount).arg(hunk.newStart).arg(hunk.newCount),
                          header);
        for (const DiffLine& line : hunk.lines)
            AddLine(cursor, first, line);
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

} // namespace quorvane
