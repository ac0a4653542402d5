// The main window's commands at the moments they used to go wrong: a song
// closed while it plays, clicks during a decode or an export, a set or a Save
// that arrives inside another operation, the end of Play selection, hours-long
// files, the two ways to set a handle at the pointer, and the keys of the
// fields and the strip.
#include "apptestsupport.h"
#include "editingkeys.h"
#include "fadecontrols.h"
#include "exportcontroller.h"
#include "ringtonesession.h"
#include "selectionundo.h"
#include "session/sessionfakes.h"
#include "../editor/sound/wavwriter.h"
#include "skinimage.h"
#include "soundchannel.h"
#include "stripwidget.h"
#include "timelabels.h"
#include "timelineeditor.h"

#include <QAction>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <cmath>
#include <optional>

namespace {

// One window over a stand-in coder, a scripted user and a device of the
// test's choosing (a recording one unless given the real channel).
struct Rig {
    explicit Rig(SoundCommands *device = nullptr)
    {
        qputenv("KESMARIN_FAKE_CODER", "ok");
        frmMain::Environment env = fixture.environment();
        env.appFolder = folder.path();
        env.files = &files;
        env.desktop = &desktop;
        if (device)
            env.sound = device;
        window = std::make_unique<frmMain>(std::move(env));
        window->show();
        // The test moves the device itself.
        controller().setPollEnabled(false);
    }
    RingtoneSession &session() const { return window->session(); }
    TimelineEditor &editor() const { return window->editor(); }
    PlaybackController &controller() const { return editor().controller(); }
    Selection &selection() const { return editor().selectionState(); }
    QAction *action(Command command) const { return window->m_keys->action(command); }
    bool openSong(const QString &name = QStringLiteral("song.mp3"))
    {
        session().openPath(folder.path() + QLatin1Char('/') + name);
        return session().hasFile();
    }
    void tick(qint64 lengthMs, qint64 positionMs)
    {
        fixture.sound.lengthMs = lengthMs;
        fixture.sound.positionMs = positionMs;
        controller().Timer2_Timer();
    }
    // A four-minute song open and playing in the active window, where the
    // keyboard reaches it.
    bool playInActiveWindow(qint64 positionMs)
    {
        if (!openSong() || !session().trigger(Command::Play))
            return false;
        tick(240000, positionMs);
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
    QStringList actionsSince(qsizetype mark) const { return fixture.sound.actions().mid(mark); }
    qsizetype mark() const { return fixture.sound.actions().size(); }
    // Runs `during` once, from a timer, while `busy` holds.
    void whileBusy(const std::function<bool()> &busy, const std::function<void()> &during)
    {
        auto *probe = new QTimer(window.get());
        probe->setInterval(1);
        QObject::connect(probe, &QTimer::timeout, probe, [probe, busy, during] {
            if (busy()) {
                probe->stop();
                during();
            }
        });
        probe->start();
    }

    MainWindowFixture fixture;
    ProgramFolder folder;
    ScriptedFiles files;
    RecordingDesktopOpener desktop;
    std::unique_ptr<frmMain> window;
};

WavSpec mono8k(qint64 frames)
{
    WavSpec spec;
    spec.channels = 1;
    spec.rate = 8000;
    spec.frames = frames;
    return spec;
}

} // namespace

class TestWindowCommands : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { qputenv("KESMARIN_FAKE_CODER", "ok"); }
    void closeStopsTheSong();
    void clickDuringAJob_data();
    void clickDuringAJob();
    void commandInsideATransportOperation_data();
    void commandInsideATransportOperation();
    void deviceEndsTheSelection_data();
    void deviceEndsTheSelection();
    void buttonAndKeyGiveTheSameTime_data();
    void buttonAndKeyGiveTheSameTime();
    void keysLeaveAField_data();
    void keysLeaveAField();
    void homeAndEndOnTheStrip_data();
    void homeAndEndOnTheStrip();
    void stripShowsItsFocus();
};

void TestWindowCommands::closeStopsTheSong()
{
    Rig rig;
    QVERIFY(rig.openSong());
    QVERIFY(rig.session().trigger(Command::Play));
    rig.tick(120000, 5000);
    QCOMPARE(rig.editor().model().T(), 120);
    const qsizetype mark = rig.mark();
    rig.fixture.prompt.queueAnswer(true);
    rig.window->imgButton_Click(0);   // Open with a song open: close it
    QVERIFY(!rig.session().hasFile());
    QCOMPARE(rig.actionsSince(mark), (QStringList{"stop sound", "close sound"}));
    // The next tick finds nothing open and brings no length back.
    rig.tick(120000, 6000);
    QCOMPARE(rig.editor().model().T(), 0);
    // Nothing works on the closed song.
    QVERIFY(!rig.window->imgCtrlButton[0]->isEnabled());
    for (Command command : {Command::Play, Command::SetBegin, Command::Save})
        QVERIFY(!rig.session().trigger(command));
    QCOMPARE(rig.actionsSince(mark).size(), 2);
}

void TestWindowCommands::clickDuringAJob_data()
{
    QTest::addColumn<bool>("exporting");
    QTest::newRow("Play during a decode never plays the previous song") << false;
    QTest::newRow("the strip ignores presses during an export") << true;
}

void TestWindowCommands::clickDuringAJob()
{
    QFETCH(bool, exporting);
    Rig rig;
    QVERIFY(rig.openSong());
    rig.selection().set(0, 5000);
    qputenv("KESMARIN_FAKE_CODER", "slow");
    QWidget *control = exporting ? static_cast<QWidget *>(rig.window->picOpened) : rig.window->imgCtrlButton[0];
    bool controlOn = true;
    std::optional<QStringList> sent;
    rig.whileBusy([&] { return rig.session().isBusy(); }, [&] {
        const qsizetype mark = rig.mark();
        controlOn = control->isEnabled();
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(20, 20));
        rig.window->m_keys->playPause()->trigger();
        rig.session().transport(PlaybackController::Play);
        sent = rig.actionsSince(mark);
    });
    if (exporting) {
        rig.files.answers << rig.folder.path() + "/ring.mp3";
        QVERIFY(rig.session().trigger(Command::Save));
    } else {
        rig.fixture.prompt.queueAnswer(true);
        QVERIFY(rig.openSong(QStringLiteral("second.mp3")));
    }
    QVERIFY(sent);
    QVERIFY(!controlOn);
    QVERIFY2(sent->isEmpty(), qPrintable(sent->join('|')));
    QVERIFY(control->isEnabled());
}

void TestWindowCommands::commandInsideATransportOperation_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("a queued set-begin is undoable") << false;
    QTest::newRow("a Save waits and runs with the poll live") << true;
}

void TestWindowCommands::commandInsideATransportOperation()
{
    QFETCH(bool, save);
    Rig rig;
    QVERIFY(rig.openSong());
    rig.selection().set(10000, 60000);
    QVERIFY(rig.session().trigger(Command::Play));
    rig.tick(120000, 42000);
    QUndoStack &undo = rig.window->m_keys->undo().stack();
    undo.clear();
    rig.files.answers << rig.folder.path() + "/ring.mp3";
    bool busyWhileExporting = true;
    connect(&rig.session().exportController(), &ExportController::jobChanged, this, [&](ExportController::Job job) {
        if (job == ExportController::Job::Exporting)
            busyWhileExporting = rig.controller().isBusy();
    });
    // The command arrives while Play selection lets events run: it waits its turn.
    bool pressed = false;
    rig.controller().setEventPump([&] {
        if (pressed)
            return;
        pressed = true;
        rig.action(save ? Command::Save : Command::SetBegin)->trigger();
        QCOMPARE(rig.selection().beginMs(), 10000);
        QVERIFY(rig.files.asked.isEmpty());
    });
    QVERIFY(rig.session().trigger(Command::PlaySelection));
    QVERIFY(pressed);
    if (save) {
        QCOMPARE(rig.folder.runs().size(), 2);   // the decode and the export
        QVERIFY(!busyWhileExporting);
        return;
    }
    QCOMPARE(rig.selection().beginMs(), 42000);
    QCOMPARE(undo.count(), 1);
    undo.undo();
    QCOMPARE(rig.selection().beginMs(), 10000);
}

void TestWindowCommands::deviceEndsTheSelection_data()
{
    QTest::addColumn<bool>("sixHours");
    QTest::addColumn<qint64>("begin");
    QTest::addColumn<qint64>("end");
    QTest::newRow("the preview ends on the export's last sample") << false << qint64(1000) << qint64(1987);
    // Past where a float counts single milliseconds, to odd ones.
    QTest::newRow("a six-hour RF64 file to the millisecond") << true << qint64(21500001) << qint64(21500121);
}

void TestWindowCommands::deviceEndsTheSelection()
{
    QFETCH(bool, sixHours);
    QFETCH(qint64, begin);
    QFETCH(qint64, end);
    SoundChannel channel;
    Rig rig(&channel);
    QVERIFY(rig.openSong());
    // Both files go on long after the selection: a device that played on
    // would not stop within the wait.
    const qint64 lengthMs = sixHours ? qint64(6) * 3600 * 1000 + 123 : 60000;
    const QString work = rig.window->workingFile();
    // Six hours of silence are a hole in the file.
    QVERIFY(sixHours ? writeSilentRf64(work, mono8k(lengthMs * 8)) : writeFile(work, wavBytes(mono8k(lengthMs * 8))));
    rig.controller().learnLength();
    QCOMPARE(rig.editor().model().lengthMs(), lengthMs);
    rig.selection().set(begin, end);
    QVERIFY(rig.session().trigger(Command::PlaySelection));
    // With the poll off, only the device itself can stop at the end.
    QTRY_COMPARE(channel.mode(), SoundChannel::Mode::Stopped);
    rig.controller().Timer2_Timer();
    QCOMPARE(rig.editor().model().lengthMs(), lengthMs);
    QCOMPARE(rig.controller().pointerMs(), end);
    QCOMPARE(rig.editor().model().T(), qint32(lengthMs / 1000));
    if (sixHours)
        return;
    rig.files.answers << rig.folder.path() + "/ring.wav";
    QVERIFY(rig.session().trigger(Command::Save));
    const QStringList args = rig.folder.runs().last();
    const double cutEnd = args.at(args.indexOf("-ss") + 1).toDouble() + args.at(args.indexOf("-t") + 1).toDouble();
    // The last sample heard is the last sample cut, within one 10 ms block.
    QVERIFY2(std::abs(cutEnd * 1000 - double(end)) <= 10.0, qPrintable(args.join(' ')));
}

void TestWindowCommands::buttonAndKeyGiveTheSameTime_data()
{
    QTest::addColumn<bool>("end");
    QTest::addColumn<qint64>("pointerMs");
    QTest::newRow("end at a song's last moment") << true << qint64(239900);
    QTest::newRow("begin inside a second") << false << qint64(61437);
}

void TestWindowCommands::buttonAndKeyGiveTheSameTime()
{
    QFETCH(bool, end);
    QFETCH(qint64, pointerMs);
    Rig rig;
    QVERIFY(rig.openSong());
    QVERIFY(rig.session().trigger(Command::Play));
    rig.tick(239900, pointerMs);
    const auto taken = [&] {
        return qMakePair(end ? rig.selection().endMs() : rig.selection().beginMs(),
                         rig.editor().model().text(end ? TimelineModel::Label::lblSelEnd : TimelineModel::Label::lblSelBegin));
    };
    QTest::mouseClick(rig.window->imgCtrlButton[end ? 4 : 3], Qt::LeftButton);
    const auto byButton = taken();
    QCOMPARE(byButton.first, pointerMs);
    rig.window->m_keys->undo().stack().undo();
    QVERIFY(taken() != byButton);
    QAction *key = rig.action(end ? Command::SetEnd : Command::SetBegin);
    QVERIFY(key->shortcuts().contains(QKeySequence(end ? Qt::Key_BracketRight : Qt::Key_BracketLeft)));
    key->trigger();
    QCOMPARE(taken(), byButton);
}

void TestWindowCommands::keysLeaveAField_data()
{
    QTest::addColumn<bool>("fade"); // the fade-in box, else the Sel row's Begin cell
    QTest::addColumn<int>("key");
    QTest::addColumn<qint64>("takenMs");
    QTest::newRow("fade, Tab applies") << true << int(Qt::Key_Tab) << qint64(2500);
    QTest::newRow("fade, Return applies") << true << int(Qt::Key_Return) << qint64(2500);
    QTest::newRow("fade, Escape leaves it") << true << int(Qt::Key_Escape) << qint64(0);
    QTest::newRow("typed time, Return applies") << false << int(Qt::Key_Return) << qint64(3000);
    QTest::newRow("typed time, Escape leaves it") << false << int(Qt::Key_Escape) << qint64(0);
}

void TestWindowCommands::keysLeaveAField()
{
    QFETCH(bool, fade);
    QFETCH(int, key);
    QFETCH(qint64, takenMs);
    Rig rig;
    QVERIFY(rig.playInActiveWindow(0));
    QDoubleSpinBox *box = rig.window->fraFades->txtFadeIn;
    QLabel *cell = rig.window->timeLabels->label(TimelineModel::Label::lblSelBegin);
    QPointer<QWidget> field = box;
    if (fade) {
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, QStringLiteral("2.5"));
    } else {
        cell->setFocus(Qt::TabFocusReason);
        QTest::keyClick(cell, Qt::Key_Return);
        field = rig.window->timeLabels->editor();
        QVERIFY(field && field->hasFocus());
        QTest::keyClicks(field, QStringLiteral("3"));
    }
    QTest::keyClick(field, Qt::Key(key));
    // The keyboard has left the field, which shows what holds now.
    if (fade) {
        QVERIFY(!box->hasFocus());
        QCOMPARE(box->text(), box->textFromValue(takenMs / 1000.0) + box->suffix());
    } else {
        QVERIFY(cell->hasFocus());
        QVERIFY(!rig.window->timeLabels->editor());
    }
    // Nothing typed comes back later, when the focus moves on.
    rig.window->fraFades->chkNormalise->setFocus(Qt::TabFocusReason);
    QCOMPARE(fade ? qint64(rig.session().fades().fadeInMs) : rig.selection().beginMs(), takenMs);
}

void TestWindowCommands::homeAndEndOnTheStrip_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("played");
    QTest::newRow("Home") << int(Qt::Key_Home) << QStringLiteral("play sound from 0");
    QTest::newRow("End") << int(Qt::Key_End) << QStringLiteral("play sound from 240000");
}

void TestWindowCommands::homeAndEndOnTheStrip()
{
    QFETCH(int, key);
    QFETCH(QString, played);
    Rig rig;
    QVERIFY(rig.playInActiveWindow(61000));
    rig.window->picOpened->setFocus(Qt::TabFocusReason);
    const qsizetype mark = rig.mark();
    QTest::keyClick(rig.window->picOpened, Qt::Key(key));
    const QStringList sent = rig.actionsSince(mark);
    QVERIFY2(!sent.isEmpty() && sent.last() == played, qPrintable(sent.join(u',')));
    QVERIFY(sent.contains(QStringLiteral("stop sound")));
}

void TestWindowCommands::stripShowsItsFocus()
{
    Rig rig;
    QVERIFY(rig.playInActiveWindow(61000));
    StripWidget *strip = rig.window->picOpened;
    rig.window->fraFades->chkNormalise->setFocus(Qt::TabFocusReason);
    QVERIFY(!strip->hasFocus());
    const QImage plain = strip->grab().toImage();
    strip->setFocus(Qt::TabFocusReason);
    QVERIFY(strip->hasFocus());
    const QImage focused = strip->grab().toImage();
    // A frame just inside the edge, visible around most of it, and nothing
    // drawn over the rest.
    const int w = plain.width();
    const int h = plain.height();
    int marked = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (plain.pixel(x, y) == focused.pixel(x, y))
                continue;
            ++marked;
            QVERIFY2(x <= 2 || y <= 2 || x >= w - 3 || y >= h - 3, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    }
    QVERIFY2(marked > w + h, qPrintable(QString::number(marked)));
}

QTEST_MAIN(TestWindowCommands)
#include "tst_windowcommands.moc"
