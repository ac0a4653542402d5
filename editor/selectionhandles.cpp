#include "selectionhandles.h"

#include "formattime.h"
#include "selection.h"

using MarkerSet = TimelineModel::MarkerSet;

SelectionHandles::SelectionHandles(Selection &selection, TimelineModel &model)
    : m_selection(selection), m_model(model)
{
}

bool SelectionHandles::isHandleMarker(Image image)
{
    return TimelineModel::isMarker(image) && TimelineModel::setOf(image) != MarkerSet::Pointer;
}

void SelectionHandles::press(Image image, double X)
{
    if (!isHandleMarker(image))
        return;
    m_dragging = true;
    m_model.setGrabX(static_cast<int>(roundSecondsHalfEven(X)));
}

void SelectionHandles::move(Image image, double X)
{
    if (!isHandleMarker(image) || !m_dragging)
        return;
    const MarkerSet set = TimelineModel::setOf(image);
    if (set == MarkerSet::Begin)
        moveBegin(image, X);
    else
        moveEnd(image, X);
    m_model.previewSel(set, m_model.timeAt(m_model.left(image)), m_selection.beginMs(), m_selection.endMs());
}

// Each marker image acts on its own Left and brings its two companions along;
// the limits are tested after the move: first the other set, then the strip's end.
void SelectionHandles::moveBegin(Image image, double X)
{
    const int L = static_cast<int>(roundSecondsHalfEven(m_model.left(image) + X - m_model.GrabX()));
    m_model.placeSet(MarkerSet::Begin, L);
    const int limit = m_model.left(Image::imgSelectTop2) - m_model.geometry().markerWidth();
    if (L > limit)
        m_model.placeSet(MarkerSet::Begin, limit);
    else if (L < 0)
        m_model.placeSet(MarkerSet::Begin, 0);
    // Zoomed, the end set may stand far beyond the strip: the begin set
    // still stays on it.
    if (m_model.isZoomed() && m_model.left(image) > m_model.geometry().stripWidth())
        m_model.placeSet(MarkerSet::Begin, m_model.geometry().stripWidth());
}

void SelectionHandles::moveEnd(Image image, double X)
{
    const int L = static_cast<int>(roundSecondsHalfEven(m_model.left(image) + X - m_model.GrabX()));
    m_model.placeSet(MarkerSet::End, L);
    const int limit = m_model.left(Image::imgSelectTop1) + m_model.geometry().markerWidth();
    const int W = m_model.geometry().stripWidth();
    if (limit > L)
        m_model.placeSet(MarkerSet::End, limit);
    else if (L > W)
        m_model.placeSet(MarkerSet::End, W);
    if (m_model.isZoomed() && m_model.left(image) < 0)
        m_model.placeSet(MarkerSet::End, 0);
}

void SelectionHandles::release(Image image, double)
{
    if (!isHandleMarker(image) || !m_dragging)
        return;
    m_dragging = false;
    const qint64 ms = m_model.timeAt(m_model.left(image));
    if (TimelineModel::setOf(image) == MarkerSet::Begin)
        m_selection.setBegin(ms);
    else
        m_selection.setEnd(ms);
    // A refused or unchanged time leaves the row to show the selection as it is.
    m_model.publishSelRow();
}
