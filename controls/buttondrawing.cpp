#include "buttondrawing.h"

#include "buttoncolors.h"

#include <QPainter>

#include <cstdlib>

void FillBox(QPainter &p, int x, int y, int w, int h, const QColor &color)
{
    if (w > 0 && h > 0)
        p.fillRect(QRect(x, y, w, h), color);
}

void FillBox(QPainter &p, const QRect &rect, const QColor &color)
{
    FillBox(p, rect.x(), rect.y(), rect.width(), rect.height(), color);
}

void SetPixel(QPainter &p, int x, int y, const QColor &color)
{
    p.fillRect(QRect(x, y, 1, 1), color);
}

void DrawLine(QPainter &p, int x1, int y1, int x2, int y2, const QColor &color)
{
    if (y1 == y2) {
        if (x2 > x1)
            FillBox(p, x1, y1, x2 - x1, 1, color);
        else if (x2 < x1)
            FillBox(p, x2 + 1, y1, x1 - x2, 1, color);
        return;
    }
    if (x1 == x2) {
        if (y2 > y1)
            FillBox(p, x1, y1, 1, y2 - y1, color);
        else
            FillBox(p, x1, y2 + 1, 1, y1 - y2, color);
        return;
    }
    // Slanted lines are rare (a few corner strokes): plain Bresenham.
    const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1, y = y1;
    while (x != x2 || y != y2) {
        SetPixel(p, x, y, color);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void OutlineBox(QPainter &p, int x, int y, int w, int h, const QColor &color)
{
    DrawLine(p, x, y, x + w, y, color);
    DrawLine(p, x + w, y, x + w, y + h, color);
    DrawLine(p, x + w, y + h, x, y + h, color);
    DrawLine(p, x, y + h, x, y, color);
}

namespace
{

// One ring of a 3-D edge: top and left in one colour, bottom and right
// (with the two outer corners they reach) in the other.
void bevelRing(QPainter &p, const QRect &r, const QColor &topLeft, const QColor &bottomRight)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const int left = r.left(), top = r.top();
    const int right = left + r.width(), bottom = top + r.height();
    DrawLine(p, left, bottom - 1, left, top, topLeft);
    DrawLine(p, left, top, right - 1, top, topLeft);
    DrawLine(p, right - 1, top, right - 1, bottom - 1, bottomRight);
    DrawLine(p, right - 1, bottom - 1, left - 1, bottom - 1, bottomRight);
}

} // namespace

void EdgeBox(QPainter &p, int x, int y, int w, int h, Edge edge, const QPalette &palette)
{
    const QColor white = systemColor(palette, SystemColor::ButtonHighlight);
    const QColor light = systemColor(palette, SystemColor::Light);
    const QColor shadow = systemColor(palette, SystemColor::ButtonShadow);
    const QColor dark = systemColor(palette, SystemColor::DarkShadow);
    const QRect outer(x, y, w, h);
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    switch (edge) {
    case Edge::Raised:
        bevelRing(p, outer, light, dark);
        bevelRing(p, inner, white, shadow);
        break;
    case Edge::Sunken:
        bevelRing(p, outer, shadow, white);
        bevelRing(p, inner, dark, light);
        break;
    case Edge::RaisedInner:
        bevelRing(p, outer, white, shadow);
        break;
    case Edge::SunkenOuter:
        bevelRing(p, outer, shadow, white);
        break;
    }
}

void EtchedFrame(QPainter &p, int x, int y, int w, int h, const QColor &shadow, const QColor &light,
                 const QColor &corner)
{
    OutlineBox(p, x, y, w - 1, h - 1, shadow);
    OutlineBox(p, x + 1, y + 1, w - 1, h - 1, light);
    SetPixel(p, x, y + h, corner);
    SetPixel(p, x + w, y, corner);
    const QColor mid = BlendColors(light, shadow);
    SetPixel(p, x + 1, y + h - 1, mid);
    SetPixel(p, x + w - 1, y + 1, mid);
}

namespace
{

struct Steps {
    int r0, g0, b0;
    float r, g, b;
};

Steps stepsOf(const QColor &from, const QColor &to, int n)
{
    const float span = float(n);
    return {from.red(),
            from.green(),
            from.blue(),
            float(to.red() - from.red()) / span,
            float(to.green() - from.green()) / span,
            float(to.blue() - from.blue()) / span};
}

QColor colorAt(const Steps &s, int i)
{
    // The product of a single-precision step and a row number is exact in
    // double precision, so only the final rounding decides.
    return QColor(roundHalfEven(s.r0 + double(s.r) * i), roundHalfEven(s.g0 + double(s.g) * i),
                  roundHalfEven(s.b0 + double(s.b) * i));
}

} // namespace

QColor gradientColor(const QColor &from, const QColor &to, int i, int n)
{
    if (n <= 0)
        return from;
    return colorAt(stepsOf(from, to, n), i);
}

void VerticalGradient(QPainter &p, const QColor &top, const QColor &bottom, int x1, int y0, int x2,
                      int n)
{
    if (n < 0 || x2 == x1)
        return;
    if (n == 0) {
        DrawLine(p, x1, y0, x2, y0, top);
        return;
    }
    const Steps s = stepsOf(top, bottom, n);
    for (int i = 0; i <= n; ++i)
        DrawLine(p, x1, y0 + i, x2, y0 + i, colorAt(s, i));
}

void HorizontalGradient(QPainter &p, const QColor &left, const QColor &right, int x1, int y1,
                        int x2, int y2)
{
    const int n = x2 - x1;
    if (n < 0 || y1 == y2)
        return;
    if (n == 0) {
        DrawLine(p, x1, y1, x1, y2, left);
        return;
    }
    const Steps s = stepsOf(left, right, n);
    for (int i = 0; i <= n; ++i)
        DrawLine(p, x1 + i, y1, x1 + i, y2, colorAt(s, i));
}

void SetPixels(QPainter &p, std::initializer_list<QPoint> points, const QColor &color)
{
    for (const QPoint &pt : points)
        SetPixel(p, pt.x(), pt.y(), color);
}

void RoundedBorder(QPainter &p, int w, int h, const QColor &color)
{
    DrawLine(p, 1, 0, w - 1, 0, color);
    DrawLine(p, 0, 1, 0, h - 1, color);
    DrawLine(p, w - 1, 1, w - 1, h - 1, color);
    DrawLine(p, 1, h - 1, w - 1, h - 1, color);
}

void InnerCorners(QPainter &p, int w, int h, const QColor &color)
{
    SetPixels(p, {{1, 1}, {1, h - 2}, {w - 2, 1}, {w - 2, h - 2}}, color);
}

void OuterCorners(QPainter &p, int w, int h, const QColor &color)
{
    SetPixels(p, {{0, 1}, {1, 0}, {1, h - 1}, {0, h - 2}, {w - 1, h - 2}, {w - 2, h - 1}, {w - 2, 0}, {w - 1, 1}},
             color);
}

void SoftCorners(QPainter &p, int w, int h, const QColor &color)
{
    SetPixels(p, {{1, 2}, {2, 1}, {2, h - 2}, {1, h - 3}, {w - 2, h - 3}, {w - 3, h - 2}, {w - 3, 1}, {w - 2, 2}},
             color);
}
