#pragma once

// Writes WAV files for the sound tests: a sine tone in any of the sample
// layouts the channel plays, plus the means to damage headers.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cmath>
#include <cstring>

struct WavSpec {
    quint16 tag = 1; // 1 PCM, 3 float, 0xFFFE extensible
    quint16 subTag = 1; // the format inside an extensible header
    int bits = 16;
    int channels = 2;
    int rate = 44100;
    qint64 frames = 44100;
    double frequency = 440;
    double amplitude = 0.5;
};

inline QByteArray le16(quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    return QByteArray(b, 2);
}

inline QByteArray le32(quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

// The tone's value in [-1, 1] at a frame; channel c is scaled by 1/(c+1) so
// that channels can be told apart.
inline double toneAt(const WavSpec &spec, qint64 frame, int channel)
{
    return spec.amplitude / (channel + 1) *
           std::sin(2 * M_PI * spec.frequency * double(frame) / spec.rate);
}

inline QByteArray wavSamples(const WavSpec &spec)
{
    const bool isFloat = spec.tag == 3 || (spec.tag == 0xFFFE && spec.subTag == 3);
    QByteArray data;
    data.reserve(spec.frames * spec.channels * spec.bits / 8);
    for (qint64 i = 0; i < spec.frames; ++i) {
        for (int c = 0; c < spec.channels; ++c) {
            const double v = toneAt(spec, i, c);
            if (isFloat) {
                const float f = float(v);
                quint32 bits;
                std::memcpy(&bits, &f, 4);
                data += le32(bits);
            } else if (spec.bits == 8) {
                data += char(quint8(std::lround(128 + v * 127)));
            } else if (spec.bits == 16) {
                data += le16(quint16(qint16(std::lround(v * 32767))));
            } else if (spec.bits == 24) {
                const qint32 s = qint32(std::lround(v * 8388607));
                data += le32(quint32(s)).left(3);
            } else {
                data += le32(quint32(qint32(std::lround(v * 2147483647.0))));
            }
        }
    }
    return data;
}

inline QByteArray fmtChunk(const WavSpec &spec)
{
    const quint16 block = quint16(spec.channels * spec.bits / 8);
    QByteArray body = le16(spec.tag) + le16(quint16(spec.channels)) + le32(quint32(spec.rate)) +
                      le32(quint32(spec.rate * block)) + le16(block) + le16(quint16(spec.bits));
    if (spec.tag == 0xFFFE) {
        body += le16(22) + le16(quint16(spec.bits)) + le32(spec.channels == 1 ? 4 : 3);
        // KSDATAFORMAT_SUBTYPE_PCM / _IEEE_FLOAT: the tag, then a fixed tail.
        body += le16(spec.subTag) +
                QByteArray::fromHex("000000001000800000aa00389b71");
    }
    return "fmt " + le32(quint32(body.size())) + body;
}

inline QByteArray wavBytes(const WavSpec &spec, const QByteArray &extraChunks = {})
{
    const QByteArray data = wavSamples(spec);
    const QByteArray body = "WAVE" + extraChunks + fmtChunk(spec) + "data" +
                            le32(quint32(data.size())) + data;
    return "RIFF" + le32(quint32(body.size())) + body;
}

// The 64-bit form's header, for dataBytes of samples that follow it.
inline QByteArray le64(quint64 v)
{
    char b[8];
    qToLittleEndian(v, b);
    return QByteArray(b, 8);
}

struct Rf64Form {
    quint64 ds64DataSize = 0;       // 0: the true size of the samples
    quint32 dataField = 0xFFFFFFFF; // the "data" chunk's own 32-bit size
    quint32 ds64Size = 28;
};

inline QByteArray rf64Header(const WavSpec &spec, quint64 dataBytes, const Rf64Form &form)
{
    QByteArray ds64 = le64(0) + le64(form.ds64DataSize ? form.ds64DataSize : dataBytes) +
                      le64(quint64(spec.frames)) + le32(0);
    ds64.resize(qMax<int>(int(form.ds64Size), ds64.size()), '\0');
    if (ds64.size() % 2)
        ds64.append('\0'); // the pad byte after an odd chunk
    return "RF64" + le32(0xFFFFFFFF) + "WAVE" + "ds64" + le32(form.ds64Size) + ds64 + fmtChunk(spec) +
           "data" + le32(form.dataField);
}

// A silent RF64 file of spec.frames frames: a hole in the file, so hours
// cost no disk.
inline bool writeSilentRf64(const QString &path, const WavSpec &spec)
{
    const qint64 dataBytes = spec.frames * spec.channels * spec.bits / 8;
    const QByteArray header = rf64Header(spec, quint64(dataBytes), {});
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(header) == header.size() && f.resize(header.size() + dataBytes);
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
