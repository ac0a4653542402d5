#pragma once

#include "audiosink.h"
#include "coderoptions.h"

#include <cstdio>
#include <string>

// AMR-NB through libopencore-amrnb, written in the "#!AMR\n" storage format:
// the magic line, then one frame per 20 ms (160 samples at 8000 Hz, mono).
class AmrNbSink : public AudioSink
{
public:
    AmrNbSink(const std::string &file, const std::string &target, const CoderOptions &options);
    ~AmrNbSink() override;
    AmrNbSink(const AmrNbSink &) = delete;
    AmrNbSink &operator=(const AmrNbSink &) = delete;

    AVSampleFormat sampleFormat() const override { return AV_SAMPLE_FMT_S16; }
    int sampleRate() const override { return 8000; }
    const AVChannelLayout &channelLayout() const override { return m_layout; }
    int frameSize() const override { return 160; }
    std::string description() const override;

    void write(const AVFrame *frame) override;
    void finish() override;
    long long bytesWritten() const override { return m_bytes; }

private:
    void put(const void *data, std::size_t size);

    std::string m_target;
    AVChannelLayout m_layout = AV_CHANNEL_LAYOUT_MONO;
    std::FILE *m_file = nullptr;
    void *m_encoder = nullptr;
    int m_mode = 0;
    long long m_bytes = 0;
};

// The AMR-NB mode for a bit rate: the fastest of the eight that does not
// exceed it (7400 gives the 7.4 kbit/s mode); below 4750 it is an error.
int amrNbModeFor(long bitRate);
