#pragma once

#include <QRect>

// A control's design rectangle in twips: left, top, width, height.
struct Spot {
    int left, top, width, height;
};

// Layouts are designed in twips at 15 twips per pixel. A screen with another
// resolution gets every length multiplied by (its twips per pixel / 15) once,
// so a control keeps its size in pixels and stays on its spot of the skin.
class ScreenScale
{
public:
    explicit ScreenScale(double twipsPerPixelX = DesignTwipsPerPixel,
                         double twipsPerPixelY = DesignTwipsPerPixel);
    // Twips per pixel from a screen's logical dots per inch (96 -> 15, 120 -> 12).
    static ScreenScale fromDpi(double dpiX, double dpiY);

    static constexpr double DesignTwipsPerPixel = 15.0;

    double kx() const { return m_twipsPerPixelX / DesignTwipsPerPixel; }
    double ky() const { return m_twipsPerPixelY / DesignTwipsPerPixel; }
    double twipsPerPixelX() const { return m_twipsPerPixelX; }
    double twipsPerPixelY() const { return m_twipsPerPixelY; }

    // A design length adjusted to this screen, in twips.
    double adjustX(double designTwips) const { return designTwips * kx(); }
    double adjustY(double designTwips) const { return designTwips * ky(); }
    // An adjusted length in pixels of this screen.
    int pixelsX(double designTwips) const;
    int pixelsY(double designTwips) const;
    // A design rectangle (left, top, width, height in twips) in pixels.
    QRect pixels(int left, int top, int width, int height) const;
    // A design font size adjusted once, in points.
    double fontPoints(double designPoints) const { return designPoints * kx(); }

private:
    double m_twipsPerPixelX;
    double m_twipsPerPixelY;
};
