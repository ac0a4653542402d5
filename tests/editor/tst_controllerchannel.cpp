// The controller driving the real sound channel (on its silent clock in the
// test environment) over a real WAV file, with the real 100 ms poll.
#include "soundchannel.h"
#include "timelineeditor.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>
#include <cmath>

using Image = TimelineModel::Image;
using Label = TimelineModel::Label;

namespace {

// A mono 16-bit, 8 kHz tone of the given length.
bool writeTone(const QString &path, int milliseconds)
{
    const int rate = 8000;
    const qint64 frames = qint64(rate) * milliseconds / 1000;
    QByteArray data;
    data.reserve(frames * 2);
    for (qint64 i = 0; i < frames; ++i) {
        char s[2];
        qToLittleEndian(qint16(std::lround(8000 * std::sin(2 * M_PI * 440 * i / rate))), s);
        data.append(s, 2);
    }
    auto le32 = [](quint32 v) { char c[4]; qToLittleEndian(v, c); return QByteArray(c, 4); };
    auto le16 = [](quint16 v) { char c[2]; qToLittleEndian(v, c); return QByteArray(c, 2); };
    const QByteArray fmt = le16(1) + le16(1) + le32(rate) + le32(rate * 2) + le16(2) + le16(16);
    const QByteArray bytes = "RIFF" + le32(quint32(36 + data.size())) + "WAVE" + "fmt " + le32(16) + fmt
        + "data" + le32(quint32(data.size())) + data;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestControllerChannel : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void playPollPauseResume();
    void selectionEndClosesTheDevice();
    void seekAndPlayToTheEnd();
    void missingWorkFile();
    void randomCutOnAPlayedFile();
    void lengthKnownBeforePlayAndKeptAfterTheChime();

private:
    QTemporaryDir m_dir;
    QString m_work;
    std::unique_ptr<SoundChannel> m_channel;
    std::unique_ptr<TimelineEditor> m_editor;
};

void TestControllerChannel::initTestCase()
{
    if (qgetenv("KESMARIN_AUDIO") != "silent")
        QSKIP("runs on the sound channel's silent clock (KESMARIN_AUDIO=silent)");
    m_work = m_dir.filePath("work dir/open.wav");
    QVERIFY(QDir().mkpath(m_dir.filePath("work dir")));
}

void TestControllerChannel::init()
{
    m_channel = std::make_unique<SoundChannel>();
    m_editor = std::make_unique<TimelineEditor>(*m_channel, m_work);
}

void TestControllerChannel::cleanup()
{
    m_editor.reset();
    m_channel.reset();
    QFile::remove(m_work);
}

void TestControllerChannel::playPollPauseResume()
{
    QVERIFY(writeTone(m_work, 4000));
    TimelineModel &model = m_editor->model();
    PlaybackController &controller = m_editor->controller();
    QVERIFY(controller.Timer2().isActive());
    controller.play();
    QCOMPARE(m_channel->mode(), SoundChannel::Mode::Playing);
    QTRY_COMPARE_WITH_TIMEOUT(model.T(), 4, 1000);
    QTRY_COMPARE_WITH_TIMEOUT(model.text(Label::lblTime), QStringLiteral("00:00:01"), 2000);
    QVERIFY(model.left(Image::imgTopPoint) > 0);
    QCOMPARE(model.left(Image::imgLine), model.left(Image::imgTopPoint) + 90);

    controller.pause();
    QCOMPARE(m_channel->mode(), SoundChannel::Mode::Paused);
    controller.setPollEnabled(false); // the ticks below are driven by hand
    controller.Timer2_Timer();
    const qint64 held = controller.pointerMs();
    const qint64 pausedAt = replyNumber(m_channel->send("status sound position"));
    QVERIFY(pausedAt > 0);
    for (int tick = 0; tick < 3; ++tick)
        controller.Timer2_Timer();
    QCOMPARE(controller.pointerMs(), held);
    QCOMPARE(replyNumber(m_channel->send("status sound position")), pausedAt);

    controller.play();   // resumes from where it paused, not from the start
    QCOMPARE(m_channel->mode(), SoundChannel::Mode::Playing);
    QVERIFY(replyNumber(m_channel->send("status sound position")) >= pausedAt);
    controller.setPollEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(controller.pointerMs() > held, 1000);

    controller.stop();
    QCOMPARE(m_channel->mode(), SoundChannel::Mode::NotOpen);
    QCOMPARE(controller.pointerMs(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(model.left(Image::imgTopPoint), 0, 1000);
    QCOMPARE(model.T(), 4);   // kept after the device closed
}

void TestControllerChannel::selectionEndClosesTheDevice()
{
    QVERIFY(writeTone(m_work, 3000));
    m_editor->selectionState().set(1000, 2000);
    PlaybackController &controller = m_editor->controller();
    controller.setPollEnabled(false); // the test drives the ticks
    controller.playSelection();
    QCOMPARE(m_channel->mode(), SoundChannel::Mode::Playing);
    QVERIFY(controller.isPlayingSelection());
    // Held still inside the selection, the device is left open by the poll.
    m_channel->send("pause sound");
    const qint64 at = replyNumber(m_channel->send("status sound position"));
    QVERIFY(at >= 1000);
    controller.Timer2_Timer();
    QCOMPARE(m_channel->mode() == SoundChannel::Mode::NotOpen, at >= 2000);
    if (at < 2000) {
        QVERIFY(controller.isPlayingSelection());
        m_channel->send("resume sound");
        // Past the selection's end, the next tick closes the device.
        QTRY_VERIFY_WITH_TIMEOUT(replyNumber(m_channel->send("status sound position")) >= 2000, 3000);
        controller.Timer2_Timer();
    }
    QCOMPARE(m_channel->mode(), SoundChannel::Mode::NotOpen);
    QVERIFY(!controller.isPlayingSelection());
    QCOMPARE(m_editor->model().text(Label::lblTime), QStringLiteral("00:00:00"));
}

void TestControllerChannel::seekAndPlayToTheEnd()
{
    QVERIFY(writeTone(m_work, 3000));
    m_editor->controller().play();
    QTRY_COMPARE_WITH_TIMEOUT(m_editor->model().T(), 3, 1000);
    // A press at 2/3 of the strip plays from 2 s; the file ends a second later
    // and the device stays open at its end.
    m_editor->stripPress(10920 * 2 / 3.0);
    const qint64 from = replyNumber(m_channel->send("status sound position"));
    QVERIFY2(from >= 2000 && from < 2150, qPrintable(QString::number(from)));
    QTRY_COMPARE_WITH_TIMEOUT(m_channel->mode(), SoundChannel::Mode::Stopped, 2000);
    QTRY_COMPARE_WITH_TIMEOUT(m_editor->model().left(Image::imgTopPoint), 10920, 500);
    QCOMPARE(m_editor->controller().playRatio(), 1.0);
    QCOMPARE(m_editor->model().text(Label::lblTime), QStringLiteral("00:00:03"));

    // Dragging the pointer past the end: the seek fails, the device stays
    // open and stopped at its start, and the poll parks the pointer there.
    m_editor->imagePress(Image::imgTopPoint, 0);
    QCOMPARE(m_channel->mode(), SoundChannel::Mode::NotOpen);
    m_editor->imageMove(Image::imgTopPoint, 2000);
    m_editor->imageRelease(Image::imgTopPoint, 2000);
    QCOMPARE(m_channel->mode(), SoundChannel::Mode::Stopped);
    QVERIFY(m_editor->controller().Timer2().isActive());
    const qint64 length = replyNumber(m_channel->send("status sound length"));
    const qint64 at = replyNumber(m_channel->send("status sound position"));
    QCOMPARE(length, 3000);
    QCOMPARE(at, 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_editor->model().left(Image::imgTopPoint), 0, 500);
    QCOMPARE(m_editor->model().left(Image::imgBottomPoint), 0);
}

void TestControllerChannel::missingWorkFile()
{
    m_editor->controller().play();
    QCOMPARE(m_channel->mode(), SoundChannel::Mode::NotOpen);
    m_editor->stripPress(5000);
    QCOMPARE(m_channel->mode(), SoundChannel::Mode::NotOpen);
    // Two polls later the device still says nothing, and nothing moved.
    QTimer &poll = m_editor->controller().Timer2();
    QVERIFY(poll.isActive());
    QSignalSpy polls(&poll, &QTimer::timeout);
    QTRY_VERIFY(polls.count() >= 2);
    QCOMPARE(m_editor->model().T(), 0);
    QCOMPARE(m_editor->model().left(Image::imgTopPoint), 0);
}

void TestControllerChannel::randomCutOnAPlayedFile()
{
    QCOMPARE(m_editor->randomCut().run(), RandomCut::Outcome::NotPlayed);
    // A 4-second file can never give more than 5 seconds.
    QVERIFY(writeTone(m_work, 4000));
    m_editor->controller().play();
    QTRY_COMPARE_WITH_TIMEOUT(m_editor->model().T(), 4, 1000);
    QCOMPARE(m_editor->randomCut().run(), RandomCut::Outcome::NoneLonger);
    QCOMPARE(m_channel->mode(), SoundChannel::Mode::Playing);   // playback untouched
}

void TestControllerChannel::lengthKnownBeforePlayAndKeptAfterTheChime()
{
    QVERIFY(writeTone(m_work, 20000));
    const QString chime = m_dir.filePath("sound.wav");
    QVERIFY(writeTone(chime, 800));
    TimelineModel &model = m_editor->model();
    PlaybackController &controller = m_editor->controller();
    controller.setPollEnabled(false); // the test drives the ticks

    // Right after a decode, before anything has played.
    controller.learnLength();
    QCOMPARE(model.T(), 20);
    bool endThrow = true;
    m_editor->randomCut().setDraw([&endThrow] { return (endThrow = !endThrow) ? 0.2 : 0.5; });
    QCOMPARE(m_editor->randomCut().run(), RandomCut::Outcome::Chosen);
    QCOMPARE(m_editor->selectionState().endMs(), qint64(10000));
    QCOMPARE(m_editor->selectionState().beginMs(), qint64(4000));

    // The chime after an export holds the alias; the poll leaves the song be.
    const QString shown = model.text(Label::lblTime);
    const qint64 position = controller.pointerMs();
    controller.stopAndClose();
    controller.playChime(chime);
    QCOMPARE(m_channel->mode(), SoundChannel::Mode::Playing);
    for (int tick = 0; tick < 3; ++tick)
        controller.Timer2_Timer();
    QCOMPARE(model.T(), 20);
    QCOMPARE(model.left(Image::imgTopPoint), 0);
    QCOMPARE(model.text(Label::lblTime), shown);
    QCOMPARE(controller.pointerMs(), position);
    // Dragging the end handle still measures against the song.
    m_editor->imagePress(Image::imgSelectTop2, 0);
    m_editor->imageMove(Image::imgSelectTop2, 1000);
    m_editor->imageRelease(Image::imgSelectTop2, 1000);
    QCOMPARE(m_editor->selectionState().endMs(), qint64(12000));
    QCOMPARE(model.text(Label::lblSelLength), QStringLiteral("00:00:08"));

    // Once the song holds the device again, the poll follows it.
    controller.stopAndClose();
    controller.openWorkFile();
    controller.playFromMs(10000);
    controller.Timer2_Timer();
    QCOMPARE(model.T(), 20);
    QVERIFY(model.left(Image::imgTopPoint) >= 10920 / 2);

    // Closing the song forgets its length.
    m_editor->closeFile();
    QCOMPARE(model.T(), 0);
}

QTEST_GUILESS_MAIN(TestControllerChannel)
#include "tst_controllerchannel.moc"
