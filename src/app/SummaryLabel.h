#pragma once
// A label for a report's summary that never widens its window: its text wraps
// at spaces, and a word wider than the label (a long path) is elided in its
// middle. The whole text stays in the tooltip.
#include <QLabel>

namespace quorvane {

class SummaryLabel : public QLabel {
    Q_OBJECT
public:
    explicit SummaryLabel(QWidget* parent = nullptr);

    // Shows text fitted to the label's width, now and at every resize.
    void setFullText(const QString& text);
    const QString& fullText() const { return m_full; }

    // Asks for a few words' width at most; the height follows the width.
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void fit();

    QString m_full;
};

// text with each word wider than width elided in its middle; lines and spaces kept.
QString FitWords(const QString& text, const QFontMetrics& metrics, int width);

} // namespace quorvane
