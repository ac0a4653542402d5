#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QStringList>
#include <QWidget>

// The program's text colours and its one font family with the stand-ins a
// Linux desktop has, for every window and control.
namespace Looks {

inline constexpr QRgb TextColor = 0xFF0B4D6D;    // RGB(11, 77, 109): labels and bars
inline constexpr QRgb DimTextColor = 0xFF476371; // RGB(71, 99, 113): the file name, strip ends
inline constexpr QRgb White = 0xFFFFFFFF;        // the version on the title

// Tahoma where the desktop has it, else fonts of the same size that exist.
inline QStringList fallbacksFor(const QString &family)
{
    return {family, QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Micro Hei"),
            QStringLiteral("sans-serif")};
}

inline QFont tahoma(double points, bool bold = false)
{
    QFont font;
    font.setFamilies(fallbacksFor(QStringLiteral("Tahoma")));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// The skins' colours as the application's palette, so that message boxes
// and Qt's own dialogs look like part of the program rather than the bare
// platform style next to the skinned windows.
inline QPalette palette()
{
    const QColor text = QColor::fromRgb(TextColor);
    const QColor surface(0xE9, 0xF1, 0xF5);
    QPalette p(QColor(0xDC, 0xE8, 0xEE), surface); // button, window
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::AlternateBase, surface);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(0x1F, 0xA2, 0xC9));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x15, 0x82, 0xA8));
    p.setColor(QPalette::ToolTipBase, Qt::white);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor::fromRgb(DimTextColor));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x9A, 0xB3, 0xBF));
    return p;
}

inline void setTextColor(QWidget *widget, QRgb color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(color));
    widget->setPalette(palette);
}

} // namespace Looks
