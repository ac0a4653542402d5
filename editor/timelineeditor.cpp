#include "timelineeditor.h"

#include <memory>

TimelineEditor::TimelineEditor(SoundCommands &sound, const QString &workFile, int twipsPerPixelX,
                               QObject *parent)
    : QObject(parent),
      m_model(twipsPerPixelX),
      m_controller(m_selectionState, m_model, sound, workFile),
      m_handles(m_selectionState, m_model),
      m_pointer(m_model, m_controller),
      m_randomCut(m_selectionState, m_model, m_handles),
      m_selection(m_selectionState, m_model),
      m_zoom(m_selectionState, m_model, m_controller)
{
    m_model.follow(m_selectionState);
    connect(&m_model, &TimelineModel::viewChanged, this, [this] { m_zoom.relayout(); });
    connect(&m_pyramid, &PyramidBuilder::ready, this, &TimelineEditor::pyramidReady);
    connect(&m_pyramid, &PyramidBuilder::grown, this, &TimelineEditor::peaksGrown);
    // The readers of the growing file follow the map.
    m_controller.setDecodedMap(&m_decodedMap);
    connect(this, &TimelineEditor::decodedMapChanged, &m_controller, &PlaybackController::decodedMapChanged);
    connect(this, &TimelineEditor::decodedMapChanged, this, [this](qint64 first, qint64 end) {
        m_pyramid.follow(m_controller.workFile(), m_decodedMap, first, end);
    });
}

void TimelineEditor::decodeStarted(const QString &workFile, qint64 expectedFrames, int sampleRate, int channels)
{
    Q_UNUSED(workFile);
    Q_UNUSED(sampleRate);
    Q_UNUSED(channels);
    m_decodedMap.reset(expectedFrames);
    emit decodedMapChanged(0, -1);
}

void TimelineEditor::decodedStretch(qint64 firstFrame, qint64 endFrame)
{
    m_decodedMap.add(firstFrame, endFrame);
    emit decodedMapChanged(firstFrame, endFrame);
}

void TimelineEditor::decodeWithdrawn()
{
    m_decodedMap.withdraw();
    emit decodedMapChanged(0, -1);
}

void TimelineEditor::decodeComplete(qint64 frames)
{
    m_decodedMap.complete(frames);
    emit decodedMapChanged(0, -1);
}

const DecodedMap &TimelineEditor::decodedMap() const
{
    return m_decodedMap;
}

void TimelineEditor::imagePress(TimelineModel::Image image, double X)
{
    if (PlayPointer::isPointerMarker(image))
        m_pointer.press(image, X);
    else if (SelectionHandles::isHandleMarker(image))
        m_handles.press(image, X);
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
    // A release that sets a time is recorded for undo by the selection's change.
    if (PlayPointer::isPointerMarker(image))
        m_pointer.release(image, X);
    else if (SelectionHandles::isHandleMarker(image))
        m_handles.release(image, X);
}

void TimelineEditor::stripPress(double X)
{
    m_pointer.stripPress(X);
}

void TimelineEditor::closeFile()
{
    m_model.resetForClose();
    m_selectionState.clear();
}

RandomCut::Outcome TimelineEditor::runRandomCut()
{
    // The throws are laid out for the whole strip.
    m_zoom.showWhole();
    RandomCut::Outcome outcome = RandomCut::Outcome::NotPlayed;
    m_selection.record([&] { outcome = m_randomCut.run(); });
    return outcome;
}

SelectionEditor::Outcome TimelineEditor::selectStretch(qint64 beginMs, qint64 endMs)
{
    m_zoom.showWhole();
    SelectionEditor::Outcome outcome = SelectionEditor::Outcome::Unchanged;
    m_selection.record([&] { outcome = m_selection.setStretch(beginMs, endMs); });
    return outcome;
}

SelectionEditor::Outcome TimelineEditor::setAtPointer(SelectionEditor::Handle handle)
{
    // The pointer is known once a running transport operation is over; a
    // set that has to wait reports Unchanged now and is recorded when it lands.
    auto outcome = std::make_shared<SelectionEditor::Outcome>(SelectionEditor::Outcome::Unchanged);
    m_controller.exclusive([this, handle, outcome] {
        *outcome = m_selection.setAtPointer(handle, m_controller.pointerMs());
    });
    return *outcome;
}

SelectionEditor::Outcome TimelineEditor::nudge(qint64 deltaMs)
{
    return m_selection.nudge(deltaMs);
}

SelectionEditor::Outcome TimelineEditor::typeTime(SelectionEditor::Handle handle, const QString &text)
{
    return m_selection.typeTime(handle, text);
}

PeakPyramid *TimelineEditor::pyramid()
{
    return m_pyramid.pyramid(m_controller.workFile());
}
