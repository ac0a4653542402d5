// Open-and-decode benchmark, run by hand (never under ctest):
//   build/bench/workflowbench [seconds-of-audio [existing.mp3]]
// Makes a test MP3 of the given length with the built coder (or takes the one
// given), then measures, alternating the two kinds of run three times over
//  - the coder's own decode time for it (run directly, waited on),
//  - the time from a confirmed open to the strip shown (runner + progress +
//    waveform peaks), and its overhead over the former,
//  - the longest gap between two ticks of a 5 ms timer during the decode (how
//    long the window could not react),
//  - the resident memory once the file is open.
#include "consolerunner.h"
#include "opencontroller.h"
#include "filerequester.h"
#include "peakextractor.h"
#include "userprompt.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>

namespace {

class NoFiles : public FileRequester
{
public:
    std::optional<QString> askOpen(const QString &, const QString &) override { return {}; }
    std::optional<QString> askSave(const QString &, const QString &, const QString &,
                                   const QString &) override
    {
        return {};
    }
};

// Nothing is asked in a run that succeeds.
class SilentPrompt : public UserPrompt
{
public:
    bool show(const Message &) override { return true; }
};

// Times the waveform as the window gets it after a decode.
struct BenchView {
    void decoded(const QString &workFile)
    {
        QElapsedTimer clock;
        clock.start();
        PeakExtractor peaks(workFile);
        if (peaks.open())
            columns = int(peaks.extract().size());
        peaksMs = clock.elapsed();
    }
    int columns = 0;
    qint64 peaksMs = 0;
};

void writeTone(const QString &path, int seconds)
{
    const int rate = 44100, channels = 2;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 data = quint32(seconds) * rate * channels * 2;
    out.writeRawData("RIFF", 4);
    out << quint32(36 + data);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(channels) << quint32(rate)
        << quint32(rate * channels * 2) << quint16(channels * 2) << quint16(16);
    out.writeRawData("data", 4);
    out << data;
    QByteArray block(rate * channels * 2, Qt::Uninitialized);
    for (int s = 0; s < seconds; ++s) {
        auto *p = reinterpret_cast<qint16 *>(block.data());
        for (int i = 0; i < rate; ++i) {
            const double t = double(s * rate + i) / rate;
            const auto v = qint16(8000 * std::sin(2 * M_PI * (220 + 40 * (s % 7)) * t));
            p[2 * i] = v;
            p[2 * i + 1] = v;
        }
        file.write(block);
    }
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 300;
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("data"));
    QFile::link(QStringLiteral(KESMARIN_CODER), dir.filePath(QStringLiteral("data/coder")));
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    const QString mp3 = dir.filePath(QStringLiteral("tone.mp3"));
    const QString work = dir.filePath(QStringLiteral("open.wav"));

    QString song = mp3;
    if (argc > 2) {
        song = QString::fromLocal8Bit(argv[2]);
    } else {
        std::printf("making a %d s MP3...\n", seconds);
        writeTone(wav, seconds);
        QProcess::execute(QStringLiteral(KESMARIN_CODER),
                          {QStringLiteral("-i"), wav, QStringLiteral("-y"), mp3});
        QFile::remove(wav);
    }

    BenchView view;
    SilentPrompt prompt;
    NoFiles files;
    ConsoleRunner runner;
    OpenController open(runner, files, prompt, dir.path(), work);
    QObject::connect(&open, &OpenController::decoded,
                     [&view](const QString &workFile) { view.decoded(workFile); });

    qint64 coderBest = -1;
    qint64 appBest = -1;
    qint64 peaksMs = 0;
    qint64 worstStall = 0;
    for (int i = 0; i < 3; ++i) {
        {
            // The coder alone, waited on; the best run counts.
            QFile::remove(work);
            QElapsedTimer clock;
            clock.start();
            QProcess coder;
            coder.setProcessChannelMode(QProcess::MergedChannels);
            coder.start(QStringLiteral(KESMARIN_CODER),
                        {QStringLiteral("-i"), song, QStringLiteral("-y"), QStringLiteral("-vn"), work});
            coder.waitForFinished(-1);
            const qint64 ms = clock.elapsed();
            coderBest = coderBest < 0 ? ms : std::min(coderBest, ms);
        }
        QElapsedTimer tick;
        qint64 stall = 0;
        QTimer probe;
        probe.setInterval(5);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            stall = std::max(stall, tick.restart());
        });
        QElapsedTimer clock;
        clock.start();
        tick.start();
        probe.start();
        open.openPath(song);
        const qint64 ms = clock.elapsed();
        probe.stop();
        if (!open.hasFile() || view.columns == 0) {
            std::printf("decode failed\n");
            return 1;
        }
        if (appBest < 0 || ms < appBest)
            peaksMs = view.peaksMs;
        appBest = appBest < 0 ? ms : std::min(appBest, ms);
        worstStall = std::max(worstStall, stall);
    }
    std::printf("audio            %d s\n", seconds);
    std::printf("coder alone      %lld ms (best of 3)\n", coderBest);
    std::printf("open to strip    %lld ms (best of 3)\n", appBest);
    std::printf("overhead         %lld ms (of which waveform peaks %lld ms)\n", appBest - coderBest, peaksMs);
    std::printf("longest stall    %lld ms (5 ms probe, worst of 3)\n", worstStall);
    std::printf("resident memory  %.1f MB with the file open\n", residentKiB() / 1024.0);
    return 0;
}
