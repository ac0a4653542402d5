#include "decodedmap.h"

#include <algorithm>

void DecodedMap::reset(qint64 frames)
{
    m_runs.clear();
    m_expected = frames;
    m_complete = false;
}

void DecodedMap::add(qint64 first, qint64 end)
{
    first = std::max<qint64>(first, 0);
    if (end <= first)
        return;
    // The first run that ends at or after `first` may merge, and every run
    // after it that starts at or before `end`.
    auto it = std::lower_bound(m_runs.begin(), m_runs.end(), first,
                               [](const Run &r, qint64 f) { return r.end < f; });
    auto last = it;
    while (last != m_runs.end() && last->first <= end) {
        first = std::min(first, last->first);
        end = std::max(end, last->end);
        ++last;
    }
    const qsizetype at = it - m_runs.begin();
    m_runs.erase(it, last);
    m_runs.insert(at, Run{first, end});
}

void DecodedMap::complete(qint64 frames)
{
    m_runs.clear();
    if (frames > 0)
        m_runs.append(Run{0, frames});
    m_expected = frames;
    m_complete = true;
}

void DecodedMap::withdraw()
{
    m_runs.clear();
    m_complete = false;
}

qint64 DecodedMap::decodedFrames() const
{
    qint64 n = 0;
    for (const Run &r : m_runs)
        n += r.end - r.first;
    return n;
}

bool DecodedMap::contains(qint64 first, qint64 end) const
{
    if (end <= first)
        return true;
    return readyUntil(first) >= end;
}

qint64 DecodedMap::readyUntil(qint64 frame) const
{
    auto it = std::upper_bound(m_runs.begin(), m_runs.end(), frame,
                               [](qint64 f, const Run &r) { return f < r.end; });
    if (it != m_runs.end() && it->first <= frame)
        return it->end;
    return frame;
}

qint64 DecodedMap::nextWritten(qint64 frame) const
{
    auto it = std::upper_bound(m_runs.begin(), m_runs.end(), frame,
                               [](qint64 f, const Run &r) { return f < r.end; });
    if (it == m_runs.end())
        return -1;
    return std::max(frame, it->first);
}
