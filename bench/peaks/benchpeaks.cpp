// Peak extraction of a one-hour 44.1 kHz stereo 16-bit WAV: wall time and
// peak memory, with the file in the page cache and evicted from it.
//   kes_benchpeaks [FILE]   (made when missing; default /tmp/kes-bench-hour.wav)
#include "../common/hourwav.h"
#include "peakextractor.h"
#include "peakpyramid.h"

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
    // Every frame read in the pieces a growing open reads as a decode writes
    // the file: the work the window's process adds to the decode.
    {
        PeakExtractor header(path);
        header.open();
        const qint64 frames = header.frames();
        std::vector<double> times;
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer timer;
            timer.start();
            qint64 bins = 0;
            constexpr qint64 piece = qint64(1) << 20; // as the growing open reads
            for (qint64 first = 0; first < frames; first += piece)
                bins += qint64(PeakPyramid::readPiece(path, first, std::min(frames, first + piece)).bins.size());
            times.push_back(timer.nsecsElapsed() / 1e6);
            if (bins == 0)
                return 1;
        }
        std::sort(times.begin(), times.end());
        std::printf("whole file in pieces (warm): median %.1f ms, %.2f GB/s\n", times[1],
                    frames * header.channels() * header.bitsPerSample() / 8 / times[1] / 1e6);
    }
    std::printf("peak resident memory: %.1f MB (%.1f MB before extracting)\n", maxRssKb() / 1024.0,
                rssBefore / 1024.0);
    return 0;
}
