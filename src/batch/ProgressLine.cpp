#include "batch/ProgressLine.h"

#include <QElapsedTimer>
#include <memory>
#include <sys/ioctl.h>
#include <unistd.h>

namespace quorvane::batch {

namespace {

constexpr qint64 kRedrawMs = 100;
// Clears from the cursor to the end of the line.
constexpr char kClearToEnd[] = "\x1b[K";

} // namespace

ProgressLine::ProgressLine(std::FILE* stream, int columns, std::function<qint64()> clockMs)
    : m_stream(stream), m_columns(columns), m_clock(std::move(clockMs))
{
    if (!m_clock) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        m_clock = [timer] { return timer->elapsed(); };
    }
}

ProgressLine ProgressLine::ForTerminal(std::FILE* stream)
{
    const int fd = ::fileno(stream);
    if (fd < 0 || !::isatty(fd))
        return ProgressLine(stream, 0);
    struct winsize size {};
    const int columns = ::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    return ProgressLine(stream, columns);
}

void ProgressLine::file(qsizetype done, const QString& path)
{
    m_done = done;
    m_path = path;
    m_stale = true;
    tick();
}

void ProgressLine::tick()
{
    if (!on() || !m_stale)
        return;
    const qint64 now = m_clock();
    if (m_drawn && now - m_lastDraw < kRedrawMs)
        return;
    m_lastDraw = now;
    m_drawn = true;
    draw();
}

void ProgressLine::draw()
{
    QString line = QString::number(m_done) + " of " + QString::number(m_total) + " done: ";
    // One column is left free, so the cursor never wraps to a new line; a long
    // path keeps its end, where the file's name is.
    const qsizetype room = m_columns - 1 - line.size();
    if (room <= 1)
        line.truncate(qMax(0, m_columns - 1));
    else if (m_path.size() > room)
        line += QStringLiteral("\u2026") + m_path.right(room - 1);
    else
        line += m_path;
    const QByteArray bytes = '\r' + line.toUtf8() + kClearToEnd;
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_stream);
    std::fflush(m_stream);
    m_shown = true;
    m_stale = false;
}

void ProgressLine::erase()
{
    if (!m_shown)
        return;
    std::fputs("\r", m_stream);
    std::fputs(kClearToEnd, m_stream);
    std::fflush(m_stream);
    m_shown = false;
    m_stale = true;
}

} // namespace quorvane::batch
