#include "engine/diff/LineMatcher.h"

#include <algorithm>

namespace quorvane::diff {

HunkBuilder::HunkBuilder(HunkSink& sink, int context, qint64 maxChanges)
    : m_sink(sink), m_context(size_t(std::max(0, context))), m_max(maxChanges)
{
}

void HunkBuilder::emitHeld(size_t count)
{
    for (; count > 0; --count) {
        const Equal& e = m_held.front();
        m_sink.context(e.line, e.oldNumber, e.newNumber);
        ++m_oldCount;
        ++m_newCount;
        m_held.pop_front();
    }
}

void HunkBuilder::closeHunk()
{
    emitHeld(std::min(m_held.size(), m_context));
    m_sink.endHunk(m_oldCount ? m_oldBefore + 1 : m_oldBefore, m_oldCount,
                   m_newCount ? m_newBefore + 1 : m_newBefore, m_newCount);
    m_open = false;
    while (m_held.size() > m_context)
        m_held.pop_front();
}

void HunkBuilder::equal(const Line& line, qint64 oldNumber, qint64 newNumber)
{
    m_lastWasChange = false;
    if (m_stopped)
        return;
    m_held.push_back({line, oldNumber, newNumber});
    if (!m_open) {
        if (m_held.size() > m_context)
            m_held.pop_front();
    } else if (m_held.size() > 2 * m_context) {
        // Too far from the next change for their contexts to touch.
        closeHunk();
    }
}

void HunkBuilder::change(Lines removed, Lines added, qint64 oldBefore, qint64 newBefore)
{
    if (removed.empty() && added.empty())
        return;
    if (!m_lastWasChange)
        ++m_total;
    m_lastWasChange = true;
    if (m_stopped)
        return;
    if ((m_max >= 0 && m_total > m_max) || m_sink.full()) {
        if (m_open)
            closeHunk();
        m_stopped = true;
        m_held.clear();
        return;
    }
    if (!m_open) {
        m_open = true;
        m_oldBefore = m_held.empty() ? oldBefore : m_held.front().oldNumber - 1;
        m_newBefore = m_held.empty() ? newBefore : m_held.front().newNumber - 1;
        m_oldCount = m_newCount = 0;
    }
    emitHeld(m_held.size());
    m_sink.change(removed, oldBefore + 1, added, newBefore + 1);
    m_oldCount += qint64(removed.size());
    m_newCount += qint64(added.size());
    m_shown = m_total;
}

void HunkBuilder::finish()
{
    if (m_open)
        closeHunk();
}

void LineMatcher::Pending::add(const Line& line)
{
    qsizetype& at = first[line];
    if (at == 0)
        at = qsizetype(lines.size()) + 1;
    lines.push_back(line);
    bytes += line.bytes.size() + kLineCost;
}

void LineMatcher::Pending::clear()
{
    lines.clear();
    first.clear();
    bytes = 0;
}

LineMatcher::LineMatcher(HunkBuilder& out, NextOld nextOld)
    : m_out(out), m_nextOld(std::move(nextOld))
{
}

void LineMatcher::addNew(Line&& line)
{
    m_newQueue.push_back(std::move(line));
    run();
}

void LineMatcher::finish()
{
    m_newEnded = true;
    run();
}

bool LineMatcher::takeOld(Line& line)
{
    if (!m_oldBack.empty()) {
        line = std::move(m_oldBack.front());
        m_oldBack.pop_front();
        return true;
    }
    if (m_oldEnded)
        return false;
    m_oldEnded = !m_nextOld(line);
    return !m_oldEnded;
}

bool LineMatcher::takeNew(Line& line)
{
    if (m_newQueue.empty())
        return false;
    line = std::move(m_newQueue.front());
    m_newQueue.pop_front();
    return true;
}

void LineMatcher::emitChange(size_t oldCount, size_t newCount)
{
    m_out.change(Lines(m_old.lines.data(), oldCount), Lines(m_new.lines.data(), newCount), m_oldDone, m_newDone);
    m_oldDone += qint64(oldCount);
    m_newDone += qint64(newCount);
}

void LineMatcher::resolve(size_t oldAt, size_t newAt, const Line& line)
{
    emitChange(oldAt, newAt);
    m_out.equal(line, ++m_oldDone, ++m_newDone);
    // Lines read past the meeting point are matched again from here.
    if (oldAt + 1 < m_old.lines.size())
        m_oldBack.insert(m_oldBack.begin(), m_old.lines.begin() + qsizetype(oldAt + 1), m_old.lines.end());
    if (newAt + 1 < m_new.lines.size())
        m_newQueue.insert(m_newQueue.begin(), m_new.lines.begin() + qsizetype(newAt + 1), m_new.lines.end());
    m_old.clear();
    m_new.clear();
    m_open = false;
}

void LineMatcher::closeOpen()
{
    emitChange(m_old.lines.size(), m_new.lines.size());
    m_old.clear();
    m_new.clear();
    m_open = false;
}

void LineMatcher::run()
{
    for (;;) {
        if (m_newQueue.empty() && !m_newEnded)
            return;
        Line n, o;
        const bool hasNew = takeNew(n);
        if (!m_open) {
            const bool hasOld = takeOld(o);
            if (!hasNew && !hasOld)
                return;
            if (hasNew && hasOld && n == o) {
                m_out.equal(n, ++m_oldDone, ++m_newDone);
                continue;
            }
            m_open = true;
            if (hasOld)
                m_old.add(o);
            if (hasNew)
                m_new.add(n);
            continue;
        }
        // An open difference grows by a line of each side in turn; the first
        // line that either side has already seen ends it.
        if (hasNew) {
            const auto hit = m_old.first.constFind(n);
            if (hit != m_old.first.cend()) {
                resolve(size_t(*hit - 1), m_new.lines.size(), n);
                continue;
            }
            m_new.add(n);
        }
        const bool hasOld = takeOld(o);
        if (hasOld) {
            const auto hit = m_new.first.constFind(o);
            if (hit != m_new.first.cend()) {
                resolve(m_old.lines.size(), size_t(*hit - 1), o);
                continue;
            }
            m_old.add(o);
        }
        const bool tooLarge = qsizetype(std::max(m_old.lines.size(), m_new.lines.size())) > kMaxOpenLines
                              || std::max(m_old.bytes, m_new.bytes) > kMaxOpenBytes;
        if ((!hasNew && !hasOld) || tooLarge)
            closeOpen();
    }
}

} // namespace quorvane::diff
