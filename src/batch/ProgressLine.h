#pragma once
// The progress line of quorvane-batch on a terminal: files done of the total
// and the file in hand, redrawn at most ten times a second, and taken off the
// screen before any other message and at the end. Off when the stream is not
// a terminal: then it never writes a byte.
#include <QString>
#include <cstdio>
#include <functional>

namespace quorvane::batch {

class ProgressLine {
public:
    // columns 0 turns the line off. clockMs gives milliseconds from any start;
    // empty: a steady clock.
    ProgressLine(std::FILE* stream, int columns, std::function<qint64()> clockMs = {});
    // On when stream is a terminal, as wide as the terminal.
    static ProgressLine ForTerminal(std::FILE* stream);

    bool on() const { return m_columns > 0; }
    void setTotal(qsizetype total) { m_total = total; }
    // The file now in hand, with done files finished before it; drawn when due.
    void file(qsizetype done, const QString& path);
    // While the file is in hand: draws what is not on the screen yet, when due.
    void tick();
    // Takes the line off the screen, if it is there.
    void erase();

private:
    void draw();

    std::FILE* m_stream;
    int m_columns;
    std::function<qint64()> m_clock;
    qsizetype m_total = 0;
    qsizetype m_done = 0;
    QString m_path;
    bool m_shown = false;     // the line is on the screen
    bool m_stale = false;     // the screen does not show the latest state
    qint64 m_lastDraw = 0;
    bool m_drawn = false;     // drawn at least once
};

} // namespace quorvane::batch
