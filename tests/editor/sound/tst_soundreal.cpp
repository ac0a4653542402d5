// Plays a tone through the sound server and checks what came out of the
// PulseAudio null sink's monitor. Exits 77 where no server can be reached.
#include "soundchannel.h"
#include "writtenframes.h"
#include "wavwriter.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>

namespace {

QString run(const QString &program, const QStringList &arguments, bool *ok = nullptr,
            bool errorChannel = false)
{
    QProcess p;
    p.start(program, arguments);
    const bool done = p.waitForFinished(15000) && p.exitStatus() == QProcess::NormalExit &&
                      p.exitCode() == 0;
    if (ok)
        *ok = done;
    return QString::fromLocal8Bit(errorChannel ? p.readAllStandardError() : p.readAllStandardOutput());
}

// Records the null sink's monitor into path; true once the recorder listens.
bool startRecording(QProcess &recorder, const QString &path)
{
    recorder.start("parecord", {"--latency-msec=20", "-d", "test_sink.monitor", "--file-format=wav",
                                "--rate=44100", "--channels=1", "--format=s16le", path});
    if (!recorder.waitForStarted())
        return false;
    QElapsedTimer waited;
    waited.start();
    while (run("pactl", {"list", "short", "source-outputs"}).trimmed().isEmpty() && waited.elapsed() < 5000)
        QTest::qWait(50);
    return waited.elapsed() < 5000;
}

// An idle null sink sleeps through its long default latency before it takes
// the first stream's second buffer; a stretch of silence first brings it to
// the recorder's pace.
void warmUp(SoundChannel &channel, const QString &silencePath)
{
    WavSpec silence;
    silence.amplitude = 0;
    silence.frames = 44100 * 4;
    QVERIFY(writeFile(silencePath, wavBytes(silence)));
    channel.send("open " + silencePath + " alias sound");
    channel.send("play sound");
    QVERIFY(channel.isAudible());
    QTRY_VERIFY_WITH_TIMEOUT(replyNumber(channel.send("status sound position")) >= 600, 6000);
    channel.send("stop sound");
    channel.send("close sound");
}

// Only what is written of a file that grows from its start.
struct Prefix : WrittenFrames {
    qint64 frames = 0;
    qint64 written = 0;
    bool isGrowing(const QString &) const override { return true; }
    qint64 expectedFrames() const override { return frames; }
    qint64 readyUntil(qint64 frame) const override { return std::max(frame, written); }
};

} // namespace

class TestRealSound : public QObject
{
    Q_OBJECT

private slots:
    void toneReachesTheSink();
    void pauseHoldsPositionOnTheServer();
    void growingFileWaitsAtItsEnd();

private:
    QTemporaryDir m_dir;
};

void TestRealSound::toneReachesTheSink()
{
    QVERIFY(m_dir.isValid());
    WavSpec tone; // 1 s, 440 Hz, stereo, 16-bit, half scale
    const QString tonePath = m_dir.filePath("tone.wav");
    QVERIFY(writeFile(tonePath, wavBytes(tone)));
    const QString recording = m_dir.filePath("rec.wav");
    QProcess recorder;
    QVERIFY(startRecording(recorder, recording));
    SoundChannel channel;
    warmUp(channel, m_dir.filePath("silence.wav"));

    channel.send("open " + tonePath + " alias sound");
    QVERIFY(channel.lastCommandSucceeded());
    QCOMPARE(channel.send("status sound length"), QStringLiteral("1000"));
    QElapsedTimer clock;
    clock.start();
    channel.send("play sound");
    QVERIFY(channel.isAudible());
    QTRY_COMPARE_WITH_TIMEOUT(channel.mode(), SoundChannel::Mode::Stopped, 5000);
    const qint64 took = clock.elapsed();
    // The end comes when the listener has heard it all, not when the file ran out.
    QVERIFY2(took >= 950 && took < 2000, qPrintable(QString::number(took)));
    QCOMPARE(channel.send("status sound position"), QStringLiteral("1000"));
    QCOMPARE(channel.send("status sound length"), QStringLiteral("1000"));
    // The recorder has the tone's end once it has taken in 0.3 s of what
    // the sink played after it.
    const qint64 atEnd = QFileInfo(recording).size();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(recording).size() >= atEnd + 44100 * 2 * 3 / 10, 5000);
    ::kill(pid_t(recorder.processId()), SIGINT);
    QVERIFY(recorder.waitForFinished(5000));

    const QString trimmed = m_dir.filePath("trimmed.wav");
    bool ok = false;
    run("sox", {recording, trimmed, "silence", "1", "0.005", "1%", "reverse", "silence", "1",
                "0.005", "1%", "reverse"}, &ok);
    QVERIFY(ok);
    const double seconds = run("soxi", {"-D", trimmed}, &ok).trimmed().toDouble();
    QVERIFY(ok);
    QVERIFY2(seconds > 0.96 && seconds < 1.04, qPrintable(QString::number(seconds)));
    const QString stat = run("sox", {trimmed, "-n", "stat"}, &ok, true);
    const auto match = QRegularExpression("Rough\\s+frequency:\\s+(\\d+)").match(stat);
    QVERIFY2(match.hasMatch(), qPrintable(stat));
    const int frequency = match.captured(1).toInt();
    QVERIFY2(frequency >= 430 && frequency <= 450, qPrintable(QString::number(frequency)));
    qInfo("tone heard for %.3f s at %d Hz; play to stopped took %lld ms", seconds, frequency, took);
}

void TestRealSound::pauseHoldsPositionOnTheServer()
{
    WavSpec tone;
    tone.frames = 44100 * 3;
    const QString path = m_dir.filePath("three.wav");
    QVERIFY(writeFile(path, wavBytes(tone)));
    SoundChannel channel;
    channel.send("open " + path + " alias sound");
    channel.send("play sound");
    QTRY_VERIFY_WITH_TIMEOUT(replyNumber(channel.send("status sound position")) >= 400, 5000);
    channel.send("pause sound");
    const qint64 paused = replyNumber(channel.send("status sound position"));
    // The server's own clock, not ours, says time has passed: a second
    // stream plays on while the first one is held.
    SoundChannel other;
    other.send("open " + path + " alias sound");
    other.send("play sound");
    QTRY_VERIFY_WITH_TIMEOUT(replyNumber(other.send("status sound position")) >= 300, 5000);
    QVERIFY(qAbs(replyNumber(channel.send("status sound position")) - paused) <= 20);
    other.send("close sound");
    channel.send("resume sound");
    QTRY_VERIFY_WITH_TIMEOUT(replyNumber(channel.send("status sound position")) >= paused + 200,
                             3000);
    channel.send("play sound from 2800");
    QTRY_COMPARE_WITH_TIMEOUT(channel.mode(), SoundChannel::Mode::Stopped, 3000);
    QCOMPARE(channel.send("status sound position"), QStringLiteral("3000"));
}

void TestRealSound::growingFileWaitsAtItsEnd()
{
    // Half a second written, the next half still garbage on disk: what is
    // heard is the tone, a pause where the writer was, then the rest.
    WavSpec tone;
    tone.amplitude = 0.25;
    const QByteArray samples = wavSamples(tone);
    const QByteArray header = "RIFF" + le32(0xFFFFFFFF) + "WAVE" + fmtChunk(tone) + "data" + le32(0xFFFFFFFF);
    const QString path = m_dir.filePath("growing.wav");
    QVERIFY(writeFile(path, header + samples.left(samples.size() / 2) + QByteArray(samples.size() / 2, '\x7f')));
    Prefix written;
    written.frames = tone.frames;
    written.written = tone.frames / 2;

    const QString recording = m_dir.filePath("growing-rec.wav");
    QProcess recorder;
    QVERIFY(startRecording(recorder, recording));
    SoundChannel channel;
    warmUp(channel, m_dir.filePath("silence.wav"));
    channel.setWrittenFrames(&written);
    channel.send("open " + path + " alias sound");
    QCOMPARE(channel.send("status sound length"), QStringLiteral("1000"));
    channel.send("play sound");
    QTRY_COMPARE_WITH_TIMEOUT(channel.send("status sound position"), QStringLiteral("500"), 5000);
    QCOMPARE(channel.mode(), SoundChannel::Mode::Playing);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(header.size() + samples.size() / 2));
    QVERIFY(file.write(samples.mid(samples.size() / 2)) == samples.size() / 2);
    file.close();
    written.written = tone.frames;
    QTRY_COMPARE_WITH_TIMEOUT(channel.mode(), SoundChannel::Mode::Stopped, 5000);
    QCOMPARE(channel.send("status sound position"), QStringLiteral("1000"));
    channel.send("close sound");
    const qint64 atEnd = QFileInfo(recording).size();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(recording).size() >= atEnd + 44100 * 2 * 3 / 10, 5000);
    ::kill(pid_t(recorder.processId()), SIGINT);
    QVERIFY(recorder.waitForFinished(5000));

    bool ok = false;
    const QString trimmed = m_dir.filePath("growing-trimmed.wav");
    run("sox", {recording, trimmed, "silence", "1", "0.005", "1%", "reverse", "silence", "1", "0.005", "1%",
                "reverse"}, &ok);
    QVERIFY(ok);
    const double seconds = run("soxi", {"-D", trimmed}, &ok).trimmed().toDouble();
    // All of the tone, with the wait somewhere in it.
    QVERIFY2(seconds > 0.96, qPrintable(QString::number(seconds)));
    const QString stat = run("sox", {trimmed, "-n", "stat"}, &ok, true);
    const auto match = QRegularExpression("Maximum amplitude:\\s+([0-9.]+)").match(stat);
    QVERIFY2(match.hasMatch(), qPrintable(stat));
    // A quarter-scale tone, never the full-scale garbage past the writer.
    QVERIFY2(match.captured(1).toDouble() < 0.35, qPrintable(stat));
}

int main(int argc, char **argv)
{
    // This test is about the real output; the suite's default is the silent clock.
    qunsetenv("KESMARIN_AUDIO");
    QCoreApplication app(argc, argv);
    auto skip = [](const char *reason) {
        std::printf("SKIP: %s\n", reason);
        return 77;
    };
    for (const char *tool : {"pactl", "parecord", "sox", "soxi"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return skip("a PulseAudio or sox tool is missing (pulseaudio-utils, sox)");
    }
    bool ok = false;
    run("pactl", {"info"}, &ok);
    if (!ok)
        return skip("no PulseAudio server is reachable (run under scripts/with-servers)");
    if (!run("pactl", {"list", "short", "sinks"}).contains(QLatin1String("test_sink")))
        return skip("the server has no null sink named test_sink");
    TestRealSound test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_soundreal.moc"
