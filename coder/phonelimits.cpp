#include "phonelimits.h"

bool PhoneLimits::asksToShorten(CoderCommand::Format format, qint64 lengthSeconds)
{
    return format == CoderCommand::Format::M4r && lengthSeconds > IphoneSeconds;
}

qint64 PhoneLimits::exportedLength(CoderCommand::Format format, qint64 lengthSeconds,
                                   bool keepFirst)
{
    return keepFirst && asksToShorten(format, lengthSeconds) ? IphoneSeconds : lengthSeconds;
}
