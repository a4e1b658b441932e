#pragma once
// The progress bar during a run. It takes each file's caption and value at
// once but is redrawn at most once a frame: redrawing it for each of thousands
// of small files would cost more than the files themselves. A prompt about a
// file draws that file on the bar first (drawNow).
#include <QElapsedTimer>
#include <QString>

class QProgressBar;

namespace quorvane {

class RunBar {
public:
    explicit RunBar(QProgressBar* bar);
    ~RunBar();   // leaves redraws on
    RunBar(const RunBar&) = delete;
    RunBar& operator=(const RunBar&) = delete;

    // Before a file's changes to the bar: drawn at once when a frame is due,
    // held back otherwise.
    void nextFile();
    // Before each yield: held-back changes are drawn once a frame is due, so a
    // long file shows its own name while it is being worked on.
    void tick();
    // "Processing: " and the file name of source.
    void showFile(const QString& source);
    // position / listCount as a whole percentage; throws Failure
    // ("Division by zero") for an empty list.
    void showPosition(int position, int listCount);
    // Draws the present caption and value now.
    void drawNow();

private:
    bool frameDue();

    static constexpr qint64 kFrameMs = 40;
    QProgressBar* m_bar;
    QElapsedTimer m_clock;
};

} // namespace quorvane
