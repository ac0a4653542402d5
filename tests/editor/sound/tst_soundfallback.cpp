// No sound server at all: the channel finds that out by itself and keeps time
// on the silent clock, with the same replies.
#include "soundchannel.h"
#include "wavwriter.h"

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
    channel.send("play sound");
    QVERIFY(channel.lastCommandSucceeded());
    QVERIFY(!channel.isAudible());
    QTest::qWait(150);
    const qint64 position = replyNumber(channel.send("status sound position"));
    QVERIFY2(position >= 140 && position < 400, qPrintable(QString::number(position)));
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
