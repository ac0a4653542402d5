#pragma once

#include <QColor>
#include <QPalette>

// The classic blue desktop scheme the rounded style was drawn against:
// beige button face, blue highlight, black text.
inline QPalette classicPalette()
{
    QPalette p;
    const QColor face(236, 233, 216);
    p.setColor(QPalette::Button, face);
    p.setColor(QPalette::Window, face);
    p.setColor(QPalette::ButtonText, Qt::black);
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Highlight, QColor(49, 106, 197));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Light, Qt::white);
    p.setColor(QPalette::Midlight, QColor(241, 239, 226));
    p.setColor(QPalette::Dark, QColor(172, 168, 153));
    p.setColor(QPalette::Mid, QColor(200, 197, 182));
    p.setColor(QPalette::Shadow, QColor(113, 111, 100));
    p.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
    p.setColor(QPalette::ToolTipText, Qt::black);
    // Grey text in a colour no body uses, so caption pixels can be told apart.
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(161, 33, 150));
    return p;
}
