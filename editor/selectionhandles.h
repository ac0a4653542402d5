#pragma once

#include "timelinemodel.h"

class Selection;

// Dragging the begin and end handle sets by their marker images. The sets
// never cross (a marker width apart at least) and never leave 0..W; on
// release the set's place becomes SelBegin or SelEnd and the labels follow.
// Nothing here touches playback.
class SelectionHandles
{
public:
    using Image = TimelineModel::Image;

    SelectionHandles(Selection &selection, TimelineModel &model);

    // X is in twips inside the pressed image.
    void press(Image image, double X);
    void move(Image image, double X);
    void release(Image image, double X);

    static bool isHandleMarker(Image image);

    // A handle set is pressed and not yet released.
    bool isDragging() const { return m_dragging; }
    // Takes the next move and release as a drag from the last grab point
    // (the random cut's throws).
    void arm() { m_dragging = true; }

private:
    void moveBegin(Image image, double X);
    void moveEnd(Image image, double X);

    Selection &m_selection;
    TimelineModel &m_model;
    bool m_dragging = false;
};
