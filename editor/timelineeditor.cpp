#include "timelineeditor.h"

#include <algorithm>
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
    m_controller.setDecodedMap(&m_decoded);
    connect(this, &TimelineEditor::decodedMapChanged, &m_controller, &PlaybackController::decodedMapChanged);
    connect(this, &TimelineEditor::decodedMapChanged, this, [this](qint64 first, qint64 end) {
        m_pyramid.follow(m_controller.workFile(), m_decoded, first, end);
    });
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
    const bool had = m_decodeRate > 0 || !m_decoded.isEmpty() || m_decoded.isComplete();
    m_decoded.reset();
    m_decodeRate = 0;
    m_decodeChannels = 0;
    if (had)
        emit decodedMapChanged(0, -1);
}

void TimelineEditor::decodeStarted(const QString &workFile, qint64 expectedFrames,
                                   int sampleRate, int channels)
{
    m_decoded.reset(expectedFrames);
    m_decodeRate = sampleRate;
    m_decodeChannels = channels;
    m_controller.setWorkFile(workFile);
    if (expectedFrames > 0 && sampleRate > 0)
        m_controller.learnLength(expectedFrames * 1000 / sampleRate);
    emit decodedMapChanged(0, -1);
}

void TimelineEditor::decodedStretch(qint64 firstFrame, qint64 endFrame)
{
    if (m_decodeRate <= 0 || m_decoded.isComplete() || m_decoded.contains(firstFrame, endFrame))
        return;
    m_decoded.add(firstFrame, endFrame);
    emit decodedMapChanged(firstFrame, endFrame);
}

void TimelineEditor::decodeWithdrawn()
{
    if (m_decoded.isEmpty())
        return;
    m_decoded.withdraw();
    emit decodedMapChanged(0, -1);
}

void TimelineEditor::decodeComplete(qint64 frames)
{
    m_decoded.complete(frames);
    if (m_decodeRate > 0 && frames >= 0)
        m_controller.learnLength(frames * 1000 / m_decodeRate);
    emit decodedMapChanged(0, -1);
}

bool TimelineEditor::isDecoded(qint64 beginMs, qint64 endMs) const
{
    if (!isGrowing())
        return true;
    // Frames that touch the stretch at all, rounded outward.
    const qint64 first = beginMs * m_decodeRate / 1000;
    const qint64 end = (endMs * m_decodeRate + 999) / 1000;
    return m_decoded.contains(first, end);
}

QList<std::pair<qint64, qint64>> TimelineEditor::decodedMs() const
{
    QList<std::pair<qint64, qint64>> stretches;
    if (m_decodeRate <= 0)
        return stretches;
    for (const DecodedMap::Run &run : m_decoded.runs()) {
        const qint64 begin = (run.first * 1000 + m_decodeRate - 1) / m_decodeRate;
        const qint64 end = run.end * 1000 / m_decodeRate;
        if (end > begin)
            stretches.append({begin, end});
    }
    return stretches;
}

bool TimelineEditor::hasCutRoomDecoded() const
{
    const auto stretches = decodedMs();
    return std::any_of(stretches.begin(), stretches.end(), &RandomCut::holdsCut);
}

RandomCut::Outcome TimelineEditor::runRandomCut()
{
    if (isGrowing()) {
        // Only what is decoded may be cut.
        m_zoom.showWhole();
        RandomCut::Outcome outcome = RandomCut::Outcome::NoneLonger;
        m_selection.record([&] {
            outcome = m_randomCut.runWithin(decodedMs(), [this](qint64 beginMs, qint64 endMs) {
                m_selection.setStretch(beginMs, endMs);
            });
        });
        return outcome;
    }
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
