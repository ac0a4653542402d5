#include "buttonpaint.h"

#include "buttonbodies.h"
#include "buttoncolors.h"
#include "buttondrawing.h"

#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QStyleOptionButton>

#include <cmath>

void BodyContext::setBackground(const QColor &color)
{
    background = color;
    FillBox(p, 0, 0, w, h, color);
}

QColor BodyContext::paletteColor(int which) const
{
    return systemColor(in.palette, SystemColor(which));
}

namespace
{

QColor face(const BodyContext &c)
{
    return systemColor(c.in.palette, SystemColor::ButtonFace);
}

// Style 0: classic raised edge, sunken while pressed.
void drawClassicBody(BodyContext &c)
{
    const ButtonPaintInput &in = c.in;
    const QColor f = c.state == VisualState::Normal
                         ? (in.useCustomColors ? in.backColor : face(c))
                         : (in.useCustomColors ? in.highlightColor : face(c));
    c.setBackground(f);
    EdgeBox(c.p, 0, 0, c.w, c.h, c.state == VisualState::Pressed ? Edge::Sunken : Edge::Raised,
            in.palette);
}

QColor thinFace(const BodyContext &c)
{
    const bool lit = c.state == VisualState::Hot || c.state == VisualState::Pressed;
    if (!c.in.useCustomColors)
        return face(c);
    return lit ? c.in.highlightColor : c.in.backColor;
}

// Style 1: thin edges, none when disabled.
void drawThinBody(BodyContext &c)
{
    const QColor f = thinFace(c);
    c.setBackground(f);
    switch (c.state) {
    case VisualState::Normal:
    case VisualState::Hot:
        EdgeBox(c.p, 0, 0, c.w, c.h, Edge::RaisedInner, c.in.palette);
        break;
    case VisualState::Pressed:
        EdgeBox(c.p, 0, 0, c.w, c.h, Edge::SunkenOuter, c.in.palette);
        break;
    case VisualState::Disabled:
        OutlineBox(c.p, 0, 0, c.w - 1, c.h - 1, f);
        break;
    }
}

// Style 2: flat until the pointer comes.
void drawFlatBody(BodyContext &c)
{
    const QColor f = thinFace(c);
    c.setBackground(f);
    switch (c.state) {
    case VisualState::Normal:
    case VisualState::Disabled:
        OutlineBox(c.p, 0, 0, c.w - 1, c.h - 1, f);
        break;
    case VisualState::Hot:
        EdgeBox(c.p, 0, 0, c.w, c.h, Edge::RaisedInner, c.in.palette);
        break;
    case VisualState::Pressed:
        EdgeBox(c.p, 0, 0, c.w, c.h, Edge::SunkenOuter, c.in.palette);
        break;
    }
}

// Style 3: etched frame around a box whose colour follows the state.
void drawEtchedBody(BodyContext &c)
{
    const ButtonPaintInput &in = c.in;
    const bool custom = in.useCustomColors;
    const QColor shadow = c.paletteColor(int(SystemColor::ButtonShadow));
    c.setBackground(custom ? in.backColor : face(c));
    QColor inner;
    switch (c.state) {
    case VisualState::Hot:
        inner =
            custom ? BlendColors(in.highlightColor, in.backColor) : BlendColors(shadow, face(c));
        break;
    case VisualState::Pressed:
        inner = custom ? in.highlightColor : shadow;
        break;
    default:
        inner = custom ? in.backColor : face(c);
        break;
    }
    FillBox(c.p, textRectFor(in.size), inner);
    EtchedFrame(c.p, 0, 0, c.w - 1, c.h - 1, shadow, c.paletteColor(int(SystemColor::Window)), inner);
}

// Style 4: lightened flat face, framed highlight when hot or pressed.
void drawLightBody(BodyContext &c)
{
    const ButtonPaintInput &in = c.in;
    switch (c.state) {
    case VisualState::Normal:
    case VisualState::Disabled:
        FillBox(c.p, 0, 0, c.w, c.h, LightenColor(in.useCustomColors ? in.backColor : face(c), 32));
        break;
    case VisualState::Hot:
    case VisualState::Pressed: {
        const QColor b =
            in.useCustomColors ? in.highlightColor : c.paletteColor(int(SystemColor::Highlight));
        const int amount = c.state == VisualState::Hot ? 176 : 128;
        FillBox(c.p, 0, 0, c.w - 1, c.h - 1, LightenColor(b, amount));
        OutlineBox(c.p, 0, 0, c.w - 1, c.h - 1, b);
        break;
    }
    }
}

int themeStateOf(const BodyContext &c)
{
    if (c.state == VisualState::Normal && c.in.hasFocus)
        return 5;
    return int(c.state);
}

// The caption's colour for the state.
QColor captionColor(const ButtonPaintInput &in, VisualState state)
{
    if (state == VisualState::Disabled)
        return systemColor(in.palette, SystemColor::GrayText);
    if (!in.useCustomColors)
        return systemColor(in.palette, SystemColor::ButtonText);
    return state == VisualState::Normal ? in.fontColor : in.fontHighlightColor;
}

int qtTextFlags(int format)
{
    int flags = Qt::TextShowMnemonic;
    if (format & CaptionFlag::Center)
        flags |= Qt::AlignHCenter;
    else if (format & CaptionFlag::Right)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if (format & CaptionFlag::SingleLine) {
        flags |= Qt::TextSingleLine;
        if (format & CaptionFlag::VCenter)
            flags |= Qt::AlignVCenter;
        else if (format & CaptionFlag::Bottom)
            flags |= Qt::AlignBottom;
        else
            flags |= Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
        if (format & CaptionFlag::WordBreak)
            flags |= Qt::TextWordWrap;
    }
    return flags;
}

void drawCaption(QPainter &p, const ButtonPaintInput &in, VisualState state)
{
    if (in.caption.isEmpty())
        return;
    p.save();
    p.setPen(captionColor(in, state));
    p.setFont(in.font);
    p.drawText(textRectFor(in.size), qtTextFlags(in.captionFormat), in.caption);
    p.restore();
}

bool drawsIcon(const ButtonPaintInput &in)
{
    return !in.icon.isNull() && in.iconVisible && in.iconSize > 0;
}

// Style 4 lifts a hot icon off a grey shadow: the icon is put down once, and
// every pixel of its square (one more row and column than the icon) that now
// differs from the face at (1, 1) turns grey. Caption ink under the square
// turns grey with it. The shadow needs the pixels painted so far: p paints
// into image, and the raster engine writes straight through.
void castIconShadow(QPainter &p, QImage &image, QPoint at, int size, const QPixmap &pixmap)
{
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, pixmap.size() != QSize(size, size));
    p.drawPixmap(QRect(at, QSize(size, size)), pixmap);
    p.restore();
    const QRgb face = image.pixel(1, 1);
    const QRgb grey = qRgb(128, 128, 128);
    const QRect square = QRect(at, QSize(size + 1, size + 1)) & image.rect();
    for (int y = square.top(); y <= square.bottom(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = square.left(); x <= square.right(); ++x) {
            if (line[x] != face)
                line[x] = grey;
        }
    }
}

void drawIcon(QPainter &p, const ButtonPaintInput &in, ButtonStyle style, VisualState state,
              QImage *shadowCanvas)
{
    if (!drawsIcon(in))
        return;
    const int s = in.iconSize;
    QPoint at = iconPosition(in.iconAlign, s, in.size, iconMargin(style));
    const QPixmap pixmap = in.icon.pixmap(QSize(s, s));
    if (state == VisualState::Pressed) {
        at += QPoint(1, 1);
    } else if (shadowCanvas) {
        castIconShadow(p, *shadowCanvas, at, s, pixmap);
        at -= QPoint(2, 2);
    }
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, pixmap.size() != QSize(s, s));
    p.drawPixmap(QRect(at, QSize(s, s)), pixmap);
    p.restore();
}

} // namespace

bool DrawThemedButton(QPainter &p, const QStyle *style, const QWidget *widget, QSize size,
                      int themeState, const QPalette &palette)
{
    if (!style || !p.isActive())
        return false;
    QStyleOptionButton option;
    option.rect = QRect(QPoint(0, 0), size);
    option.palette = palette;
    option.state = QStyle::State_Enabled | QStyle::State_Raised;
    switch (themeState) {
    case 2:
        option.state |= QStyle::State_MouseOver;
        break;
    case 3:
        option.state = QStyle::State_Enabled | QStyle::State_Sunken;
        break;
    case 4:
        option.state = QStyle::State_Raised;
        option.palette.setCurrentColorGroup(QPalette::Disabled);
        break;
    case 5:
        option.state |= QStyle::State_HasFocus;
        option.features |= QStyleOptionButton::DefaultButton;
        break;
    default:
        break;
    }
    p.save();
    p.setClipRect(option.rect);
    style->drawControl(QStyle::CE_PushButtonBevel, &option, &p, widget);
    p.restore();
    return true;
}

namespace
{

// The state the paint draws: design mode, a set toggle and disabling override
// the stored one.
VisualState paintedState(const ButtonPaintInput &in)
{
    VisualState state = in.state;
    if (in.designMode && in.style != ButtonStyle::Rounded)
        state = VisualState::Hot;
    if (in.buttonType == 1 && in.value)
        state = VisualState::Pressed;
    if (!in.enabled)
        state = VisualState::Disabled;
    return state;
}

ButtonPaintResult paintInto(QPainter &p, const ButtonPaintInput &in, QImage *shadowCanvas);

} // namespace

ButtonPaintResult paintButton(QPainter &p, const ButtonPaintInput &in)
{
    const bool shadow = in.style == ButtonStyle::Light &&
                        paintedState(in) == VisualState::Hot && drawsIcon(in) &&
                        !in.size.isEmpty();
    if (!shadow)
        return paintInto(p, in, nullptr);
    QImage canvas(in.size, QImage::Format_RGB32);
    ButtonPaintResult result;
    {
        QPainter cp(&canvas);
        result = paintInto(cp, in, &canvas);
    }
    p.drawImage(0, 0, canvas);
    return result;
}

namespace
{

ButtonPaintResult paintInto(QPainter &p, const ButtonPaintInput &in, QImage *shadowCanvas)
{
    const int w = in.size.width(), h = in.size.height();
    const QColor systemFace = systemColor(in.palette, SystemColor::ButtonFace);
    BodyContext c{p, in, in.state, w, h, in.background.isValid() ? in.background : systemFace};
    ButtonPaintResult result;

    FillBox(p, 0, 0, w, h, c.background);
    c.state = paintedState(in);
    if (c.state == VisualState::Disabled)
        c.setBackground(systemFace);

    p.save();
    switch (in.style) {
    case ButtonStyle::Classic:
        drawClassicBody(c);
        break;
    case ButtonStyle::Thin:
        drawThinBody(c);
        break;
    case ButtonStyle::Flat:
        drawFlatBody(c);
        break;
    case ButtonStyle::Etched:
        drawEtchedBody(c);
        break;
    case ButtonStyle::Light:
        drawLightBody(c);
        break;
    case ButtonStyle::Rounded:
        drawRoundedBody(c);
        break;
    case ButtonStyle::Themed:
        c.setBackground(systemFace);
        if (!DrawThemedButton(p, in.theme, in.themeWidget, in.size, themeStateOf(c), in.palette))
            result.themeFailed = true;
        break;
    case ButtonStyle::RoundedTone:
        drawRoundedToneBody(c);
        break;
    case ButtonStyle::Bevelled:
        drawBevelledBody(c);
        break;
    case ButtonStyle::Glossy:
        drawGlossyBody(c);
        break;
    case ButtonStyle::Picture:
        drawPictureBody(c);
        break;
    default:
        break;
    }
    p.restore();

    drawCaption(p, in, c.state);
    drawIcon(p, in, in.style, c.state, shadowCanvas);

    result.state = c.state;
    result.background = c.background;
    return result;
}

} // namespace

namespace
{

// Rounded rectangle region made of whole rows: a pixel row is inside as far
// as the centre of its pixels lies within the corner circle.
QRegion roundedRegion(int w, int h, int radius)
{
    QRegion region;
    for (int y = 0; y < h; ++y) {
        int inset = 0;
        const double cy = y + 0.5;
        double dy = 0;
        if (cy < radius)
            dy = radius - cy;
        else if (cy > h - radius)
            dy = cy - (h - radius);
        if (dy > 0) {
            const double dx = std::sqrt(std::max(0.0, double(radius) * radius - dy * dy));
            inset = int(std::ceil(radius - dx - 0.5));
        }
        if (w - 2 * inset > 0)
            region += QRect(inset, y, w - 2 * inset, 1);
    }
    return region;
}

// The full rectangle with a triangle of `cut` pixels taken from each corner
// (cut 1 takes the corner pixel, cut 2 the corner and its two neighbours).
QRegion cornerCutRegion(int w, int h, int cut)
{
    QRegion region;
    for (int y = 0; y < h; ++y) {
        const int fromEdge = std::min(y, h - 1 - y);
        const int inset = std::max(0, cut - fromEdge);
        if (w - 2 * inset > 0)
            region += QRect(inset, y, w - 2 * inset, 1);
    }
    return region;
}

} // namespace

QRegion buttonRegion(ButtonStyle style, QSize size)
{
    const int w = size.width(), h = size.height();
    switch (style) {
    case ButtonStyle::Rounded:
    case ButtonStyle::RoundedTone:
        return cornerCutRegion(w, h, 1);
    case ButtonStyle::Bevelled:
    case ButtonStyle::Glossy: {
        // Uneven cuts: three pixels at the right-hand corners, four at the
        // bottom left, two at the top left.
        const QPolygon outline({{0, 2}, {2, 0}, {w - 3, 0}, {w, 3}, {w, h - 3}, {w - 3, h}, {4, h}, {0, h - 4}});
        return QRegion(outline, Qt::OddEvenFill);
    }
    case ButtonStyle::Picture:
        return roundedRegion(w + 1, h + 1, 9) & QRegion(0, 0, w, h);
    default:
        return QRegion(0, 0, w, h);
    }
}

int iconMargin(ButtonStyle style)
{
    switch (style) {
    case ButtonStyle::Rounded:
    case ButtonStyle::RoundedTone:
        return 5;
    case ButtonStyle::Glossy:
    case ButtonStyle::Picture:
        return 7;
    default:
        return 4;
    }
}

QPoint iconPosition(int iconAlign, int iconSize, QSize size, int margin)
{
    const int cx = roundHalfEven((size.width() - iconSize) / 2.0);
    const int cy = roundHalfEven((size.height() - iconSize) / 2.0);
    switch (iconAlign) {
    case 0:
        return {cx, cy};
    case 1:
        return {margin, cy};
    case 2:
        return {size.width() - iconSize - margin, cy};
    case 3:
        return {cx, margin};
    case 4:
        return {cx, size.height() - iconSize - margin};
    default:
        return {0, 0};
    }
}

int captionFormatFor(int captionAlign, int previous)
{
    using namespace CaptionFlag;
    switch (captionAlign) {
    case 0:
        return Center | VCenter | SingleLine;
    case 1:
        return VCenter | SingleLine;
    case 2:
        return Right | VCenter | SingleLine;
    case 3:
        return Center | SingleLine;
    case 4:
        return Center | Bottom | SingleLine;
    default:
        return previous;
    }
}

QRect textRectFor(QSize size)
{
    return QRect(4, 4, size.width() - 8, size.height() - 8);
}
