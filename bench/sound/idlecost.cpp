// CPU used by the program while a file plays and the 100 ms poll runs.
//   kes_idlecost [seconds]
// Run under scripts/with-servers for the real output; KESMARIN_AUDIO=silent
// measures the silent clock.
#include "soundchannel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>

static double cpuSeconds()
{
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

static bool writeTone(const QString &path, int seconds)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const quint32 frames = 44100u * quint32(seconds);
    auto le32 = [](quint32 v) { char b[4]; qToLittleEndian(v, b); return QByteArray(b, 4); };
    auto le16 = [](quint16 v) { char b[2]; qToLittleEndian(v, b); return QByteArray(b, 2); };
    f.write("RIFF" + le32(36 + frames * 4) + "WAVEfmt " + le32(16) + le16(1) + le16(2) +
            le32(44100) + le32(44100 * 4) + le16(4) + le16(16) + "data" + le32(frames * 4));
    QByteArray block;
    for (quint32 i = 0; i < frames; ++i) {
        const qint16 v = qint16(8000 * std::sin(2 * M_PI * 440 * i / 44100.0));
        block += le16(quint16(v)) + le16(quint16(v));
        if (block.size() >= 1 << 16) {
            f.write(block);
            block.clear();
        }
    }
    f.write(block);
    return true;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    QTemporaryDir dir;
    const QString path = dir.filePath("tone.wav");
    if (!writeTone(path, seconds + 5))
        return 1;

    SoundChannel channel;
    channel.send("open " + path + " alias sound");
    channel.send("play sound");
    qint64 polls = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        replyNumber(channel.send("status sound length"));
        replyNumber(channel.send("status sound position"));
        ++polls;
    });
    poll.start(100);
    const double cpuStart = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const double cpu = cpuSeconds() - cpuStart;
    std::printf("%s output, %d s playing with %lld polls: CPU %.3f s = %.2f %% of one core; "
                "position %lld ms\n",
                channel.isAudible() ? "sound server" : "silent clock", seconds, polls, cpu,
                100.0 * cpu / (wall.elapsed() / 1000.0),
                replyNumber(channel.send("status sound position")));
    return 0;
}
