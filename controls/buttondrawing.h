#pragma once

#include <QColor>
#include <QPalette>
#include <QPoint>
#include <QRect>

#include <initializer_list>

class QPainter;

// Pixel-exact drawing primitives for the button styles. They paint with
// fills only (never antialiased), so the result does not depend on the
// paint engine's line rasteriser.

// One-pixel line from (x1, y1) toward (x2, y2); the end point is not painted,
// so shapes built from consecutive lines meet without double pixels.
void DrawLine(QPainter &p, int x1, int y1, int x2, int y2, const QColor &color);
void SetPixel(QPainter &p, int x, int y, const QColor &color);
void SetPixels(QPainter &p, std::initializer_list<QPoint> points, const QColor &color);
// Fills (x, y) to (x + w, y + h), right and bottom edges excluded.
void FillBox(QPainter &p, int x, int y, int w, int h, const QColor &color);
void FillBox(QPainter &p, const QRect &rect, const QColor &color);
// The closed one-pixel outline through (x, y) and (x + w, y + h), corners included.
void OutlineBox(QPainter &p, int x, int y, int w, int h, const QColor &color);

// The rounded frame shared by the rounded styles on a w x h button: the
// four-sided border that leaves the corner pixels out, and the three rings
// of corner pixels that round it off (inner, outer, and the soft ring just
// inside the border).
void RoundedBorder(QPainter &p, int w, int h, const QColor &color);
void InnerCorners(QPainter &p, int w, int h, const QColor &color);
void OuterCorners(QPainter &p, int w, int h, const QColor &color);
void SoftCorners(QPainter &p, int w, int h, const QColor &color);

enum class Edge : int { SunkenOuter = 2, RaisedInner = 4, Raised = 5, Sunken = 10 };
// A 3-D edge around (x, y, x + w, y + h) in the palette's bevel colours.
void EdgeBox(QPainter &p, int x, int y, int w, int h, Edge edge, const QPalette &palette);

void EtchedFrame(QPainter &p, int x, int y, int w, int h, const QColor &shadow, const QColor &light,
                 const QColor &corner);

// Rows y0 .. y0 + n, columns x1 .. x2 - 1, blending from top to bottom. The
// step per row is taken once in single precision and each channel rounded
// to the nearest whole number, halves to even. A negative n paints nothing.
void VerticalGradient(QPainter &p, const QColor &top, const QColor &bottom, int x1, int y0, int x2,
                      int n);
// Columns x1 .. x2, each from y1 to y2 - 1, blending from left to right.
void HorizontalGradient(QPainter &p, const QColor &left, const QColor &right, int x1, int y1,
                        int x2, int y2);

// The colour of step i of n between from and to, as the gradients compute it.
QColor gradientColor(const QColor &from, const QColor &to, int i, int n);
