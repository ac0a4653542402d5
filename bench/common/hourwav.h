#pragma once

// A one-hour 44.1 kHz stereo 16-bit WAV for the benchmarks: a tone whose
// loudness swells and falls every minute, so peaks vary.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>
#include <cmath>
#include <cstdio>

namespace HourWav {

constexpr int Rate = 44100;
constexpr int Channels = 2;
constexpr qint64 Frames = qint64(Rate) * 3600;

inline bool isThere(const QString &path)
{
    return QFile(path).size() == 44 + Frames * Channels * 2;
}

inline bool make(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const quint32 dataBytes = quint32(Frames * Channels * 2);
    QByteArray head("RIFF");
    auto le32 = [&head](quint32 v) { char c[4]; qToLittleEndian(v, c); head.append(c, 4); };
    auto le16 = [&head](quint16 v) { char c[2]; qToLittleEndian(v, c); head.append(c, 2); };
    le32(36 + dataBytes);
    head.append("WAVEfmt ");
    le32(16); le16(1); le16(Channels); le32(Rate); le32(Rate * Channels * 2); le16(Channels * 2); le16(16);
    head.append("data");
    le32(dataBytes);
    file.write(head);
    QByteArray block(Rate * Channels * 2, Qt::Uninitialized);
    for (qint64 second = 0; second < 3600; ++second) {
        const double loud = 0.2 + 0.7 * std::fabs(std::sin(M_PI * second / 60.0));
        auto *p = reinterpret_cast<qint16 *>(block.data());
        for (int i = 0; i < Rate; ++i) {
            const auto v = qint16(std::lround(32767 * loud * std::sin(2 * M_PI * 330 * i / Rate)));
            p[2 * i] = qToLittleEndian(v);
            p[2 * i + 1] = qToLittleEndian(qint16(v / 2));
        }
        if (file.write(block) != block.size())
            return false;
    }
    return file.flush();
}

// The file named on the command line, else the default one; made when
// missing. Empty when it cannot be written.
inline QString fromArguments(int argc, char **argv)
{
    const QString path =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/kes-bench-hour.wav");
    if (isThere(path))
        return path;
    std::printf("writing %s (one hour, 44.1 kHz stereo 16-bit)...\n", qPrintable(path));
    return make(path) ? path : QString();
}

} // namespace HourWav
