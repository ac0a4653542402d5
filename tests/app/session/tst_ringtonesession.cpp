#include "../../editor/learnduration.h"
#include "consolerunner.h"
#include "exportcontroller.h"
#include "opencontroller.h"
#include "ringtonesession.h"
#include "sessionfakes.h"
#include "shelllinks.h"
#include "timelineeditor.h"

#include <QSignalSpy>
#include <QTest>

// The session with no window: the real runner and the stand-in coder, a
// scripted user and a recorded sound device and desktop.
class TestRingtoneSession : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void wordsReachCommands_data();
    void wordsReachCommands();
    void shellRequests();
    void openAndClose();
    void coderMissingIsTold();
    void randomCutTells_data();
    void randomCutTells();
    void settingsAccepted_data();
    void settingsAccepted();
    void shutDown();

private:
    struct Rig {
        explicit Rig(bool withCoder = true) : folder(withCoder)
        {
            RingtoneSession::Services services;
            services.prompt = &prompt;
            services.files = &files;
            services.desktop = &desktop;
            services.sound = &sound;
            services.setupPath = home.filePath("config/setup.ini");
            services.cacheBase = home.filePath("cache");
            services.appFolder = folder.path();
            services.peakColumns = 100;
            session = std::make_unique<RingtoneSession>(services);
            // Only what the commands send is of interest, not the poll.
            session->editor().controller().Timer2().stop();
            window.watch(*session);
        }
        QTemporaryDir home;
        ProgramFolder folder;
        ScriptedPrompt prompt;
        ScriptedFiles files;
        RecordingDesktopOpener desktop;
        SoundLog sound;
        WindowLog window;
        std::unique_ptr<RingtoneSession> session;
    };
};

void TestRingtoneSession::init()
{
    qputenv("KESMARIN_FAKE_CODER", "ok");
}

void TestRingtoneSession::wordsReachCommands_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("effect");
    QTest::newRow("open") << "OpenFile" << "asked open";
    // Save waits for a file and a selection.
    QTest::newRow("save with no file") << "SaveRingTone" << "";
    QTest::newRow("random cut") << "RRC" << QStringLiteral("told 请先播放音乐");
    QTest::newRow("tell a friend") << "SR" << "url " + ShellLinks::tellAFriendUrl().toString();
    QTest::newRow("help") << "Help" << "url help";
    QTest::newRow("settings") << QStringLiteral("设置") << "window settings";
    QTest::newRow("about") << QStringLiteral("关于") << "window about";
    QTest::newRow("exit") << QStringLiteral("退出") << "window exit";
    QTest::newRow("unknown") << "Exit" << "";
}

void TestRingtoneSession::wordsReachCommands()
{
    QFETCH(QString, word);
    QFETCH(QString, effect);
    Rig rig;
    rig.session->dispatchWord(word);
    QStringList effects;
    for (const QString &asked : rig.files.asked)
        effects << "asked " + asked.section('|', 0, 0);
    for (const auto &message : rig.prompt.shown())
        effects << "told " + message.text;
    for (const QUrl &url : rig.desktop.opened())
        effects << (url.toLocalFile().endsWith("/help/index.html") ? QStringLiteral("url help")
                                                                   : "url " + url.toString());
    for (const QString &line : rig.window.log)
        effects << "window " + line;
    QCOMPARE(effects.join('|'), effect);
}

void TestRingtoneSession::shellRequests()
{
    Rig rig;
    rig.session->tellAFriend();
    rig.session->feedback();
    rig.session->help();
    const QList<QUrl> opened = rig.desktop.opened();
    QCOMPARE(opened.size(), 3);
    QCOMPARE(opened[0], ShellLinks::tellAFriendUrl());
    QCOMPARE(opened[1], ShellLinks::feedbackUrl());
    // The help page is looked for beside the program, not in the current folder.
    QCOMPARE(opened[2].toLocalFile(), rig.folder.path() + "/help/index.html");
}

void TestRingtoneSession::openAndClose()
{
    Rig rig;
    const QString song = rig.folder.path() + "/a song.mp3";
    rig.session->openPath(song);
    QVERIFY(rig.session->hasFile());
    // Playback stops before the decode; the window hears of the new file
    // once, with its waveform (none: the fake's output is no WAV).
    QCOMPARE(rig.sound.sent.mid(0, 2), (QStringList{"stop sound", "close sound"}));
    QCOMPARE(rig.window.filtered("name "), QStringList{"name " + song.left(32) + "..."});
    QCOMPARE(rig.window.filtered("opened"), QStringList{"opened 0"});
    QVERIFY(!rig.window.log.contains("closed"));
    QCOMPARE(rig.window.log.last(), "opened 0");

    // Open again: asked to close, the strip goes and the selection resets.
    rig.session->editor().selectionState().setEnd(30000);
    rig.window.log.clear();
    rig.sound.sent.clear();
    rig.prompt.queueAnswer(true);
    rig.session->open();
    QCOMPARE(rig.window.log, (QStringList{"closed", "bar 1 0%"}));
    // The song stops with its file.
    QCOMPARE(rig.sound.sent, (QStringList{"stop sound", "close sound"}));
    QVERIFY(!rig.session->hasFile());
    QCOMPARE(rig.session->editor().selectionState().endMs(), qint64(0));
    QCOMPARE(rig.session->editor().model().text(TimelineModel::Label::lblSelLength), "00:00:00");
    QVERIFY(rig.files.asked.isEmpty());
}

void TestRingtoneSession::coderMissingIsTold()
{
    // (A save needs an open file, so only a decode can meet a missing coder.)
    Rig rig(false);
    rig.files.answers << rig.folder.path() + "/a.mp3";
    rig.session->open();
    // The runner's reason, as a box with the program's title.
    QCOMPARE(rig.prompt.shown().size(), 1);
    const auto message = rig.prompt.shown().first();
    QCOMPARE(message.text, QStringLiteral("没有找到文件或命令"));
    QCOMPARE(message.title, QStringLiteral("Kesmarin"));
    QCOMPARE(message.icon, UserPrompt::Icon::Critical);
    QVERIFY(!rig.session->isBusy());
}

void TestRingtoneSession::randomCutTells_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("not played") << 0 << QStringLiteral("请先播放音乐");
    QTest::newRow("too short") << 5 << QStringLiteral("未能找到长于5秒的片段");
    QTest::newRow("long enough") << 600 << QString();
}

void TestRingtoneSession::randomCutTells()
{
    QFETCH(int, seconds);
    QFETCH(QString, text);
    Rig rig;
    learnDuration(rig.session->editor().model(), seconds);
    rig.session->runCommand(ToolbarCommand::RandomCut);
    if (text.isEmpty()) {
        QVERIFY(rig.prompt.shown().isEmpty());
        QVERIFY(rig.session->editor().selectionState().endMs() - rig.session->editor().selectionState().beginMs() > 5000);
        return;
    }
    QCOMPARE(rig.prompt.shown().size(), 1);
    const auto message = rig.prompt.shown().first();
    QCOMPARE(message.text, text);
    QCOMPARE(message.title, QStringLiteral("警告"));
    QCOMPARE(message.icon, UserPrompt::Icon::Warning);
}

void TestRingtoneSession::settingsAccepted_data()
{
    QTest::addColumn<int>("openFolder");
    QTest::addColumn<int>("ringSound");
    QTest::addColumn<QByteArray>("bytes");
    // The fades set in the window (lines 3-5) stay as they are.
    QTest::newRow("Do Nothing, No") << 1 << 1 << QByteArray("1\r\n1\r\n1200\r\n0\r\n1\r\n");
    QTest::newRow("Open the folder, Yes") << 0 << 0 << QByteArray("0\r\n0\r\n1200\r\n0\r\n1\r\n");
    QTest::newRow("no selection") << -1 << 1 << QByteArray("-1\r\n1\r\n1200\r\n0\r\n1\r\n");
}

void TestRingtoneSession::settingsAccepted()
{
    QFETCH(int, openFolder);
    QFETCH(int, ringSound);
    QFETCH(QByteArray, bytes);
    Rig rig;
    rig.session->setFades(FadeLevel{1200, 0, true});
    // The dialog hands back only its two choices.
    const SetupValues values{qint16(openFolder), qint16(ringSound), 1200, 0, true};
    rig.session->applySettings(SetupValues{qint16(openFolder), qint16(ringSound)});
    QCOMPARE(rig.session->settings(), values);
    QFile file(rig.session->setupPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    // The next start reads them back.
    QCOMPARE(SetupFile::read(rig.session->setupPath()), values);
}

void TestRingtoneSession::shutDown()
{
    Rig rig;
    const QString folder = rig.session->workingFolder();
    QVERIFY(QFileInfo(folder).isDir());
    rig.sound.sent.clear();
    rig.session->shutDown();
    QCOMPARE(rig.sound.sent, (QStringList{"stop sound", "close sound"}));
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(!rig.session->editor().controller().Timer2().isActive());
}

QTEST_GUILESS_MAIN(TestRingtoneSession)
#include "tst_ringtonesession.moc"
