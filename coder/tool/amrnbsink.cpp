#include "amrnbsink.h"

#include "codererror.h"

#include <opencore-amrnb/interf_enc.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace
{

constexpr std::array<long, 8> modeRates = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200};

} // namespace

int amrNbModeFor(long bitRate)
{
    int mode = -1;
    for (std::size_t i = 0; i < modeRates.size(); ++i) {
        if (modeRates[i] <= bitRate)
            mode = static_cast<int>(i);
    }
    return mode;
}

AmrNbSink::AmrNbSink(const std::string &file, const std::string &target,
                     const CoderOptions &options)
    : m_target(target)
{
    if (options.codec && *options.codec != "libopencore_amrnb" && *options.codec != "amr_nb")
        throw CoderError{target, "a .amr file cannot hold " + *options.codec};
    if (options.sampleRate && *options.sampleRate != 8000)
        throw CoderError{target, "AMR-NB is 8000 Hz only"};
    if (options.channels && *options.channels != 1)
        throw CoderError{target, "AMR-NB is mono only"};
    m_mode = amrNbModeFor(options.bitRate.value_or(12200));
    if (m_mode < 0)
        throw CoderError{target, "AMR-NB needs a bit rate of at least 4.75k"};

    m_file = std::fopen(file.c_str(), "wb");
    if (!m_file)
        throw CoderError{target, std::strerror(errno)};
    m_encoder = Encoder_Interface_init(0);
    if (!m_encoder) {
        std::fclose(m_file);
        m_file = nullptr;
        throw CoderError{target, "cannot start the AMR-NB encoder"};
    }
    put("#!AMR\n", 6);
}

AmrNbSink::~AmrNbSink()
{
    if (m_encoder)
        Encoder_Interface_exit(m_encoder);
    if (m_file)
        std::fclose(m_file);
}

std::string AmrNbSink::description() const
{
    return "amr, AMR-NB " + std::to_string(modeRates[static_cast<std::size_t>(m_mode)]) +
           " bit/s, 8000 Hz, 1 channel(s)";
}

void AmrNbSink::write(const AVFrame *frame)
{
    if (!frame)
        return;
    // The last frame may be short: pad it with silence to a whole 20 ms.
    std::array<short, 160> speech{};
    const int count = std::min(frame->nb_samples, 160);
    std::memcpy(speech.data(), frame->data[0], static_cast<std::size_t>(count) * sizeof(short));
    std::array<unsigned char, 64> out{};
    const int size = Encoder_Interface_Encode(m_encoder, static_cast<Mode>(m_mode), speech.data(),
                                              out.data(), 0);
    if (size <= 0)
        throw CoderError{m_target, "AMR-NB encoding failed"};
    put(out.data(), static_cast<std::size_t>(size));
}

void AmrNbSink::finish()
{
    if (!m_file)
        return;
    const bool flushed = std::fflush(m_file) == 0 && !std::ferror(m_file);
    const int savedErrno = errno;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!flushed || !closed)
        throw CoderError{m_target, std::string("write error: ") +
                                       std::strerror(flushed ? errno : savedErrno)};
}

void AmrNbSink::put(const void *data, std::size_t size)
{
    if (std::fwrite(data, 1, size, m_file) != size)
        throw CoderError{m_target, std::string("write error: ") + std::strerror(errno)};
    m_bytes += static_cast<long long>(size);
}
