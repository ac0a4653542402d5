#pragma once

#include <QtGlobal>

class PlaybackController;
class Selection;
class TimelineModel;

// Zooming and scrolling the strip. Each step halves or doubles the visible
// stretch around the selection (or, with no end chosen, the play pointer);
// Ctrl+wheel keeps the time under the mouse where it is; the wheel scrolls a
// tenth of the view. After every change of view the marker sets are placed
// again from their times.
class TimelineZoom
{
public:
    static constexpr double StepFactor = 2.0;
    static constexpr int ScrollDivisions = 10;

    TimelineZoom(const Selection &selection, TimelineModel &model, const PlaybackController &controller);

    bool zoomIn() { return zoomAround(anchorMs(), 0.5, 1); }
    bool zoomOut() { return zoomAround(anchorMs(), 0.5, -1); }
    // steps > 0 zooms in; anchorMs stays at fraction (0..1) of the strip.
    bool zoomAround(qint64 anchorMs, double fraction, int steps);
    bool showWhole();
    // Positive steps scroll towards the end of the song.
    bool scroll(int steps);

    // The middle of the selection, or the play pointer.
    qint64 anchorMs() const;
    // The marker sets from their times, on the strip as it now shows.
    void relayout();

private:
    qint64 wholeMs() const;

    const Selection &m_selection;
    TimelineModel &m_model;
    const PlaybackController &m_controller;
};
