#pragma once

#include "buttonpaint.h"

#include <QImage>

class QPainter;

// The per-style body painters behind paintButton(). Internal to controls/.
struct BodyContext {
    QPainter &p;
    const ButtonPaintInput &in;
    VisualState state;
    int w;
    int h;
    QColor background;

    // Sets the control's background colour, which repaints the whole face.
    void setBackground(const QColor &color);
    QColor paletteColor(int which) const;
};

void drawRoundedBody(BodyContext &c);     // 5
void drawRoundedToneBody(BodyContext &c); // 7
void drawBevelledBody(BodyContext &c);    // 8
void drawGlossyBody(BodyContext &c);      // 9
void drawPictureBody(BodyContext &c);     // 10

// The fixed Style 10 artwork for one picture (0 Normal, 1 Hot, 2 Pressed).
QImage pictureArt(int picture, QSize size);
