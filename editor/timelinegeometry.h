#pragma once

#include <QtGlobal>

// Lengths of the timeline strip in twips. The layout is designed at 15 twips
// per pixel; every horizontal length scales with the screen's value so that
// the strip keeps its size in pixels.
class TimelineGeometry
{
public:
    static constexpr int DesignTwipsPerPixel = 15;
    static constexpr int DesignStripWidth = 10920;   // 728 pixels
    static constexpr int DesignLineOffset = 90;      // 6 pixels
    static constexpr int DesignMarkerWidth = 195;    // 13 pixels

    explicit TimelineGeometry(int twipsPerPixelX = DesignTwipsPerPixel);

    int twipsPerPixel() const { return m_twipsPerPixel; }
    // W: a marker's left edge runs from 0 (time 0) to W (time T).
    int stripWidth() const { return scaled(DesignStripWidth); }
    int LineOffset() const { return scaled(DesignLineOffset); }
    int markerWidth() const { return scaled(DesignMarkerWidth); }
    // Any design length (twips at 15 per pixel) in this screen's twips.
    int scaled(int designTwips) const;

    // T x L / W to the nearest whole second, halves to even. Nothing clamps:
    // an L outside 0..W gives seconds outside 0..T.
    qint32 toSeconds(qint32 T, double L) const;

    double toPixels(double twips) const { return twips / m_twipsPerPixel; }
    double toTwips(double pixels) const { return pixels * m_twipsPerPixel; }

private:
    int m_twipsPerPixel = DesignTwipsPerPixel;
};
