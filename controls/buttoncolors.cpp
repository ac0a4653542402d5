#include "buttoncolors.h"

#include <algorithm>
#include <cmath>

QColor systemColor(const QPalette &palette, SystemColor which)
{
    switch (which) {
    case SystemColor::Window:
        return palette.color(QPalette::Base);
    case SystemColor::WindowText:
        return palette.color(QPalette::Text);
    case SystemColor::ButtonFace:
        return palette.color(QPalette::Button);
    case SystemColor::ButtonShadow:
        return palette.color(QPalette::Dark);
    case SystemColor::GrayText:
        return palette.color(QPalette::Disabled, QPalette::ButtonText);
    case SystemColor::ButtonText:
        return palette.color(QPalette::ButtonText);
    case SystemColor::ButtonHighlight:
        return palette.color(QPalette::Light);
    case SystemColor::DarkShadow:
        return palette.color(QPalette::Shadow);
    case SystemColor::Light:
        return palette.color(QPalette::Midlight);
    case SystemColor::InfoText:
        return palette.color(QPalette::ToolTipText);
    case SystemColor::InfoBackground:
        return palette.color(QPalette::ToolTipBase);
    case SystemColor::Highlight:
        return palette.color(QPalette::Highlight);
    case SystemColor::HighlightText:
        return palette.color(QPalette::HighlightedText);
    }
    return {};
}

quint32 colorValue(const QColor &color)
{
    return quint32(color.red()) | quint32(color.green()) << 8 | quint32(color.blue()) << 16;
}

QColor colorFromValue(quint32 value)
{
    return QColor(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF));
}

qint64 TranslateColor(qint64 value, const QPalette &palette)
{
    if (value < 0 || value > 0xFFFFFFFFLL)
        return -1;
    const auto v = quint32(value);
    if ((v & 0xFF000000u) == 0)
        return v;
    if (!(v & 0x80000000u))
        return -1;
    if (v & 0x7FFFFF00u)
        return -1;
    switch (int(v & 0xFF)) {
    case 5:
    case 8:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
    case 18:
    case 20:
    case 21:
    case 22:
    case 23:
    case 24:
        return colorValue(systemColor(palette, SystemColor(int(v & 0xFF))));
    default:
        return -1;
    }
}

int roundHalfEven(double value)
{
    // nearbyint follows the current rounding mode, which is to-nearest-even
    // unless somebody changed it; spell the rule out instead.
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5)
        return int(floor) + 1;
    if (diff < 0.5)
        return int(floor);
    const int f = int(floor);
    return f % 2 == 0 ? f : f + 1;
}

QColor BlendColors(const QColor &a, const QColor &b)
{
    auto mix = [](int x, int y) {
        const int sum = x + y;
        int half = sum / 2;
        if (sum % 2 != 0 && half % 2 != 0)
            ++half;
        return half;
    };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

QColor LightenColor(const QColor &color, int amount)
{
    auto lift = [amount](int channel) {
        return std::min(255, amount + (255 - amount) * channel / 255);
    };
    return QColor(lift(color.red()), lift(color.green()), lift(color.blue()));
}

QColor ShiftColor(const QColor &color, int offset)
{
    auto move = [offset](int channel) { return std::clamp(channel + offset, 0, 255); };
    return QColor(move(color.red()), move(color.green()), move(color.blue()));
}
