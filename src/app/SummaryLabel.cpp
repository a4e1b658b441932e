#include "app/SummaryLabel.h"

#include <algorithm>

namespace quorvane {

QString FitWords(const QString& text, const QFontMetrics& metrics, int width)
{
    QString out;
    out.reserve(text.size());
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype end = at;
        while (end < text.size() && text[end] != u' ' && text[end] != u'\n')
            ++end;
        const QString word = text.mid(at, end - at);
        out += metrics.horizontalAdvance(word) > width ? metrics.elidedText(word, Qt::ElideMiddle, width) : word;
        if (end < text.size())
            out += text[end];
        at = end + 1;
    }
    return out;
}

SummaryLabel::SummaryLabel(QWidget* parent) : QLabel(parent)
{
    setWordWrap(true);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void SummaryLabel::setFullText(const QString& text)
{
    m_full = text;
    setToolTip(text);
    fit();
}

QSize SummaryLabel::minimumSizeHint() const
{
    return {fontMetrics().averageCharWidth() * 20, QLabel::minimumSizeHint().height()};
}

QSize SummaryLabel::sizeHint() const
{
    return {fontMetrics().averageCharWidth() * 80, QLabel::sizeHint().height()};
}

void SummaryLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    fit();
}

void SummaryLabel::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    fit();
}

void SummaryLabel::fit()
{
    // Until it is laid out the label has no width to fit.
    if (!isVisible()) {
        setText(m_full);
        return;
    }
    // The margin keeps an elided word clear of the label's edge.
    const QString fitted = FitWords(m_full, fontMetrics(), std::max(width() - 2 * margin() - 4, 20));
    if (fitted != text())
        setText(fitted);
}

} // namespace quorvane
