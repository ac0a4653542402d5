#include "peakmetersink.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

PeakMeterSink::PeakMeterSink(int sourceRate, const AVChannelLayout &sourceLayout)
    : m_rate(sourceRate)
{
    av_channel_layout_copy(&m_layout, &sourceLayout);
}

PeakMeterSink::~PeakMeterSink()
{
    av_channel_layout_uninit(&m_layout);
}

void PeakMeterSink::write(const AVFrame *frame)
{
    const auto *samples = reinterpret_cast<const float *>(frame->data[0]);
    const long count = long(frame->nb_samples) * frame->ch_layout.nb_channels;
    float peak = m_peak;
    for (long i = 0; i < count; ++i)
        peak = std::max(peak, std::fabs(samples[i]));
    m_peak = peak;
}

void PeakMeterSink::finish()
{
    std::fprintf(stderr, "%s\n", peakLine(m_peak).c_str());
}

std::string PeakMeterSink::peakLine(float peak)
{
    if (!(peak > 0.0f))
        return "max_volume: -inf dB";
    char text[64];
    std::snprintf(text, sizeof text, "max_volume: %.2f dB", 20.0 * std::log10(double(peak)));
    return text;
}
