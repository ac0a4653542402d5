// Plays a WAV file through the sound server and prints, every 100 ms, the
// wall time, what the sink says it processed and what was handed to it.
#include "sinkoutput.h"
#include "wavreader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    WavReader reader;
    if (!reader.open(QString::fromLocal8Bit(argv[1])))
        return 3;
    SinkOutput out(QMediaDevices::defaultAudioOutput());
    QElapsedTimer clock;
    clock.start();
    if (!out.start(reader))
        return 4;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        std::printf("%6lld ms  processed %6lld  delivered %6lld  finished %d\n",
                    clock.elapsed(), out.processedMicroSeconds() / 1000,
                    out.deliveredMicroSeconds() / 1000, int(out.finished()));
        if (clock.elapsed() > reader.lengthMilliSeconds() + 800)
            app.quit();
    });
    tick.start(100);
    return app.exec();
}
