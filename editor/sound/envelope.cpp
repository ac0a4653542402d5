#include "envelope.h"

#include <cmath>

Envelope Envelope::fromMs(qint64 beginMs, qint64 endMs, qint64 fadeInMs, qint64 fadeOutMs,
                          double gainDb, int sampleRate)
{
    auto frames = [sampleRate](qint64 ms) { return std::llround(double(ms) * sampleRate / 1000.0); };
    Envelope e;
    e.beginFrame = frames(beginMs);
    e.endFrame = std::max(e.beginFrame, frames(endMs));
    e.fadeInFrames = std::min(frames(std::max<qint64>(0, fadeInMs)), e.endFrame - e.beginFrame);
    e.fadeOutFrames = std::min(frames(std::max<qint64>(0, fadeOutMs)), e.endFrame - e.beginFrame);
    e.gain = std::pow(10.0, gainDb / 20.0);
    e.active = true;
    return e;
}
