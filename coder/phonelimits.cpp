#include "phonelimits.h"

bool PhoneLimits::asksToShorten(const QString &target, qint64 lengthMs)
{
    return target.right(3).compare(QLatin1String("m4r"), Qt::CaseInsensitive) == 0 &&
           lengthMs > IphoneMs;
}

qint64 PhoneLimits::exportedLength(const QString &target, qint64 lengthMs, bool keepFirst)
{
    return keepFirst && asksToShorten(target, lengthMs) ? IphoneMs : lengthMs;
}
