// Style 5: the rounded button every form of the program uses.
#include "buttonbodies.h"
#include "buttoncolors.h"
#include "buttondrawing.h"

#include <QPainter>

namespace
{

using C = QColor;

// The frame every non-disabled state shares.
void systemFrame(QPainter &p, int w, int h)
{
    RoundedBorder(p, w, h, C(0, 60, 116));
    InnerCorners(p, w, h, C(72, 110, 144));
    OuterCorners(p, w, h, C(106, 139, 162));
    SoftCorners(p, w, h, C(191, 199, 202));
}

// A ring of four lines and two side gradients, shared by the hover and the
// focus look.
struct Ring {
    QColor row1, row2, rowH3, rowH2, sideTop, sideBottom;
};

void drawRing(QPainter &p, int w, int h, const Ring &r)
{
    DrawLine(p, 2, h - 2, w - 2, h - 2, r.rowH2);
    DrawLine(p, 2, 1, w - 2, 1, r.row1);
    DrawLine(p, 2, 2, w - 2, 2, r.row2);
    DrawLine(p, 2, h - 3, w - 2, h - 3, r.rowH3);
    VerticalGradient(p, r.sideTop, r.sideBottom, 1, 2, 3, h - 5);
    VerticalGradient(p, r.sideTop, r.sideBottom, w - 3, 2, w - 1, h - 5);
}

void disabledCorners(QPainter &p, int w, int h, const QColor &color)
{
    SetPixels(p,
           {{0, 1},
            {1, 1},
            {1, 0},
            {0, h - 2},
            {1, h - 2},
            {1, h - 1},
            {w - 1, 1},
            {w - 2, 1},
            {w - 2, 0},
            {w - 1, h - 2},
            {w - 2, h - 2},
            {w - 2, h - 1}},
           color);
}

void drawSystemRounded(BodyContext &c)
{
    QPainter &p = c.p;
    const int w = c.w, h = c.h;
    c.setBackground(c.paletteColor(int(SystemColor::ButtonFace)));
    switch (c.state) {
    case VisualState::Normal:
    case VisualState::Hot:
        VerticalGradient(p, C(252, 252, 251), C(240, 240, 240), 1, 1, w - 2, 4);
        VerticalGradient(p, C(250, 250, 249), C(240, 240, 234), 1, 4, w - 2, h - 8);
        VerticalGradient(p, C(235, 235, 230), C(214, 208, 197), 1, h - 4, w - 2, 3);
        VerticalGradient(p, C(251, 251, 250), C(228, 226, 218), w - 3, 3, w - 2, h - 5);
        VerticalGradient(p, C(245, 244, 242), C(219, 215, 205), w - 2, 3, w - 1, h - 5);
        systemFrame(p, w, h);
        if (c.state == VisualState::Hot) {
            drawRing(p, w, h,
                     {C(255, 240, 207), C(253, 216, 137), C(248, 179, 48), C(229, 151, 16),
                      C(253, 216, 137), C(248, 179, 48)});
        } else if (c.in.hasFocus) {
            drawRing(p, w, h,
                     {C(206, 231, 255), C(188, 212, 246), C(137, 173, 228), C(105, 130, 238),
                      C(188, 212, 246), C(137, 173, 228)});
        }
        break;
    case VisualState::Pressed:
        VerticalGradient(p, C(209, 204, 193), C(228, 227, 220), 2, 1, w - 1, 4);
        VerticalGradient(p, C(228, 227, 220), C(227, 226, 219), 2, 4, w - 1, h - 8);
        VerticalGradient(p, C(227, 226, 219), C(242, 241, 238), 3, h - 4, w - 1, 3);
        VerticalGradient(p, C(218, 216, 206), C(227, 226, 219), 1, 3, 2, h - 5);
        VerticalGradient(p, C(218, 216, 206), C(227, 226, 219), 2, 4, 3, h - 7);
        systemFrame(p, w, h);
        break;
    case VisualState::Disabled:
        c.setBackground(C(245, 244, 234));
        OutlineBox(p, 0, 0, w - 1, h - 1, C(201, 199, 186));
        disabledCorners(p, w, h, C(216, 213, 199));
        break;
    }
}

void drawCustomRounded(BodyContext &c)
{
    QPainter &p = c.p;
    const int w = c.w, h = c.h;
    const QColor b = c.in.backColor;
    auto s = [&b](int offset) { return ShiftColor(b, offset); };
    switch (c.state) {
    case VisualState::Normal:
    case VisualState::Hot: {
        c.setBackground(b);
        VerticalGradient(p, b, s(-15), 1, 1, w - 2, h - 3);
        VerticalGradient(p, s(21), s(-21), 1, 2, 2, h - 5);
        VerticalGradient(p, s(-5), s(-32), w - 2, 2, w - 1, h - 5);
        DrawLine(p, 2, 1, w - 2, 1, s(5));
        DrawLine(p, 2, 2, w - 2, 2, s(2));
        DrawLine(p, 2, h - 4, w - 2, h - 4, s(-16));
        DrawLine(p, 2, h - 3, w - 2, h - 3, s(-24));
        DrawLine(p, 2, h - 2, w - 2, h - 2, s(-37));
        const QColor edge = s(-128);
        DrawLine(p, 2, 0, w - 2, 0, edge);
        DrawLine(p, 0, 2, 0, h - 2, edge);
        DrawLine(p, w - 1, 2, w - 1, h - 2, edge);
        DrawLine(p, 2, h - 1, w - 2, h - 1, edge);
        InnerCorners(p, w, h, edge);
        OuterCorners(p, w, h, s(-21));
        const bool hot = c.state == VisualState::Hot;
        if (hot || (c.in.hasFocus && c.in.showFocus)) {
            const QColor ring = hot ? c.in.highlightColor : c.paletteColor(int(SystemColor::Highlight));
            auto r = [&ring](int offset) { return ShiftColor(ring, offset); };
            drawRing(p, w, h, {r(85), r(69), r(16), ring, r(69), r(16)});
        }
        break;
    }
    case VisualState::Pressed:
        c.setBackground(b);
        VerticalGradient(p, s(-37), s(-21), 2, 1, w - 1, 4);
        VerticalGradient(p, s(-21), s(-5), 2, 4, w - 1, h - 8);
        VerticalGradient(p, s(-5), s(5), 3, h - 4, w - 1, 3);
        VerticalGradient(p, s(-32), s(-22), 1, 3, 2, h - 5);
        VerticalGradient(p, s(-24), s(-15), 2, 4, 3, h - 7);
        SetPixels(p, {{1, 2}, {2, 1}, {w - 3, 1}}, s(-48));
        SetPixel(p, 2, h - 2, s(-5));
        SetPixel(p, 1, h - 3, s(-16));
        SetPixel(p, w - 2, h - 3, s(18));
        SetPixel(p, w - 3, h - 2, s(8));
        SetPixel(p, w - 2, 2, s(-37));
        RoundedBorder(p, w, h, s(-128));
        InnerCorners(p, w, h, s(-96));
        break;
    case VisualState::Disabled:
        c.setBackground(b);
        OutlineBox(p, 0, 0, w - 1, h - 1, s(-64));
        disabledCorners(p, w, h, s(-53));
        break;
    }
}

} // namespace

void drawRoundedBody(BodyContext &c)
{
    if (c.in.useCustomColors)
        drawCustomRounded(c);
    else
        drawSystemRounded(c);
}
