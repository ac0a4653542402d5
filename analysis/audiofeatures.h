#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

// Energy of the twelve pitch classes, C first.
using Chroma = std::array<float, 12>;

// What the chooser knows of a recording, at two fixed hops: an onset
// strength curve for the beat tracker, and chroma with the level for the
// harmony and loudness of each stretch.
struct Features {
    double seconds = 0.0;
    double onsetRate = 0.0;     // onset values per second
    std::vector<float> onset;   // spectral flux; value j centres on onsetTime(j)
    double chromaRate = 0.0;    // chroma frames per second
    std::vector<Chroma> chroma; // frame k centres on chromaTime(k)
    std::vector<float> levelDb; // RMS level of each chroma frame, dBFS

    double onsetTime(std::size_t j) const { return (j + 2.0) / onsetRate; }
    double chromaTime(std::size_t k) const { return (k + 1.0) / chromaRate; }
};

// Takes a mono signal in blocks of any size, keeping only what the next
// frames need, so a file of hours costs no more memory than its features.
class FeatureExtractor
{
public:
    static constexpr int OnsetSize = 512;
    static constexpr int OnsetHop = 128;
    static constexpr int ChromaSize = 4096;
    static constexpr int ChromaHop = 2048;

    explicit FeatureExtractor(int sampleRate);
    ~FeatureExtractor();

    void push(const float *samples, std::size_t count);
    Features finish();

    // The rate the frames are taken at: the source's, divided down to about
    // 11 kHz (harmony and beats live well below 5 kHz).
    double analysisRate() const { return m_rate; }

private:
    void process();

    int m_factor = 1;
    double m_rate = 0.0;
    double m_accumulated = 0.0;
    int m_accumulatedCount = 0;
    std::size_t m_sourceSamples = 0;
    std::vector<float> m_buffer;   // decimated, from m_bufferStart on
    std::size_t m_bufferStart = 0; // absolute index of m_buffer[0]
    std::size_t m_nextOnset = 0;   // absolute start of the next onset frame
    std::size_t m_nextChroma = 0;
    std::vector<float> m_lastLog; // of onset bins 1 to OnsetSize / 2
    std::vector<float> m_magnitudes;
    std::vector<int> m_pitchClass; // per chroma bin; -1 outside the range used
    struct Spectra;
    Spectra *m_spectra;
    Features m_features;
};

// The features of a whole signal in memory.
Features featuresOf(const std::vector<float> &mono, int sampleRate);
// Streams a WAV file (any form the sound channel plays) mixed to mono;
// nothing when it cannot be read.
std::optional<Features> featuresOfFile(const QString &path);
// The mean chroma of frames [first, last), scaled to a largest value of 1.
Chroma meanChroma(const std::vector<Chroma> &frames, std::size_t first, std::size_t last);
