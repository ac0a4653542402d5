// The road of one ringtone through the real main window, the real coder,
// Qt's real file dialogs and the sound channel on its silent clock, under a
// real X server: open, play, mark, export to every format, and the ways an
// open or an export can go wrong.
#include "../dialogs/modalwatch.h"
#include "session/childprocesses.h"
#include "session/userseams.h"

#include "consolerunner.h"
#include "desktopopener.h"
#include "selection.h"
#include "exportcontroller.h"
#include "frmmain.h"
#include "frmsetting.h"
#include "opencontroller.h"
#include "progresspanel.h"
#include "ringtonesession.h"
#include "shelllinks.h"
#include "skinimage.h"
#include "soundchannel.h"
#include "stripwidget.h"
#include "timelabels.h"
#include "timelineeditor.h"

#include <QApplication>
#include <QDataStream>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <cmath>
#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

// The real channel, with every command kept.
class LoggedChannel : public SoundCommands
{
public:
    QString send(const QString &command) override
    {
        if (!command.startsWith(QStringLiteral("status ")))
            sent << command;
        return m_channel.send(command);
    }
    QStringList sent;

private:
    SoundChannel m_channel;
};

// A 44.1 kHz mono 16-bit WAV whose frame i holds sample(i).
void writeMonoWav(const QString &path, qint64 frames, const std::function<qint16(qint64)> &sample)
{
    const int rate = 44100;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 data = quint32(frames * 2);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + data);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << data;
    for (qint64 i = 0; i < frames; ++i)
        out << sample(i);
}

void writeTone(const QString &path, int seconds)
{
    writeMonoWav(path, qint64(seconds) * 44100,
                 [](qint64 i) { return qint16(9000 * std::sin(2 * M_PI * 440.0 * i / 44100)); });
}

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// key=value lines of ffprobe about a file's container and first stream.
QMap<QString, QString> probe(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("ffprobe"),
                  {"-v", "error", "-show_entries",
                   "format=format_name,duration:stream=codec_name,sample_rate,channels", "-of",
                   "default=nw=1", path});
    process.waitForFinished(30000);
    QMap<QString, QString> values;
    for (const QString &line : QString::fromUtf8(process.readAllStandardOutput()).split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0 && !values.contains(line.left(eq)))
            values.insert(line.left(eq), line.mid(eq + 1).trimmed());
    }
    return values;
}

// A process's name, state and parent from /proc, or nothing once it is reaped.
// Whether a process has stopped on SIGSTOP (true), or ended (false).
bool isHeld(int pid)
{
    for (;;) {
        const std::optional<ProcStat> stat = procStat(pid);
        if (!stat || stat->state == 'Z' || stat->state == 'X')
            return false;
        if (stat->state == 'T')
            return true;
        QThread::yieldCurrentThread(); // the stop is on its way
    }
}

// The folder the last file dialog showed when it opened.
QString &dialogStartFolder()
{
    static QString folder;
    return folder;
}

// The file dialog watches of the running test; cleanup() ends them, so that
// none outlives its test.
std::vector<std::unique_ptr<ModalWatch<QFileDialog>>> &fileDialogWatches()
{
    static std::vector<std::unique_ptr<ModalWatch<QFileDialog>>> watches;
    return watches;
}

// Types a path into the next file dialog and accepts it (agreeing to replace
// an existing file), or cancels it when the path is empty.
void answerFileDialog(const QString &path, std::unique_ptr<ModalWatch<QMessageBox>> *replace = nullptr)
{
    auto answer = [path, replace](QFileDialog *dialog) {
        dialogStartFolder() = dialog->directory().absolutePath();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        if (replace)
            replace->reset(new ModalWatch<QMessageBox>(
                [](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); }));
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog))
            qWarning("the file dialog did not become active");
        edit->setFocus();
        edit->setText(path);
        QTest::keyClick(edit, Qt::Key_Return);
    };
    fileDialogWatches().push_back(std::make_unique<ModalWatch<QFileDialog>>(answer));
}

} // namespace

class TestWorkflow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup() { fileDialogWatches().clear(); }
    void ringtoneRoad();
    void typedTimesCutExactly();
    void badInput_data();
    void badInput();
    void badExport_data();
    void badExport();
    void exitDuringDecode();
    void cancelRunningJob_data();
    void cancelRunningJob();
    void dispatcherWords_data();
    void dispatcherWords();

private:
    struct Program {
        explicit Program(const QString &fixtures, bool withCoder = true)
        {
            QDir(app.path()).mkpath("data");
            if (withCoder)
                QFile::link(QStringLiteral(KESMARIN_CODER), app.filePath("data/coder"));
            QFile::copy(QStringLiteral(KESMARIN_BUILD_DIR "/sound.wav"), app.filePath("sound.wav"));
            frmMain::Environment env;
            env.prompt = &prompt;
            env.sound = &sound;
            env.setupPath = home.filePath("config/setup.ini");
            env.cacheBase = home.filePath("cache");
            env.scale = ScreenScale();
            env.endProgram = [this] { ++ends; };
            env.desktop = &desktop;
            env.appFolder = app.path();
            window = std::make_unique<frmMain>(std::move(env));
            window->show();
            Q_UNUSED(fixtures);
        }
        bool openThroughDialog(const QString &path)
        {
            answerFileDialog(path);
            window->imgButton_Click(0);
            return window->session().hasFile();
        }
        QTemporaryDir home;
        QTemporaryDir app;
        ScriptedPrompt prompt;
        LoggedChannel sound;
        RecordingDesktopOpener desktop;
        int ends = 0;
        std::unique_ptr<frmMain> window;
    };

    QTemporaryDir m_fixtures;
    QString m_song; // a 90 s MP3 made by the coder
};

void TestWorkflow::initTestCase()
{
    QVERIFY(QGuiApplication::platformName() == "xcb");
    const QString wav = m_fixtures.filePath("tone.wav");
    writeTone(wav, 90);
    m_song = m_fixtures.filePath("a song.mp3");
    QVERIFY(run(KESMARIN_CODER, {"-i", wav, "-y", "-ab", "128k", m_song}));
}

// Times typed into the grid reach the coder to the millisecond: the saved
// WAV holds exactly the source's samples from 10.250 s to 20.750 s.
void TestWorkflow::typedTimesCutExactly()
{
    // Every sample tells its frame: a ramp that repeats every 30000 frames.
    const QString source = m_fixtures.filePath("ramp.wav");
    writeMonoWav(source, 30LL * 44100, [](qint64 i) { return qint16(i % 30000 - 15000); });
    Program program(m_fixtures.path());
    frmMain &w = *program.window;
    QVERIFY(program.openThroughDialog(source));
    // The song's length, learnt by playing it.
    w.imgCtrlButton_Click(0);
    QTRY_VERIFY(w.editor().model().lengthMs() > 0);
    w.imgCtrlButton_Click(1);

    const auto type = [&w](TimelineModel::Label which, const QString &text) {
        QLabel *label = w.timeLabels->label(which);
        // Focus needs the active window; the X focus after the file dialog
        // comes back whenever the server likes.
        QApplication::setActiveWindow(&w);
        QTest::mouseDClick(label, Qt::LeftButton);
        QLineEdit *editor = w.timeLabels->editor();
        QVERIFY(editor);
        QTRY_VERIFY(editor->hasFocus());
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!w.timeLabels->editor());
    };
    type(TimelineModel::Label::lblSelBegin, "00:00:10.250");
    type(TimelineModel::Label::lblSelEnd, "00:00:20.750");
    QCOMPARE(w.timeLabels->label(TimelineModel::Label::lblSelBegin)->text(), "00:00:10.250");
    QCOMPARE(w.timeLabels->label(TimelineModel::Label::lblSelEnd)->text(), "00:00:20.750");
    QCOMPARE(w.timeLabels->label(TimelineModel::Label::lblSelLength)->text(), "00:00:10.500");

    const QString target = program.home.filePath("cut.wav");
    answerFileDialog(target);
    w.imgButton_Click(1);
    QTRY_VERIFY(QFileInfo::exists(target) && !w.session().isBusy());
    QVERIFY(program.prompt.shown().isEmpty());
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const int data = bytes.indexOf("data") + 8;
    QVERIFY(data >= 44);
    const qint64 count = (bytes.size() - data) / 2;
    QCOMPARE(count, 463050LL);
    const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData() + data);
    for (qint64 k = 0; k < count; ++k) {
        if (samples[k] != qint16((452025 + k) % 30000 - 15000))
            QFAIL(qPrintable(QString("sample %1 differs").arg(k)));
    }
}

void TestWorkflow::ringtoneRoad()
{
    Program program(m_fixtures.path());
    frmMain &w = *program.window;
    frmMain &flow = w;
    QVERIFY(program.openThroughDialog(m_song));
    QCOMPARE(flow.lblPB->text(), "100%");
    QVERIFY(flow.picPBBack->isHidden());
    QVERIFY(w.picOpened->isVisible());
    // The waveform's last pieces are read on a worker as the decode ends.
    QTRY_COMPARE(w.picOpened->peaks().size(), 728);
    QVERIFY(program.prompt.shown().isEmpty());
    QCOMPARE(flow.lblFileName->text(), m_song.size() >= 36 ? m_song.left(32) + "..." : m_song);
    // The song's length is known before anything has played.
    QCOMPARE(w.editor().model().T(), 90);

    // Play, and mark begin and end at the pointer as it moves.
    w.imgCtrlButton_Click(0);
    const Selection &state = w.editor().selectionState();
    const PlaybackController &transport = w.editor().controller();
    QTRY_COMPARE(w.editor().model().T(), 90);
    QTRY_VERIFY_WITH_TIMEOUT(transport.pointerMs() >= 1000, 5000);
    w.imgCtrlButton_Click(3);
    QTRY_VERIFY_WITH_TIMEOUT(transport.pointerMs() >= 3600, 6000);
    w.imgCtrlButton_Click(4);
    w.imgCtrlButton_Click(1);
    QVERIFY2(state.beginMs() >= 1000 && state.endMs() - state.beginMs() >= 2000,
             qPrintable(QString("%1-%2").arg(state.beginMs()).arg(state.endMs())));
    const double length = (state.endMs() - state.beginMs()) / 1000.0;

    struct Expect {
        QString name, format, codec, rate, channels;
        double frame; // how far a correct cut may be off: one frame of the codec, in seconds
    };
    const QList<Expect> formats{
        // An MP3 without a gapless tag also carries the encoder's 1105 samples of delay.
        {"ring.mp3", "mp3", "mp3", "44100", "1", (1152.0 + 1105) / 44100},
        {"ring.wma", "asf", "wmav1", "", "", 2048.0 / 44100},
        {"ring.wav", "wav", "pcm_s16le", "44100", "1", 1.0 / 44100},
        {"ring.amr", "amr", "amr_nb", "8000", "1", 0.02},
        {"ring.m4r", "mov,mp4,m4a,3gp,3g2,mj2", "aac", "44100", "2", 1024.0 / 44100},
        {"ring.ogg", "ogg", "vorbis", "", "", 2048.0 / 44100},
    };
    QDir(m_fixtures.path()).mkpath("tones");
    for (const Expect &e : formats) {
        const QString target = m_fixtures.filePath("tones/" + e.name);
        program.sound.sent.clear();
        program.desktop.clear();
        // The first save starts in the song's folder, each later one where
        // the last went, so a bare name lands there; never the program's folder.
        const bool first = e.name == formats.first().name;
        answerFileDialog(first ? target : e.name);
        w.imgButton_Click(1);
        QCOMPARE(dialogStartFolder(), first ? m_fixtures.path() : m_fixtures.filePath("tones"));
        QVERIFY2(program.prompt.shown().isEmpty(), qPrintable(program.prompt.shown().value(0).text));
        QVERIFY2(QFileInfo::exists(target),
                 qPrintable(target + " not among: " +
                            QDir(m_fixtures.filePath("tones")).entryList(QDir::Files | QDir::Hidden).join(", ")));
        const auto info = probe(target);
        QCOMPARE(info.value("format_name"), e.format);
        QCOMPARE(info.value("codec_name"), e.codec);
        if (!e.rate.isEmpty()) {
            QCOMPARE(info.value("sample_rate"), e.rate);
            QCOMPARE(info.value("channels"), e.channels);
        }
        const double duration = info.value("duration").toDouble();
        QVERIFY2(std::abs(duration - length) <= e.frame + 0.001,
                 qPrintable(QString("%1: %2 s for %3 s").arg(e.name).arg(duration).arg(length)));
        // The window is back, says what was saved, the file shown and the chime played.
        QVERIFY(flow.picPro->isHidden());
        QVERIFY(w.imgButton[1]->isEnabled() && w.imgCtrlButton[0]->isEnabled() && w.imgMenu[0]->isEnabled());
        QVERIFY2(w.lblText->text().startsWith(QStringLiteral("已保存 ") + e.name + " · 00:00:"),
                 qPrintable(w.lblText->text()));
        QCOMPARE(program.desktop.shownFiles(), QStringList{target});
        QCOMPARE(program.sound.sent.mid(program.sound.sent.size() - 2),
                 (QStringList{"open " + program.app.filePath("sound.wav") + " alias sound", "play sound"}));
        QCOMPARE(program.sound.sent.mid(0, 2), (QStringList{"stop sound", "close sound"}));
        // The chime holds the device now; it is not the song.
        w.editor().controller().Timer2_Timer();
        QCOMPARE(w.editor().model().T(), 90);
    }
    w.imgButton_Click(2); // random cut: the song's length is still known
    QVERIFY(program.prompt.shown().isEmpty());
}

void TestWorkflow::badInput_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    const QString noSound = QStringLiteral("这个文件里没有 Kesmarin 能读的声音。");
    QTest::newRow("zero-byte file") << "empty" << QStringLiteral("这个文件是空的");
    QTest::newRow("text named .mp3") << "text" << noSound;
    // Shorter than one frame: nothing in it decodes.
    QTest::newRow("truncated MP3") << "truncated" << noSound;
    QTest::newRow("video without sound") << "video" << noSound;
    QTest::newRow("missing coder") << "nocoder" << QStringLiteral("没有找到文件或命令");
}

void TestWorkflow::badInput()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QString source = m_fixtures.filePath("bad-" + kind + ".mp3");
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (kind == "text" || kind == "nocoder") {
        file.write("This is not music at all.\n");
    } else if (kind == "truncated") {
        QFile song(m_song);
        QVERIFY(song.open(QIODevice::ReadOnly));
        file.write(song.read(300));
    }
    file.close();
    if (kind == "video") {
        source = m_fixtures.filePath("silent video.avi");
        QVERIFY(run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=duration=1:size=64x48:rate=5",
                               "-an", "-y", source}));
    }
    QFile before(source);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();

    Program program(m_fixtures.path(), kind != "nocoder");
    frmMain &w = *program.window;
    // A refused Save says why; the failed open leaves that line as it was.
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(w.lblText->text(), QStringLiteral("请先打开一首歌曲。"));
    QVERIFY(!program.openThroughDialog(source));
    QCOMPARE(w.lblText->text(), QStringLiteral("请先打开一首歌曲。"));
    QCOMPARE(program.prompt.shown().size(), 1);
    QVERIFY2(program.prompt.shown().first().text.contains(message),
             qPrintable(program.prompt.shown().first().text));
    QVERIFY(w.picPBBack->isHidden());
    QVERIFY(w.picOpened->isHidden());
    QVERIFY(w.imgButton[0]->isEnabled());
    QVERIFY(!QFileInfo::exists(w.workingFile()));
    QFile after(source);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), bytes);
    // Still usable: the next Open offers the dialog again.
    ModalWatch<QFileDialog> again([](QFileDialog *dialog) { dialog->reject(); });
    w.imgButton_Click(0);
    QVERIFY(again.seen());
}

void TestWorkflow::badExport_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("unwritable folder") << "unwritable";
    QTest::newRow("coder killed mid-export") << "killed";
}

void TestWorkflow::badExport()
{
    QFETCH(QString, kind);
    Program program(m_fixtures.path());
    frmMain &w = *program.window;
    QVERIFY(program.openThroughDialog(m_song));
    w.editor().selectionState().set(0, 85000);

    QString target = "/proc/kesmarin-ring.mp3"; // no one may write there, root included
    QByteArray old;
    std::unique_ptr<ModalWatch<QMessageBox>> replace;
    QTimer killer;
    int killed = 0;
    if (kind == "killed") {
        target = m_fixtures.filePath("existing ring.wma");
        old = "an earlier ringtone";
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
        file.close();
        connect(&killer, &QTimer::timeout, this, [&] {
            for (int pid : coderChildren())
                if (w.session().exportController().isExporting() && ::kill(pid, SIGKILL) == 0)
                    ++killed;
        });
        killer.start(5);
    }
    answerFileDialog(target, &replace);
    w.imgButton_Click(1);
    killer.stop();
    if (kind == "killed")
        QVERIFY(killed > 0);

    QCOMPARE(program.prompt.shown().size(), 1);
    QVERIFY2(program.prompt.shown().first().text.contains(QStringLiteral("没有保存成功")),
             qPrintable(program.prompt.shown().first().text));
    QVERIFY(program.desktop.shownFiles().isEmpty());
    QVERIFY(!program.sound.sent.contains("play sound"));
    QVERIFY(w.picPro->isHidden());
    QVERIFY(w.imgButton[1]->isEnabled() && w.imgCtrlButton[6]->isEnabled() && w.imgMenu[3]->isEnabled());
    if (kind == "killed") {
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), old);
        QCOMPARE(QDir(m_fixtures.path()).entryList({"*.part"}, QDir::Files | QDir::Hidden), QStringList());
    } else {
        QVERIFY(!QFileInfo::exists(target));
    }
    // The open file is untouched by the failed export.
    QVERIFY(w.session().hasFile());
    QVERIFY(QFileInfo(w.workingFile()).size() > 44);
    // The status line names the file and why; the next song clears it.
    QVERIFY2(w.session().statusText().startsWith(QStringLiteral("没有保存 ") + QFileInfo(target).fileName() + u'：'),
             qPrintable(w.session().statusText()));
    program.prompt.queueAnswer(true);
    w.imgButton_Click(0);   // closes the song; the next Open chooses one
    QVERIFY(program.openThroughDialog(m_song));
    QCOMPARE(w.lblText->text(), QString());
}

void TestWorkflow::exitDuringDecode()
{
    Program program(m_fixtures.path());
    frmMain &w = *program.window;
    const QString folder = w.workingFolder();
    QVERIFY(QFileInfo(folder).isDir());
    bool closed = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (!closed && w.session().openController().isDecoding() && !coderChildren().isEmpty()) {
            closed = true;
            w.close(); // the exit question is answered OK
        }
    });
    watch.start(2);
    program.openThroughDialog(m_song);
    watch.stop();
    QVERIFY(closed);
    QCOMPARE(program.ends, 1);
    QCOMPARE(program.prompt.shown().first().text, QStringLiteral("真的要退出?"));
    QTRY_VERIFY(coderChildren().isEmpty());
    QVERIFY(!QFileInfo::exists(folder));
    // Nothing was reported for the decode the exit cut short.
    QCOMPARE(program.prompt.shown().size(), 1);
}

void TestWorkflow::cancelRunningJob_data()
{
    QTest::addColumn<bool>("exporting");
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("export, Cancel button") << true << false;
    QTest::newRow("export, Escape") << true << true;
    QTest::newRow("decode, Cancel button") << false << false;
    QTest::newRow("decode, Escape") << false << true;
}

void TestWorkflow::cancelRunningJob()
{
    QFETCH(bool, exporting);
    QFETCH(bool, byEscape);
    Program program(m_fixtures.path());
    frmMain &w = *program.window;
    const QString target = m_fixtures.filePath("kept ring.wma");
    const QByteArray old = "an earlier ringtone";
    if (exporting) {
        QVERIFY(program.openThroughDialog(m_song));
        w.editor().selectionState().set(0, 85000);
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(old);
    }
    ProgressPanel *panel = exporting ? w.picPro : w.picPBBack;
    // Cancelled as soon as its coder is seen. The coder is held still while
    // the user cancels, so even a job that a fast machine ends within one
    // read is surely midway; it then wakes to the runner's SIGTERM.
    bool cancelled = false;
    const auto cancelNow = [&] {
        const QList<int> coders = coderChildren();
        if (cancelled || coders.isEmpty())
            return;
        for (int pid : coders)
            ::kill(pid, SIGSTOP);
        for (int pid : coders) {
            if (!isHeld(pid))
                return; // already over: nothing left to cancel
        }
        cancelled = true;
        QVERIFY(panel->cancelButton()->isVisible());
        if (byEscape) {
            // The window manager's focus comes back from the file dialog
            // whenever it likes; a user pressing Escape has the window active.
            QApplication::setActiveWindow(&w);
            QTest::keyClick(&w, Qt::Key_Escape);
        } else {
            QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
        }
        for (int pid : coders)
            ::kill(pid, SIGCONT);
    };
    // The runner lets timers run while it waits on its coder.
    QTimer look;
    look.setInterval(1);
    connect(&look, &QTimer::timeout, this, cancelNow);
    look.start();
    std::unique_ptr<ModalWatch<QMessageBox>> replace;
    if (exporting) {
        answerFileDialog(target, &replace);
        w.imgButton_Click(1);
    } else {
        program.openThroughDialog(m_song);
    }

    QVERIFY(cancelled);
    QTRY_VERIFY(coderChildren().isEmpty());
    // Nothing to report: the user asked for it. The program goes on.
    QVERIFY2(program.prompt.shown().isEmpty(), qPrintable(program.prompt.shown().value(0).text));
    QVERIFY(panel->isHidden() && panel->cancelButton()->isHidden());
    // Save needs the song the cancelled decode never gave.
    QVERIFY(w.imgButton[0]->isEnabled());
    QCOMPARE(w.imgButton[1]->isEnabled(), exporting);
    QCOMPARE(QDir(m_fixtures.path()).entryList({"*.part"}, QDir::Files | QDir::Hidden), QStringList());
    if (exporting) {
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), old);
        QVERIFY(program.desktop.shownFiles().isEmpty());
        QVERIFY(!program.sound.sent.contains("play sound"));
        QVERIFY(w.session().hasFile());
        QCOMPARE(w.lblText->text(), QStringLiteral("已取消保存 kept ring.wma。"));
    } else {
        // As after a failed open: no song, no working file.
        QVERIFY(!w.session().hasFile());
        QVERIFY(!QFileInfo::exists(w.workingFile()));
        QVERIFY(w.picOpened->isHidden());
    }
}

void TestWorkflow::dispatcherWords_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("effect");
    QTest::newRow("OpenFile") << "OpenFile" << "open dialog";
    QTest::newRow("SaveRingTone with no song") << "SaveRingTone" << "";
    QTest::newRow("RRC") << "RRC" << QStringLiteral("message 请先播放音乐");
    QTest::newRow("SR") << "SR" << "url " + ShellLinks::tellAFriendUrl().toString();
    QTest::newRow("Help") << "Help" << "url help";
    QTest::newRow("settings") << QStringLiteral("设置") << "settings";
    QTest::newRow("about") << QStringLiteral("关于") << QStringLiteral("message 关于");
    QTest::newRow("exit declined") << QStringLiteral("退出") << QStringLiteral("message 真的要退出?");
    QTest::newRow("unknown") << "Exit" << "";
}

void TestWorkflow::dispatcherWords()
{
    QFETCH(QString, word);
    QFETCH(QString, effect);
    Program program(m_fixtures.path());
    frmMain &w = *program.window;
    program.prompt.setDefaultAnswer(false); // declines the exit question
    w.editor().selectionState().set(0, 5000);
    QStringList effects;
    ModalWatch<QFileDialog> dialog([&](QFileDialog *d) {
        effects << (d->acceptMode() == QFileDialog::AcceptOpen ? "open dialog" : "save dialog");
        d->reject();
    }, 1500);
    w.imgMenu_Click(0); // the menus are loaded
    w.menuHolder()->menu(0)->close();
    w.txtAction->setText(word);
    for (const auto &m : program.prompt.shown())
        effects << (m.title == QStringLiteral("关于") ? QStringLiteral("message 关于") : "message " + m.text);
    for (const QUrl &url : program.desktop.opened())
        effects << (url.isLocalFile() && url.toLocalFile().endsWith("/help/index.html")
                        ? QStringLiteral("url help")
                        : "url " + url.toString());
    if (w.settingsDialog() && w.settingsDialog()->isVisible())
        effects << "settings";
    if (!effect.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(effects.join('|'), effect, 2000);
    else
        QCOMPARE(effects, QStringList());
    // The window stays, whatever the word; the exit word unloads the menus.
    QVERIFY(w.isVisible());
    QCOMPARE(program.ends, 0);
    QCOMPARE(w.menuHolder() == nullptr, word == QStringLiteral("退出"));
}

int main(int argc, char **argv)
{
    // The application cannot even start without an X server: check first.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("SKIP: needs a real X server (DISPLAY); scripts/with-servers starts one");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestWorkflow test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_workflow.moc"
