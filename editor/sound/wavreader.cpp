#include "wavreader.h"

#include "wavheader.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

constexpr int MaxChannels = 8;
constexpr quint32 MaxSampleRate = 768000;

quint32 le32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

std::optional<WavReader::SampleType> sampleTypeOf(const WavFormat &format)
{
    using Type = WavReader::SampleType;
    if (format.tag == WavFormat::Pcm) {
        switch (format.bits) {
        case 8: return Type::UInt8;
        case 16: return Type::Int16;
        case 24: return Type::Int24;
        case 32: return Type::Int32;
        }
    } else if (format.tag == WavFormat::Float && format.bits == 32) {
        return Type::Float32;
    }
    return std::nullopt;
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
    // Unbuffered: a read-ahead past what is asked could keep bytes of a
    // growing file that its writer has not written yet.
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
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
    m_stopFrame = -1;
    m_written = nullptr;
}

qint64 WavReader::frameCount() const
{
    return m_written ? std::max<qint64>(0, m_written->expectedFrames()) : m_frameCount;
}

qint64 WavReader::stopFrame() const
{
    const qint64 frames = frameCount();
    return m_stopFrame >= 0 && m_stopFrame < frames ? m_stopFrame : frames;
}

qint64 WavReader::readableFrom(qint64 frame) const
{
    const qint64 end = stopFrame();
    if (frame >= end)
        return 0;
    return (m_written ? std::min(end, m_written->readyUntil(frame)) : end) - frame;
}

bool WavReader::parse()
{
    const std::optional<WavHeader> header = readWavHeader(m_file, [](const WavFormat &format) {
        return sampleTypeOf(format).has_value() && format.channels >= 1
            && format.channels <= MaxChannels && format.sampleRate >= 1
            && format.sampleRate <= MaxSampleRate
            // The extensible form only whole, all 40 bytes of it.
            && (!format.extensible || format.chunkSize >= 40)
            && format.blockAlign == format.channels * (format.bits / 8);
    });
    if (!header)
        return false;
    const WavFormat &format = header->format;
    m_type = *sampleTypeOf(format);
    m_bytesPerSample = format.bits / 8;
    m_channels = format.channels;
    m_sampleRate = int(format.sampleRate);
    m_dataOffset = header->dataOffset;
    // A writer that never came back to fill in the size (or a file cut
    // short) leaves a size past the end: play what is there.
    m_frameCount = header->dataSize() / (m_channels * m_bytesPerSample);
    m_frame = 0;
    return m_file.seek(m_dataOffset);
}

qint64 WavReader::lengthMilliSeconds() const
{
    return m_sampleRate ? frameCount() * 1000 / m_sampleRate : 0;
}

void WavReader::seekFrame(qint64 frame)
{
    m_frame = std::clamp<qint64>(frame, 0, frameCount());
    m_file.seek(m_dataOffset + m_frame * m_channels * m_bytesPerSample);
}

qint64 WavReader::readFrames(char *out, qint64 maxFrames)
{
    const qint64 frames = std::min(maxFrames, readableFrom(m_frame));
    if (frames <= 0 || !isOpen())
        return 0;
    const int frameBytes = m_channels * m_bytesPerSample;
    // 16-bit mono or stereo is already what is given: read straight to out.
    const bool asIs = m_type == SampleType::Int16 && m_channels <= 2;
    if (!asIs)
        m_buffer.resize(frames * frameBytes);
    const qint64 got = m_file.read(asIs ? out : m_buffer.data(), frames * frameBytes);
    if (got < frameBytes)
        return 0;
    const qint64 done = got / frameBytes;
    if (got % frameBytes)
        m_file.seek(m_dataOffset + (m_frame + done) * frameBytes);
    const char *in = m_buffer.constData();
    char *const first = out;
    for (qint64 i = 0; i < done && !asIs; ++i, in += frameBytes) {
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
    if (m_envelope.active) {
        const int channels = outputChannels();
        for (qint64 i = 0; i < done; ++i) {
            const double g = m_envelope.at(m_frame + i);
            if (g == 1.0)
                continue;
            for (int c = 0; c < channels; ++c) {
                char *p = first + (i * channels + c) * 2;
                const double v = std::round(qFromLittleEndian<qint16>(p) * g);
                qToLittleEndian<qint16>(qint16(std::clamp(v, -32768.0, 32767.0)), p);
            }
        }
    }
    m_frame += done;
    return done;
}
