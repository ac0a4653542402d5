#include "peakextractor.h"

#include "wavheader.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <optional>
#include <fcntl.h>
#include <unistd.h>

namespace {

quint32 le32(const char *p) { return qFromLittleEndian<quint32>(p); }

} // namespace

PeakExtractor::PeakExtractor(const QString &path) : m_file(path)
{
}

void PeakExtractor::setSampling(qint64 framesPerColumn, qint64 blockFrames)
{
    m_blockFrames = std::max<qint64>(1, blockFrames);
    m_framesPerColumn = std::max(m_blockFrames, framesPerColumn);
}

bool PeakExtractor::open()
{
    m_frameCount = 0;
    if (!m_file.isOpen() && !m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    // Wider than what plays: 64-bit float, up to 32 channels, any rate or
    // block align still have a waveform worth drawing.
    const std::optional<WavHeader> header = readWavHeader(m_file, [](const WavFormat &format) {
        const bool bitsOk = format.tag == WavFormat::Float
            ? (format.bits == 32 || format.bits == 64)
            : format.tag == WavFormat::Pcm
                && (format.bits == 8 || format.bits == 16 || format.bits == 24 || format.bits == 32);
        return bitsOk && format.channels >= 1 && format.channels <= 32;
    });
    if (!header)
        return false;
    const WavFormat &format = header->format;
    m_channels = format.channels;
    m_sampleRate = static_cast<int>(format.sampleRate);
    m_bits = format.bits;
    m_float = format.tag == WavFormat::Float;
    m_bytesPerSample = m_bits / 8;
    m_dataOffset = header->dataOffset;
    // A size of 0 is taken as unwritten too: the data then runs to the end
    // of the file.
    const qint64 dataSize = header->declaredDataSize == 0 ? header->dataToEnd : header->dataSize();
    m_frameCount = dataSize / (qint64(m_bytesPerSample) * m_channels);
    return true;
}

namespace {

// The min/max of a run of samples of one format; one loop per format keeps
// the hour-long case well inside its time budget.
template <typename Decode>
void scan(const char *p, qint64 samples, int step, Peak &peak, Decode decode)
{
    float lo = peak.min, hi = peak.max;
    for (qint64 i = 0; i < samples; ++i, p += step) {
        const float v = decode(p);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    peak.min = lo;
    peak.max = hi;
}

} // namespace

void PeakExtractor::scanBuffer(const char *p, qint64 samples, Peak &peak) const
{
    if (m_float && m_bits == 32)
        scan(p, samples, 4, peak, [](const char *q) {
            float f;
            const quint32 raw = le32(q);
            std::memcpy(&f, &raw, 4);
            return f;
        });
    else if (m_float)
        scan(p, samples, 8, peak, [](const char *q) {
            double d;
            const quint64 raw = qFromLittleEndian<quint64>(q);
            std::memcpy(&d, &raw, 8);
            return static_cast<float>(d);
        });
    else if (m_bits == 8)
        scan(p, samples, 1, peak, [](const char *q) { return (static_cast<unsigned char>(*q) - 128) / 128.0f; });
    else if (m_bits == 16) {
        // The commonest working file: min and max taken on the integers, in
        // a loop the compiler vectorises, then converted once.
        qint16 lo = 32767, hi = -32768;
        for (qint64 i = 0; i < samples; ++i) {
            qint16 v;
            std::memcpy(&v, p + 2 * i, 2);
            v = qFromLittleEndian(v);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        if (samples > 0) {
            peak.min = std::min(peak.min, lo / 32768.0f);
            peak.max = std::max(peak.max, hi / 32768.0f);
        }
    }
    else if (m_bits == 24)
        scan(p, samples, 3, peak, [](const char *q) {
            qint32 v = static_cast<unsigned char>(q[0]) | (static_cast<unsigned char>(q[1]) << 8)
                | (static_cast<unsigned char>(q[2]) << 16);
            if (v & 0x800000)
                v -= 0x1000000;
            return v / 8388608.0f;
        });
    else
        scan(p, samples, 4, peak, [](const char *q) { return static_cast<qint32>(le32(q)) / 2147483648.0f; });
}

void PeakExtractor::readFrames(qint64 first, qint64 count, Peak &peak)
{
    const qint64 frameBytes = qint64(m_bytesPerSample) * m_channels;
    const qint64 bytes = count * frameBytes;
    if (m_buffer.size() < bytes)
        m_buffer.resize(bytes);
    const ssize_t got = ::pread(m_file.handle(), m_buffer.data(), size_t(bytes), m_dataOffset + first * frameBytes);
    if (got <= 0)
        return;
    m_bytesRead += got;
    scanBuffer(m_buffer.constData(), got / m_bytesPerSample, peak);
}

void PeakExtractor::hint(qint64 first, qint64 count) const
{
    const qint64 frameBytes = qint64(m_bytesPerSample) * m_channels;
    ::posix_fadvise(m_file.handle(), m_dataOffset + first * frameBytes, count * frameBytes, POSIX_FADV_WILLNEED);
}

QList<Peak> PeakExtractor::extract(int width)
{
    return extract(width, 0, -1);
}

std::vector<Peak> PeakExtractor::scanBins(qint64 binFrames, const std::atomic_bool *stop)
{
    if (m_frameCount == 0 && !open())
        return {};
    return scanStretch(0, m_frameCount, binFrames, stop);
}

std::vector<Peak> PeakExtractor::scanStretch(qint64 first, qint64 end, qint64 binFrames,
                                             const std::atomic_bool *stop)
{
    m_bytesRead = 0;
    std::vector<Peak> bins;
    if (binFrames <= 0 || first < 0 || end <= first || (m_channels == 0 && !open()))
        return bins;
    const qint64 firstBin = first / binFrames;
    // Every run starts as no sample at all: min and max then merge it exactly.
    bins.assign(size_t((end - 1) / binFrames + 1 - firstBin), Peak{1.0f, -1.0f});
    // Large sequential reads: the stretch passes once.
    ::posix_fadvise(m_file.handle(), 0, 0, POSIX_FADV_SEQUENTIAL);
    const qint64 frameBytes = qint64(m_bytesPerSample) * m_channels;
    const qint64 chunkFrames = std::max<qint64>(1, (4 << 20) / (binFrames * frameBytes)) * binFrames;
    m_buffer.resize(chunkFrames * frameBytes);
    for (qint64 frame = first; frame < end;) {
        const qint64 want = std::min(chunkFrames, end - frame) * frameBytes;
        const ssize_t got = ::pread(m_file.handle(), m_buffer.data(), size_t(want), m_dataOffset + frame * frameBytes);
        if (got <= 0)
            break;
        if (stop && stop->load(std::memory_order_relaxed))
            return {};
        m_bytesRead += got;
        const qint64 frames = got / frameBytes;
        for (qint64 f = 0; f < frames;) {
            const qint64 at = frame + f;
            const qint64 span = std::min(frames - f, binFrames - at % binFrames);
            scanBuffer(m_buffer.constData() + f * frameBytes, span * m_channels,
                       bins[size_t(at / binFrames - firstBin)]);
            f += span;
        }
        frame += frames;
    }
    return bins;
}

QList<Peak> PeakExtractor::extract(int width, qint64 firstFrame, qint64 frameCount)
{
    m_bytesRead = 0;
    QList<Peak> peaks;
    if (width <= 0 || (m_frameCount == 0 && !open()))
        return peaks;
    firstFrame = std::clamp<qint64>(firstFrame, 0, m_frameCount);
    // Columns keep the asked scale; those past the file's end stay empty.
    const qint64 total = frameCount < 0 ? m_frameCount - firstFrame : frameCount;
    peaks.resize(width);
    const qint64 frameBytes = qint64(m_bytesPerSample) * m_channels;
    if (total / width + 1 <= m_framesPerColumn && total * frameBytes <= SmallRangeBytes) {
        // Every frame would be read anyway (a short song, a zoomed view): in
        // one read rather than a read per column.
        if (m_buffer.size() < total * frameBytes)
            m_buffer.resize(total * frameBytes);
        const qint64 within = std::min(total, m_frameCount - firstFrame);
        const ssize_t got = ::pread(m_file.handle(), m_buffer.data(), size_t(within * frameBytes),
                                    m_dataOffset + firstFrame * frameBytes);
        const qint64 frames = got > 0 ? got / frameBytes : 0;
        m_bytesRead += std::max<ssize_t>(got, 0);
        for (int c = 0; c < width; ++c) {
            const qint64 begin = total * c / width;
            const qint64 end = std::min(frames, total * (c + 1) / width);
            if (end > begin)
                scanBuffer(m_buffer.constData() + begin * frameBytes, (end - begin) * m_channels, peaks[c]);
        }
        return peaks;
    }
    // Where each column is read: the whole column when it is short, else
    // evenly spaced blocks.
    struct Block { int column; qint64 first; qint64 count; };
    QList<Block> blocks;
    for (int c = 0; c < width; ++c) {
        const qint64 begin = firstFrame + total * c / width;
        const qint64 span = std::min(firstFrame + total * (c + 1) / width, m_frameCount) - begin;
        if (span <= 0)
            continue;
        if (span <= m_framesPerColumn) {
            blocks.append({c, begin, span});
            continue;
        }
        const qint64 count = m_framesPerColumn / m_blockFrames;
        const qint64 stride = span / count;
        for (qint64 b = 0; b < count; ++b)
            blocks.append({c, begin + b * stride + (stride - m_blockFrames) / 2, m_blockFrames});
    }
    // Scattered small reads from a cold cache: no read-ahead around each
    // block, but every block asked for at once so the disk can queue them.
    ::posix_fadvise(m_file.handle(), 0, 0, POSIX_FADV_RANDOM);
    for (const Block &block : blocks)
        hint(block.first, block.count);
    for (const Block &block : blocks)
        readFrames(block.first, block.count, peaks[block.column]);
    return peaks;
}
