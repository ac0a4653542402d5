#pragma once

#include "timelinemodel.h"

struct EditorState;

// Dragging the begin and end handle sets by their marker images. The sets
// never cross (a marker width apart at least) and never leave 0..W; on
// release the set's place becomes SelBegin or SelEnd and the labels follow.
// Nothing here touches playback.
class SelectionHandles
{
public:
    using Image = TimelineModel::Image;

    SelectionHandles(EditorState &state, TimelineModel &model);

    // X is in twips inside the pressed image.
    void press(Image image, double X);
    void move(Image image, double X);
    void release(Image image, double X);

    static bool isHandleMarker(Image image);

private:
    void moveBegin(Image image, double X);
    void moveEnd(Image image, double X);

    EditorState &m_state;
    TimelineModel &m_model;
};
