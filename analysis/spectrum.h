#pragma once

#include <vector>

struct AVTXContext;

// Magnitude spectra of real frames of one fixed size (a power of two, at
// least 16, a multiple of 16) under a Hann window, through libavutil's real FFT.
class Spectrum
{
public:
    explicit Spectrum(int size);
    ~Spectrum();
    Spectrum(const Spectrum &) = delete;
    Spectrum &operator=(const Spectrum &) = delete;

    int size() const { return m_size; }
    int bins() const { return m_size / 2 + 1; }
    // Magnitudes of size() samples into bins() values.
    void magnitudes(const float *samples, float *out);

private:
    static int checkedSize(int size);
    int m_size;
    AVTXContext *m_context = nullptr;
    void (*m_transform)(AVTXContext *, void *, void *, long) = nullptr;
    std::vector<float> m_window;
    // The transform's SIMD code wants its buffers aligned as av_malloc does.
    float *m_input = nullptr;
    float *m_output = nullptr; // interleaved complex
};
