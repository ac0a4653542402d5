#pragma once

#include "timelinemodel.h"

class PlaybackController;

// Seeking: dragging the play pointer by one of its marker images (the poll is
// off meanwhile, the release plays from there), or pressing the bare strip.
// Either way the device is closed, reopened and played from a whole second
// (to the millisecond while the strip is zoomed).
class PlayPointer
{
public:
    using Image = TimelineModel::Image;

    PlayPointer(TimelineModel &model, PlaybackController &controller);

    // X is in twips inside the pressed pointer image.
    void press(Image image, double X);
    void move(Image image, double X);
    void release(Image image, double X);
    // X is in twips inside the strip.
    void stripPress(double X);
    // Plays from a place in the song, as a press on the strip there does.
    void seek(qint64 milliSeconds);

    static bool isPointerMarker(Image image);
    bool isDragging() const { return m_dragging; }

private:
    TimelineModel &m_model;
    PlaybackController &m_controller;
    bool m_dragging = false;
};
