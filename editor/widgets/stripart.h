#pragma once

#include "timelinemodel.h"

#include <QCursor>
#include <QPixmap>
#include <array>

// The pictures of the strip: the strip itself and the nine marker images
// (13 x 8 markers, 1 x 284 lines), plus the marker cursor. A skin replaces
// any of them; drawn() paints plain ones of our own.
struct StripArt
{
    QPixmap strip;                                         // 746 x 363
    std::array<QPixmap, TimelineModel::ImageCount> images; // indexed by TimelineModel::Image
    QCursor markerCursor;                                  // 32 x 32, hot spot (6, 0)

    static constexpr QSize StripSize{746, 363};
    static constexpr QSize MarkerSize{13, 8};
    static constexpr QSize LineSize{1, 284};
    static constexpr QPoint CursorHotSpot{6, 0};

    static StripArt drawn();
    static QPixmap drawnStrip();
    static QPixmap drawnMarker(bool pointsDown, const QColor &colour);
    static QPixmap drawnLine(const QColor &colour);
    static QCursor drawnCursor();

    static QColor pointerColour() { return QColor(214, 64, 52); }
    static QColor handleColour() { return QColor(11, 77, 109); }
};
