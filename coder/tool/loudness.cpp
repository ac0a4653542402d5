#include "loudness.h"

#include "transcoder.h"

extern "C" {
#include <libavutil/dict.h>
}

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string LoudnessReading::line() const
{
    char text[160];
    std::snprintf(text, sizeof text, "loudness: %.2f LUFS, range %.2f LU, true peak %.2f dBTP",
                  integrated, range, truePeak);
    return text;
}

LoudnessMeterSink::LoudnessMeterSink(int rate, const AVChannelLayout &layout,
                                     LoudnessReading &reading)
    : m_rate(rate), m_reading(reading)
{
    av_channel_layout_copy(&m_layout, &layout);
}

LoudnessMeterSink::~LoudnessMeterSink()
{
    av_channel_layout_uninit(&m_layout);
}

void LoudnessMeterSink::write(const AVFrame *frame)
{
    // The filter sets its running values on the frames it measured; the
    // last ones cover the whole stretch.
    const AVDictionaryEntry *entry = nullptr;
    while ((entry = av_dict_get(frame->metadata, "lavfi.r128.", entry, AV_DICT_IGNORE_SUFFIX))) {
        const char *key = entry->key + std::strlen("lavfi.r128.");
        const double value = std::strtod(entry->value, nullptr);
        if (std::strcmp(key, "I") == 0) {
            m_reading.integrated = value;
        } else if (std::strcmp(key, "LRA") == 0) {
            m_reading.range = value;
        } else if (std::strncmp(key, "true_peaks_ch", 13) == 0) {
            // Linear and the highest so far, per channel.
            const double db = value > 0.0 ? 20.0 * std::log10(value)
                                           : -std::numeric_limits<double>::infinity();
            m_reading.truePeak = std::max(m_reading.truePeak, db);
        }
    }
}

namespace Loudness {

namespace {

std::string joined(const std::string &graph, const std::string &filter)
{
    return graph.empty() ? filter : graph + "," + filter;
}

LoudnessReading measureWith(CoderOptions options)
{
    options.nullOutput = true;
    options.output = "-";
    options.filters = joined(options.filters, LoudnessMeterSink::Graph);
    LoudnessReading reading;
    OutputFormat null;
    null.extension = "null";
    Transcoder(options, null, [&reading](int rate, const AVChannelLayout &layout) {
        return std::make_unique<LoudnessMeterSink>(rate, layout, reading);
    }).run();
    return reading;
}

} // namespace

LoudnessReading measure(const CoderOptions &options)
{
    return measureWith(options);
}

std::string normaliser(const LoudnessReading &source, double targetLufs, double ceilingDbtp,
                       bool squeeze)
{
    char text[320];
    const double gain = targetLufs - source.integrated;
    const double ceiling = std::max(MinimumCeilingDbtp, ceilingDbtp);
    if (squeeze) {
        // A compressor before the limiter lowers the crest the encoder
        // gets; its threshold follows the limiter's, so moving the gain and
        // the limiter together only scales the output.
        std::snprintf(text, sizeof text,
                      "volume=%.2fdB,acompressor=threshold=%.5f:ratio=4:attack=2:release=50:"
                      "makeup=2,alimiter=limit=%.4f:attack=1:release=50:level=false",
                      gain, std::pow(10.0, (ceiling - 7.0) / 20.0), std::pow(10.0, ceiling / 20.0));
    } else if (source.truePeak + gain <= ceilingDbtp) {
        // Plain gain: loudnorm keeps to it when every measured value is
        // given (the threshold serves nothing else there, the range only the
        // choice of mode, so a wide allowed range keeps it linear).
        std::snprintf(text, sizeof text,
                      "loudnorm=I=%.2f:TP=%.2f:LRA=50:measured_I=%.2f:measured_TP=%.2f:"
                      "measured_LRA=%.2f:measured_thresh=%.2f:offset=0:linear=true:"
                      "print_format=none",
                      targetLufs, ceiling, source.integrated,
                      std::min(source.truePeak, 99.0), std::max(source.range, 0.1),
                      source.integrated - 10.0);
    } else {
        // The gain would lift the peaks over the ceiling: the same gain into
        // a limiter, whose output grows steadily with the gain (loudnorm's
        // own dynamic mode does not, which defeats correcting it).
        std::snprintf(text, sizeof text,
                      "volume=%.2fdB,alimiter=limit=%.4f:attack=1:release=50:level=false", gain,
                      std::pow(10.0, ceiling / 20.0));
    }
    return text;
}

void run(const CoderOptions &requested, const OutputFormat &format)
{
    // A narrowband codec keeps only the telephone band at 8 kHz: the level
    // is set on what it keeps, or the loudness of the sounds it drops is
    // counted and the limiter works on peaks that never reach it.
    CoderOptions options = requested;
    if (format.amrNb && !options.nullOutput)
        options.filters = joined(options.filters, NarrowBand);
    const LoudnessReading source = measure(options);
    if (options.nullOutput) {
        std::fprintf(stderr, "%s\n", source.line().c_str());
        return;
    }
    const double target = *options.loudness;
    if (source.integrated <= -70.0) {
        // Silence has no loudness to bring anywhere.
        Transcoder(options, format).run();
        return;
    }
    double aim = target;
    // Lossy encoders overshoot the true peak a little; start below it.
    const double firstCeiling = CeilingDbtp - (format.codec.rfind("pcm", 0) == 0 ? 0.1 : 0.5);
    double ceiling = firstCeiling;
    double trim = 0.0;
    LoudnessReading result;
    auto filtersFor = [&](double aimAt, double ceilingAt, double trimBy, bool squeezing) {
        std::string filters =
            joined(options.filters, normaliser(source, aimAt, ceilingAt, squeezing));
        if (trimBy < 0.0)
            filters += ",volume=" + std::to_string(trimBy) + "dB";
        return filters;
    };
    // How far an encoded file is from its goals; 0 when it meets them.
    auto miss = [&](const LoudnessReading &reading) {
        return std::max(0.0, std::abs(reading.integrated - target) - ToleranceLu) +
               std::max(0.0, reading.truePeak - (CeilingDbtp - 0.1));
    };
    struct Pass {
        std::string filters;
        double miss = 0.0;
        LoudnessReading result;
        double aim = 0.0, ceiling = 0.0, trim = 0.0;
    };
    Pass best;
    // Plain passes first: gain, and a limiter where the peaks need one.
    // When they miss, the codec's peaks stand too far above its loudness
    // (AMR's do on music): the passes after squeeze the crest.
    constexpr int PlainPasses = 8;
    constexpr double MaximumSqueezeDb = 6.0;
    constexpr int Passes = 14;
    bool squeezing = false;
    bool stuck = false;
    for (int attempt = 0; attempt < Passes; ++attempt) {
        if (!squeezing && (attempt >= PlainPasses || stuck)) {
            squeezing = true;
            aim = best.aim;
            ceiling = best.ceiling;
            trim = best.trim;
        }
        CoderOptions pass = options;
        pass.filters = filtersFor(aim, ceiling, trim, squeezing);
        Transcoder(pass, format).run();
        CoderOptions check;
        check.input = options.output;
        result = measureWith(check);
        if (best.filters.empty() || miss(result) < best.miss)
            best = {pass.filters, miss(result), result, aim, ceiling, trim};
        const bool loudnessOk = std::abs(result.integrated - target) <= ToleranceLu;
        // A tenth of a dB to spare: other decoders of the same file differ
        // by about that in the peak between samples.
        const bool peakOk = result.truePeak <= CeilingDbtp - 0.1;
        if (loudnessOk && peakOk)
            break;
        if (squeezing) {
            // Gain and limiter moved together move the output by as much;
            // a peak that would then stand over the ceiling takes the
            // limiter lower and the gain higher, squeezing harder.
            const double shift = target - result.integrated;
            const double over = std::max(0.0, result.truePeak + shift - (CeilingDbtp - 0.3));
            const double next = std::clamp(ceiling + shift - over, MinimumCeilingDbtp, firstCeiling);
            // Past a few dB into the limiter the codec's peaks stay where
            // they are and only the distortion grows.
            aim = std::min(aim + next - ceiling + 2.0 * over, next + MaximumSqueezeDb);
            ceiling = next;
            continue;
        }
        if (!loudnessOk) {
            // loudnorm takes -70 to -5 LUFS; a codec that loses more than
            // that (AMR on some music) ends as loud as it can be made.
            const double next = std::clamp(aim + target - result.integrated, -70.0, -5.0);
            stuck = next == aim && peakOk;
            aim = next;
        }
        // Over the ceiling: the limiter is set lower, and once it is as low
        // as it goes, the codec itself makes the peaks (AMR does) and only
        // less level helps.
        if (!peakOk && ceiling > MinimumCeilingDbtp)
            ceiling = std::max(MinimumCeilingDbtp, ceiling - (result.truePeak - CeilingDbtp + 0.3));
        else if (!peakOk)
            trim -= result.truePeak - CeilingDbtp + 0.3;
    }
    if (miss(result) > best.miss) {
        // The corrections went past an earlier pass that came closer (a
        // codec's peaks jump from pass to pass): that one is written again;
        // the encoders are deterministic, so it measures the same.
        CoderOptions pass = options;
        pass.filters = best.filters;
        Transcoder(pass, format).run();
        result = best.result;
    }
    std::fprintf(stderr, "%s\n", result.line().c_str());
}

} // namespace Loudness
