#include "../../editor/learnduration.h"
#include "consolerunner.h"
#include "exportcontroller.h"
#include "opencontroller.h"
#include "ringtonesession.h"
#include "sessionfakes.h"
#include "shelllinks.h"
#include "timelineeditor.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

#include <optional>

namespace {
// One second of a 440 Hz tone, 8 kHz mono, under a name given as bytes.
bool writeTone(const char *path)
{
    QByteArray data;
    for (int i = 0; i < 8000; ++i) {
        const qint16 v = qint16(8000 * std::sin(2 * M_PI * 440 * i / 8000.0));
        data.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
    }
    auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char *>(&v), 2); };
    const QByteArray wav = "RIFF" + le32(36 + data.size()) + "WAVEfmt " + le32(16) + le16(1) +
                           le16(1) + le32(8000) + le32(16000) + le16(2) + le16(16) + "data" +
                           le32(data.size()) + data;
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL, 0600);
    const bool written = fd >= 0 && ::write(fd, wav.constData(), size_t(wav.size())) == wav.size();
    return ::close(fd) == 0 && written;
}
} // namespace

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
    void coderMissingIsTold_data();
    void coderMissingIsTold();
    void randomCutTells_data();
    void randomCutTells();
    void settingsAccepted_data();
    void settingsAccepted();
    void shutDown();
    void noWorkingFolderIsTold_data();
    void noWorkingFolderIsTold();
    void nameNotInUtf8Opens_data();
    void nameNotInUtf8Opens();

private:
    struct Rig {
        // cacheBase: empty for the user's cache folder; none for one in home.
        explicit Rig(bool withCoder = true, std::optional<QString> cacheBase = std::nullopt)
            : folder(withCoder)
        {
            RingtoneSession::Services services;
            services.prompt = &prompt;
            services.files = &files;
            services.desktop = &desktop;
            services.sound = &sound;
            services.setupPath = home.filePath("config/setup.ini");
            services.cacheBase = cacheBase ? *cacheBase : home.filePath("cache");
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
    QTest::newRow("save") << "SaveRingTone" << "asked save";
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
    rig.session->state().SelEndMs = 5000;
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
    QCOMPARE(rig.session->state().FileOpened, qint16(-1));
    // Playback stops before the decode; the window hears of the new file
    // once, with its waveform (none: the fake's output is no WAV).
    QCOMPARE(rig.sound.sent.mid(0, 2), (QStringList{"stop sound", "close sound"}));
    QCOMPARE(rig.window.filtered("name "), QStringList{"name " + song.left(32) + "..."});
    QCOMPARE(rig.window.filtered("opened"), QStringList{"opened 0"});
    QVERIFY(!rig.window.log.contains("closed"));
    QCOMPARE(rig.window.log.last(), "opened 0");

    // Open again: asked to close, the strip goes and the selection resets.
    rig.session->state().SelEndMs = 30000;
    rig.window.log.clear();
    rig.prompt.queueAnswer(true);
    rig.session->open();
    QCOMPARE(rig.window.log, (QStringList{"closed", "bar 1 0%"}));
    QCOMPARE(rig.session->state().FileOpened, qint16(0));
    QCOMPARE(rig.session->state().SelEndMs, qint64(0));
    QCOMPARE(rig.session->editor().model().text(TimelineModel::Label::lblSelLength), "00:00:00");
    QVERIFY(rig.files.asked.isEmpty());
}

void TestRingtoneSession::coderMissingIsTold_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("open") << false;
    QTest::newRow("save") << true;
}

void TestRingtoneSession::coderMissingIsTold()
{
    QFETCH(bool, save);
    Rig rig(false);
    rig.session->state().SelEndMs = 5000;
    rig.files.answers << rig.folder.path() + (save ? "/ring.mp3" : "/a.mp3");
    if (save)
        rig.session->save();
    else
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
    learnDuration(rig.session->state(), rig.session->editor().model(), seconds);
    rig.session->runCommand(ToolbarCommand::RandomCut);
    if (text.isEmpty()) {
        QVERIFY(rig.prompt.shown().isEmpty());
        QVERIFY(rig.session->state().SelEndMs - rig.session->state().SelBeginMs > 5000);
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

void TestRingtoneSession::noWorkingFolderIsTold_data()
{
    QTest::addColumn<QString>("cache"); // where the cache folder is; "" for a missing home
    QTest::addColumn<QString>("place"); // the folder the message names
    QTest::addColumn<QString>("reason");
    QTest::newRow("below a file") << "blocker/cache" << "blocker/cache" << "Not a directory";
    QTest::newRow("read-only") << "read-only/cache" << "read-only/cache" << "Permission denied";
    QTest::newRow("unwritable file system") << "/proc/kesmarin-cache" << "/proc/kesmarin-cache"
                                            << "No such file or directory";
    QTest::newRow("missing home") << "" << "/proc/no-home" << "No such file or directory";
}

void TestRingtoneSession::noWorkingFolderIsTold()
{
    QFETCH(QString, cache);
    QFETCH(QString, place);
    QFETCH(QString, reason);
    QTemporaryDir outside;
    const auto inside = [&](const QString &path) {
        return path.startsWith('/') ? path : outside.filePath(path);
    };
    QVERIFY(QFile(outside.filePath("blocker")).open(QIODevice::WriteOnly));
    QVERIFY(QDir(outside.path()).mkdir("read-only"));
    QFile::setPermissions(outside.filePath("read-only"), QFile::ReadOwner | QFile::ExeOwner);
    if (cache.startsWith("read-only") && ::access(qPrintable(outside.path() + "/read-only"), W_OK) == 0)
        QSKIP("this user writes into read-only folders");
    const QByteArray home = qgetenv("HOME"), xdg = qgetenv("XDG_CACHE_HOME");
    const bool xdgSet = qEnvironmentVariableIsSet("XDG_CACHE_HOME");
    qputenv("HOME", "/proc/no-home");
    qunsetenv("XDG_CACHE_HOME");
    Rig rig(true, cache.isEmpty() ? QString() : inside(cache));
    qputenv("HOME", home);
    if (xdgSet)
        qputenv("XDG_CACHE_HOME", xdg);

    // Said once the window is up, saying where and why, on one line.
    QVERIFY(rig.prompt.shown().isEmpty());
    QTRY_COMPARE(rig.prompt.shown().size(), 1);
    const QString text = rig.prompt.shown().first().text;
    QVERIFY2(text.startsWith(QStringLiteral("无法创建工作文件夹: ") + inside(place)), qPrintable(text));
    QVERIFY2(text.endsWith(": " + reason), qPrintable(text));
    QVERIFY(!text.contains('\n'));
    QCOMPARE(rig.prompt.shown().first().icon, UserPrompt::Icon::Critical);

    // Open says it again instead of blaming a song; nothing runs, nothing is made.
    rig.files.answers << rig.folder.path() + "/a.mp3";
    rig.session->open();
    rig.session->openPath(rig.folder.path() + "/a.mp3");
    QCOMPARE(rig.prompt.shown().size(), 3);
    QCOMPARE(rig.prompt.shown().at(1).text, text);
    QCOMPARE(rig.prompt.shown().at(2).text, text);
    QVERIFY(rig.files.asked.isEmpty());
    QVERIFY(rig.folder.runs().isEmpty());
    QCOMPARE(rig.session->state().FileOpened, qint16(0));
    QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{"blocker", "read-only"}));
    QVERIFY(QDir(outside.filePath("read-only")).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void TestRingtoneSession::nameNotInUtf8Opens_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("alike"); // another file whose name reads the same, or none
    QTest::addColumn<bool>("asText");      // named as Qt's text (the file dialog), not bytes
    QTest::addColumn<bool>("opens");
    const QByteArray gbk("\xb2\xe2\xca\xd4.mp3"), latin1("Caf\xe9 del Mar.wav");
    QTest::newRow("GBK, from the dialog") << gbk << QByteArray() << true << true;
    QTest::newRow("Latin-1, from the dialog") << latin1 << QByteArray() << true << true;
    QTest::newRow("GBK, as bytes") << gbk << QByteArray() << false << true;
    QTest::newRow("Latin-1 folder, as bytes") << QByteArray("M\xfasica/tono.wav") << QByteArray() << false << true;
    QTest::newRow("one of two alike, as bytes") << gbk << QByteArray("\xb2\xe2\xd1\xe9.mp3") << false << true;
    QTest::newRow("one of two alike, from the dialog") << gbk << QByteArray("\xb2\xe2\xd1\xe9.mp3") << true << false;
}

void TestRingtoneSession::nameNotInUtf8Opens()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, alike);
    QFETCH(bool, asText);
    QFETCH(bool, opens);
    Rig rig;
    // The real coder, on a real WAV.
    const QString coder = rig.folder.path() + "/data/coder";
    QFile::remove(coder);
    QVERIFY(QFile::link(QStringLiteral(KESMARIN_CODER), coder));
    QTemporaryDir songs;
    const QByteArray folder = QFile::encodeName(songs.path()) + '/';
    // Qt cannot remove names that are not UTF-8: the test takes them away.
    const auto removeSongs = qScopeGuard([&] {
        for (const QByteArray &file : {name, alike}) {
            ::unlink((folder + file).constData());
            if (file.contains('/'))
                ::rmdir((folder + file.left(file.indexOf('/'))).constData());
        }
    });
    for (const QByteArray &file : {name, alike}) {
        if (file.isEmpty())
            continue;
        if (file.contains('/'))
            QCOMPARE(::mkdir((folder + file.left(file.indexOf('/'))).constData(), 0700), 0);
        QVERIFY(writeTone((folder + file).constData()));
    }

    if (asText) {
        rig.files.answers << QFile::decodeName(folder + name);
        rig.session->open();
    } else {
        rig.session->openPath(folder + name);
    }
    if (!opens) {
        QCOMPARE(rig.prompt.shown().size(), 1);
        QCOMPARE(rig.prompt.shown().first().text,
                 QStringLiteral("无法打开这个文件。\n它的名字不是 UTF-8 编码，无法确定它是哪一个文件。"));
        QVERIFY(!QFileInfo::exists(rig.session->workingFile()));
        QCOMPARE(rig.session->state().FileOpened, qint16(0));
        return;
    }
    QVERIFY2(rig.prompt.shown().isEmpty(), qPrintable(rig.prompt.shown().value(0).text));
    QCOMPARE(rig.session->state().FileOpened, qint16(-1));
    QVERIFY(QFileInfo(rig.session->workingFile()).size() > 8000);
    // The working folder keeps the working file and nothing else of ours.
    QCOMPARE(QDir(rig.session->workingFolder()).entryList({"source*"}, QDir::AllEntries | QDir::System),
             QStringList());
}

QTEST_GUILESS_MAIN(TestRingtoneSession)
#include "tst_ringtonesession.moc"
