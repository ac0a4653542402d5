#include "audiofeatures.h"

#include "spectrum.h"
#include "wavreader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>

struct FeatureExtractor::Spectra {
    Spectrum onset{FeatureExtractor::OnsetSize};
    Spectrum chroma{FeatureExtractor::ChromaSize};
};

namespace {

constexpr double AnalysisRate = 11025.0;
// Pitches from E2 to about B7 carry the harmony; lower bins smear across
// classes, higher ones are mostly overtones and cymbals.
constexpr double LowestHz = 80.0;
constexpr double HighestHz = 4000.0;

// log(1 + x) for x >= 0 to about float precision, several times quicker than
// log1pf: the onset curve takes one for every bin of every frame.
float logOnePlus(float x)
{
    const float y = 1.0f + x;
    // y = 2^e * m with m in [sqrt(1/2), sqrt(2)), where the series below
    // converges fast.
    const auto bits = std::bit_cast<std::int32_t>(y);
    const std::int32_t e = (bits - 0x3f3504f3) >> 23;
    const float m = std::bit_cast<float>(bits - (e << 23));
    const float t = (m - 1.0f) / (m + 1.0f);
    const float t2 = t * t;
    const float series =
        1.0f + t2 * (1.0f / 3 + t2 * (1.0f / 5 + t2 * (1.0f / 7 + t2 * (1.0f / 9))));
    return float(e) * std::numbers::ln2_v<float> + 2.0f * t * series;
}

} // namespace

FeatureExtractor::FeatureExtractor(int sampleRate)
    : m_factor(std::max(1, static_cast<int>(std::lround(sampleRate / AnalysisRate)))),
      m_rate(static_cast<double>(sampleRate) / m_factor),
      m_lastLog(OnsetSize / 2, 0.0f), m_magnitudes(ChromaSize / 2 + 1),
      m_pitchClass(ChromaSize / 2 + 1, -1), m_spectra(new Spectra)
{
    for (int k = 1; k <= ChromaSize / 2; ++k) {
        const double hz = k * m_rate / ChromaSize;
        if (hz < LowestHz || hz > std::min(HighestHz, m_rate / 2 * 0.9))
            continue;
        const long midi = std::lround(69.0 + 12.0 * std::log2(hz / 440.0));
        m_pitchClass[k] = static_cast<int>(((midi % 12) + 12) % 12);
    }
    m_features.onsetRate = m_rate / OnsetHop;
    m_features.chromaRate = m_rate / ChromaHop;
}

FeatureExtractor::~FeatureExtractor()
{
    delete m_spectra;
}

void FeatureExtractor::push(const float *samples, std::size_t count)
{
    m_sourceSamples += count;
    // A box filter before dropping samples: crude, but what folds down lies
    // above the pitch range read and is mostly noise there.
    std::size_t i = 0;
    for (; m_accumulatedCount > 0 && i < count; ++i) {
        // The rest of a group the last block began.
        m_accumulated += samples[i];
        if (++m_accumulatedCount == m_factor) {
            m_buffer.push_back(static_cast<float>(m_accumulated / m_factor));
            m_accumulated = 0.0;
            m_accumulatedCount = 0;
        }
    }
    const std::size_t whole = (count - i) / m_factor;
    const std::size_t at = m_buffer.size();
    m_buffer.resize(at + whole);
    for (std::size_t g = 0; g < whole; ++g, i += m_factor) {
        double sum = 0.0;
        for (int j = 0; j < m_factor; ++j)
            sum += samples[i + j];
        m_buffer[at + g] = static_cast<float>(sum / m_factor);
    }
    for (; i < count; ++i) {
        m_accumulated += samples[i];
        ++m_accumulatedCount;
    }
    if (m_buffer.size() >= 8 * ChromaSize)
        process();
}

void FeatureExtractor::process()
{
    const std::size_t end = m_bufferStart + m_buffer.size();
    std::vector<float> &onsetMags = m_magnitudes;
    while (m_nextOnset + OnsetSize <= end) {
        m_spectra->onset.magnitudes(&m_buffer[m_nextOnset - m_bufferStart], onsetMags.data());
        // Log-compressed rises only: a note starting, not one fading. Loops
        // of fixed length and sums in eight lanes, so the compiler can take
        // the bins several at a time.
        constexpr int Bins = OnsetSize / 2;
        constexpr int Lanes = 8;
        static_assert(Bins % Lanes == 0);
        float levels[Bins];
        for (int k = 0; k < Bins; ++k)
            levels[k] = logOnePlus(100.0f * onsetMags[k + 1]);
        float lanes[Lanes] = {};
        for (int k = 0; k < Bins; k += Lanes) {
            for (int j = 0; j < Lanes; ++j)
                lanes[j] += std::max(0.0f, levels[k + j] - m_lastLog[k + j]);
        }
        std::copy(levels, levels + Bins, m_lastLog.begin());
        float flux = 0.0f;
        for (float lane : lanes)
            flux += lane;
        m_features.onset.push_back(flux);
        m_nextOnset += OnsetHop;
    }
    while (m_nextChroma + ChromaSize <= end) {
        const float *frame = &m_buffer[m_nextChroma - m_bufferStart];
        m_spectra->chroma.magnitudes(frame, m_magnitudes.data());
        Chroma chroma{};
        for (int k = 0; k <= ChromaSize / 2; ++k) {
            if (m_pitchClass[k] >= 0)
                chroma[m_pitchClass[k]] += m_magnitudes[k] * m_magnitudes[k];
        }
        for (float &value : chroma)
            value = std::sqrt(value);
        double power = 0.0;
        for (int i = 0; i < ChromaSize; ++i)
            power += double(frame[i]) * frame[i];
        m_features.chroma.push_back(chroma);
        m_features.levelDb.push_back(
            static_cast<float>(10.0 * std::log10(power / ChromaSize + 1e-10)));
        m_nextChroma += ChromaHop;
    }
    const std::size_t keep = std::min(m_nextOnset, m_nextChroma);
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + (keep - m_bufferStart));
    m_bufferStart = keep;
}

Features FeatureExtractor::finish()
{
    // Silence after the end lets the last frames be taken whole.
    m_buffer.resize(m_buffer.size() + ChromaSize, 0.0f);
    const std::size_t realEnd = m_bufferStart + m_buffer.size() - ChromaSize;
    process();
    const double seconds = static_cast<double>(m_sourceSamples) / (m_rate * m_factor);
    m_features.seconds = seconds;
    // Frames that started past the end hold only the padding.
    while (!m_features.chroma.empty() &&
           (m_features.chroma.size() - 1) * std::size_t(ChromaHop) >= realEnd && realEnd > 0) {
        m_features.chroma.pop_back();
        m_features.levelDb.pop_back();
    }
    while (!m_features.onset.empty() &&
           (m_features.onset.size() - 1) * std::size_t(OnsetHop) >= realEnd && realEnd > 0)
        m_features.onset.pop_back();
    return std::move(m_features);
}

Features featuresOf(const std::vector<float> &mono, int sampleRate)
{
    FeatureExtractor extractor(sampleRate);
    extractor.push(mono.data(), mono.size());
    return extractor.finish();
}

std::optional<Features> featuresOfFile(const QString &path)
{
    WavReader reader;
    if (!reader.open(path) || reader.sampleRate() <= 0)
        return std::nullopt;
    const int channels = reader.outputChannels();
    FeatureExtractor extractor(reader.sampleRate());
    constexpr qint64 Block = 16384;
    std::vector<qint16> raw(Block * channels);
    std::vector<float> mono(Block);
    for (;;) {
        const qint64 frames = reader.readFrames(reinterpret_cast<char *>(raw.data()), Block);
        if (frames <= 0)
            break;
        constexpr float Scale = 1.0f / 32768.0f;
        if (channels == 1) {
            for (qint64 i = 0; i < frames; ++i)
                mono[i] = raw[i] * Scale;
        } else {
            for (qint64 i = 0; i < frames; ++i)
                mono[i] = (raw[2 * i] + raw[2 * i + 1]) * (0.5f * Scale);
        }
        extractor.push(mono.data(), static_cast<std::size_t>(frames));
    }
    return extractor.finish();
}

Chroma meanChroma(const std::vector<Chroma> &frames, std::size_t first, std::size_t last)
{
    Chroma sum{};
    for (std::size_t k = first; k < std::min(last, frames.size()); ++k) {
        for (int c = 0; c < 12; ++c)
            sum[c] += frames[k][c];
    }
    const float top = *std::max_element(sum.begin(), sum.end());
    if (top > 0.0f) {
        for (float &value : sum)
            value /= top;
    }
    return sum;
}
