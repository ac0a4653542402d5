#pragma once

#include <QtGlobal>

#include <optional>

// The shape the export gives a stretch, for hearing it before saving: a
// linear fade-in from silence at its first frame, a linear fade-out to
// silence at its end (as libavfilter's afade draws them) and a gain. Frames
// before the stretch play as they are; after it they are silent when it
// fades out, so the fade ends in silence as the ringtone does.
struct Envelope
{
    qint64 beginFrame = 0;
    qint64 endFrame = 0;
    qint64 fadeInFrames = 0;
    qint64 fadeOutFrames = 0;
    double gain = 1.0;
    bool active = false;

    // A year: more than any working file holds, and small enough that no
    // count of frames below can overflow at any rate a WAV header can name.
    static constexpr qint64 MaxMs = 366LL * 24 * 3600 * 1000;
    static constexpr double MaxGainDb = 96.0;

    // Times in milliseconds at a sample rate; the gain in dB. Fades longer
    // than the stretch are cut to it. Nothing when a time lies outside
    // 0..MaxMs, the end comes before the begin, the rate is not positive or
    // the gain lies beyond +-MaxGainDb.
    static std::optional<Envelope> fromMs(qint64 beginMs, qint64 endMs, qint64 fadeInMs,
                                          qint64 fadeOutMs, double gainDb, int sampleRate);

    double at(qint64 frame) const
    {
        if (!active || frame < beginFrame)
            return 1.0;
        if (frame >= endFrame)
            return fadeOutFrames > 0 ? 0.0 : 1.0;
        double g = gain;
        const qint64 fromStart = frame - beginFrame;
        const qint64 toEnd = endFrame - 1 - frame;
        if (fromStart < fadeInFrames)
            g *= double(fromStart) / double(fadeInFrames);
        if (toEnd < fadeOutFrames)
            g *= double(toEnd) / double(fadeOutFrames);
        return g;
    }
};
