#include "spectrum.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/tx.h>
}

#include <cmath>
#include <numbers>
#include <new>
#include <stdexcept>

Spectrum::Spectrum(int size)
    : m_size(size), m_window(size),
      m_input(static_cast<float *>(av_malloc(sizeof(float) * size))),
      m_output(static_cast<float *>(av_malloc(sizeof(float) * (size + 2))))
{
    if (!m_input || !m_output)
        throw std::bad_alloc();
    float scale = 1.0f;
    av_tx_fn fn = nullptr;
    if (av_tx_init(&m_context, &fn, AV_TX_FLOAT_RDFT, 0, size, &scale, 0) < 0)
        throw std::runtime_error("no FFT of this size");
    m_transform = reinterpret_cast<void (*)(AVTXContext *, void *, void *, long)>(fn);
    for (int i = 0; i < size; ++i)
        m_window[i] = 0.5f - 0.5f * std::cos(2.0f * std::numbers::pi_v<float> * i / size);
}

Spectrum::~Spectrum()
{
    av_tx_uninit(&m_context);
    av_free(m_input);
    av_free(m_output);
}

void Spectrum::magnitudes(const float *samples, float *out)
{
    for (int i = 0; i < m_size; ++i)
        m_input[i] = samples[i] * m_window[i];
    m_transform(m_context, m_output, m_input, sizeof(float));
    for (int k = 0; k < bins(); ++k)
        out[k] = std::hypot(m_output[2 * k], m_output[2 * k + 1]);
}
