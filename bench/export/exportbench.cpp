// What checking and cancelling an export cost (not a test; run by hand):
//   kes_exportbench [runs]
// 1. The read-back the coder does before it renames its output: the time of
//    reading a 30 s export back, per format (median of the runs).
// 2. Cancel to coder gone: a real export is cancelled midway and the time
//    from cancel() to the runner's CommandOver, by which the child has been
//    reaped, is taken; once for a coder that acts on SIGTERM and once for a
//    frozen one that must be killed.
#include "codercommand.h"
#include "consolerunner.h"
#include "probe.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace
{

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

QByteArray wavHeader(quint32 rate, quint16 channels, quint32 bytes)
{
    auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char *>(&v), 2); };
    return "RIFF" + le32(36 + bytes) + "WAVEfmt " + le32(16) + le16(1) + le16(channels) +
           le32(rate) + le32(rate * 2 * channels) + le16(2 * channels) + le16(16) + "data" +
           le32(bytes);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    av_log_set_level(AV_LOG_QUIET);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 9;
    const QString appFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/..");
    QTemporaryDir dir;
    ConsoleRunner runner;

    // A minute of two tones at CD quality stands in for the working file.
    const QString work = dir.filePath(QStringLiteral("open.wav"));
    {
        QFile file(work);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        const quint32 frames = 44100 * 60;
        QByteArray data(int(frames * 4), Qt::Uninitialized);
        for (quint32 i = 0; i < frames; ++i) {
            const auto v = qint16(6000 * std::sin(i * 0.0627) + 3000 * std::sin(i * 0.0791));
            for (int c = 0; c < 2; ++c) {
                data[int(4 * i + 2 * c)] = char(v & 0xff);
                data[int(4 * i + 2 * c + 1)] = char((v >> 8) & 0xff);
            }
        }
        file.write(wavHeader(44100, 2, quint32(data.size())) + data);
    }

    std::printf("read-back of a 30 s export (median of %d), ms\n", runs);
    for (const char *ext : {"mp3", "wma", "wav", "amr", "m4r", "ogg"}) {
        const QString target = dir.filePath(QStringLiteral("ring.") + QLatin1String(ext));
        const auto command = CoderCommand::exportRingtone(appFolder, work, 10, 30, target);
        if (!command) {
            std::printf("  %-4s not offered by the export\n", ext);
            continue;
        }
        runner.setCommand(*command);
        runner.ExecuteCommand();
        if (!runner.succeeded()) {
            std::printf("  %-4s export failed\n", ext);
            continue;
        }
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer clock;
            clock.start();
            const ProbeResult back = probeFile(QFile::encodeName(target).toStdString(), "bench");
            times.push_back(clock.nsecsElapsed() / 1e6);
            if (back.samples <= 0)
                return 1;
        }
        std::printf("  %-4s %7.2f\n", ext, median(times));
    }

    std::printf("cancel to coder gone (median of %d), ms\n", runs);
    // An hour of 8 kHz silence in a sparse file keeps an export busy for seconds.
    const QString longInput = dir.filePath(QStringLiteral("long.wav"));
    {
        QFile file(longInput);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(wavHeader(8000, 1, 8000 * 2 * 3600)) != 44 ||
            !file.resize(44 + 8000 * 2 * 3600))
            return 1;
    }
    for (const bool frozen : {false, true}) {
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            const QString target = dir.filePath(QStringLiteral("cancel.m4r"));
            runner.setCommand(*CoderCommand::exportRingtone(appFolder, longInput, 0, 3000, target));
            QElapsedTimer clock;
            QTimer feeder;
            QObject::connect(&feeder, &QTimer::timeout, [&] {
                const QStringList parts =
                    QDir(dir.path()).entryList({QStringLiteral(".cancel.m4r.*.part")}, QDir::Files | QDir::Hidden);
                if (parts.isEmpty())
                    return;
                feeder.stop();
                const auto pid =
                    QRegularExpression(QStringLiteral("\\.(\\d+)-")).match(parts.first()).captured(1);
                if (frozen)
                    ::kill(pid_t(pid.toLongLong()), SIGSTOP);
                clock.start();
                runner.cancel();
            });
            feeder.start(5);
            runner.ExecuteCommand();
            times.push_back(clock.nsecsElapsed() / 1e6);
        }
        std::printf("  %-26s %7.1f (worst %.1f)\n",
                    frozen ? "frozen coder (SIGKILL)" : "coder acting on SIGTERM", median(times),
                    *std::max_element(times.begin(), times.end()));
    }
    return 0;
}
