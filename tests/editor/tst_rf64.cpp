// Working files past 4 GB: the 64-bit RF64 form as the coder writes it and
// as the sound channel and the peak extractor read it, with its damaged forms
// refused. The 4 GB case itself is a sparse file, so nothing that large is
// ever written out.
#include "peakextractor.h"
#include "sound/wavwriter.h"
#include "soundchannel.h"
#include "wavheader.h"
#include "wavreader.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdint>

namespace {

QByteArray rf64Bytes(const WavSpec &spec, const Rf64Form &form = {})
{
    const QByteArray data = wavSamples(spec);
    return rf64Header(spec, quint64(data.size()), form) + data;
}

qint64 channelLength(const QString &path)
{
    SoundChannel channel;
    channel.send("open " + path + " alias sound");
    if (!channel.lastCommandSucceeded())
        return -1;
    return replyNumber(channel.send(QStringLiteral("status sound length")));
}

float highestPeak(const QList<Peak> &peaks)
{
    float high = 0;
    for (const Peak &p : peaks)
        high = std::max(high, p.max);
    return high;
}

} // namespace

class TestRf64 : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void headerForms_data();
    void headerForms();
    void pastFourGigabytes();
    void coderRoundTrip_data();
    void coderRoundTrip();

private:
    QTemporaryDir m_dir;
};

void TestRf64::initTestCase()
{
    qputenv("KESMARIN_AUDIO", "silent");
    QVERIFY(m_dir.isValid());
}

void TestRf64::headerForms_data()
{
    // 800 frames of 8 kHz mono, 16-bit: 100 ms. -1: refused.
    WavSpec s;
    s.channels = 1;
    s.rate = 8000;
    s.frames = 800;
    const QByteArray good = rf64Bytes(s);
    const int fmtAt = good.indexOf("fmt ");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("frames");
    QTest::newRow("size in ds64") << good << qint64(800);
    QTest::newRow("32-bit size set in the data chunk") << rf64Bytes(s, {0, 400, 28}) << qint64(200);
    QTest::newRow("ds64 with a table") << rf64Bytes(s, {0, 0xFFFFFFFF, 40}) << qint64(800);
    QTest::newRow("odd ds64 is padded") << rf64Bytes(s, {0, 0xFFFFFFFF, 29}) << qint64(800);
    QTest::newRow("size past the end plays what is there")
        << rf64Bytes(s, {quint64(1) << 40, 0xFFFFFFFF, 28}) << qint64(800);
    QTest::newRow("largest size") << rf64Bytes(s, {~quint64(0), 0xFFFFFFFF, 28}) << qint64(800);
    QTest::newRow("data cut short") << good.left(good.size() - 800) << qint64(400);
    QTest::newRow("no ds64") << "RF64" + le32(0xFFFFFFFF) + good.mid(8, 4) + good.mid(fmtAt) << qint64(-1);
    QTest::newRow("ds64 too short") << rf64Bytes(s, {0, 0xFFFFFFFF, 20}) << qint64(-1);
    QTest::newRow("cut inside ds64") << good.left(30) << qint64(-1);
    QTest::newRow("ds64 longer than the file")
        << QByteArray(good).replace(16, 4, le32(0x7FFFFFF0)) << qint64(-1);
    QTest::newRow("cut before the data chunk") << good.left(good.indexOf("data")) << qint64(-1);
    QTest::newRow("not WAVE") << QByteArray(good).replace(8, 4, "AVI ") << qint64(-1);
    // A plain RIFF file takes "ds64" for a chunk it does not know and the
    // unset 32-bit size for "play to the end".
    QTest::newRow("ds64 in a RIFF file") << QByteArray(good).replace(0, 4, "RIFF") << qint64(800);
}

void TestRf64::headerForms()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, frames);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".wav");
    QVERIFY(writeFile(path, bytes));

    // Both readers agree: the sound channel (length in ms) and the peaks.
    PeakExtractor peaks(path);
    if (frames < 0) {
        QCOMPARE(channelLength(path), -1);
        QVERIFY(!peaks.open());
        QVERIFY(peaks.extract().isEmpty());
        return;
    }
    QCOMPARE(channelLength(path), frames / 8);
    QVERIFY(peaks.open());
    QCOMPARE(peaks.frames(), frames);
    QVERIFY(std::abs(highestPeak(peaks.extract(8)) - 0.5f) < 0.01f);
}

void TestRf64::pastFourGigabytes()
{
    // 4.5 GiB of CD-rate stereo, about 7 h 18 min: silence (a hole in the
    // file) but for the last column of the strip, which holds a tone.
    WavSpec spec;
    const qint64 frameBytes = 4;
    const qint64 frames = ((qint64(9) << 29) / frameBytes);
    const qint64 toneFrames = frames / PeakExtractor::DefaultWidth + 1;
    spec.frames = toneFrames;
    const QByteArray tone = wavSamples(spec);
    spec.frames = frames;
    const QByteArray header = rf64Header(spec, quint64(frames * frameBytes), {});

    const QString path = m_dir.filePath(QStringLiteral("long.wav"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(header), header.size());
        QVERIFY(file.resize(header.size() + frames * frameBytes));
        QVERIFY(file.seek(header.size() + (frames - toneFrames) * frameBytes));
        QCOMPARE(file.write(tone), tone.size());
    }
    const auto removeAfter = qScopeGuard([&] { QFile::remove(path); });

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto parsed = readWavHeader(file, [](const WavFormat &) { return true; });
    QVERIFY(parsed);
    QVERIFY(parsed->rf64);
    QCOMPARE(parsed->dataSize(), frames * frameBytes);
    QVERIFY(parsed->dataSize() > qint64(UINT32_MAX));

    QCOMPARE(channelLength(path), frames * 1000 / 44100);

    // Reading past 4 GB gives the tone back as written.
    WavReader reader;
    QVERIFY(reader.open(path));
    QCOMPARE(reader.frameCount(), frames);
    reader.seekFrame(frames - 100);
    QByteArray got(100 * frameBytes, '\0');
    QCOMPARE(reader.readFrames(got.data(), 100), 100);
    QCOMPARE(got, tone.right(100 * frameBytes));

    PeakExtractor peaks(path);
    const QList<Peak> strip = peaks.extract();
    QCOMPARE(peaks.frames(), frames);
    QCOMPARE(strip.size(), PeakExtractor::DefaultWidth);
    QCOMPARE(strip.first(), Peak{});
    QCOMPARE(strip.at(strip.size() - 2), Peak{});
    QVERIFY(std::abs(strip.last().max - 0.5f) < 0.01f);
}

void TestRf64::coderRoundTrip_data()
{
    QTest::addColumn<QStringList>("arguments"); // between the input and the output
    QTest::addColumn<bool>("forced");
    QTest::addColumn<QByteArray>("form");    // the first four bytes
    QTest::addColumn<qint64>("headerBytes"); // where the samples start
    QTest::addColumn<qint64>("frames");
    // A decode may pass 4 GB, so it keeps room for the 64-bit sizes.
    QTest::newRow("decode") << QStringList{"-y", "-vn"} << false << QByteArray("RIFF") << qint64(80)
                            << qint64(44100);
    QTest::newRow("decode in the 64-bit form")
        << QStringList{"-y", "-vn"} << true << QByteArray("RF64") << qint64(80) << qint64(44100);
    // A short cut cannot, and keeps the plain header.
    QTest::newRow("short cut") << QStringList{"-ss", "0", "-t", "0.5", "-y"} << false << QByteArray("RIFF")
                               << qint64(44) << qint64(22050);
}

void TestRf64::coderRoundTrip()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, forced);
    QFETCH(QByteArray, form);
    QFETCH(qint64, headerBytes);
    QFETCH(qint64, frames);
    const QString source = m_dir.filePath(QStringLiteral("tone.wav"));
    QVERIFY(writeFile(source, wavBytes(WavSpec())));
    const QString work = m_dir.filePath(QStringLiteral("open.wav"));

    QProcess coder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (forced)
        env.insert(QStringLiteral("KESMARIN_CODER_RF64"), QStringLiteral("always"));
    coder.setProcessEnvironment(env);
    coder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    coder.start(QStringLiteral(KESMARIN_CODER), QStringList{"-i", source} + arguments + QStringList{work});
    QVERIFY(coder.waitForFinished(60000));
    QCOMPARE(coder.exitCode(), 0);

    QFile file(work);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.size(), headerBytes + frames * 4);
    QCOMPARE(file.peek(4), form);
    file.close();

    QCOMPARE(channelLength(work), frames * 1000 / 44100);
    PeakExtractor peaks(work);
    QVERIFY(std::abs(highestPeak(peaks.extract()) - 0.5f) < 0.01f);
    QCOMPARE(peaks.frames(), frames);

    // Cut inside its header, the same file is refused by both readers.
    QVERIFY(QFile::resize(work, 30));
    QCOMPARE(channelLength(work), -1);
    PeakExtractor cut(work);
    QVERIFY(!cut.open());
}

QTEST_GUILESS_MAIN(TestRf64)
#include "tst_rf64.moc"
