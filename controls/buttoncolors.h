#pragma once

#include <QColor>
#include <QPalette>

// Colour arithmetic shared by every button style. All of it works per
// channel on 8-bit values, and the rounding is part of the look: two buttons
// drawn with the same colours must come out identical to the pixel.

// The system colours a button reads, numbered as stored colour values name
// them (the low byte of a value whose top bit is set).
enum class SystemColor : int {
    Window = 5,
    ButtonFace = 15,
    ButtonShadow = 16,
    GrayText = 17,
    ButtonText = 18,
    ButtonHighlight = 20,
    DarkShadow = 21,
    Light = 22,
    InfoText = 23,
    InfoBackground = 24,
    Highlight = 13,
    HighlightText = 14,
    WindowText = 8,
};

// The palette entry that stands for a system colour.
QColor systemColor(const QPalette &palette, SystemColor which);

// A stored colour value (red in the low byte) that names a system colour
// becomes its plain value; a plain value is returned unchanged; a value that
// cannot be translated gives -1.
qint64 TranslateColor(qint64 colorValue, const QPalette &palette);

// Packs and unpacks the stored form (red low, then green, then blue).
quint32 colorValue(const QColor &color);
QColor colorFromValue(quint32 value);

// Each channel the mean of the two, halves rounded to the even neighbour.
QColor BlendColors(const QColor &a, const QColor &b);
// amount + (255 - amount) * channel / 255 with truncating division, capped.
QColor LightenColor(const QColor &color, int amount);
// Each channel moved by offset and clamped to 0-255.
QColor ShiftColor(const QColor &color, int offset);

// Rounds to the nearest whole number, halves to the even neighbour.
int roundHalfEven(double value);
