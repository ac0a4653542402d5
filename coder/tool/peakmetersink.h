#pragma once

#include "audiosink.h"

// The sink of "-f null": writes nothing and, at the end, prints the stretch's
// highest sample as "max_volume: -5.53 dB" (dB below full scale, as ffmpeg's
// volumedetect says it). A normaliser runs it first and sets its gain from it.
class PeakMeterSink : public AudioSink
{
public:
    PeakMeterSink(int sourceRate, const AVChannelLayout &sourceLayout);
    ~PeakMeterSink() override;
    PeakMeterSink(const PeakMeterSink &) = delete;
    PeakMeterSink &operator=(const PeakMeterSink &) = delete;

    AVSampleFormat sampleFormat() const override { return AV_SAMPLE_FMT_FLT; }
    int sampleRate() const override { return m_rate; }
    const AVChannelLayout &channelLayout() const override { return m_layout; }
    int frameSize() const override { return 0; }
    std::string description() const override { return "null, peak meter"; }

    void write(const AVFrame *frame) override;
    void finish() override;
    long long bytesWritten() const override { return 0; }

    // The highest absolute sample so far, 1.0 = full scale.
    float peak() const { return m_peak; }
    // "max_volume: X dB", or "-inf" for silence.
    static std::string peakLine(float peak);

private:
    int m_rate = 0;
    AVChannelLayout m_layout{};
    float m_peak = 0.0f;
};
