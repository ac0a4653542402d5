#pragma once

#include "audiosink.h"

#include <memory>
#include <string>

struct AVFilterContext;
struct AVFilterGraph;

// Runs the cut audio through a libavfilter graph ("afade=t=in:d=1,volume=3dB",
// as ffmpeg's -af takes it) before the real sink. It takes packed float at the
// source's rate and layout, so the filters see the stretch as it is; the graph
// ends in whatever the real sink asks for. Timestamps start at 0 at the
// stretch's first sample, so a fade's "st" counts from there.
class FilterSink : public AudioSink
{
public:
    FilterSink(std::unique_ptr<AudioSink> inner, const std::string &graph, int sourceRate,
               const AVChannelLayout &sourceLayout);
    ~FilterSink() override;
    FilterSink(const FilterSink &) = delete;
    FilterSink &operator=(const FilterSink &) = delete;

    AVSampleFormat sampleFormat() const override { return AV_SAMPLE_FMT_FLT; }
    int sampleRate() const override { return m_rate; }
    const AVChannelLayout &channelLayout() const override { return m_layout; }
    int frameSize() const override { return 0; }
    std::string description() const override;

    void write(const AVFrame *frame) override;
    void finish() override;
    long long bytesWritten() const override { return m_inner->bytesWritten(); }
    int fileRate() const override { return m_inner->fileRate(); }
    long long fileSamples(long long) const override { return m_inner->fileSamples(m_outSamples); }

private:
    void open(const AVChannelLayout &sourceLayout);
    void release();
    void pull();
    [[noreturn]] void fail(const std::string &what, int code) const;

    std::unique_ptr<AudioSink> m_inner;
    std::string m_graphText;
    int m_rate = 0;
    AVChannelLayout m_layout{};
    AVFilterGraph *m_graph = nullptr;
    AVFilterContext *m_source = nullptr;
    AVFilterContext *m_sink = nullptr;
    AVFrame *m_out = nullptr;
    long long m_outSamples = 0;
    bool m_finished = false;
};
