#pragma once

// What the editing benchmarks share: a sound device that says the song is an
// hour long and stands at 30 minutes, and a stopwatch for one step.

#include "sound/soundcommands.h"

#include <QElapsedTimer>
#include <functional>

class HourDevice : public SoundCommands
{
public:
    QString send(const QString &command) override
    {
        if (command == QLatin1String("status sound length"))
            return QStringLiteral("3600000");
        if (command == QLatin1String("status sound position"))
            return QStringLiteral("1800000");
        return {};
    }
};

// The milliseconds one step takes.
inline double timed(const std::function<void()> &step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    return timer.nsecsElapsed() / 1e6;
}
