#include "wavreader.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

constexpr quint16 FormatPcm = 1;
constexpr quint16 FormatFloat = 3;
constexpr quint16 FormatExtensible = 0xFFFE;
constexpr int MaxChannels = 8;
constexpr int MaxSampleRate = 768000;

quint16 le16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 le32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

qint32 sampleAt(const char *p, WavReader::SampleType type)
{
    // Every type is brought to the range of a signed 32-bit integer.
    switch (type) {
    case WavReader::SampleType::UInt8:
        return (qint32(quint8(p[0])) - 128) << 24;
    case WavReader::SampleType::Int16:
        return qint32(qFromLittleEndian<qint16>(p)) << 16;
    case WavReader::SampleType::Int24:
        return qint32(quint32(quint8(p[0])) << 8 | quint32(quint8(p[1])) << 16 |
                      quint32(quint8(p[2])) << 24);
    case WavReader::SampleType::Int32:
        return qFromLittleEndian<qint32>(p);
    case WavReader::SampleType::Float32: {
        float f;
        const quint32 bits = le32(p);
        std::memcpy(&f, &bits, 4);
        if (!(f == f)) // NaN
            return 0;
        return qint32(std::clamp(double(f), -1.0, 1.0) * 2147483647.0);
    }
    }
    return 0;
}

void putInt16(char *&out, qint64 value)
{
    qToLittleEndian<qint16>(qint16(std::clamp<qint64>(value >> 16, -32768, 32767)), out);
    out += 2;
}

} // namespace

bool WavReader::open(const QString &path)
{
    close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly))
        return false;
    if (!parse()) {
        close();
        return false;
    }
    return true;
}

void WavReader::close()
{
    m_file.close();
    m_sampleRate = m_channels = m_bytesPerSample = 0;
    m_dataOffset = m_frameCount = m_frame = 0;
}

bool WavReader::parse()
{
    char head[12];
    if (m_file.read(head, 12) != 12 || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVE", 4) != 0)
        return false;

    const qint64 fileSize = m_file.size();
    bool haveFormat = false;
    qint64 at = 12;
    while (at + 8 <= fileSize) {
        char chunk[8];
        if (!m_file.seek(at) || m_file.read(chunk, 8) != 8)
            return false;
        const quint32 size = le32(chunk + 4);
        const qint64 body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16)
                return false;
            const QByteArray fmt = m_file.read(std::min<quint32>(size, 40));
            if (fmt.size() < 16)
                return false;
            quint16 tag = le16(fmt.constData());
            const int channels = le16(fmt.constData() + 2);
            const quint32 rate = le32(fmt.constData() + 4);
            const int blockAlign = le16(fmt.constData() + 12);
            const int bits = le16(fmt.constData() + 14);
            if (tag == FormatExtensible) {
                // The sub-format GUID starts with the plain format tag.
                if (fmt.size() < 40)
                    return false;
                tag = le16(fmt.constData() + 24);
            }
            if (channels < 1 || channels > MaxChannels || rate < 1 || rate > MaxSampleRate)
                return false;
            if (tag == FormatPcm && bits == 8)
                m_type = SampleType::UInt8;
            else if (tag == FormatPcm && bits == 16)
                m_type = SampleType::Int16;
            else if (tag == FormatPcm && bits == 24)
                m_type = SampleType::Int24;
            else if (tag == FormatPcm && bits == 32)
                m_type = SampleType::Int32;
            else if (tag == FormatFloat && bits == 32)
                m_type = SampleType::Float32;
            else
                return false;
            m_bytesPerSample = bits / 8;
            if (blockAlign != channels * m_bytesPerSample)
                return false;
            m_channels = channels;
            m_sampleRate = int(rate);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return false;
            m_dataOffset = body;
            // A writer that never came back to fill in the size (or a file
            // cut short) leaves a size past the end: play what is there.
            const qint64 available = fileSize - body;
            const qint64 bytes = std::min<qint64>(size, available);
            m_frameCount = bytes / (m_channels * m_bytesPerSample);
            m_frame = 0;
            return m_file.seek(m_dataOffset);
        }
        at = body + size + (size & 1);
    }
    return false;
}

qint64 WavReader::lengthMilliSeconds() const
{
    return m_sampleRate ? m_frameCount * 1000 / m_sampleRate : 0;
}

void WavReader::seekFrame(qint64 frame)
{
    m_frame = std::clamp<qint64>(frame, 0, m_frameCount);
    m_file.seek(m_dataOffset + m_frame * m_channels * m_bytesPerSample);
}

qint64 WavReader::readFrames(char *out, qint64 maxFrames)
{
    const qint64 frames = std::min(maxFrames, m_frameCount - m_frame);
    if (frames <= 0 || !isOpen())
        return 0;
    const int frameBytes = m_channels * m_bytesPerSample;
    m_buffer.resize(frames * frameBytes);
    const qint64 got = m_file.read(m_buffer.data(), m_buffer.size());
    if (got < frameBytes)
        return 0;
    const qint64 done = got / frameBytes;
    if (got % frameBytes)
        m_file.seek(m_dataOffset + (m_frame + done) * frameBytes);
    const char *in = m_buffer.constData();
    for (qint64 i = 0; i < done; ++i, in += frameBytes) {
        if (m_channels <= 2) {
            for (int c = 0; c < m_channels; ++c)
                putInt16(out, sampleAt(in + c * m_bytesPerSample, m_type));
        } else {
            // Even channels to the left, odd ones to the right.
            qint64 sum[2] = {0, 0};
            for (int c = 0; c < m_channels; ++c)
                sum[c & 1] += sampleAt(in + c * m_bytesPerSample, m_type);
            const int left = (m_channels + 1) / 2;
            const int right = m_channels / 2;
            putInt16(out, sum[0] / left);
            putInt16(out, sum[1] / right);
        }
    }
    m_frame += done;
    return done;
}
