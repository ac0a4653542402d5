// The main window's commands at the moments they used to go wrong: a song
// closed while it plays, clicks during a decode or an export, a set or a Save
// that arrives inside another operation, the end of Play selection, hours-long
// files and the two ways to set a handle at the pointer.
#include "apptestsupport.h"
#include "editingkeys.h"
#include "exportcontroller.h"
#include "ringtonesession.h"
#include "selectionundo.h"
#include "session/sessionfakes.h"
#include "skinimage.h"
#include "../editor/sound/wavwriter.h"
#include "soundchannel.h"
#include "stripwidget.h"
#include "timelineeditor.h"

#include <QAction>
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
    const Selection &selection() const { return editor().selectionState(); }
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
    void playDuringADecode();
    void stripDuringAnExport();
    void queuedSetIsUndoable();
    void saveInsideAnotherOperation();
    void previewEndsWhereTheExportEnds();
    void hoursLongFileToTheMillisecond();
    void buttonAndKeyGiveTheSameTime_data();
    void buttonAndKeyGiveTheSameTime();
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
    QVERIFY(!rig.session().trigger(Command::Play));
    QVERIFY(!rig.session().trigger(Command::SetBegin));
    QVERIFY(!rig.session().trigger(Command::Save));
    QCOMPARE(rig.actionsSince(mark).size(), 2);
}

void TestWindowCommands::playDuringADecode()
{
    Rig rig;
    QVERIFY(rig.openSong());
    qputenv("KESMARIN_FAKE_CODER", "slow");
    rig.fixture.prompt.queueAnswer(true);
    bool tried = false;
    bool buttonOn = true;
    qsizetype mark = 0;
    rig.whileBusy([&] { return rig.session().isBusy(); }, [&] {
        tried = true;
        mark = rig.mark();
        buttonOn = rig.window->imgCtrlButton[0]->isEnabled();
        QTest::mouseClick(rig.window->imgCtrlButton[0], Qt::LeftButton);
        rig.window->m_keys->playPause()->trigger();
        rig.session().transport(PlaybackController::Play);
    });
    QVERIFY(rig.openSong(QStringLiteral("second.mp3")));
    QVERIFY(tried);
    QVERIFY(!buttonOn);
    // The previous song's working file was never opened nor played.
    QVERIFY(rig.actionsSince(mark).isEmpty());
}

void TestWindowCommands::stripDuringAnExport()
{
    Rig rig;
    QVERIFY(rig.openSong());
    rig.editor().selectionState().set(0, 5000);
    qputenv("KESMARIN_FAKE_CODER", "slow");
    rig.files.answers << rig.folder.path() + "/ring.mp3";
    bool stripOn = true;
    std::optional<QStringList> sent;
    rig.whileBusy([&] { return rig.session().exportController().isExporting(); }, [&] {
        const qsizetype mark = rig.mark();
        stripOn = rig.window->picOpened->isEnabled();
        QTest::mouseClick(rig.window->picOpened, Qt::LeftButton, {}, QPoint(200, 150));
        sent = rig.actionsSince(mark);
    });
    QVERIFY(rig.session().trigger(Command::Save));
    QVERIFY(sent);
    QVERIFY(!stripOn);
    QVERIFY2(sent->isEmpty(), qPrintable(sent->join('|')));
    QVERIFY(rig.window->picOpened->isEnabled());
}

void TestWindowCommands::queuedSetIsUndoable()
{
    Rig rig;
    QVERIFY(rig.openSong());
    rig.editor().selectionState().set(10000, 60000);
    QVERIFY(rig.session().trigger(Command::Play));
    rig.tick(120000, 42000);
    QUndoStack &undo = rig.window->m_keys->undo().stack();
    undo.clear();
    // "[" arrives while Play selection lets events run: it waits its turn.
    bool pressed = false;
    rig.controller().setEventPump([&] {
        if (!pressed) {
            pressed = true;
            rig.action(Command::SetBegin)->trigger();
            QCOMPARE(rig.selection().beginMs(), 10000);
        }
    });
    QVERIFY(rig.session().trigger(Command::PlaySelection));
    QVERIFY(pressed);
    QCOMPARE(rig.selection().beginMs(), 42000);
    QCOMPARE(undo.count(), 1);
    undo.undo();
    QCOMPARE(rig.selection().beginMs(), 10000);
}

void TestWindowCommands::saveInsideAnotherOperation()
{
    Rig rig;
    QVERIFY(rig.openSong());
    rig.editor().selectionState().set(0, 5000);
    rig.files.answers << rig.folder.path() + "/ring.mp3";
    bool busyWhileExporting = true;
    connect(&rig.session().exportController(), &ExportController::jobChanged, this,
            [&](ExportController::Job job) {
                if (job == ExportController::Job::Exporting)
                    busyWhileExporting = rig.controller().isBusy();
            });
    bool asked = false;
    rig.controller().setEventPump([&] {
        if (!asked) {
            asked = true;
            rig.action(Command::Save)->trigger();
            // Not yet: the transport operation is still under way.
            QVERIFY(rig.files.asked.isEmpty());
        }
    });
    QVERIFY(rig.session().trigger(Command::Play));
    QVERIFY(asked);
    QCOMPARE(rig.files.asked.size(), 1);
    QCOMPARE(rig.folder.runs().size(), 2);   // the decode and the export
    // The export ran with the transport free, so the poll went on.
    QVERIFY(!busyWhileExporting);
}

void TestWindowCommands::previewEndsWhereTheExportEnds()
{
    SoundChannel channel;
    Rig rig(&channel);
    QVERIFY(rig.openSong());
    QVERIFY(writeFile(rig.window->workingFile(), wavBytes(mono8k(3 * 8000))));
    rig.controller().learnLength();
    rig.editor().selectionState().set(1000, 1987);
    QVERIFY(rig.session().trigger(Command::PlaySelection));
    // With the poll off, only the device itself can stop at the end.
    QTRY_COMPARE(channel.mode(), SoundChannel::Mode::Stopped);
    const qint64 heardEnd = replyNumber(channel.send(QStringLiteral("status sound position")));
    QCOMPARE(heardEnd, 1987);

    rig.files.answers << rig.folder.path() + "/ring.wav";
    QVERIFY(rig.session().trigger(Command::Save));
    const QStringList args = rig.folder.runs().last();
    const double cutEnd = args.at(args.indexOf("-ss") + 1).toDouble() + args.at(args.indexOf("-t") + 1).toDouble();
    // The last sample heard is the last sample cut, within one 10 ms block.
    QVERIFY2(std::abs(cutEnd * 1000 - double(heardEnd)) <= 10.0, qPrintable(args.join(' ')));
}

void TestWindowCommands::hoursLongFileToTheMillisecond()
{
    SoundChannel channel;
    Rig rig(&channel);
    QVERIFY(rig.openSong());
    // Six hours and 123 ms of 8 kHz silence, past where a float counts
    // single milliseconds: as a hole in the file.
    QVERIFY(writeSilentRf64(rig.window->workingFile(), mono8k((qint64(6) * 3600 * 1000 + 123) * 8)));
    rig.controller().learnLength();
    QCOMPARE(rig.editor().model().lengthMs(), 21600123);
    // A stretch near the end, to odd milliseconds; the device stops on it.
    rig.editor().selectionState().set(21600001, 21600121);
    QVERIFY(rig.session().trigger(Command::PlaySelection));
    QTRY_COMPARE(channel.mode(), SoundChannel::Mode::Stopped);
    rig.controller().Timer2_Timer();
    QCOMPARE(rig.editor().model().lengthMs(), 21600123);
    QCOMPARE(rig.controller().pointerMs(), 21600121);
    QCOMPARE(rig.editor().model().T(), 21600);
}

void TestWindowCommands::buttonAndKeyGiveTheSameTime_data()
{
    QTest::addColumn<bool>("end");
    QTest::addColumn<qint64>("lengthMs");
    QTest::addColumn<qint64>("pointerMs");
    QTest::newRow("end at a song's last moment") << true << qint64(239900) << qint64(239900);
    QTest::newRow("begin inside a second") << false << qint64(239900) << qint64(61437);
}

void TestWindowCommands::buttonAndKeyGiveTheSameTime()
{
    QFETCH(bool, end);
    QFETCH(qint64, lengthMs);
    QFETCH(qint64, pointerMs);
    Rig rig;
    QVERIFY(rig.openSong());
    QVERIFY(rig.session().trigger(Command::Play));
    rig.tick(lengthMs, pointerMs);
    const auto taken = [&] { return end ? rig.selection().endMs() : rig.selection().beginMs(); };
    QTest::mouseClick(rig.window->imgCtrlButton[end ? 4 : 3], Qt::LeftButton);
    const qint64 byButton = taken();
    const QString shown = rig.editor().model().text(end ? TimelineModel::Label::lblSelEnd
                                                        : TimelineModel::Label::lblSelBegin);
    rig.window->m_keys->undo().stack().undo();
    QVERIFY(taken() != byButton);
    QAction *key = rig.action(end ? Command::SetEnd : Command::SetBegin);
    QVERIFY(key->shortcuts().contains(QKeySequence(end ? Qt::Key_BracketRight : Qt::Key_BracketLeft)));
    key->trigger();
    QCOMPARE(taken(), byButton);
    QCOMPARE(byButton, pointerMs);
    QCOMPARE(rig.editor().model().text(end ? TimelineModel::Label::lblSelEnd : TimelineModel::Label::lblSelBegin),
             shown);
}

QTEST_MAIN(TestWindowCommands)
#include "tst_windowcommands.moc"
