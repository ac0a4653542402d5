// Peak extraction of a one-hour 44.1 kHz stereo 16-bit WAV: wall time and
// peak memory, with the file in the page cache and evicted from it.
//   kes_benchpeaks [FILE]   (made when missing; default /tmp/kes-bench-hour.wav)
#include "../common/hourwav.h"
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
    if (!HourWav::isThere(path)) {
        std::printf("writing %s (one hour, 44.1 kHz stereo 16-bit)...\n", qPrintable(path));
        if (!HourWav::make(path)) {
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
                    (HourWav::Frames * HourWav::Channels * 2) / 1e6);
    }
    std::printf("peak resident memory: %.1f MB (%.1f MB before extracting)\n", maxRssKb() / 1024.0,
                rssBefore / 1024.0);
    return 0;
}
