// Styles 7, 8 and 9: gradient buttons whose every tone derives from one base.
#include "buttonbodies.h"
#include "buttoncolors.h"
#include "buttondrawing.h"

#include <QPainter>

namespace
{

QColor faceOf(const BodyContext &c)
{
    return c.in.useCustomColors ? c.in.backColor : c.paletteColor(int(SystemColor::ButtonFace));
}

QColor highlightOf(const BodyContext &c)
{
    return c.in.useCustomColors ? c.in.highlightColor : c.paletteColor(int(SystemColor::Highlight));
}

} // namespace

// Style 7: the rounded button of style 5 in tones of the face colour.
void drawRoundedToneBody(BodyContext &c)
{
    QPainter &p = c.p;
    const int w = c.w, h = c.h;
    const QColor f = faceOf(c);
    int base = 8;
    switch (c.state) {
    case VisualState::Hot:
        base = 24;
        break;
    case VisualState::Pressed:
        base = -9;
        break;
    case VisualState::Disabled:
        base = 18;
        break;
    default:
        break;
    }
    const QColor k = ShiftColor(f, base);
    auto K = [&k](int o) { return ShiftColor(k, o); };
    auto F = [&f](int o) { return ShiftColor(f, o); };
    const bool pressed = c.state == VisualState::Pressed;
    const bool disabled = c.state == VisualState::Disabled;

    c.setBackground(k);
    if (pressed) {
        VerticalGradient(p, K(-15), k, 1, 1, w - 2, h - 3);
        VerticalGradient(p, K(-5), K(-32), 1, 2, 2, h - 5);
        VerticalGradient(p, K(21), K(-21), w - 2, 2, w - 1, h - 5);
    } else {
        const int spread = c.state == VisualState::Hot ? 16 : 15;
        VerticalGradient(p, K(spread), K(-spread), 1, 1, w - 2, h - 3);
        VerticalGradient(p, K(21), K(-21), 1, 2, 2, h - 5);
        VerticalGradient(p, K(-5), K(-32), w - 2, 2, w - 1, h - 5);
    }

    // Inner edge lines: light above, shade below; the other way when pressed.
    QColor topLine = F(21), bottomLine = F(-37);
    if (c.state == VisualState::Hot) {
        topLine = F(48);
        bottomLine = F(-16);
    } else if (pressed) {
        topLine = F(-37);
        bottomLine = F(5);
    }
    DrawLine(p, 2, 1, w - 2, 1, topLine);
    DrawLine(p, 2, h - 2, w - 2, h - 2, bottomLine);

    RoundedBorder(p, w, h, K(-96));
    InnerCorners(p, w, h, disabled ? K(-40) : K(-64));
    OuterCorners(p, w, h, disabled ? F(5) : F(-21));
    SoftCorners(p, w, h, disabled ? K(-16) : K(-32));

    const bool ring =
        c.state == VisualState::Hot || (c.state == VisualState::Normal && c.in.hasFocus);
    if (ring) {
        const QColor hc = highlightOf(c);
        auto R = [&hc](int o) { return ShiftColor(hc, o); };
        const int lift = c.state == VisualState::Hot ? 21 : 0;
        DrawLine(p, 2, 1, w - 2, 1, R(96 + lift));
        DrawLine(p, 2, 2, w - 2, 2, R(64 + lift));
        DrawLine(p, 2, h - 3, w - 2, h - 3, R(21 + lift));
        DrawLine(p, 2, h - 2, w - 2, h - 2, R(lift));
        VerticalGradient(p, R(64 + lift), R(21 + lift), 1, 2, 3, h - 5);
        VerticalGradient(p, R(64 + lift), R(21 + lift), w - 3, 2, w - 1, h - 5);
    }
}

// Style 8: a bevelled rectangle with cut corners.
void drawBevelledBody(BodyContext &c)
{
    QPainter &p = c.p;
    const int w = c.w, h = c.h;
    const QColor f = faceOf(c);
    const bool pressed = c.state == VisualState::Pressed;
    QColor k = f;
    if (c.state != VisualState::Normal)
        k = c.in.useCustomColors ? c.in.highlightColor : ShiftColor(f, 15);
    auto K = [&k](int o) { return ShiftColor(k, o); };
    const QColor o = ShiftColor(f, c.in.hasFocus && !pressed ? -96 : -48);
    auto O = [&o](int d) { return ShiftColor(o, d); };

    c.setBackground(k);
    if (pressed)
        VerticalGradient(p, K(-15), K(15), 2, 2, w - 3, h - 6);
    else
        VerticalGradient(p, K(15), K(-15), 2, 2, w - 3, h - 6);

    const QColor lit = pressed ? k : K(96);
    const QColor shade = pressed ? K(96) : k;
    DrawLine(p, 2, 1, w - 2, 1, lit);
    DrawLine(p, 1, 2, 1, h - 2, lit);
    DrawLine(p, 2, h - 3, w - 2, h - 3, shade);
    DrawLine(p, w - 3, 2, w - 3, h - 3, shade);

    // Dark inner rim below and to the right, then the outline.
    DrawLine(p, 2, h - 2, w - 2, h - 2, O(21));
    DrawLine(p, w - 2, 2, w - 2, h - 2, O(15));
    DrawLine(p, 2, 0, w - 2, 0, o);
    DrawLine(p, 0, 2, 0, h - 2, o);
    DrawLine(p, w - 1, 2, w - 1, h - 2, o);
    DrawLine(p, 2, h - 1, w - 2, h - 1, o);
    InnerCorners(p, w, h, o);
}

// Style 9: a glossy button with cut corners; only the base tone changes.
void drawGlossyBody(BodyContext &c)
{
    QPainter &p = c.p;
    const int w = c.w, h = c.h;
    const QColor f = faceOf(c);
    const QColor hl =
        c.in.useCustomColors ? c.in.highlightColor : c.paletteColor(int(SystemColor::ButtonFace));
    QColor k;
    switch (c.state) {
    case VisualState::Normal:
        k = ShiftColor(f, -15);
        break;
    case VisualState::Hot:
        k = ShiftColor(hl, 1);
        break;
    case VisualState::Pressed:
        k = ShiftColor(hl, 24);
        break;
    case VisualState::Disabled:
        k = ShiftColor(f, 15);
        break;
    }
    auto K = [&k](int o) { return ShiftColor(k, o); };

    c.setBackground(k);
    // The body from column 5, rows 2 to h - 3.
    const int n = h - 5;
    VerticalGradient(p, K(32), K(-32), 5, 2, w - 5, n);

    // Five columns at each side shade the rim into the body: a hard bright
    // to dark rim, then softer columns that start at the base tone.
    struct Column {
        int top, bottom;
    };
    const Column sides[] = {{128, -128}, {80, -80}, {0, -37}, {0, -53}, {24, -40}};
    for (int i = 0; i < 5; ++i) {
        VerticalGradient(p, K(sides[i].top), K(sides[i].bottom), i, 2, i + 1, n);
        VerticalGradient(p, K(sides[i].top), K(sides[i].bottom), w - 1 - i, 2, w - i, n);
    }

    // The top two rows: bright lines whose ends sweep back to the base tone
    // in the cut corners.
    DrawLine(p, 5, 0, w - 5, 0, K(48));
    DrawLine(p, 5, 1, w - 5, 1, K(48));
    HorizontalGradient(p, k, K(32), 1, 0, 4, 2);
    HorizontalGradient(p, K(32), k, w - 5, 0, w - 2, 2);
    // The bottom two rows: a shade that darkens into the lower corners.
    FillBox(p, 5, h - 2, w - 10, 2, K(-32));
    HorizontalGradient(p, K(-56), K(-32), 0, h - 2, 4, h);
    HorizontalGradient(p, K(-32), K(-56), w - 5, h - 2, w - 1, h);
}
