#pragma once

#include "audiosink.h"
#include "coderoptions.h"
#include "outputformat.h"

#include <cmath>
#include <limits>
#include <string>

// EBU R128 loudness of what passed through libavfilter's ebur128.
struct LoudnessReading {
    double integrated = -70.0; // LUFS; -70 and below is silence
    double range = 0.0;        // LU
    double truePeak = -std::numeric_limits<double>::infinity(); // dBTP

    // "loudness: -14.02 LUFS, range 3.10 LU, true peak -1.52 dBTP"
    std::string line() const;
};

// The sink of a loudness measuring run: the stretch goes through
// "ebur128=peak=true:metadata=1" and this keeps the last reading it carries.
class LoudnessMeterSink : public AudioSink
{
public:
    static constexpr const char *Graph = "ebur128=peak=true:metadata=1";

    LoudnessMeterSink(int rate, const AVChannelLayout &layout, LoudnessReading &reading);
    ~LoudnessMeterSink() override;
    LoudnessMeterSink(const LoudnessMeterSink &) = delete;
    LoudnessMeterSink &operator=(const LoudnessMeterSink &) = delete;

    AVSampleFormat sampleFormat() const override { return AV_SAMPLE_FMT_FLT; }
    int sampleRate() const override { return m_rate; }
    const AVChannelLayout &channelLayout() const override { return m_layout; }
    int frameSize() const override { return 0; }
    std::string description() const override { return "null, loudness meter"; }
    void write(const AVFrame *frame) override;
    void finish() override {}
    long long bytesWritten() const override { return 0; }

private:
    int m_rate;
    AVChannelLayout m_layout{};
    LoudnessReading &m_reading;
};

namespace Loudness {

// The true peak an export may reach, measured on the encoded file.
constexpr double CeilingDbtp = -1.0;
// The lowest true-peak setting loudnorm takes.
constexpr double MinimumCeilingDbtp = -9.0;
// The band an AMR-NB export keeps, at its rate.
constexpr const char *NarrowBand = "aresample=8000,highpass=f=150,lowpass=f=3400";
// How far from the target the encoded file's loudness may land.
constexpr double ToleranceLu = 0.3;

// Reads the loudness of options' input stretch after options' filters.
LoudnessReading measure(const CoderOptions &options);
// The filter of the second pass: loudnorm's linear gain from the first
// pass's reading, or that gain into a limiter where it would push the true
// peak over the ceiling. Squeezing, the gain goes through a compressor into
// the limiter, for a codec whose peaks stand far above its loudness.
std::string normaliser(const LoudnessReading &source, double targetLufs, double ceilingDbtp,
                       bool squeeze = false);
// A -loudness job: measures the stretch, exports it through the normaliser,
// measures the encoded file and, while it misses the target or the ceiling
// (encoders add peaks; narrow codecs lose loudness), exports it again with
// the targets corrected by what was missed, squeezing the crest when plain
// passes do not reach both. A measuring job ("-f null") prints the reading
// only.
void run(const CoderOptions &options, const OutputFormat &format);

} // namespace Loudness
