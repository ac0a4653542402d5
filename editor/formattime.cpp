#include "formattime.h"

#include <cmath>

namespace {

QString twoDigits(qint64 n)
{
    QString text = QString::number(n);
    return text.size() < 2 ? QLatin1Char('0') + text : text;
}

} // namespace

QString FormatTime(qint32 seconds)
{
    const qint64 s = seconds;
    const qint64 hours = static_cast<qint64>(std::floor(s / 3600.0));
    const qint64 minutes = (s % 3600) / 60;
    const qint64 secs = (s % 3600) % 60;
    return twoDigits(hours) + QLatin1Char(':') + twoDigits(minutes) + QLatin1Char(':')
        + twoDigits(secs);
}

QString formatTimeMs(qint64 milliSeconds)
{
    const qint64 ms = milliSeconds % 1000;
    QString text = FormatTime(static_cast<qint32>(milliSeconds / 1000));
    if (ms == 0)
        return text;
    QString fraction = QStringLiteral("%1").arg(ms < 0 ? -ms : ms, 3, 10, QLatin1Char('0'));
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    return text + QLatin1Char('.') + fraction;
}

qint64 roundSecondsHalfEven(double value)
{
    // The default floating-point rounding mode is to nearest, ties to even.
    return static_cast<qint64>(std::nearbyint(value));
}
