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

inline void setTextColor(QWidget *widget, QRgb color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(color));
    widget->setPalette(palette);
}

} // namespace Looks
