// Peak extraction of a one-hour 44.1 kHz stereo 16-bit WAV: wall time and
// peak memory, with the file in the page cache and evicted from it.
//   kes_benchpeaks [FILE]   (made when missing; default /tmp/kes-bench-hour.wav)
#include "peakextractor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int Rate = 44100;
constexpr int Channels = 2;
constexpr qint64 Frames = qint64(Rate) * 3600;

bool makeHour(const QString &path)
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
    // A tone whose loudness swells and falls every minute, so peaks vary.
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

void evict(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

long maxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/kes-bench-hour.wav");
    if (QFile(path).size() != 44 + Frames * Channels * 2) {
        std::printf("writing %s (one hour, 44.1 kHz stereo 16-bit)...\n", qPrintable(path));
        if (!makeHour(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const long rssBefore = maxRssKb();
    auto run = [&path](bool cold, qint64 &bytes) {
        if (cold)
            evict(path);
        QElapsedTimer timer;
        timer.start();
        PeakExtractor extractor(path);
        const QList<Peak> peaks = extractor.extract(PeakExtractor::DefaultWidth);
        const double ms = timer.nsecsElapsed() / 1e6;
        bytes = extractor.bytesRead();
        return peaks.size() == PeakExtractor::DefaultWidth ? ms : -1.0;
    };
    for (bool cold : {false, true}) {
        std::vector<double> times;
        qint64 bytes = 0;
        for (int i = 0; i < 5; ++i)
            times.push_back(run(cold, bytes));
        std::sort(times.begin(), times.end());
        std::printf("%s cache: median %.1f ms (min %.1f, max %.1f), %.1f MB read of %.1f MB\n",
                    cold ? "cold" : "warm", times[2], times.front(), times.back(), bytes / 1e6,
                    (Frames * Channels * 2) / 1e6);
    }
    std::printf("peak resident memory: %.1f MB (%.1f MB before extracting)\n", maxRssKb() / 1024.0,
                rssBefore / 1024.0);
    return 0;
}
