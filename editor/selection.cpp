#include "selection.h"

void Selection::setBegin(qint64 ms)
{
    m_last = Handle::Begin;
    if (ms == m_beginMs)
        return;
    m_beginMs = ms;
    emit beginChanged(ms);
    emit changed();
}

void Selection::setEnd(qint64 ms)
{
    m_last = Handle::End;
    if (ms == m_endMs)
        return;
    m_endMs = ms;
    emit endChanged(ms);
    emit changed();
}

void Selection::set(qint64 beginMs, qint64 endMs)
{
    const bool begin = beginMs != m_beginMs;
    const bool end = endMs != m_endMs;
    m_beginMs = beginMs;
    m_endMs = endMs;
    if (begin)
        emit beginChanged(beginMs);
    if (end)
        emit endChanged(endMs);
    if (begin || end)
        emit changed();
}

void Selection::clear()
{
    set(0, 0);
    m_last = Handle::Begin;
    emit cleared();
}
