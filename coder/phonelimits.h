#pragma once

#include <QString>
#include <QtGlobal>

// What phones make of a ringtone's length. An iPhone plays at most 40 s of
// one, so saving a longer M4R asks whether to keep only the first 40 s.
class PhoneLimits
{
public:
    static constexpr qint64 IphoneSeconds = 40;
    static constexpr qint64 IphoneMs = IphoneSeconds * 1000;

    // The target's format is read as the export reads it: its last three
    // characters, in any case.
    static bool asksToShorten(const QString &target, qint64 lengthMs);
    // The length to export once the user has answered; keepFirst is the Yes.
    static qint64 exportedLength(const QString &target, qint64 lengthMs, bool keepFirst);
};
