#include "selectionhandles.h"

#include "editorstate.h"
#include "formattime.h"

using MarkerSet = TimelineModel::MarkerSet;

SelectionHandles::SelectionHandles(EditorState &state, TimelineModel &model)
    : m_state(state), m_model(model)
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
    m_state.Dragging = True16;
    m_model.setGrabX(static_cast<int>(roundSecondsHalfEven(X)));
}

void SelectionHandles::move(Image image, double X)
{
    if (!isHandleMarker(image) || !m_state.Dragging)
        return;
    if (TimelineModel::setOf(image) == MarkerSet::Begin)
        moveBegin(image, X);
    else
        moveEnd(image, X);
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
}

void SelectionHandles::release(Image image, double)
{
    if (!isHandleMarker(image) || !m_state.Dragging)
        return;
    m_state.Dragging = False16;
    const qint32 seconds = m_model.geometry().toSeconds(m_model.T(), m_model.left(image));
    if (TimelineModel::setOf(image) == MarkerSet::Begin) {
        m_state.SelBegin = seconds;
        m_model.publishBegin(m_state);
    } else {
        m_state.SelEnd = seconds;
        m_model.publishEnd(m_state);
    }
}
