#include "stretchpeak.h"

#include "envelope.h"
#include "wavreader.h"

#include <QtEndian>
#include <cmath>
#include <limits>
#include <vector>

std::optional<double> measureStretchPeakDb(const QString &wavPath, qint64 beginMs, qint64 endMs,
                                           qint64 fadeInMs, qint64 fadeOutMs,
                                           const std::atomic_bool *stop)
{
    WavReader reader;
    if (!reader.open(wavPath))
        return std::nullopt;
    const std::optional<Envelope> shape =
        Envelope::fromMs(beginMs, endMs, fadeInMs, fadeOutMs, 0.0, reader.sampleRate());
    if (!shape)
        return std::nullopt;
    const Envelope &envelope = *shape;
    const qint64 end = std::min(envelope.endFrame, reader.frameCount());
    reader.seekFrame(envelope.beginFrame);
    const int channels = reader.outputChannels();
    constexpr qint64 Chunk = 16384;
    std::vector<char> buffer(size_t(Chunk * channels * 2));
    double peak = 0.0;
    for (qint64 frame = reader.framePosition(); frame < end;) {
        const qint64 got = reader.readFrames(buffer.data(), std::min(Chunk, end - frame));
        if (got <= 0)
            break;
        if (stop && stop->load(std::memory_order_relaxed))
            return std::nullopt;
        for (qint64 i = 0; i < got; ++i) {
            const double g = envelope.at(frame + i);
            for (int c = 0; c < channels; ++c) {
                const qint16 s = qFromLittleEndian<qint16>(buffer.data() + (i * channels + c) * 2);
                peak = std::max(peak, std::abs(s / 32768.0 * g));
            }
        }
        frame += got;
    }
    if (peak <= 0.0)
        return -std::numeric_limits<double>::infinity();
    return 20.0 * std::log10(peak);
}
