#include "envelope.h"

#include <algorithm>
#include <cmath>

std::optional<Envelope> Envelope::fromMs(qint64 beginMs, qint64 endMs, qint64 fadeInMs,
                                         qint64 fadeOutMs, double gainDb, int sampleRate)
{
    const auto inRange = [](qint64 ms) { return ms >= 0 && ms <= MaxMs; };
    if (!inRange(beginMs) || !inRange(endMs) || !inRange(fadeInMs) || !inRange(fadeOutMs) ||
        endMs < beginMs || sampleRate <= 0 || !(std::abs(gainDb) <= MaxGainDb))
        return std::nullopt;
    // MaxMs at the highest rate an int holds stays far inside 64 bits.
    auto frames = [sampleRate](qint64 ms) { return std::llround(double(ms) * sampleRate / 1000.0); };
    Envelope e;
    e.beginFrame = frames(beginMs);
    e.endFrame = std::max(e.beginFrame, frames(endMs));
    e.fadeInFrames = std::min(frames(fadeInMs), e.endFrame - e.beginFrame);
    e.fadeOutFrames = std::min(frames(fadeOutMs), e.endFrame - e.beginFrame);
    e.gain = std::pow(10.0, gainDb / 20.0);
    e.active = true;
    return e;
}
