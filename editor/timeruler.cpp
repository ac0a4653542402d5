#include "timeruler.h"

#include <algorithm>
#include <cmath>

namespace TimeRuler {

const QList<qint64> &steps()
{
    constexpr qint64 S = 1000, M = 60 * S, H = 60 * M;
    static const QList<qint64> all{1,     5,     10,    50,     100,    500,    S,
                                   5 * S, 10 * S, 30 * S, M,     5 * M,  10 * M, 30 * M,
                                   H,     2 * H, 6 * H, 12 * H, 24 * H, 48 * H, 96 * H};
    return all;
}

QString label(qint64 ms, qint64 stepMs, qint64 viewEndMs)
{
    const qint64 whole = ms / 1000;
    const qint64 hours = whole / 3600, minutes = whole / 60 % 60, seconds = whole % 60;
    QString text = viewEndMs >= 3600 * 1000
                       ? QStringLiteral("%1:%2:%3")
                             .arg(hours)
                             .arg(minutes, 2, 10, QLatin1Char('0'))
                             .arg(seconds, 2, 10, QLatin1Char('0'))
                       : QStringLiteral("%1:%2").arg(whole / 60).arg(seconds, 2, 10, QLatin1Char('0'));
    // 500 and 100 ms steps need tenths, 50 and 10 hundredths, 5 and 1 thousandths.
    const int decimals = stepMs >= 1000 ? 0 : stepMs >= 100 ? 1 : stepMs >= 10 ? 2 : 3;
    if (decimals > 0) {
        const QString fraction = QStringLiteral("%1").arg(ms % 1000, 3, 10, QLatin1Char('0'));
        text += u'.' + fraction.left(decimals);
    }
    return text;
}

Scale scale(qint64 beginMs, qint64 endMs, int widthPx,
            const std::function<int(const QString &)> &textWidth)
{
    if (endMs <= beginMs || widthPx <= 0)
        return {};
    const double pxPerMs = double(widthPx) / double(endMs - beginMs);
    for (const qint64 step : steps()) {
        const double stepPx = double(step) * pxPerMs;
        // Too fine for any label: skipped before its (many) ticks are made.
        if (stepPx < LabelGap + 1)
            continue;
        Scale candidate{step, {}};
        int widest = 0;
        for (qint64 t = (beginMs + step - 1) / step * step; t <= endMs; t += step) {
            Tick tick{t, int(std::lround(double(t - beginMs) * pxPerMs)), label(t, step, endMs)};
            const int width = textWidth(tick.label);
            widest = std::max(widest, width);
            if (tick.x + width > widthPx)
                tick.label.clear();
            candidate.ticks.append(tick);
        }
        // Rounding may bring two ticks a pixel closer than the step.
        if (widest + LabelGap + 1 <= stepPx)
            return candidate;
    }
    return {};
}

} // namespace TimeRuler
