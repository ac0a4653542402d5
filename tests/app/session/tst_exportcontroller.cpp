#include "consolerunner.h"
#include "desktopopener.h"
#include "selection.h"
#include "playbackcontroller.h"
#include "sessionfakes.h"
#include "setupfile.h"
#include "timelinemodel.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestExportController : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void emptySelectionDoesNothing_data();
    void emptySelectionDoesNothing();
    void dialogCancelled_data();
    void dialogCancelled();
    void formats_data();
    void formats();
    void unknownFormatRestoresAtOnce_data();
    void unknownFormatRestoresAtOnce();
    void afterExport_data();
    void afterExport();
    void failedExport_data();
    void failedExport();
    void coderMissing();
    void protectedTargets_data();
    void protectedTargets();
    void progressFollowsTheStretch();
    void iphoneQuestion_data();
    void iphoneQuestion();
    void cancelledExport();
    void saveFolder_data();
    void saveFolder();
    void saveFolderNotKept();
    void folderNotInUtf8_data();
    void folderNotInUtf8();

private:
    struct Rig {
        explicit Rig(bool withCoder = true) : folder(withCoder)
        {
            selection.set(10000, 40000);
            QFile work(folder.workFile());
            if (work.open(QIODevice::WriteOnly))
                work.write(QByteArray(2000, 'w'));
            // Only what the export sends is of interest, not the poll.
            playback.Timer2().stop();
            view.watch(exporter);
        }
        QString target(const QString &name) const { return folder.path() + "/" + name; }
        ProgramFolder folder;
        WindowLog view;
        Selection selection;
        SetupValues settings;
        ScriptedPrompt prompt;
        ScriptedFiles files;
        SoundLog sound;
        TimelineModel model;
        PlaybackController playback{selection, model, sound, folder.workFile()};
        RecordingDesktopOpener desktop;
        ConsoleRunner runner;
        ExportController exporter{selection, runner,  files,         prompt,
                                  playback, desktop, folder.path(), folder.workFile()};
    };
};

void TestExportController::init()
{
    qputenv("KESMARIN_FAKE_CODER", "ok");
}

void TestExportController::emptySelectionDoesNothing_data()
{
    QTest::addColumn<int>("begin");
    QTest::addColumn<int>("end");
    QTest::newRow("nothing chosen") << 0 << 0;
    QTest::newRow("begin equals end") << 25 << 25;
    QTest::newRow("end before begin") << 30 << 20;
}

void TestExportController::emptySelectionDoesNothing()
{
    QFETCH(int, begin);
    QFETCH(int, end);
    Rig rig;
    rig.selection.set(qint64(begin) * 1000, qint64(end) * 1000);
    rig.files.answers << rig.target("a.mp3");
    rig.exporter.save(rig.settings);
    QVERIFY(rig.files.asked.isEmpty());
    QVERIFY(rig.sound.sent.isEmpty());
    QVERIFY(rig.prompt.shown().isEmpty());
    QVERIFY(rig.view.log.isEmpty());
}

void TestExportController::dialogCancelled_data()
{
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::newRow("cancelled") << std::optional<QString>();
    QTest::newRow("empty") << std::optional<QString>(QString());
    QTest::newRow("blanks") << std::optional<QString>(QStringLiteral("   "));
}

void TestExportController::dialogCancelled()
{
    QFETCH(std::optional<QString>, answer);
    Rig rig;
    rig.files.answers << answer;
    rig.exporter.setSourcePath(QStringLiteral("/music/My Song.live.flac"));
    rig.exporter.save(rig.settings);
    QCOMPARE(rig.files.asked,
             QStringList{"save|" + QStringLiteral("另存为") + "|" +
                         QStringLiteral("MP3 文件(*.mp3)|*.mp3|WMA 文件(*.wma)|*.wma|WAV 文件(*.wav)|"
                                        "*.wav|AMR 文件(*.amr)|*.amr|M4R 文件(*.m4r)|*.m4r|OGG 文件(*.ogg)|*.ogg") +
                         "|My Song.live 铃声.mp3"});
    QVERIFY(rig.sound.sent.isEmpty());
    QVERIFY(rig.view.log.isEmpty());
    QVERIFY(rig.folder.runs().isEmpty());
}

void TestExportController::formats_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("mp3") << "a b.mp3" << QStringList{"-y", "-ab", "128k", "-ar", "44100", "-ac", "1"};
    QTest::newRow("wma") << "x.wma" << QStringList{"-y", "-acodec", "wmav1"};
    QTest::newRow("wav in mixed case") << "x.Wav" << QStringList{"-y"};
    QTest::newRow("amr upper case") << "X.AMR" << QStringList{"-y", "-ar", "8000", "-ab", "7.4k", "-ac", "1"};
    QTest::newRow("m4r") << "tone.m4r" << QStringList{"-y", "-acodec", "aac", "-ab", "128k", "-ar", "44100", "-ac", "2"};
    QTest::newRow("ogg") << "tone.ogg" << QStringList{"-y", "-acodec", "libvorbis"};
}

void TestExportController::formats()
{
    QFETCH(QString, name);
    QFETCH(QStringList, options);
    Rig rig;
    rig.files.answers << "  " + rig.target(name) + " ";
    rig.exporter.save(rig.settings);
    const QList<QStringList> runs = rig.folder.runs();
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs[0], QStringList({"-i", rig.folder.workFile(), "-ss", "10", "-t", "30"}) + options +
                          QStringList{rig.target(name)});
    QCOMPARE(rig.exporter.txtSave(), rig.target(name));
    // The device is stopped and closed before the job, and the window given back.
    QCOMPARE(rig.sound.sent.mid(0, 2), (QStringList{"stop sound", "close sound"}));
    QCOMPARE(rig.view.log.first(), "commands off");
    QCOMPARE(rig.view.log.mid(rig.view.log.size() - 2), (QStringList{"pro off", "commands on"}));
    QVERIFY(rig.prompt.shown().isEmpty());
}

void TestExportController::unknownFormatRestoresAtOnce_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("oga") << "a.oga";
    QTest::newRow("no extension") << "ringtone";
    QTest::newRow("short name") << "mp";
}

void TestExportController::unknownFormatRestoresAtOnce()
{
    QFETCH(QString, name);
    Rig rig;
    rig.files.answers << rig.target(name);
    rig.exporter.save(rig.settings);
    QCOMPARE(rig.prompt.shown().size(), 1);
    QVERIFY(rig.prompt.shown().first().text.contains(".m4r"));
    // The window was never taken away, and no job ran.
    QVERIFY(!rig.view.log.contains("commands off"));
    QVERIFY(rig.folder.runs().isEmpty());
    QVERIFY(rig.desktop.opened().isEmpty());
}

void TestExportController::afterExport_data()
{
    QTest::addColumn<int>("openFolder");
    QTest::addColumn<int>("ringSound");
    QTest::addColumn<bool>("chimePresent");
    QTest::addColumn<bool>("folderOpened");
    QTest::addColumn<bool>("chimed");
    QTest::newRow("both") << 0 << 0 << true << true << true;
    QTest::newRow("nothing") << 1 << 1 << true << false << false;
    QTest::newRow("folder only") << 0 << 1 << true << true << false;
    QTest::newRow("chime only") << 1 << 0 << true << false << true;
    QTest::newRow("chime missing") << 1 << 0 << false << false << false;
}

void TestExportController::afterExport()
{
    QFETCH(int, openFolder);
    QFETCH(int, ringSound);
    QFETCH(bool, chimePresent);
    QFETCH(bool, folderOpened);
    QFETCH(bool, chimed);
    Rig rig;
    rig.settings.openFolderChoice = qint16(openFolder);
    rig.settings.ringSoundChoice = qint16(ringSound);
    const QString chime = rig.folder.path() + "/sound.wav";
    if (chimePresent) {
        QFile file(chime);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QDir(rig.folder.path()).mkpath("tones dir");
    rig.files.answers << rig.target("tones dir/ring.mp3");
    rig.exporter.save(rig.settings);
    QVERIFY(QFileInfo::exists(rig.target("tones dir/ring.mp3")));
    QVERIFY(rig.prompt.shown().isEmpty());

    // The file manager is asked to show the file itself.
    QVERIFY(rig.desktop.opened().isEmpty());
    QCOMPARE(rig.desktop.shownFiles(),
             folderOpened ? QStringList{rig.target("tones dir/ring.mp3")} : QStringList());
    QCOMPARE(rig.view.saved, QStringList{QStringLiteral("已保存 ring.mp3 · 00:00:30 · AAC 44.1 kHz")});
    const QStringList expectedChime{"open " + chime + " alias sound", "play sound"};
    QCOMPARE(rig.sound.sent.mid(2), chimed ? expectedChime : QStringList());
}

void TestExportController::failedExport_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<QString>("reason");
    QTest::newRow("coder says why") << QByteArray("fail") << "Invalid data found";
    QTest::newRow("coder crashed") << QByteArray("crash") << QStringLiteral("意外结束");
    // Written, but it does not read back as what was asked for.
    QTest::newRow("read back too short") << QByteArray("short") << QStringLiteral("应当是 30.00 秒");
    QTest::newRow("not read back") << QByteArray("unreadable") << QStringLiteral("读不回来");
}

void TestExportController::failedExport()
{
    QFETCH(QByteArray, mode);
    QFETCH(QString, reason);
    Rig rig;
    QFile chime(rig.folder.path() + "/sound.wav");
    QVERIFY(chime.open(QIODevice::WriteOnly));
    qputenv("KESMARIN_FAKE_CODER", mode);
    rig.files.answers << rig.target("ring.mp3");
    rig.exporter.save(rig.settings);
    QCOMPARE(rig.prompt.shown().size(), 1);
    const UserPrompt::Message told = rig.prompt.shown().first();
    QVERIFY2((told.text + told.details).contains(reason), qPrintable(told.text));
    QVERIFY2(!told.text.contains(QLatin1String("coder:")), qPrintable(told.text));
    QCOMPARE(rig.view.log.mid(rig.view.log.size() - 2), (QStringList{"pro off", "commands on"}));
    QVERIFY(rig.desktop.opened().isEmpty());
    QVERIFY(rig.desktop.shownFiles().isEmpty());
    QVERIFY(rig.view.saved.isEmpty());
    QCOMPARE(rig.sound.sent, (QStringList{"stop sound", "close sound"}));
}

void TestExportController::coderMissing()
{
    Rig rig(false);
    rig.files.answers << rig.target("ring.mp3");
    rig.exporter.save(rig.settings);
    // The runner says why; the session shows it.
    QVERIFY(rig.prompt.shown().isEmpty());
    QCOMPARE(rig.runner.startFailure(), QStringLiteral("没有找到文件或命令"));
    QCOMPARE(rig.view.log.mid(rig.view.log.size() - 2), (QStringList{"pro off", "commands on"}));
    QVERIFY(rig.desktop.opened().isEmpty());
    // A second try is possible: the window is not stuck.
    rig.files.answers << std::nullopt;
    rig.exporter.save(rig.settings);
    QCOMPARE(rig.files.asked.size(), 2);
}

void TestExportController::protectedTargets_data()
{
    QTest::addColumn<QString>("which");
    QTest::newRow("working file") << "work";
    QTest::newRow("opened source") << "source";
    QTest::newRow("source through a link") << "link";
}

void TestExportController::protectedTargets()
{
    QFETCH(QString, which);
    Rig rig;
    const QString source = rig.target("song.wav");
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("original");
    file.close();
    rig.exporter.setSourcePath(source);
    QString target = which == "work" ? rig.folder.workFile() : source;
    if (which == "link") {
        target = rig.target("alias.wav");
        QVERIFY(QFile::link(source, target));
    }
    rig.files.answers << target;
    rig.exporter.save(rig.settings);
    QCOMPARE(rig.prompt.shown().size(), 1);
    QVERIFY(rig.folder.runs().isEmpty());
    QVERIFY(!rig.view.log.contains("commands off"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("original"));
}

void TestExportController::progressFollowsTheStretch()
{
    Rig rig;
    rig.selection.set(0, 20000); // the fake reports 10 s of 10: half of the stretch
    rig.files.answers << rig.target("ring.wav");
    rig.exporter.save(rig.settings);
    // However the output was cut into reads, its last position shows, then
    // the full bar of a job that succeeded.
    const QStringList bars = rig.view.filtered("pro ");
    const int half = bars.indexOf("pro 2108 50%");
    QVERIFY2(half >= 0 && bars.indexOf("pro 4215 100%") > half, qPrintable(bars.join(',')));
}

void TestExportController::saveFolder_data()
{
    QTest::addColumn<QString>("kept");   // line 6 of setup.ini before: "", "tones" or "gone"
    QTest::addColumn<bool>("song");      // a song from "music" is open
    QTest::addColumn<QString>("answer"); // typed in the dialog
    QTest::addColumn<QString>("start");  // where the dialog starts: "music", "tones" or "home"
    QTest::addColumn<QString>("saved");  // the ringtone's folder, where the next run starts

    QTest::newRow("first save: the song's folder") << "" << true << "ring.mp3" << "music" << "music";
    QTest::newRow("no song: home") << "" << false << "tones/ring.mp3" << "home" << "tones";
    QTest::newRow("the folder last saved to") << "tones" << true << "ring.mp3" << "tones" << "tones";
    QTest::newRow("a folder since removed") << "gone" << true << "tones/ring.mp3" << "music" << "tones";
}

void TestExportController::saveFolder()
{
    QFETCH(QString, kept);
    QFETCH(bool, song);
    QFETCH(QString, answer);
    QFETCH(QString, start);
    QFETCH(QString, saved);
    Rig rig;
    const auto where = [&rig](const QString &name) {
        return name == "home" ? QDir::homePath() : rig.folder.path() + "/" + name;
    };
    QVERIFY(QDir().mkpath(where("music")) && QDir().mkpath(where("tones")));
    const QString setup = rig.folder.path() + "/config/setup.ini";
    if (!kept.isEmpty())
        QVERIFY(SetupFile::writeSaveFolder(setup, where(kept), {0, 0}));
    rig.exporter.setSetupPath(setup);
    if (song)
        rig.exporter.setSourcePath(where("music") + "/song.mp3");
    rig.files.answers << (answer.contains('/') ? rig.folder.path() + "/" + answer : answer);
    rig.exporter.save(rig.settings);
    QCOMPARE(rig.files.folders.value(0), where(start));
    QVERIFY(rig.files.folders.value(0) != rig.folder.path()); // never the program's folder
    QVERIFY(rig.prompt.shown().isEmpty());
    QVERIFY(QFileInfo::exists(where(saved) + "/ring.mp3"));
    QCOMPARE(SetupFile::readSaveFolder(setup), where(saved));

    // The next run starts where this one saved.
    ExportController next(rig.selection, rig.runner, rig.files, rig.prompt, rig.playback, rig.desktop,
                          rig.folder.path(), rig.folder.workFile());
    next.setSetupPath(setup);
    rig.files.answers << std::nullopt;
    next.save(rig.settings);
    QCOMPARE(rig.files.folders.value(1), where(saved));
}

void TestExportController::saveFolderNotKept()
{
    Rig rig;
    // A folder stands where setup.ini should be: the ringtone is saved, the
    // folder stays, and the owner hears that the setting was not kept.
    const QString setup = rig.folder.path() + "/setup.ini";
    QVERIFY(QDir().mkpath(setup));
    rig.exporter.setSetupPath(setup);
    QSignalSpy notSaved(&rig.exporter, &ExportController::settingsNotSaved);
    rig.files.answers << rig.folder.path() + "/ring.mp3";
    rig.exporter.save(rig.settings);
    QVERIFY(QFileInfo::exists(rig.folder.path() + "/ring.mp3"));
    QCOMPARE(notSaved.count(), 1);
    QVERIFY(notSaved[0][0].toString().contains(setup));
    QVERIFY(QFileInfo(setup).isDir() && QDir(setup).isEmpty());
}

void TestExportController::iphoneQuestion_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("begin");
    QTest::addColumn<int>("end");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("length");
    QTest::newRow("m4r of 41 s, Cancel") << "t.m4r" << 5 << 46 << false << true << "";
    QTest::newRow("m4r of 41 s, Yes") << "t.m4r" << 5 << 46 << true << true << "40";
    QTest::newRow("m4r of 41 s, No") << "t.m4r" << 5 << 46 << false << true << "41";
    QTest::newRow("m4r of exactly 40 s") << "t.m4r" << 0 << 40 << false << false << "40";
    QTest::newRow("m4r under 40 s") << "t.m4r" << 10 << 40 << false << false << "30";
    QTest::newRow("mp3 of 60 s") << "t.mp3" << 0 << 60 << false << false << "60";
}

void TestExportController::iphoneQuestion()
{
    QFETCH(QString, name);
    QFETCH(int, begin);
    QFETCH(int, end);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(QString, length);
    Rig rig;
    rig.selection.set(qint64(begin) * 1000, qint64(end) * 1000);
    rig.prompt.queueAnswer(answer);
    if (length.isEmpty())
        rig.prompt.cancelNextChoice();
    rig.files.answers << rig.target(name);
    rig.exporter.save(rig.settings);

    QCOMPARE(rig.prompt.shown().size(), asked ? 1 : 0);
    if (asked) {
        const UserPrompt::Message question = rig.prompt.shown().first();
        QCOMPARE(question.buttons, UserPrompt::Buttons::YesNo);
        QVERIFY2(question.text.contains("40") && question.text.contains("41"),
                 qPrintable(question.text));
        QCOMPARE(question.yesText, QStringLiteral("只保存前 40 秒"));
        QCOMPARE(question.noText, QStringLiteral("保存整段"));
    }
    if (length.isEmpty()) {
        // Cancelled: nothing runs and the device is left alone.
        QVERIFY(rig.folder.runs().isEmpty());
        QVERIFY(rig.sound.sent.isEmpty());
        return;
    }
    const QList<QStringList> runs = rig.folder.runs();
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs[0].mid(2, 4), (QStringList{"-ss", QString::number(begin), "-t", length}));
    // The shortened export is what the read-back is held to: it counts as saved.
    QCOMPARE(rig.view.saved.size(), 1);
}

void TestExportController::cancelledExport()
{
    Rig rig;
    QFile chime(rig.folder.path() + "/sound.wav");
    QVERIFY(chime.open(QIODevice::WriteOnly));
    qputenv("KESMARIN_FAKE_CODER", "slow");
    // Cancelled as soon as the job shows its first progress.
    connect(&rig.exporter, &ExportController::exportProgressChanged, &rig.exporter,
            &ExportController::cancel);
    rig.files.answers << rig.target("ring.mp3");
    rig.exporter.save(rig.settings);

    QVERIFY(!QFileInfo::exists(rig.target("ring.mp3")));
    QVERIFY(rig.prompt.shown().isEmpty());
    QCOMPARE(rig.view.log.mid(rig.view.log.size() - 2), (QStringList{"pro off", "commands on"}));
    QVERIFY(rig.desktop.shownFiles().isEmpty());
    QCOMPARE(rig.sound.sent, (QStringList{"stop sound", "close sound"}));
    // The program goes on: the next Save asks again.
    rig.files.answers << std::nullopt;
    rig.exporter.save(rig.settings);
    QCOMPARE(rig.files.asked.size(), 2);
}

void TestExportController::folderNotInUtf8_data()
{
    QTest::addColumn<QByteArray>("folder"); // as the file system holds it
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("Latin-1 folder") << QByteArray("M\xfasica") << QByteArray("ring.mp3");
    QTest::newRow("GBK folder") << QByteArray("\xc1\xe5\xc9\xf9") << QByteArray("ring.m4r");
    QTest::newRow("GBK file name") << QByteArray("plain") << QByteArray("\xc1\xe5.mp3"); // refused
}

void TestExportController::folderNotInUtf8()
{
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, name);
    const bool saved = name.startsWith("ring");
    Rig rig;
    const QByteArray local = QFile::encodeName(rig.folder.path()) + '/' + folder;
    QCOMPARE(::mkdir(local, 0700), 0);
    const auto removeAll = qScopeGuard([&] { ::unlink(local + '/' + name); ::rmdir(local); }); // Qt cannot
    rig.files.answers << QFile::decodeName(local + '/' + name); // what the save dialog gives
    rig.exporter.save(rig.settings);
    QCOMPARE(::access(local + '/' + name, F_OK) == 0, saved);
    QCOMPARE(rig.prompt.shown().size(), saved ? 0 : 1);
    QCOMPARE(rig.folder.runs().size(), saved ? 1 : 0);
    // No link is left in the working folder.
    QCOMPARE(QDir(rig.folder.path() + "/work").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), QStringList{"open.wav"});
}

QTEST_GUILESS_MAIN(TestExportController)
#include "tst_exportcontroller.moc"
