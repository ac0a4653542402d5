#include "timelineeditor.h"

#include "editorstate.h"

TimelineEditor::TimelineEditor(EditorState &state, SoundCommands &sound, const QString &workFile,
                               int twipsPerPixelX, QObject *parent)
    : QObject(parent),
      m_state(state),
      m_model(twipsPerPixelX),
      m_controller(state, m_model, sound, workFile),
      m_handles(state, m_model),
      m_pointer(state, m_model, m_controller),
      m_randomCut(state, m_model, m_handles),
      m_selection(state, m_model),
      m_zoom(state, m_model)
{
    connect(&m_model, &TimelineModel::viewChanged, this, [this] { m_zoom.relayout(); });
    connect(&m_pyramid, &PyramidBuilder::ready, this, &TimelineEditor::pyramidReady);
}

void TimelineEditor::imagePress(TimelineModel::Image image, double X)
{
    if (PlayPointer::isPointerMarker(image)) {
        m_pointer.press(image, X);
    } else if (SelectionHandles::isHandleMarker(image)) {
        m_dragStart = m_selection.snapshot();
        m_handles.press(image, X);
    }
}

void TimelineEditor::imageMove(TimelineModel::Image image, double X)
{
    if (PlayPointer::isPointerMarker(image))
        m_pointer.move(image, X);
    else
        m_handles.move(image, X);
}

void TimelineEditor::imageRelease(TimelineModel::Image image, double X)
{
    if (PlayPointer::isPointerMarker(image)) {
        m_pointer.release(image, X);
    } else if (SelectionHandles::isHandleMarker(image)) {
        m_handles.release(image, X);
        if (m_dragStart && !m_state.Dragging) {
            m_selection.setLastHandle(TimelineModel::setOf(image) == TimelineModel::MarkerSet::Begin
                                          ? SelectionEditor::Handle::Begin
                                          : SelectionEditor::Handle::End);
            m_selection.recordSince(*m_dragStart);
            m_dragStart.reset();
        }
    }
}

void TimelineEditor::stripPress(double X)
{
    m_pointer.stripPress(X);
}

void TimelineEditor::imgCtrlButton_Click(int index)
{
    if (index != PlaybackController::SetBegin && index != PlaybackController::SetEnd) {
        m_controller.imgCtrlButton_Click(index);
        return;
    }
    m_selection.record([&] { m_controller.imgCtrlButton_Click(index); });
    m_selection.setLastHandle(index == PlaybackController::SetBegin ? SelectionEditor::Handle::Begin
                                                                    : SelectionEditor::Handle::End);
}

RandomCut::Outcome TimelineEditor::runRandomCut()
{
    // The throws are laid out for the whole strip.
    m_zoom.showWhole();
    RandomCut::Outcome outcome = RandomCut::Outcome::NotPlayed;
    m_selection.record([&] { outcome = m_randomCut.run(); });
    return outcome;
}

SelectionEditor::Outcome TimelineEditor::setAtPointer(SelectionEditor::Handle handle)
{
    SelectionEditor::Outcome outcome = SelectionEditor::Outcome::Unchanged;
    m_selection.record([&] { outcome = m_selection.setAtPointer(handle, m_controller.pointerMs()); });
    return outcome;
}

SelectionEditor::Outcome TimelineEditor::nudge(qint64 deltaMs)
{
    SelectionEditor::Outcome outcome = SelectionEditor::Outcome::Unchanged;
    m_selection.record([&] { outcome = m_selection.nudge(deltaMs); });
    return outcome;
}

SelectionEditor::Outcome TimelineEditor::typeTime(SelectionEditor::Handle handle, const QString &text)
{
    SelectionEditor::Outcome outcome = SelectionEditor::Outcome::Unchanged;
    m_selection.record([&] { outcome = m_selection.typeTime(handle, text); });
    return outcome;
}

PeakPyramid *TimelineEditor::pyramid()
{
    return m_pyramid.pyramid(m_controller.workFile());
}
