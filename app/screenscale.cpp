#include "screenscale.h"

#include <cmath>

ScreenScale::ScreenScale(double twipsPerPixelX, double twipsPerPixelY)
    : m_twipsPerPixelX(twipsPerPixelX > 0 ? twipsPerPixelX : DesignTwipsPerPixel),
      m_twipsPerPixelY(twipsPerPixelY > 0 ? twipsPerPixelY : DesignTwipsPerPixel)
{
}

ScreenScale ScreenScale::fromDpi(double dpiX, double dpiY)
{
    return ScreenScale(dpiX > 0 ? 1440.0 / dpiX : DesignTwipsPerPixel,
                       dpiY > 0 ? 1440.0 / dpiY : DesignTwipsPerPixel);
}

int ScreenScale::pixelsX(double designTwips) const
{
    return int(std::nearbyint(adjustX(designTwips) / m_twipsPerPixelX));
}

int ScreenScale::pixelsY(double designTwips) const
{
    return int(std::nearbyint(adjustY(designTwips) / m_twipsPerPixelY));
}

QRect ScreenScale::pixels(int left, int top, int width, int height) const
{
    return QRect(pixelsX(left), pixelsY(top), pixelsX(width), pixelsY(height));
}
