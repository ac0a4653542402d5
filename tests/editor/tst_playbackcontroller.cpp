// The transport operations, the poll and seeking, checked by the commands
// they send through a recording device.
#include "formattime.h"
#include "playbackcontroller.h"
#include "playpointer.h"
#include "recordingsound.h"
#include "selection.h"
#include "selectioneditor.h"
#include "timelinemodel.h"
#include "timerow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Image = TimelineModel::Image;
using Label = TimelineModel::Label;
using MarkerSet = TimelineModel::MarkerSet;

class TestPlaybackController : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void playRestartsFromTheBeginning();
    void playWithoutWorkFileStopsOnly();
    void pauseThenPlayResumes();
    void stopResetsPlayState();
    void pollFollowsTheDevice_data();
    void pollFollowsTheDevice();
    void pollWithoutDeviceParksPointer();
    void setAtPointer_data();
    void setAtPointer();
    void playSelection_data();
    void playSelection();
    void selectionEndStopsPlayback();
    void strip_data();
    void strip();
    void pointerDrag();
    void pointerDragWhilePlayingSelection();
    void nestedPollTickIsDropped();
    void stopInsidePlayRunsAfterIt();
    void pointerClickDuringPollTick();

private:
    struct Rig
    {
        explicit Rig(const QString &workFile, int twipsPerPixel = 15)
            : model(twipsPerPixel), controller(selection, model, sound, workFile), pointer(model, controller),
              editor(selection, model)
        {
            model.follow(selection);
            controller.setPollEnabled(false);
            controller.setEventPump([this] { ++pumps; });
        }
        // One tick over a device of the given length, at the given position.
        void tick(qint64 lengthMs, qint64 positionMs)
        {
            sound.lengthMs = lengthMs;
            sound.positionMs = positionMs;
            controller.Timer2_Timer();
        }
        Selection selection;
        RecordingSound sound;
        TimelineModel model;
        PlaybackController controller;
        PlayPointer pointer;
        SelectionEditor editor;
        int pumps = 0;
    };

    QString openCommand() const { return "open " + m_workFile + " alias sound"; }

    QTemporaryDir m_dir;
    QString m_workFile;
};

void TestPlaybackController::init()
{
    QVERIFY(m_dir.isValid());
    m_workFile = m_dir.filePath("open file.wav");   // a blank in the path
    QFile file(m_workFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void TestPlaybackController::playRestartsFromTheBeginning()
{
    Rig rig(m_workFile);
    rig.controller.play();
    const QStringList expected{"stop sound", "close sound", "stop sound", "close sound", openCommand(),
                               "play sound"};
    QCOMPARE(rig.sound.take(), expected);
    QCOMPARE(rig.pumps, 2);   // after each stop/close pair
    QVERIFY(rig.sound.isOpen);
    // Play again while playing restarts.
    rig.controller.play();
    QCOMPARE(rig.sound.take(), expected);
}

void TestPlaybackController::playWithoutWorkFileStopsOnly()
{
    Rig rig(m_dir.filePath("missing.wav"));
    rig.controller.play();
    const QStringList expected{"stop sound", "close sound", "stop sound", "close sound"};
    QCOMPARE(rig.sound.take(), expected);
}

void TestPlaybackController::pauseThenPlayResumes()
{
    Rig rig(m_workFile);
    rig.controller.pause();
    QVERIFY(rig.controller.isPaused());   // even with nothing playing
    QCOMPARE(rig.sound.take(), QStringList{"pause sound"});
    rig.controller.play();
    QCOMPARE(rig.sound.take(), QStringList{"resume sound"});
    QVERIFY(rig.controller.isPaused());
    // Still paused as far as Play knows: it resumes again rather than restarting.
    rig.controller.play();
    QCOMPARE(rig.sound.take(), QStringList{"resume sound"});
    rig.controller.stop();
    rig.sound.take();
    rig.controller.play();
    QCOMPARE(rig.sound.take().last(), "play sound");
}

void TestPlaybackController::stopResetsPlayState()
{
    Rig rig(m_workFile);
    rig.controller.play();
    rig.selection.set(10000, 60000);
    rig.controller.playSelection();
    rig.tick(120000, 30000);
    rig.controller.pause();
    QVERIFY(rig.controller.isPaused() && rig.controller.isPlayingSelection());
    QCOMPARE(rig.model.text(Label::lblTime), "00:00:30");
    const int pointerAt = rig.model.left(Image::imgTopPoint);
    rig.sound.take();
    rig.controller.stop();
    QCOMPARE(rig.sound.take(), (QStringList{"stop sound", "close sound"}));
    QVERIFY(!rig.controller.isPaused());
    QVERIFY(!rig.controller.isPlayingSelection());
    QCOMPARE(rig.controller.pointerMs(), 0);
    QCOMPARE(rig.model.text(Label::lblTime), "00:00:00");
    QCOMPARE(rig.model.left(Image::imgTopPoint), pointerAt);   // the next tick parks it
    QCOMPARE(rig.model.T(), 120);                              // T outlives the device
}

void TestPlaybackController::pollFollowsTheDevice_data()
{
    QTest::addColumn<int>("twipsPerPixel");
    QTest::addColumn<qint64>("lengthMs");
    QTest::addColumn<qint64>("positionMs");
    QTest::addColumn<int>("T");
    QTest::addColumn<int>("pointerL");
    QTest::addColumn<QString>("time");
    QTest::newRow("start") << 15 << qint64(218000) << qint64(0) << 218 << 0 << "00:00:00";
    QTest::newRow("middle") << 15 << qint64(120000) << qint64(60000) << 120 << 5460 << "00:01:00";
    QTest::newRow("end") << 15 << qint64(218000) << qint64(218000) << 218 << 10920 << "00:03:38";
    QTest::newRow("T is floored") << 15 << qint64(218999) << qint64(0) << 218 << 0 << "00:00:00";
    QTest::newRow("play time in whole seconds, never rounded up")
        << 15 << qint64(3600000) << qint64(3412140) << 3600 << 10350 << "00:56:52";
    QTest::newRow("12 twips") << 12 << qint64(100000) << qint64(50000) << 100 << 4368 << "00:00:50";
    // A file shorter than a second: T = 0, so every time reads 0.
    QTest::newRow("0.4 s file") << 15 << qint64(400) << qint64(200) << 0 << 5460 << "00:00:00";
    QTest::newRow("over 100 hours") << 15 << qint64(360000000) << qint64(360000000) << 360000 << 10920
                                    << "100:00:00";
}

void TestPlaybackController::pollFollowsTheDevice()
{
    QFETCH(int, twipsPerPixel);
    QFETCH(qint64, lengthMs);
    QFETCH(qint64, positionMs);
    Rig rig(m_workFile, twipsPerPixel);
    rig.sound.isOpen = true;
    rig.tick(lengthMs, positionMs);
    QCOMPARE(rig.sound.take(), (QStringList{"status sound length", "status sound position"}));
    QTEST(int(rig.model.T()), "T");
    QTEST(rig.model.left(Image::imgTopPoint), "pointerL");
    QTEST(rig.model.left(Image::imgBottomPoint), "pointerL");
    QFETCH(int, pointerL);
    QCOMPARE(rig.model.left(Image::imgLine), pointerL + rig.model.geometry().LineOffset());
    QTEST(rig.model.text(Label::lblTime), "time");
    QCOMPARE(rig.controller.pointerMs(), positionMs);
    QCOMPARE(rig.controller.playRatio(), double(positionMs) / double(lengthMs));
}

void TestPlaybackController::pollWithoutDeviceParksPointer()
{
    Rig rig(m_workFile);
    rig.sound.isOpen = true;
    rig.tick(100000, 75000);
    rig.sound.isOpen = false;
    rig.sound.take();
    rig.tick(100000, 75000);
    // Only the length is asked; everything but the pointer stays.
    QCOMPARE(rig.sound.take(), QStringList{"status sound length"});
    QCOMPARE(rig.model.left(Image::imgTopPoint), 0);
    QCOMPARE(rig.model.left(Image::imgBottomPoint), 0);
    QCOMPARE(rig.model.left(Image::imgLine), 90);
    QCOMPARE(rig.model.T(), 100);
    QCOMPARE(rig.controller.pointerMs(), 75000);
    QCOMPARE(rig.model.text(Label::lblTime), "00:01:15");
}

void TestPlaybackController::setAtPointer_data()
{
    QTest::addColumn<bool>("setEnd");
    QTest::addColumn<int>("selBegin");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<qint64>("positionMs");   // of a 100 s file
    QTest::addColumn<bool>("accepted");
    QTest::newRow("begin, no end chosen, anywhere") << false << 0 << 0 << qint64(99000) << true;
    QTest::newRow("begin before the end") << false << 0 << 30 << qint64(29000) << true;
    QTest::newRow("begin at the end refused") << false << 0 << 30 << qint64(30000) << false;
    QTest::newRow("begin after the end refused") << false << 0 << 30 << qint64(45000) << false;
    QTest::newRow("begin a hair before the end: exact") << false << 0 << 30 << qint64(29600) << true;
    QTest::newRow("end after the begin") << true << 10 << 0 << qint64(40000) << true;
    QTest::newRow("end equal to the begin accepted") << true << 10 << 0 << qint64(10000) << true;
    QTest::newRow("end before the begin refused") << true << 10 << 0 << qint64(9000) << false;
}

void TestPlaybackController::setAtPointer()
{
    QFETCH(bool, setEnd);
    QFETCH(int, selBegin);
    QFETCH(int, selEnd);
    QFETCH(qint64, positionMs);
    QFETCH(bool, accepted);
    Rig rig(m_workFile);
    rig.sound.isOpen = true;
    rig.tick(100000, positionMs);
    rig.selection.set(qint64(selBegin) * 1000, qint64(selEnd) * 1000);
    rig.sound.take();
    const auto handle = setEnd ? SelectionEditor::Handle::End : SelectionEditor::Handle::Begin;
    rig.editor.setAtPointer(handle, rig.controller.pointerMs());

    QVERIFY(rig.sound.take().isEmpty());   // no playback change
    const Image top = setEnd ? Image::imgSelectTop2 : Image::imgSelectTop1;
    const Label label = setEnd ? Label::lblSelEnd : Label::lblSelBegin;
    if (accepted) {
        QCOMPARE(setEnd ? rig.selection.endMs() : rig.selection.beginMs(), positionMs);
        QCOMPARE(rig.model.text(label), TimeRow::format(positionMs, positionMs % 1000 != 0));
        QVERIFY(rig.model.isVisible(top));
        QCOMPARE(rig.model.left(top), rig.model.leftAt(positionMs));
        if (setEnd)
            QCOMPARE(rig.model.text(Label::lblSelLength), TimeRow::format(positionMs - selBegin * 1000, false));
    } else {
        QCOMPARE(rig.selection.beginMs(), qint64(selBegin) * 1000);
        QCOMPARE(rig.selection.endMs(), qint64(selEnd) * 1000);
        QVERIFY(!rig.model.isVisible(top));
    }
}

void TestPlaybackController::playSelection_data()
{
    QTest::addColumn<int>("selBegin");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<bool>("workFileExists");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<bool>("playing");
    QTest::newRow("nothing chosen") << 0 << 0 << true << QStringList() << false;
    QTest::newRow("begin and end") << 12 << 40 << true
                                   << QStringList{"stop sound", "close sound", "OPEN", "play sound from 12000 to 40000"}
                                   << true;
    QTest::newRow("only an end") << 0 << 40 << true
                                 << QStringList{"stop sound", "close sound", "OPEN", "play sound from 0 to 40000"} << true;
    QTest::newRow("only a begin plays to the end") << 7 << 0 << true
                                                   << QStringList{"stop sound", "close sound", "OPEN",
                                                                  "play sound from 7000"}
                                                   << true;
    QTest::newRow("no working file") << 12 << 40 << false << QStringList{"stop sound", "close sound"} << false;
}

void TestPlaybackController::playSelection()
{
    QFETCH(int, selBegin);
    QFETCH(int, selEnd);
    QFETCH(bool, workFileExists);
    QFETCH(QStringList, commands);
    QFETCH(bool, playing);
    Rig rig(workFileExists ? m_workFile : m_dir.filePath("gone.wav"));
    rig.selection.set(qint64(selBegin) * 1000, qint64(selEnd) * 1000);
    rig.controller.playSelection();
    commands.replaceInStrings("OPEN", openCommand());
    QCOMPARE(rig.sound.take(), commands);
    QCOMPARE(rig.controller.isPlayingSelection(), playing);
}

void TestPlaybackController::selectionEndStopsPlayback()
{
    Rig rig(m_workFile);
    rig.selection.set(qint64(10) * 1000, qint64(30) * 1000);
    rig.controller.playSelection();
    rig.controller.pause();
    rig.tick(120000, 29900);   // 29.9 s: not yet
    QVERIFY(rig.sound.isOpen);
    QCOMPARE(rig.model.text(Label::lblTime), "00:00:29");   // never ahead of the grid
    rig.sound.take();
    rig.tick(120000, 30000);
    QCOMPARE(rig.sound.take(), (QStringList{"status sound length", "status sound position", "stop sound",
                                            "close sound"}));
    QVERIFY(!rig.controller.isPlayingSelection());
    QVERIFY(!rig.controller.isPaused());
    QCOMPARE(rig.model.text(Label::lblTime), "00:00:00");
    QCOMPARE(rig.controller.pointerMs(), 30000);   // kept after the end
    // The pointer stays where it was until the next tick parks it.
    QCOMPARE(rig.model.left(Image::imgTopPoint), 2730);
    rig.tick(120000, 0);
    QCOMPARE(rig.model.left(Image::imgTopPoint), 0);

    // A plain Play past the selection end is never stopped.
    rig.controller.play();
    rig.sound.take();
    rig.tick(120000, 60000);
    QCOMPARE(rig.sound.take().size(), 2);
    QVERIFY(rig.sound.isOpen);
}

void TestPlaybackController::strip_data()
{
    QTest::addColumn<int>("T");
    QTest::addColumn<double>("X");
    QTest::addColumn<QString>("playFrom");
    QTest::newRow("a quarter of 120 s") << 120 << 2730.0 << "play sound from 30000";
    QTest::newRow("nothing played yet plays from 0") << 0 << 8000.0 << "play sound from 0";
    QTest::newRow("right of W seeks past the end") << 100 << 11030.0 << "play sound from 101000";
    QTest::newRow("halves to even") << 20 << 1365.0 << "play sound from 2000";
}

void TestPlaybackController::strip()
{
    QFETCH(int, T);
    QFETCH(double, X);
    QFETCH(QString, playFrom);
    Rig rig(m_workFile);
    if (T > 0) {
        rig.sound.isOpen = true;
        rig.tick(qint64(T) * 1000, 0);
    }
    // Playing a selection with no end chosen, paused.
    rig.selection.set(1000, 0);
    rig.controller.playSelection();
    rig.controller.pause();
    rig.sound.take();
    rig.pumps = 0;
    rig.controller.setPollEnabled(true);
    rig.pointer.stripPress(X);
    QCOMPARE(rig.sound.take(), (QStringList{"stop sound", "close sound", openCommand(), playFrom}));
    QCOMPARE(rig.pumps, 1);
    // A seek touches neither the play flags nor the poll.
    QVERIFY(rig.controller.isPlayingSelection());
    QVERIFY(rig.controller.isPaused());
    QVERIFY(rig.controller.Timer2().isActive());
}

void TestPlaybackController::pointerDrag()
{
    Rig rig(m_workFile);
    rig.sound.isOpen = true;
    rig.tick(120000, 30000);   // pointer at 2730
    rig.sound.take();
    rig.controller.setPollEnabled(true);

    rig.pointer.press(Image::imgBottomPoint, 100);
    QVERIFY(!rig.controller.Timer2().isActive());
    QVERIFY(rig.pointer.isDragging());
    QCOMPARE(rig.sound.take(), (QStringList{"stop sound", "close sound"}));

    // Either image moves all three; no limits at the strip's ends.
    rig.pointer.move(Image::imgTopPoint, 100 + 2730);
    QCOMPARE(rig.model.left(Image::imgBottomPoint), 5460);
    QCOMPARE(rig.model.left(Image::imgTopPoint), 5460);
    QCOMPARE(rig.model.left(Image::imgLine), 5550);
    rig.pointer.move(Image::imgBottomPoint, 100 + 6000);
    QCOMPARE(rig.model.left(Image::imgTopPoint), 11460);
    rig.pointer.move(Image::imgBottomPoint, 100 - 2730 - 3270);
    QCOMPARE(rig.model.left(Image::imgTopPoint), 5460);

    rig.pointer.release(Image::imgTopPoint, 0);
    QVERIFY(!rig.pointer.isDragging());
    QVERIFY(rig.controller.Timer2().isActive());
    QCOMPARE(rig.sound.take(), (QStringList{openCommand(), "play sound from 60000"}));

    // A release without a press does nothing.
    rig.pointer.release(Image::imgTopPoint, 0);
    QVERIFY(rig.sound.take().isEmpty());
    // Press and release in place restarts at the current whole second.
    rig.tick(120000, 61400);
    rig.sound.take();
    rig.pointer.press(Image::imgTopPoint, 50);
    rig.pointer.release(Image::imgTopPoint, 50);
    QCOMPARE(rig.sound.take().last(), "play sound from 61000");
}

void TestPlaybackController::pointerDragWhilePlayingSelection()
{
    Rig rig(m_workFile);
    rig.selection.set(qint64(10) * 1000, qint64(60) * 1000);
    rig.controller.playSelection();
    rig.tick(120000, 20000);
    // Let go after the selection end: the next tick stops and closes at once.
    rig.pointer.press(Image::imgTopPoint, 0);
    rig.pointer.move(Image::imgTopPoint, 10920 / 2 + 1000 - rig.model.left(Image::imgTopPoint));
    rig.pointer.release(Image::imgTopPoint, 0);
    QVERIFY(rig.controller.isPlayingSelection());
    rig.sound.take();
    rig.tick(120000, 64000);
    QCOMPARE(rig.sound.take().mid(2), (QStringList{"stop sound", "close sound"}));
    QVERIFY(!rig.controller.isPlayingSelection());
}

void TestPlaybackController::nestedPollTickIsDropped()
{
    Rig rig(m_workFile);
    rig.selection.set(qint64(1) * 1000, qint64(5) * 1000);
    rig.controller.playSelection();
    rig.sound.lengthMs = 10000;
    rig.sound.positionMs = 6000;
    int nested = 0;
    // The tick that stops at the selection end lets events run; another tick
    // arrives then.
    rig.controller.setEventPump([&] {
        ++nested;
        rig.controller.Timer2_Timer();
    });
    rig.sound.take();
    rig.controller.Timer2_Timer();
    QCOMPARE(nested, 1);
    QCOMPARE(rig.sound.take(), (QStringList{"status sound length", "status sound position", "stop sound",
                                            "close sound"}));
    QVERIFY(!rig.controller.isPlayingSelection());
    QCOMPARE(rig.model.text(Label::lblTime), "00:00:00");
}

void TestPlaybackController::stopInsidePlayRunsAfterIt()
{
    Rig rig(m_workFile);
    bool clicked = false;
    // The user clicks Stop while Play lets events run after its first stop/close.
    rig.controller.setEventPump([&] {
        if (!clicked) {
            clicked = true;
            rig.controller.stop();
        }
    });
    rig.controller.play();
    const QStringList expected{"stop sound", "close sound", "stop sound", "close sound", openCommand(),
                               "play sound", "stop sound", "close sound"};
    QCOMPARE(rig.sound.take(), expected);
    QVERIFY(!rig.sound.isOpen);
    QCOMPARE(rig.controller.pointerMs(), 0);
    QVERIFY(!rig.controller.isPaused());
}

void TestPlaybackController::pointerClickDuringPollTick()
{
    Rig rig(m_workFile);
    rig.selection.set(qint64(10) * 1000, qint64(30) * 1000);
    rig.controller.playSelection();
    rig.tick(120000, 20000);
    rig.controller.setPollEnabled(true);
    // The tick that ends the selection lets events run; a whole click on the
    // pointer is waiting there. It runs after the tick, press before release.
    bool clicked = false;
    rig.controller.setEventPump([&] {
        if (clicked)
            return;
        clicked = true;
        rig.pointer.press(Image::imgTopPoint, 10);
        rig.pointer.move(Image::imgTopPoint, 500);
        rig.pointer.release(Image::imgTopPoint, 500);
    });
    rig.sound.take();
    rig.tick(120000, 30000);
    const QStringList expected{"status sound length", "status sound position", "stop sound", "close sound",
                               "stop sound", "close sound", openCommand(), "play sound from 30000"};
    QCOMPARE(rig.sound.take(), expected);
    QVERIFY(!rig.pointer.isDragging());
    QVERIFY(rig.controller.Timer2().isActive());
    QVERIFY(!rig.controller.isPlayingSelection());
}

QTEST_GUILESS_MAIN(TestPlaybackController)
#include "tst_playbackcontroller.moc"
