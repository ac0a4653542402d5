#include "selection.h"

void Selection::setBegin(qint64 ms)
{
    setOne(Handle::Begin, ms);
}

void Selection::setEnd(qint64 ms)
{
    setOne(Handle::End, ms);
}

void Selection::setOne(Handle handle, qint64 ms)
{
    m_last = handle;
    qint64 &value = handle == Handle::Begin ? m_beginMs : m_endMs;
    if (ms == value)
        return;
    value = ms;
    if (handle == Handle::Begin)
        emit beginChanged(ms);
    else
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
