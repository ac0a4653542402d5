#include "../../analysis/songsynth.h"
#include "../../editor/learnduration.h"
#include "bestpartfinder.h"
#include "coderprogress.h"
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
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

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
    void bestPartSelects_data();
    void bestPartSelects();
    void bestPartOfASongGone();
    void settingsAccepted_data();
    void settingsAccepted();
    void hostileSettingsFiles_data();
    void hostileSettingsFiles();
    void shutDown();
    void noWorkingFolderIsTold_data();
    void noWorkingFolderIsTold();
    void nameNotInUtf8Opens_data();
    void nameNotInUtf8Opens();

private:
    struct Rig {
        // cacheBase: empty for the user's cache folder; "-" for one in home.
        // prepare: lays out the configuration folder before the session starts.
        explicit Rig(bool withCoder = true, const QString &cacheBase = "-",
                     const std::function<void(const QString &config)> &prepare = {})
            : folder(withCoder)
        {
            if (prepare) {
                QDir().mkpath(home.filePath("config"));
                prepare(home.filePath("config"));
            }
            RingtoneSession::Services services;
            services.prompt = &prompt;
            services.files = &files;
            services.desktop = &desktop;
            services.sound = &sound;
            services.setupPath = home.filePath("config/setup.ini");
            services.cacheBase = cacheBase == "-" ? home.filePath("cache") : cacheBase;
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
    QCOMPARE(rig.window.filtered("name "), QStringList{"name " + CoderProgress::shortFileName(song)});
    QCOMPARE(rig.window.filtered("opened"), QStringList{"opened 0"});
    QVERIFY(!rig.window.log.contains("closed"));
    QCOMPARE(rig.window.log.last(), "opened 0");

    // Open again: asked to close, the strip goes and the selection resets.
    rig.session->editor().selectionState().setEnd(30000);
    rig.window.log.clear();
    rig.sound.sent.clear();
    rig.prompt.queueAnswer(true);
    rig.session->open();
    QCOMPARE(rig.window.log, (QStringList{"closed", "bar 1 0%", "name "}));
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

void TestRingtoneSession::bestPartSelects_data()
{
    QTest::addColumn<bool>("song");
    QTest::addColumn<QString>("told");
    QTest::newRow("a chorus, then the next best") << true << QStringLiteral("推荐片段 1/");
    QTest::newRow("nothing repeats") << false << QStringLiteral("歌曲中没有重复的段落");
}

void TestRingtoneSession::bestPartSelects()
{
    QFETCH(bool, song);
    QFETCH(QString, told);
    Rig rig;
    QVERIFY(!rig.session->trigger(Command::BestPart)); // no song yet
    rig.session->openPath(rig.folder.path() + "/a song.mp3");
    QVERIFY(rig.session->hasFile());
    // The decode's working file, as the coder would have written it.
    const int rate = 22050;
    const std::vector<float> samples =
        song ? SongSynth::popSong(3, rate).samples : SongSynth::ambient(100.0, 2, rate);
    QVERIFY(SongSynth::writeWav(rig.session->workingFile(), samples, rate));
    TimelineEditor &editor = rig.session->editor();
    learnDuration(editor.model(), qint32(samples.size() / rate));

    QList<std::pair<qint64, qint64>> steps; // each undo step's before
    connect(&editor.selection(), &SelectionEditor::edited, this,
            [&steps](const SelectionSnapshot &before, const SelectionSnapshot &) {
                steps << std::pair{before.beginMs, before.endMs};
            });
    QSignalSpy status(rig.session.get(), &RingtoneSession::bestPartTold);
    QVERIFY(rig.session->trigger(Command::BestPart));
    QTRY_COMPARE_WITH_TIMEOUT(status.count(), 1, 60000);
    QVERIFY2(status.at(0).at(0).toString().startsWith(told), qPrintable(status.at(0).at(0).toString()));
    const Selection &selected = editor.selectionState();
    const std::pair first{selected.beginMs(), selected.endMs()};
    QVERIFY(first.second - first.first >= 5000);
    // Both handles in one step from where they were, and both shown.
    QCOMPARE(steps, (QList<std::pair<qint64, qint64>>{{0, 0}}));
    QVERIFY(editor.model().isVisible(TimelineModel::Image::imgSelectTop1));
    QVERIFY(editor.model().isVisible(TimelineModel::Image::imgSelectTop2));
    QVERIFY(rig.prompt.shown().isEmpty());

    // Again: the ranked list is kept, so the answer comes at once.
    QVERIFY(rig.session->trigger(Command::BestPart));
    QCOMPARE(status.count(), 2);
    if (song) {
        QCOMPARE(steps.size(), 2);
        QCOMPARE(steps.last(), first);
        QVERIFY(selected.beginMs() != first.first);
        QVERIFY(status.at(1).at(0).toString().startsWith(QStringLiteral("推荐片段 2/")));
    } else {
        QCOMPARE(steps.size(), 1); // the one stretch again: nothing to undo
    }
}

void TestRingtoneSession::bestPartOfASongGone()
{
    // Another song is decoded over the working file while the first one is
    // analysed: the first one's chorus must never be offered for it.
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("open.wav"));
    const int rate = 22050;
    QVERIFY(SongSynth::writeWav(wav, SongSynth::popSong(3, rate).samples, rate));
    BestPartFinder finder;
    QSignalSpy found(&finder, &BestPartFinder::found);
    QSignalSpy failed(&finder, &BestPartFinder::failed);
    finder.ask(wav);
    QVERIFY(finder.isAnalysing());
    // Written before the event loop can deliver the analysis's end.
    QVERIFY(SongSynth::writeWav(wav, SongSynth::ambient(70.0, 2, rate), rate));
    QTRY_VERIFY_WITH_TIMEOUT(!finder.isAnalysing(), 60000);
    finder.ask(wav);
    QTRY_COMPARE_WITH_TIMEOUT(found.count() + failed.count(), 1, 60000);
    QCOMPARE(found.count(), 1);
    // The drone's stretch: nothing in it repeats, unlike the song's chorus.
    QVERIFY(!found.at(0).at(0).value<Suggestion>().repeated);
    QVERIFY(found.at(0).at(0).value<Suggestion>().endMs <= 70000);
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

void TestRingtoneSession::hostileSettingsFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("read");         // the first choice read at start
    QTest::addColumn<QString>("told");     // empty: saved without a word
    QTest::addColumn<QByteArray>("after"); // what the link's target holds afterwards; null: none
    const QByteArray old("1\r\n1\r\n");
    const QString notAFile = "不是一个普通文件";
    // Each leaves the thing where setup.ini stands as it was, and no
    // temporary file beside it or beside a link's target.
    QTest::newRow("link to a file of ours") << "link-own" << 1 << "" << QByteArray("0\r\n1\r\n200\r\n0\r\n0\r\n");
    QTest::newRow("link into another user's folder") << "link-theirs" << 1 << "不属于你" << old;
    QTest::newRow("link to a file named in Latin-1") << "link-latin1" << 1 << "无法写入" << old;
    QTest::newRow("link to a FIFO, as to a device") << "link-fifo" << 0 << notAFile << QByteArray();
    QTest::newRow("dangling link") << "link-none" << 0 << notAFile << QByteArray();
    QTest::newRow("FIFO") << "fifo" << 0 << notAFile << QByteArray();
    QTest::newRow("folder") << "folder" << 0 << notAFile << QByteArray();
}

void TestRingtoneSession::hostileSettingsFiles()
{
    QFETCH(QString, kind);
    QFETCH(int, read);
    QFETCH(QString, told);
    QFETCH(QByteArray, after);
    if (kind == "link-theirs" && ::geteuid() != 0)
        QSKIP("making a folder of another user's needs root");
    QByteArray other, target; // the link's folder and what it points to, or the thing itself
    const auto entries = [&other](const QString &config) {
        const auto flags = QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot;
        return QDir(config).entryList(flags) + QDir(QFile::decodeName(other)).entryList(flags);
    };
    QStringList before;
    Rig rig(true, "-", [&](const QString &config) {
        const QByteArray ini = QFile::encodeName(config + "/setup.ini");
        other = QFile::encodeName(config + "/../elsewhere");
        QDir().mkpath(QFile::decodeName(other));
        target = kind.startsWith("link") ? other + (kind == "link-latin1" ? "/r\xe9" "al" : "/real") : ini;
        if (kind == "link-own" || kind == "link-theirs" || kind == "link-latin1") {
            const int fd = ::open(target.constData(), O_WRONLY | O_CREAT, 0600);
            QVERIFY(fd >= 0 && ::write(fd, "1\r\n1\r\n", 6) == 6 && ::close(fd) == 0);
        } else if (kind.endsWith("fifo")) {
            QCOMPARE(::mkfifo(target.constData(), 0600), 0);
        } else if (kind == "folder") {
            QCOMPARE(::mkdir(ini.constData(), 0700), 0);
        }
        if (kind == "link-theirs")
            QCOMPARE(::chown(other.constData(), 65534, 65534), 0);
        if (kind.startsWith("link"))
            QCOMPARE(::symlink(target.constData(), ini.constData()), 0);
        before = entries(config);
    });
    // A name QDir cannot spell is removed by its bytes.
    const auto removeTarget = qScopeGuard([&] { ::unlink(target.constData()); });
    QVERIFY(!QTest::currentTestFailed());
    // The start did not wait on a FIFO, and a file it could not read gave the defaults.
    QCOMPARE(int(rig.session->settings().openFolderChoice), int(read));
    rig.session->applySettings(SetupValues{0, 1});
    rig.session->setFades(FadeLevel{200, 0, false}); // a second failure is not told again
    QCOMPARE(rig.prompt.shown().size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty()) {
        QVERIFY2(rig.prompt.shown()[0].text.contains(told), qPrintable(rig.prompt.shown()[0].text));
        QVERIFY(rig.prompt.shown()[0].text.contains(rig.session->setupPath()));
    }
    QCOMPARE(entries(rig.home.filePath("config")), before);
    const QFileInfo ini(rig.session->setupPath());
    QCOMPARE(ini.isSymLink(), kind.startsWith("link"));
    QCOMPARE(ini.isDir(), kind == "folder");
    struct stat st = {};
    if (kind.endsWith("fifo"))
        QVERIFY(::stat(target.constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    if (!after.isNull()) {
        QByteArray held(64, '\0');
        const int fd = ::open(target.constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        held.resize(::read(fd, held.data(), held.size()));
        ::close(fd);
        QCOMPARE(held, after);
    }
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
    QTest::addColumn<QString>("cache"); // "" for the user's, with a home that cannot be
    QTest::addColumn<QString>("place"); // the folder that could not be made, and why
    QTest::newRow("below a file") << "blocker/cache" << "blocker/cache: Not a directory";
    QTest::newRow("read-only") << "read-only/cache" << "read-only/cache: Permission denied";
    QTest::newRow("unwritable") << "/proc/kes" << "/proc/kes: No such file or directory";
    QTest::newRow("missing home") << "" << "/proc/no-home: No such file or directory";
}

void TestRingtoneSession::noWorkingFolderIsTold()
{
    QFETCH(QString, cache);
    QFETCH(QString, place);
    QTemporaryDir outside;
    const auto inside = [&](const QString &path) { return path.startsWith('/') ? path : outside.filePath(path); };
    QVERIFY(QFile(outside.filePath("blocker")).open(QIODevice::WriteOnly));
    QVERIFY(QDir(outside.path()).mkdir("read-only", QFile::ReadOwner | QFile::ExeOwner));
    if (cache.startsWith("read-only") && ::access(qPrintable(inside("read-only")), W_OK) == 0)
        QSKIP("this user writes into read-only folders");
    const QByteArray home = qgetenv("HOME"), xdg = qgetenv("XDG_CACHE_HOME");
    qputenv("HOME", "/proc/no-home"), qputenv("XDG_CACHE_HOME", ""); // "" is as good as unset
    Rig rig(true, cache.isEmpty() ? QString() : inside(cache));
    qputenv("HOME", home), qputenv("XDG_CACHE_HOME", xdg);
    // Told once the window is up, then at each Open instead of blaming a song.
    QTRY_COMPARE(rig.prompt.shown().size(), 1);
    rig.session->open();
    rig.session->openPath(rig.folder.path() + "/a.mp3");
    for (const UserPrompt::Message &message : rig.prompt.shown())
        QCOMPARE(message.text, QStringLiteral("无法创建工作文件夹：") + inside(place));
    QCOMPARE(rig.prompt.shown().size(), 3);
    QVERIFY(rig.files.asked.isEmpty() && rig.folder.runs().isEmpty());
    QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), (QStringList{"blocker", "read-only"})); // nothing made
}

void TestRingtoneSession::nameNotInUtf8Opens_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("alike"); // another file whose name reads the same
    QTest::addColumn<bool>("asText");      // named by the file dialog's text, not by bytes
    QTest::addColumn<bool>("opens");
    const QByteArray gbk("\xb2\xe2\xca\xd4.mp3"), gbk2("\xb2\xe2\xd1\xe9.mp3");
    QTest::newRow("GBK, dialog") << gbk << QByteArray() << true << true;
    QTest::newRow("Latin-1, dialog") << QByteArray("Caf\xe9 del Mar.wav") << QByteArray() << true << true;
    QTest::newRow("GBK, bytes") << gbk << QByteArray() << false << true;
    QTest::newRow("Latin-1 folder, bytes") << QByteArray("M\xfasica/t.wav") << QByteArray() << false << true;
    QTest::newRow("one of two alike, bytes") << gbk << gbk2 << false << true;
    QTest::newRow("one of two alike, dialog") << gbk << gbk2 << true << false;
}

void TestRingtoneSession::nameNotInUtf8Opens()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, alike);
    QFETCH(bool, asText);
    QFETCH(bool, opens);
    Rig rig;
    // The real coder, on a real WAV (the chime).
    QFile::remove(rig.folder.path() + "/data/coder");
    QVERIFY(QFile::link(QStringLiteral(KESMARIN_CODER), rig.folder.path() + "/data/coder"));
    const QByteArray folder = QFile::encodeName(rig.home.path()) + '/';
    const QByteArray subfolder = folder + name.left(name.indexOf('/') + 1); // or folder
    ::mkdir(subfolder, 0700);
    const auto removeSongs = qScopeGuard([&] { ::unlink(folder + name); ::unlink(folder + alike); ::rmdir(subfolder); }); // Qt cannot
    for (const QByteArray &file : {name, alike})
        QVERIFY(file.isEmpty() || (QFile::copy(KESMARIN_BUILD_DIR "/sound.wav", rig.home.filePath("w")) &&
                                   ::rename(QFile::encodeName(rig.home.filePath("w")), folder + file) == 0));
    rig.files.answers << QFile::decodeName(folder + name);
    asText ? rig.session->open() : rig.session->openPath(folder + name);
    QCOMPARE(rig.prompt.shown().value(0).text,
             opens ? QString() : QStringLiteral("无法打开这个文件。\n它的名字不是 UTF-8 编码，无法确定它是哪一个文件。"));
    QCOMPARE(rig.session->hasFile(), opens);
    QCOMPARE(QFileInfo(rig.session->workingFile()).size() > 60000, opens);
    // Nothing of ours but the working file.
    QCOMPARE(QDir(rig.session->workingFolder()).entryList({"source*"}, QDir::AllEntries | QDir::System), QStringList());
}

QTEST_GUILESS_MAIN(TestRingtoneSession)
#include "tst_ringtonesession.moc"
