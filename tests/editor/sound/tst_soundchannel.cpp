#include "soundchannel.h"
#include "wavreader.h"
#include "wavwriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(WavSpec)

namespace {

qint64 status(SoundChannel &channel, const char *what)
{
    return replyNumber(channel.send(QStringLiteral("status sound ") + QLatin1String(what)));
}

} // namespace

class TestSoundChannel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsEveryLayout_data();
    void readsEveryLayout();
    void readerStreamsAndSeeks();
    void badFilesOpenNothing_data();
    void badFilesOpenNothing();
    void tolerantHeaders_data();
    void tolerantHeaders();
    void openPathForms_data();
    void openPathForms();
    void oneDeviceUnderTheAlias();
    void malformedCommandsFail_data();
    void malformedCommandsFail();
    void envelopeRanges_data();
    void envelopeRanges();
    void transport();
    void endOfFileStaysOpenAndStopped();
    void playFromBeyondEndPlaysNothing_data();
    void playFromBeyondEndPlaysNothing();

private:
    QString file(const QString &name, const WavSpec &spec = WavSpec());
    QTemporaryDir m_dir;
};

void TestSoundChannel::initTestCase()
{
    qputenv("KESMARIN_AUDIO", "silent");
    QVERIFY(m_dir.isValid());
}

QString TestSoundChannel::file(const QString &name, const WavSpec &spec)
{
    const QString path = m_dir.filePath(name);
    if (!QFile::exists(path))
        writeFile(path, wavBytes(spec));
    return path;
}

void TestSoundChannel::readsEveryLayout_data()
{
    QTest::addColumn<WavSpec>("spec");
    auto spec = [](quint16 tag, quint16 sub, int bits, int channels, int rate) {
        WavSpec s;
        s.tag = tag;
        s.subTag = sub;
        s.bits = bits;
        s.channels = channels;
        s.rate = rate;
        s.frames = rate * 3 / 4; // 750 ms
        return s;
    };
    QTest::newRow("8-bit mono 8 kHz") << spec(1, 1, 8, 1, 8000);
    QTest::newRow("16-bit stereo 44.1 kHz") << spec(1, 1, 16, 2, 44100);
    QTest::newRow("24-bit mono 48 kHz") << spec(1, 1, 24, 1, 48000);
    QTest::newRow("32-bit stereo 22.05 kHz") << spec(1, 1, 32, 2, 22050);
    QTest::newRow("float stereo 44.1 kHz") << spec(3, 3, 32, 2, 44100);
    QTest::newRow("extensible 16-bit stereo") << spec(0xFFFE, 1, 16, 2, 44100);
    QTest::newRow("extensible 24-bit mono") << spec(0xFFFE, 1, 24, 1, 96000);
    QTest::newRow("extensible float mono") << spec(0xFFFE, 3, 32, 1, 16000);
    QTest::newRow("six channels mixed to stereo") << spec(1, 1, 16, 6, 48000);
}

void TestSoundChannel::readsEveryLayout()
{
    QFETCH(WavSpec, spec);
    const QString path = file(QString::fromLatin1(QTest::currentDataTag()) + ".wav", spec);

    SoundChannel channel;
    channel.send("open " + path + " alias sound");
    QVERIFY(channel.lastCommandSucceeded());
    // Whole milliseconds, cut down (16537 frames at 22050 Hz are 749.9 ms).
    QCOMPARE(status(channel, "length"), spec.rate == 22050 ? 749 : 750);
    QCOMPARE(status(channel, "position"), 0);

    // The samples come out as 16-bit values of the same tone.
    WavReader reader;
    QVERIFY(reader.open(path));
    const int out = reader.outputChannels();
    QCOMPARE(out, spec.channels == 1 ? 1 : 2);
    QByteArray buffer(200 * out * 2, '\0');
    QCOMPARE(reader.readFrames(buffer.data(), 200), 200);
    const double tolerance = spec.bits == 8 ? 300 : 3;
    for (qint64 i = 0; i < 200; ++i) {
        for (int c = 0; c < out; ++c) {
            double expected = toneAt(spec, i, c);
            if (spec.channels > 2) {
                double sum = 0;
                for (int k = c; k < spec.channels; k += 2)
                    sum += toneAt(spec, i, k);
                expected = sum / (spec.channels / 2);
            }
            const qint16 got = qFromLittleEndian<qint16>(buffer.constData() + (i * out + c) * 2);
            QVERIFY2(std::abs(got - expected * 32767) <= tolerance,
                     qPrintable(QStringLiteral("frame %1 channel %2: %3, expected %4")
                                    .arg(i).arg(c).arg(got).arg(expected * 32767)));
        }
    }
}

void TestSoundChannel::readerStreamsAndSeeks()
{
    WavSpec spec;
    spec.channels = 1;
    spec.rate = 8000;
    spec.frames = 8000;
    const QString path = file("seek.wav", spec);
    WavReader reader;
    QVERIFY(reader.open(path));
    QByteArray all(8000 * 2, '\0');
    qint64 total = 0;
    // Small reads until the end give every frame once.
    while (const qint64 n = reader.readFrames(all.data() + total * 2, 333))
        total += n;
    QCOMPARE(total, 8000);
    QCOMPARE(reader.readFrames(all.data(), 10), 0);

    reader.seekFrame(4000);
    QByteArray part(20, '\0');
    QCOMPARE(reader.readFrames(part.data(), 10), 10);
    QCOMPARE(part, all.mid(4000 * 2, 20));
    reader.seekFrame(999999); // clamped to the end
    QCOMPARE(reader.framePosition(), 8000);
    QCOMPARE(reader.readFrames(part.data(), 10), 0);
}

void TestSoundChannel::badFilesOpenNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    WavSpec s;
    s.frames = 100;
    const QByteArray good = wavBytes(s);
    auto with = [](WavSpec spec) { spec.frames = 100; return wavBytes(spec); };
    WavSpec mp3InWav;
    mp3InWav.tag = 0x55;
    WavSpec twelveBit;
    twelveBit.bits = 12;
    WavSpec noChannels;
    noChannels.channels = 0;
    WavSpec noRate;
    noRate.rate = 0;
    WavSpec floatSixteen;
    floatSixteen.tag = 3;
    floatSixteen.bits = 16;

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("one byte") << QByteArray("R");
    QTest::newRow("RIFF header only") << good.left(12);
    QTest::newRow("not WAVE (AVI)") << QByteArray(good).replace(8, 4, "AVI ");
    QTest::newRow("not RIFF") << QByteArray(good).replace(0, 4, "RIFX");
    QTest::newRow("text named .wav") << QByteArray("this is not sound, only words\n");
    QTest::newRow("no data chunk") << good.left(12 + 8 + 16);
    QTest::newRow("data before fmt") << "RIFF" + le32(4 + 8 + 4 + 24) + "WAVE" + "data" + le32(4) +
                                            QByteArray(4, 0) + fmtChunk(s);
    QTest::newRow("fmt chunk too short") << "RIFF" + le32(4 + 8 + 8) + "WAVE" + "fmt " + le32(8) +
                                                QByteArray(8, 1);
    QTest::newRow("MP3 inside WAV") << with(mp3InWav);
    QTest::newRow("12-bit samples") << with(twelveBit);
    QTest::newRow("no channels") << with(noChannels);
    QTest::newRow("rate 0") << with(noRate);
    QTest::newRow("16-bit float") << with(floatSixteen);
    // Block size disagrees with channels x bytes per sample.
    QTest::newRow("bad block align") << QByteArray(good).replace(12 + 8 + 12, 2, le16(3));
    // Extensible header cut before its sub-format.
    WavSpec ext;
    ext.tag = 0xFFFE;
    QByteArray cut = fmtChunk(ext);
    cut = "fmt " + le32(18) + cut.mid(8, 18);
    QTest::newRow("extensible without sub-format") << "RIFF" + le32(4 + cut.size()) + "WAVE" + cut;
}

void TestSoundChannel::badFilesOpenNothing()
{
    QFETCH(QByteArray, bytes);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".wav");
    QVERIFY(writeFile(path, bytes));

    SoundChannel channel;
    QCOMPARE(channel.send("open " + path + " alias sound"), QString());
    QVERIFY(!channel.lastCommandSucceeded());
    QCOMPARE(channel.mode(), SoundChannel::Mode::NotOpen);
    // No device: every later command fails and the poll reads 0.
    QCOMPARE(channel.send("status sound length"), QString());
    QCOMPARE(status(channel, "position"), 0);
    channel.send("play sound");
    QVERIFY(!channel.lastCommandSucceeded());
    // Nothing was left under the alias: a good file opens next.
    channel.send("open " + file("good.wav") + " alias sound");
    QVERIFY(channel.lastCommandSucceeded());
}

void TestSoundChannel::tolerantHeaders_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("length");
    WavSpec s;
    s.channels = 1;
    s.rate = 8000;
    s.frames = 800;
    const QByteArray good = wavBytes(s);
    // An odd-sized chunk is followed by a pad byte before the next one.
    QTest::newRow("odd chunk before fmt") << wavBytes(s, "LIST" + le32(3) + "abc" + '\0') << 100;
    // A writer that never filled in the sizes: play what is there.
    QTest::newRow("data size unset")
        << QByteArray(good).replace(good.indexOf("data") + 4, 4, le32(0xFFFFFFFF)) << 100;
    QTest::newRow("file cut short") << good.left(good.size() - 800) << 50;
    QTest::newRow("odd last byte") << good + 'x' << 100;
}

void TestSoundChannel::tolerantHeaders()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, length);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".wav");
    QVERIFY(writeFile(path, bytes));
    SoundChannel channel;
    channel.send("open " + path + " alias sound");
    QVERIFY(channel.lastCommandSucceeded());
    QCOMPARE(status(channel, "length"), length);
}

void TestSoundChannel::openPathForms_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("quoted");
    QTest::newRow("plain") << "plain.wav" << false;
    QTest::newRow("blanks") << "my  ring tone.wav" << false;
    QTest::newRow("blanks quoted") << "my ring tone.wav" << true;
    QTest::newRow("alias inside the name") << "x alias sound y.wav" << false;
    QTest::newRow("non-ASCII") << "铃声.wav" << false;
    QTest::newRow("dollar and quote") << "$a \"b\".wav" << false;
}

void TestSoundChannel::openPathForms()
{
    QFETCH(QString, name);
    QFETCH(bool, quoted);
    WavSpec spec;
    spec.frames = 22050;
    const QString path = file(name, spec);
    SoundChannel channel;
    const QString shown = quoted ? u'"' + path + u'"' : path;
    channel.send("open " + shown + " alias sound");
    QVERIFY(channel.lastCommandSucceeded());
    QCOMPARE(channel.openedPath(), path);
    QCOMPARE(status(channel, "length"), 500);
}

void TestSoundChannel::oneDeviceUnderTheAlias()
{
    WavSpec longer;
    longer.frames = 88200;
    const QString first = file("first.wav");
    const QString second = file("second.wav", longer);
    SoundChannel channel;
    channel.send("open " + first + " alias sound");
    QVERIFY(channel.lastCommandSucceeded());
    channel.send("play sound");
    // A second open fails while one is open, even of another file, and the
    // first device carries on.
    QCOMPARE(channel.send("open " + second + " alias sound"), QString());
    QVERIFY(!channel.lastCommandSucceeded());
    QCOMPARE(channel.openedPath(), first);
    QCOMPARE(status(channel, "length"), 1000);
    QCOMPARE(channel.mode(), SoundChannel::Mode::Playing);
    // Stop and close first, as the callers do; then it opens.
    channel.send("stop sound");
    channel.send("close sound");
    QVERIFY(channel.lastCommandSucceeded());
    channel.send("open " + second + " alias sound");
    QVERIFY(channel.lastCommandSucceeded());
    QCOMPARE(status(channel, "length"), 2000);
    QCOMPARE(status(channel, "position"), 0);
}

void TestSoundChannel::malformedCommandsFail_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("empty") << "";
    QTest::newRow("other alias") << "play music";
    QTest::newRow("from without number") << "play sound from";
    QTest::newRow("negative offset") << "play sound from -5";
    QTest::newRow("offset with letters") << "play sound from 12x";
    QTest::newRow("play to where it starts") << "play sound from 100 to 100";
    QTest::newRow("status mode") << "status sound mode";
    QTest::newRow("seek") << "seek sound to start";
    QTest::newRow("open without path") << "open  alias sound";
    QTest::newRow("open other alias") << "open /x.wav alias music";
    QTest::newRow("open without alias") << "open /x.wav";
    QTest::newRow("stop with extra word") << "stop sound now";
}

void TestSoundChannel::malformedCommandsFail()
{
    QFETCH(QString, command);
    SoundChannel channel;
    channel.send("open " + file("good.wav") + " alias sound");
    QVERIFY(channel.lastCommandSucceeded());
    QCOMPARE(channel.send(command), QString());
    QVERIFY(!channel.lastCommandSucceeded());
    QCOMPARE(channel.mode(), SoundChannel::Mode::Stopped);
    QCOMPARE(status(channel, "length"), 1000);
}

void TestSoundChannel::envelopeRanges_data()
{
    QTest::addColumn<QString>("values"); // FROM TO FADEIN FADEOUT GAIN
    QTest::addColumn<bool>("accepted");
    QTest::newRow("a stretch with fades") << "250 750 100 100 -300" << true;
    QTest::newRow("fades longer than the stretch are cut") << "0 1000 5000 5000 0" << true;
    QTest::newRow("gain at the limits") << "0 1000 0 0 -9600" << true;
    QTest::newRow("a year past the file") << "31622400000 31622400000 0 0 9600" << true;
    QTest::newRow("gain past 96 dB") << "0 1000 0 0 9601" << false;
    QTest::newRow("lowest 64-bit gain") << "0 1000 0 0 -9223372036854775808" << false;
    QTest::newRow("end before begin") << "2000 1000 0 0 0" << false;
    QTest::newRow("negative begin") << "-1 1000 0 0 0" << false;
    QTest::newRow("negative fade") << "0 1000 -1 0 0" << false;
    QTest::newRow("end past a year") << "0 31622400001 0 0 0" << false;
    QTest::newRow("highest 64-bit times") << "9223372036854775807 9223372036854775807 0 0 0" << false;
    QTest::newRow("highest 64-bit fade") << "0 1000 0 9223372036854775807 0" << false;
    QTest::newRow("beyond 64 bits") << "0 99999999999999999999 0 0 0" << false;
    QTest::newRow("four numbers") << "0 1000 0 0" << false;
}

void TestSoundChannel::envelopeRanges()
{
    QFETCH(QString, values);
    QFETCH(bool, accepted);
    SoundChannel channel;
    channel.send("open " + file("good.wav") + " alias sound");
    QCOMPARE(channel.send("setaudio sound envelope " + values), QString());
    QCOMPARE(channel.lastCommandSucceeded(), accepted);
    // Whatever the envelope, the device plays on from where it is told.
    channel.send("play sound from 500");
    QVERIFY(channel.lastCommandSucceeded());
    QCOMPARE(channel.mode(), SoundChannel::Mode::Playing);
}

void TestSoundChannel::transport()
{
    WavSpec spec;
    spec.frames = 44100 * 10;
    const QString path = file("ten.wav", spec);
    SoundChannel channel;
    channel.send("open " + path + " alias sound");
    QCOMPARE(channel.send("status sound length"), QStringLiteral("10000"));

    QElapsedTimer sincePlay;
    sincePlay.start();
    channel.send("play sound");
    QVERIFY(channel.lastCommandSucceeded());
    // The position runs with the clock: it gets there, and never ahead of
    // the time that has passed.
    QTRY_VERIFY(status(channel, "position") >= 190);
    const QString reply = channel.send("status sound position");
    const qint64 elapsed = sincePlay.elapsed();
    QVERIFY(QRegularExpression("^\\d+$").match(reply).hasMatch());
    const qint64 playing = replyNumber(reply);
    QVERIFY2(playing >= 190 && playing <= elapsed, qPrintable(reply));

    // Pause holds the position; resume goes on from it.
    channel.send("pause sound");
    QVERIFY(channel.lastCommandSucceeded());
    const qint64 paused = status(channel, "position");
    // Waiting proves that nothing moves: at least this long passes, and a
    // clock left running would show it in the millisecond position.
    QTest::qWait(150);
    QCOMPARE(status(channel, "position"), paused);
    QCOMPARE(channel.mode(), SoundChannel::Mode::Paused);
    QElapsedTimer sinceResume;
    sinceResume.start();
    channel.send("resume sound");
    QTRY_VERIFY(status(channel, "position") >= paused + 90);
    const qint64 resumed = status(channel, "position");
    QVERIFY(resumed >= paused + 90 && resumed <= paused + sinceResume.elapsed() + 1); // + 1: both round down

    // Play while paused resumes too.
    channel.send("pause sound");
    const qint64 pausedAgain = status(channel, "position");
    channel.send("play sound");
    QCOMPARE(channel.mode(), SoundChannel::Mode::Playing);
    QVERIFY(status(channel, "position") >= pausedAgain);

    // Stop keeps the place; play goes on from there.
    channel.send("stop sound");
    const qint64 stopped = status(channel, "position");
    QTest::qWait(100); // as after the pause
    QCOMPARE(status(channel, "position"), stopped);
    QCOMPARE(channel.mode(), SoundChannel::Mode::Stopped);
    channel.send("play sound");
    QVERIFY(status(channel, "position") >= stopped);

    // Play from an offset, while playing and while paused.
    channel.send("play sound from 7000");
    QVERIFY(channel.lastCommandSucceeded());
    const qint64 seeked = status(channel, "position");
    QVERIFY(seeked >= 7000 && seeked < 9000);
    channel.send("pause sound");
    channel.send("play sound from 3000");
    QCOMPARE(channel.mode(), SoundChannel::Mode::Playing);
    const qint64 back = status(channel, "position");
    QVERIFY(back >= 3000 && back < 5000);

    // Resume on a playing device changes nothing.
    channel.send("resume sound");
    QVERIFY(channel.lastCommandSucceeded());
    QCOMPARE(channel.mode(), SoundChannel::Mode::Playing);

    channel.send("stop sound");
    channel.send("close sound");
    QVERIFY(channel.lastCommandSucceeded());
    QCOMPARE(channel.mode(), SoundChannel::Mode::NotOpen);
    QCOMPARE(channel.send("status sound position"), QString());
    for (const char *command : {"play sound", "pause sound", "resume sound", "stop sound",
                                "close sound", "play sound from 0"}) {
        channel.send(QLatin1String(command));
        QVERIFY2(!channel.lastCommandSucceeded(), command);
    }
}

void TestSoundChannel::endOfFileStaysOpenAndStopped()
{
    WavSpec spec;
    spec.frames = 44100 * 3 / 10; // 300 ms
    const QString path = file("short.wav", spec);
    SoundChannel channel;
    channel.send("open " + path + " alias sound");
    channel.send("play sound");
    QTRY_COMPARE_WITH_TIMEOUT(channel.mode(), SoundChannel::Mode::Stopped, 3000);
    QCOMPARE(status(channel, "position"), 300);
    QCOMPARE(status(channel, "length"), 300);
    // Play at the end plays nothing; the device stays where it is.
    channel.send("play sound");
    QCOMPARE(channel.mode(), SoundChannel::Mode::Stopped);
    QCOMPARE(status(channel, "position"), 300);
    // From the start it plays again.
    channel.send("play sound from 0");
    QCOMPARE(channel.mode(), SoundChannel::Mode::Playing);
    QVERIFY(status(channel, "position") < 300);
    // Paused near the end it does not run out on its own.
    channel.send("pause sound");
    // Longer than the rest of the file: a running clock would end it.
    QTest::qWait(400);
    QCOMPARE(channel.mode(), SoundChannel::Mode::Paused);
    QVERIFY(status(channel, "position") < 300);
}

void TestSoundChannel::playFromBeyondEndPlaysNothing_data()
{
    QTest::addColumn<QString>("offset");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<int>("position"); // where the stopped device stands
    QTest::newRow("at the end") << "1000" << true << 1000;
    QTest::newRow("past the end") << "1001" << false << 0;
    QTest::newRow("far past the end") << "999999999999" << false << 0;
}

void TestSoundChannel::playFromBeyondEndPlaysNothing()
{
    QFETCH(QString, offset);
    QFETCH(bool, succeeds);
    QFETCH(int, position);
    SoundChannel channel;
    channel.send("open " + file("good.wav") + " alias sound");
    channel.send("play sound from 500");
    channel.send("play sound from " + offset);
    QCOMPARE(channel.lastCommandSucceeded(), succeeds);
    QCOMPARE(channel.mode(), SoundChannel::Mode::Stopped);
    QCOMPARE(status(channel, "position"), position);
    QCOMPARE(status(channel, "length"), 1000);
    channel.send("play sound from 999");
    QCOMPARE(channel.mode(), SoundChannel::Mode::Playing);
}

QTEST_GUILESS_MAIN(TestSoundChannel)
#include "tst_soundchannel.moc"
