#include "timerow.h"

#include "formattime.h"

#include <algorithm>

namespace TimeRow {

QString format(qint64 milliSeconds, bool withMs)
{
    const qint64 ms = std::max<qint64>(milliSeconds, 0);
    const QString whole = FormatTime(qint32(ms / 1000));
    if (!withMs)
        return whole;
    return whole + QStringLiteral(".%1").arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

QStringList texts(const QList<qint64> &milliSeconds)
{
    const bool withMs = std::any_of(milliSeconds.cbegin(), milliSeconds.cend(),
                                    [](qint64 ms) { return ms % 1000 != 0; });
    QStringList row;
    row.reserve(milliSeconds.size());
    for (const qint64 ms : milliSeconds)
        row.append(format(ms, withMs));
    return row;
}

int requiredWidth(const std::function<int(const QString &)> &textWidth)
{
    // In a proportional font the digits may differ in width: the cell must
    // hold the longest text written with its widest digit.
    int widest = 0;
    for (char digit = '0'; digit <= '9'; ++digit) {
        QString text = QStringLiteral("00:00:00.000");
        text.replace(u'0', QLatin1Char(digit));
        widest = std::max(widest, textWidth(text));
    }
    return widest;
}

} // namespace TimeRow
