#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>

class QPainter;
class QStyle;
class QWidget;

// The four looks a button can be drawn in.
enum class VisualState : int { Normal = 1, Hot = 2, Pressed = 3, Disabled = 4 };

// Stored values of the Style property; values outside the list draw no body.
enum class ButtonStyle : int {
    Classic = 0,
    Thin = 1,
    Flat = 2,
    Etched = 3,
    Light = 4,
    Rounded = 5,
    Themed = 6,
    RoundedTone = 7,
    Bevelled = 8,
    Glossy = 9,
    Picture = 10,
};

// Text flags as stored in CaptionFormat.
namespace CaptionFlag
{
constexpr int Center = 1;
constexpr int Right = 2;
constexpr int VCenter = 4;
constexpr int Bottom = 8;
constexpr int WordBreak = 16;
constexpr int SingleLine = 32;
} // namespace CaptionFlag

// Everything one paint of a button depends on. The widget fills it in; tests
// build it by hand and paint into an image.
struct ButtonPaintInput {
    QSize size;
    ButtonStyle style = ButtonStyle::Classic;
    ButtonStyle nonThemeStyle = ButtonStyle::Classic;
    VisualState state = VisualState::Normal;
    bool hasFocus = false;
    bool showFocus = false;
    int buttonType = 0;
    bool value = false;
    bool enabled = true;
    bool designMode = false;
    bool useCustomColors = false;
    QColor backColor;
    QColor highlightColor;
    QColor fontColor;
    QColor fontHighlightColor;
    // The control's current background colour, left by the previous paint.
    QColor background;
    QString caption;
    int captionFormat = CaptionFlag::Center | CaptionFlag::WordBreak;
    QFont font;
    QIcon icon;
    bool iconVisible = true;
    int iconSize = 16;
    int iconAlign = 0;
    QPalette palette;
    // The style that draws the themed look; null when none can (a test seam).
    const QStyle *theme = nullptr;
    const QWidget *themeWidget = nullptr;
};

// What a paint leaves behind for the next one.
struct ButtonPaintResult {
    VisualState state = VisualState::Normal;
    QColor background;
    // The themed look could not be drawn: the control should use its
    // NonThemeStyle from now on.
    bool themeFailed = false;
};

// The whole paint: background, state overrides, body, caption, icon.
ButtonPaintResult paintButton(QPainter &p, const ButtonPaintInput &in);

// The window shape of a style for an inner size of w by h pixels.
QRegion buttonRegion(ButtonStyle style, QSize size);

// Distance of an edge-aligned icon from the control's edge.
int iconMargin(ButtonStyle style);
// Top-left corner of the icon before the Pressed offset.
QPoint iconPosition(int iconAlign, int iconSize, QSize size, int margin);

// CaptionFormat for a CaptionAlign value, or previous for an unknown one.
int captionFormatFor(int captionAlign, int previous);
// The caption box: 4 pixels in from every edge.
QRect textRectFor(QSize size);

// Draws a push-button bevel with the given style; false when it cannot.
bool DrawThemedButton(QPainter &p, const QStyle *style, const QWidget *widget, QSize size,
                      int themeState, const QPalette &palette);
