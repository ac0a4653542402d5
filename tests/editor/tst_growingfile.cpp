// A working file that a decode still writes: its header has no final size
// and bytes past what the decode has reported may be anything. The reader
// takes only the frames the map holds; playback waits, silent, where the
// decode has not been yet and goes on once it has.
#include "decodedmap.h"
#include "sound/wavwriter.h"
#include "soundchannel.h"
#include "timelineeditor.h"
#include "wavreader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int Rate = 44100;

// The decoder's side: a header whose sizes say nothing yet, then blocks.
struct GrowingWav {
    QString path;
    WavSpec spec;
    qint64 headerBytes = 0;

    bool begin(const QString &file, qint64 frames)
    {
        path = file;
        spec.frames = frames;
        spec.amplitude = 0.25;
        const QByteArray header = "RIFF" + le32(0xFFFFFFFF) + "WAVE" + fmtChunk(spec) + "data" + le32(0xFFFFFFFF);
        headerBytes = header.size();
        return writeFile(path, header);
    }
    // Frames [first, end) as the decode writes them; loud garbage instead
    // stands for a block still being written.
    bool write(qint64 first, qint64 end, bool garbage = false)
    {
        QByteArray bytes = wavSamples(spec).mid(first * 4, (end - first) * 4);
        if (garbage)
            bytes.fill('\x7f');
        QFile file(path);
        return file.open(QIODevice::ReadWrite) && file.seek(headerBytes + first * 4) && file.write(bytes) == bytes.size();
    }
};

struct MapFrames : WrittenFrames {
    DecodedMap map;
    bool isGrowing(const QString &) const override { return true; }
    qint64 expectedFrames() const override { return map.expectedFrames(); }
    qint64 readyUntil(qint64 frame) const override { return map.readyUntil(frame); }
};

} // namespace

class TestGrowingFile : public QObject
{
    Q_OBJECT
private slots:
    void readerStaysInsideTheMap_data();
    void readerStaysInsideTheMap();
    void playbackWaitsAtTheFrontier();

private:
    QTemporaryDir m_dir;
};

void TestGrowingFile::readerStaysInsideTheMap_data()
{
    // Runs the decode has reported, and a stretch of garbage past them.
    QTest::addColumn<QList<qint64>>("runs");
    QTest::addColumn<qint64>("seek");
    QTest::addColumn<qint64>("readable");
    QTest::newRow("the prefix") << QList<qint64>{0, 1000} << 0LL << 1000LL;
    QTest::newRow("inside the prefix") << QList<qint64>{0, 1000} << 600LL << 400LL;
    QTest::newRow("at the frontier") << QList<qint64>{0, 1000} << 1000LL << 0LL;
    QTest::newRow("a later run, not yet the gap") << QList<qint64>{0, 1000, 3000, 4000} << 3500LL << 500LL;
    QTest::newRow("in the gap between runs") << QList<qint64>{0, 1000, 3000, 4000} << 2000LL << 0LL;
    QTest::newRow("the whole") << QList<qint64>{0, 8000} << 7000LL << 1000LL;
}

void TestGrowingFile::readerStaysInsideTheMap()
{
    QFETCH(QList<qint64>, runs);
    QFETCH(qint64, seek);
    QFETCH(qint64, readable);
    GrowingWav wav;
    QVERIFY(wav.begin(m_dir.filePath("reader.wav"), 8000));
    MapFrames written;
    written.map.reset(8000);
    QVERIFY(wav.write(0, 8000, true));
    for (qsizetype i = 0; i + 1 < runs.size(); i += 2) {
        QVERIFY(wav.write(runs[i], runs[i + 1]));
        written.map.add(runs[i], runs[i + 1]);
    }
    WavReader reader;
    QVERIFY(reader.open(wav.path));
    reader.setWrittenFrames(&written);
    QCOMPARE(reader.frameCount(), 8000);
    QCOMPARE(reader.lengthMilliSeconds(), 8000 * 1000 / Rate);
    reader.seekFrame(seek);
    QByteArray out(8000 * 4, '\0');
    qint64 got = 0;
    while (const qint64 n = reader.readFrames(out.data() + got * 4, 97))
        got += n;
    QCOMPARE(got, readable);
    // Every sample given is the tone's own, none of the garbage.
    QCOMPARE(out.left(got * 4), wavSamples(wav.spec).mid(seek * 4, got * 4));
    QCOMPARE(reader.framePosition(), seek + readable);
}

void TestGrowingFile::playbackWaitsAtTheFrontier()
{
    // The real channel on its silent clock: the position it reports is what
    // it has played.
    SoundChannel channel;
    GrowingWav wav;
    QVERIFY(wav.begin(m_dir.filePath("open.wav"), 2 * Rate));
    TimelineEditor editor(channel, wav.path);
    PlaybackController &controller = editor.controller();
    controller.setPollEnabled(false);
    auto position = [&] { return replyNumber(channel.send("status sound position")); };

    editor.decodeStarted(wav.path, 2 * Rate, Rate, 2);
    QVERIFY(wav.write(0, Rate / 2));
    QVERIFY(wav.write(Rate / 2, Rate, true)); // being written, not reported
    editor.decodedStretch(0, Rate / 2);
    controller.learnLength();
    QCOMPARE(editor.model().lengthMs(), 2000);

    controller.play();
    QCOMPARE(channel.send("status sound length"), QStringLiteral("2000"));
    // Caught up with the decode: it waits there, still playing.
    QTRY_COMPARE_WITH_TIMEOUT(position(), 500, 5000);
    QCOMPARE(channel.mode(), SoundChannel::Mode::Playing);
    QVERIFY(controller.isSounding());

    QVERIFY(wav.write(Rate / 2, Rate));
    editor.decodedStretch(Rate / 2, Rate);
    QTRY_VERIFY_WITH_TIMEOUT(position() > 500, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(position(), 1000, 5000);

    // A seek into what is not decoded yet: the pointer goes there and waits.
    controller.stopAndClose();
    controller.openWorkFile();
    controller.playFromMs(1500);
    QCOMPARE(position(), 1500);
    QCOMPARE(channel.mode(), SoundChannel::Mode::Playing);
    QVERIFY(wav.write(Rate, 2 * Rate));
    editor.decodedStretch(Rate, 2 * Rate);
    editor.decodeComplete(2 * Rate);
    QTRY_COMPARE_WITH_TIMEOUT(channel.mode(), SoundChannel::Mode::Stopped, 5000);
    QCOMPARE(position(), 2000);
}

QTEST_GUILESS_MAIN(TestGrowingFile)
#include "tst_growingfile.moc"
