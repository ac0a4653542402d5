#include "timelinezoom.h"

#include "playbackcontroller.h"
#include "selection.h"
#include "formattime.h"
#include "timelinemodel.h"

#include <algorithm>
#include <cmath>

using MarkerSet = TimelineModel::MarkerSet;

TimelineZoom::TimelineZoom(const Selection &selection, TimelineModel &model, const PlaybackController &controller)
    : m_selection(selection), m_model(model), m_controller(controller)
{
}

qint64 TimelineZoom::wholeMs() const
{
    return qint64(m_model.T()) * 1000;
}

qint64 TimelineZoom::anchorMs() const
{
    if (m_selection.endMs() > 0)
        return (m_selection.beginMs() + m_selection.endMs()) / 2;
    return m_controller.pointerMs();
}

bool TimelineZoom::zoomAround(qint64 anchor, double fraction, int steps)
{
    const qint64 whole = wholeMs();
    if (whole <= TimelineModel::MinViewSpanMs || steps == 0)
        return false;
    const qint64 span = m_model.viewSpanMs();
    qint64 newSpan = static_cast<qint64>(std::llround(double(span) / std::pow(StepFactor, steps)));
    newSpan = std::clamp<qint64>(newSpan, TimelineModel::MinViewSpanMs, whole);
    if (newSpan == span)
        return false;
    fraction = std::clamp(fraction, 0.0, 1.0);
    const qint64 start = anchor - static_cast<qint64>(std::llround(fraction * double(newSpan)));
    const qint64 before = m_model.viewStartMs();
    m_model.setView(start, newSpan);
    return m_model.viewSpanMs() != span || m_model.viewStartMs() != before;
}

bool TimelineZoom::showWhole()
{
    if (!m_model.isZoomed())
        return false;
    m_model.setView(0, 0);
    return true;
}

bool TimelineZoom::scroll(int steps)
{
    if (!m_model.isZoomed() || steps == 0)
        return false;
    const qint64 before = m_model.viewStartMs();
    m_model.setView(before + steps * (m_model.viewSpanMs() / ScrollDivisions), m_model.viewSpanMs());
    return m_model.viewStartMs() != before;
}

void TimelineZoom::relayout()
{
    m_model.placeSet(MarkerSet::Pointer, m_model.pointerLeft(m_controller.pointerMs()));
    m_model.placeSet(MarkerSet::Begin, m_model.leftAt(m_selection.beginMs()));
    // With no end chosen the end set stands at the end of the strip's song.
    m_model.placeSet(MarkerSet::End, m_model.leftAt(m_selection.endMs() > 0 ? m_selection.endMs() : wholeMs()));
}
