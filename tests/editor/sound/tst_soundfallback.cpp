// No sound server at all: the channel finds that out by itself and keeps time
// on the silent clock, with the same replies.
#include "soundchannel.h"
#include "wavwriter.h"

#include <algorithm>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

class TestSoundFallback : public QObject
{
    Q_OBJECT

private slots:
    void playsOnTheSilentClock();
};

void TestSoundFallback::playsOnTheSilentClock()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    WavSpec spec;
    spec.frames = 44100 * 2 / 5; // 400 ms
    const QString path = dir.filePath("tone.wav");
    QVERIFY(writeFile(path, wavBytes(spec)));

    SoundChannel channel;
    channel.send("open " + path + " alias sound");
    QElapsedTimer sincePlay;
    sincePlay.start();
    channel.send("play sound");
    QVERIFY(channel.lastCommandSucceeded());
    QVERIFY(!channel.isAudible());
    // The clock runs with time: it gets on, and is never ahead of it.
    QTRY_VERIFY(replyNumber(channel.send("status sound position")) >= 140);
    const qint64 position = replyNumber(channel.send("status sound position"));
    const qint64 elapsed = sincePlay.elapsed();
    QVERIFY2(position >= 140 && position <= std::min<qint64>(elapsed, 400),
             qPrintable(QString::number(position)));
    QTRY_COMPARE_WITH_TIMEOUT(channel.mode(), SoundChannel::Mode::Stopped, 3000);
    QCOMPARE(channel.send("status sound position"), QStringLiteral("400"));
}

int main(int argc, char **argv)
{
    // Not forced: the channel has to notice that no server answers.
    qunsetenv("KESMARIN_AUDIO");
    qputenv("PULSE_SERVER", "unix:/nonexistent/kesmarin/pulse.sock");
    QCoreApplication app(argc, argv);
    TestSoundFallback test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_soundfallback.moc"
