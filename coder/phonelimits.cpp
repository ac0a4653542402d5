#include "phonelimits.h"

bool PhoneLimits::asksToShorten(const QString &target, qint64 lengthSeconds)
{
    return target.right(3).compare(QLatin1String("m4r"), Qt::CaseInsensitive) == 0 &&
           lengthSeconds > IphoneSeconds;
}

qint64 PhoneLimits::exportedLength(const QString &target, qint64 lengthSeconds, bool keepFirst)
{
    return keepFirst && asksToShorten(target, lengthSeconds) ? IphoneSeconds : lengthSeconds;
}
