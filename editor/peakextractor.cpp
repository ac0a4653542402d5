#include "peakextractor.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr quint16 FormatPcm = 1;
constexpr quint16 FormatFloat = 3;
constexpr quint16 FormatExtensible = 0xFFFE;

quint16 le16(const char *p) { return qFromLittleEndian<quint16>(p); }
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
    const qint64 fileSize = m_file.size();
    char head[12];
    if (!m_file.seek(0) || m_file.read(head, 12) != 12 || std::memcmp(head, "RIFF", 4) != 0
        || std::memcmp(head + 8, "WAVE", 4) != 0)
        return false;

    bool haveFormat = false;
    qint64 pos = 12;
    while (pos + 8 <= fileSize) {
        char chunk[8];
        if (!m_file.seek(pos) || m_file.read(chunk, 8) != 8)
            return false;
        const qint64 size = le32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16)
                return false;
            char fmt[40] = {};
            const qint64 want = std::min<qint64>(size, sizeof fmt);
            if (m_file.read(fmt, want) != want)
                return false;
            quint16 tag = le16(fmt);
            m_channels = le16(fmt + 2);
            m_sampleRate = static_cast<int>(le32(fmt + 4));
            m_bits = le16(fmt + 14);
            if (tag == FormatExtensible) {
                if (want < 26)
                    return false;
                tag = le16(fmt + 24);   // the sub-format GUID starts with the plain tag
            }
            if (tag != FormatPcm && tag != FormatFloat)
                return false;
            m_float = tag == FormatFloat;
            const bool bitsOk = m_float ? (m_bits == 32 || m_bits == 64)
                                        : (m_bits == 8 || m_bits == 16 || m_bits == 24 || m_bits == 32);
            if (!bitsOk || m_channels < 1 || m_channels > 32)
                return false;
            m_bytesPerSample = m_bits / 8;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return false;
            m_dataOffset = pos + 8;
            // A writer that could not seek back leaves 0 or 0xFFFFFFFF here:
            // the data then runs to the end of the file.
            qint64 dataSize = size;
            if (dataSize == 0 || m_dataOffset + dataSize > fileSize)
                dataSize = fileSize - m_dataOffset;
            m_frameCount = dataSize / (qint64(m_bytesPerSample) * m_channels);
            return true;
        }
        pos += 8 + size + (size & 1);
    }
    return false;
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
    else if (m_bits == 16)
        scan(p, samples, 2, peak, [](const char *q) { return static_cast<qint16>(le16(q)) / 32768.0f; });
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
    m_bytesRead = 0;
    QList<Peak> peaks;
    if (width <= 0 || (m_frameCount == 0 && !open()))
        return peaks;
    peaks.resize(width);
    // Where each column is read: the whole column when it is short, else
    // evenly spaced blocks.
    struct Block { int column; qint64 first; qint64 count; };
    QList<Block> blocks;
    for (int c = 0; c < width; ++c) {
        const qint64 begin = m_frameCount * c / width;
        const qint64 span = m_frameCount * (c + 1) / width - begin;
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
