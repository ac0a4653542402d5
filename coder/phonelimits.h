#pragma once

#include "codercommand.h"

#include <QtGlobal>

// What phones make of a ringtone's length. An iPhone plays at most 40 s of
// one, so saving a longer M4R asks whether to keep only the first 40 s.
class PhoneLimits
{
public:
    static constexpr qint64 IphoneSeconds = 40;

    static bool asksToShorten(CoderCommand::Format format, qint64 lengthSeconds);
    // The length to export once the user has answered; keepFirst is the Yes.
    static qint64 exportedLength(CoderCommand::Format format, qint64 lengthSeconds, bool keepFirst);
};
