#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// What a media file really holds, read with libavformat/libavcodec: the
// first audio stream's codec and shape, and all of its audio decoded and
// mixed to mono.
struct MediaInfo {
    QString error; // empty when the file could be read
    QString container;
    QString codec;
    int sampleRate = 0;
    int channels = 0;
    std::int64_t bitRate = 0;
    bool hasVideo = false;
    QString title; // the container's or the stream's title tag
    std::vector<float> samples;

    double seconds() const { return sampleRate > 0 ? double(samples.size()) / sampleRate : 0.0; }
    // Upward zero crossings per second over [from, from + length) seconds.
    double frequency(double from, double length) const;
};

MediaInfo probeMedia(const QString &path);

// 16-bit PCM WAV; `sample(index, channel)` gives each value.
bool writeWav(const QString &path, int rate, int channels, std::int64_t frames,
              const std::function<std::int16_t(std::int64_t, int)> &sample);

// A sine of amplitude 0.5 whose frequency may change over time.
bool writeToneWav(const QString &path, int rate, int channels, double seconds,
                  const std::function<double(double)> &frequencyAt);
