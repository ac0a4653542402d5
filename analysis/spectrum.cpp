#include "spectrum.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/tx.h>
}

#include <cmath>
#include <numbers>
#include <new>
#include <stdexcept>

namespace {

constexpr int Block = 8; // the size is a multiple of twice this

// The loops go in blocks of a fixed length over pointers that alias nothing:
// the compiler takes each block at once.
void windowed(const float *__restrict samples, const float *__restrict window,
              float *__restrict out, int size)
{
    for (int i = 0; i < size; i += Block) {
        for (int j = 0; j < Block; ++j)
            out[i + j] = samples[i + j] * window[i + j];
    }
}

// Frames of samples in [-1, 1] cannot overflow the squares: no need for
// hypot's care, which costs several times as much.
void magnitudesOf(const float *__restrict spectrum, float *__restrict out, int size)
{
    for (int k = 0; k < size / 2; k += Block) {
        for (int j = 0; j < Block; ++j) {
            const float re = spectrum[2 * (k + j)];
            const float im = spectrum[2 * (k + j) + 1];
            out[k + j] = std::sqrt(re * re + im * im);
        }
    }
    const float re = spectrum[size];
    const float im = spectrum[size + 1];
    out[size / 2] = std::sqrt(re * re + im * im);
}

} // namespace

int Spectrum::checkedSize(int size)
{
    if (size < 2 * Block || size % (2 * Block) != 0)
        throw std::invalid_argument("FFT size not a multiple of the block");
    return size;
}

Spectrum::Spectrum(int size)
    : m_size(checkedSize(size)), m_window(size),
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
    windowed(samples, m_window.data(), m_input, m_size);
    m_transform(m_context, m_output, m_input, sizeof(float));
    magnitudesOf(m_output, out, m_size);
}
