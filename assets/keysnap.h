#pragma once

#include <QImage>
#include <QRgb>

// Window skins are cut out by the exact key colour. Drawing them antialiased
// leaves half-transparent pixels at the rounded corners; blended over magenta
// they would show as a pink fringe. These functions decide each pixel
// outright: cut (exact key colour) or body (opaque, its own colour).
namespace KeySnap {

inline constexpr QRgb kKey = 0xffff00ff; // RGB(255, 0, 255)

// A pixel at least half covered is body, anything less is cut.
QImage snap(const QImage &drawing);

// The same drawing at `scale` times the size: its cut follows the 1x skin's
// cut exactly, so a window shaped from the 1x skin never shows a key pixel.
QImage snapTo(const QImage &drawing, const QImage &snapped1x, int scale);

} // namespace KeySnap
