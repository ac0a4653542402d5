#include "consolerunner.h"
#include "sessionfakes.h"

#include <QFileInfo>
#include <QTest>
#include <QTimer>

class TestOpenController : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void dialogCancelled_data();
    void dialogCancelled();
    void decodes();
    void pathsReachTheCoderWhole_data();
    void pathsReachTheCoderWhole();
    void failedDecode_data();
    void failedDecode();
    void coderMissing();
    void closeOpenFile_data();
    void closeOpenFile();
    void openRefusedWhileDecoding();
    void openPathAsksToCloseFirst();
    void cancelledDecode();

private:
    struct Rig {
        explicit Rig(bool withCoder = true) : folder(withCoder) { view.watch(open); }
        ProgramFolder folder;
        WindowLog view;
        ScriptedPrompt prompt;
        ScriptedFiles files;
        ConsoleRunner runner;
        OpenController open{runner, files, prompt, folder.path(), folder.workFile()};
    };
};

void TestOpenController::init()
{
    qputenv("KESMARIN_FAKE_CODER", "ok");
}

void TestOpenController::dialogCancelled_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("cancelled") << true;
    QTest::newRow("empty name") << false;
}

void TestOpenController::dialogCancelled()
{
    QFETCH(bool, cancel);
    Rig rig;
    rig.files.answers << (cancel ? std::nullopt : std::optional<QString>(QString()));
    rig.open.open();
    // Stop comes before the dialog, and nothing else happens.
    QCOMPARE(rig.view.log, QStringList{"stop"});
    QCOMPARE(rig.files.asked, QStringList{"open|" + OpenController::dialogTitle() + "|" +
                                          OpenController::dialogFilter()});
    QVERIFY(OpenController::dialogFilter().startsWith("MP3 Files(*.mp3)|*.mp3|WMA Files"));
    QVERIFY(OpenController::dialogFilter().endsWith("|All Files(*.*)|*.*"));
    QVERIFY(!rig.open.hasFile());
    QVERIFY(rig.folder.runs().isEmpty());
}

void TestOpenController::decodes()
{
    Rig rig;
    const QString source = rig.folder.path() + "/a song.mp3";
    rig.files.answers << source;
    rig.open.open();

    QVERIFY(rig.open.hasFile());
    QCOMPARE(rig.open.sourcePath(), source);
    QVERIFY(rig.prompt.shown().isEmpty());
    const QStringList log = rig.view.log;
    QCOMPARE(log.first(), "stop");
    QCOMPARE(rig.view.filtered("name "), QStringList{"name " + CoderProgress::shortFileName(source)});
    // The panel is shown for the job, the bar moves, then the strip replaces it.
    const int panelOn = log.indexOf("panel on");
    const int panelOff = log.indexOf("panel off");
    QVERIFY(panelOn >= 0 && panelOff > panelOn);
    QCOMPARE(log.mid(panelOff), (QStringList{"panel off", "bar 5415 100%", "strip on", "decoded"}));
    const QStringList bars = rig.view.filtered("bar ");
    QCOMPARE(bars.first(), "bar 1 0%");
    QCOMPARE(bars.last(), "bar 5415 100%");
    // After the job the next decode parses its own duration again.
    QCOMPARE(rig.open.CoderDuration(), 0);
}

void TestOpenController::pathsReachTheCoderWhole_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks") << "my song.mp3";
    QTest::newRow("quotes") << "say \"hi\".mp3";
    QTest::newRow("shell characters") << "$(rm -rf x);`y`.mp3";
    QTest::newRow("leading dash") << "-y.mp3";
    QTest::newRow("Chinese") << QStringLiteral("歌曲 一.mp3");
}

void TestOpenController::pathsReachTheCoderWhole()
{
    QFETCH(QString, name);
    Rig rig;
    const QString source = rig.folder.path() + "/" + name;
    rig.files.answers << source;
    rig.open.open();
    const QList<QStringList> runs = rig.folder.runs();
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs[0], (QStringList{"-i", source, "-y", "-vn", "-growing", rig.folder.workFile()}));
    QVERIFY(rig.open.hasFile());
}

void TestOpenController::failedDecode_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<QString>("reason");
    QTest::newRow("coder says why") << QByteArray("fail") << "Invalid data found when processing input";
    QTest::newRow("no working file") << QByteArray("empty") << QStringLiteral("没有输出任何声音");
    QTest::newRow("coder crashed") << QByteArray("crash") << QStringLiteral("意外结束");
}

void TestOpenController::failedDecode()
{
    QFETCH(QByteArray, mode);
    QFETCH(QString, reason);
    Rig rig;
    // A working file from an earlier file must not survive a failed decode.
    QFile stale(rig.folder.workFile());
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray(1000, 'x'));
    stale.close();

    qputenv("KESMARIN_FAKE_CODER", mode);
    rig.files.answers << rig.folder.path() + "/bad.mp3";
    rig.open.open();

    QCOMPARE(rig.prompt.shown().size(), 1);
    const auto message = rig.prompt.shown().first();
    // The coder's own account is in the details, never in the main text.
    QVERIFY2(message.details.contains(reason), qPrintable(message.details));
    QVERIFY2(!message.text.contains(QLatin1String("coder:")), qPrintable(message.text));
    QCOMPARE(message.icon, UserPrompt::Icon::Critical);
    QVERIFY(!rig.open.hasFile());
    QVERIFY(rig.open.sourcePath().isEmpty());
    QVERIFY(!QFileInfo::exists(rig.folder.workFile()));
    QVERIFY(rig.view.log.contains("strip off"));
    QVERIFY(rig.view.log.contains("panel off"));
    QVERIFY(!rig.view.log.contains("strip on"));
    // The file name goes back to what it was with no file open.
    QCOMPARE(rig.view.filtered("name "),
             (QStringList{"name " + CoderProgress::shortFileName(rig.folder.path() + "/bad.mp3"),
                          "name "}));
}

void TestOpenController::coderMissing()
{
    Rig rig(false);
    rig.files.answers << rig.folder.path() + "/a.mp3";
    rig.open.open();
    // The runner's own reason (the session shows it), then the window as
    // with no file.
    QVERIFY(rig.prompt.shown().isEmpty());
    QCOMPARE(rig.runner.startFailure(), QStringLiteral("没有找到文件或命令"));
    QVERIFY(!rig.open.hasFile());
    const QStringList log = rig.view.log;
    QVERIFY(log.lastIndexOf("panel off") > log.indexOf("panel on"));
    QVERIFY(!log.contains("strip on"));
    // The next Open shows the dialog again rather than asking to close.
    rig.files.answers << std::nullopt;
    rig.open.open();
    QCOMPARE(rig.files.asked.size(), 2);
}

void TestOpenController::closeOpenFile_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("cancel keeps everything") << false;
    QTest::newRow("OK resets the window") << true;
}

void TestOpenController::closeOpenFile()
{
    QFETCH(bool, confirm);
    Rig rig;
    rig.files.answers << rig.folder.path() + "/a.mp3";
    rig.open.open();
    QVERIFY(rig.open.hasFile());
    rig.view.log.clear();

    rig.prompt.queueAnswer(confirm);
    rig.open.open();
    QCOMPARE(rig.prompt.shown().size(), 1);
    const auto message = rig.prompt.shown().first();
    QCOMPARE(message.text, QStringLiteral("当前的音频文件将被关闭,确认吗?"));
    QCOMPARE(message.title, QStringLiteral("关闭当前文件"));
    QCOMPARE(message.buttons, UserPrompt::Buttons::OkCancel);
    QCOMPARE(message.icon, UserPrompt::Icon::NoIcon);
    // Closing never shows the file dialog; it stops the sound first.
    QCOMPARE(rig.files.asked.size(), 1);
    if (confirm) {
        QCOMPARE(rig.view.log, (QStringList{"stop", "strip off", "reset", "bar 1 0%", "name "}));
        QVERIFY(!rig.open.hasFile());
        // The working file stays until the next decode replaces it.
        QVERIFY(QFileInfo::exists(rig.folder.workFile()));
    } else {
        QVERIFY(rig.view.log.isEmpty());
        QVERIFY(rig.open.hasFile());
    }
}

void TestOpenController::openRefusedWhileDecoding()
{
    qputenv("KESMARIN_FAKE_CODER", "slow");
    Rig rig;
    rig.files.answers << rig.folder.path() + "/a.mp3" << rig.folder.path() + "/b.mp3";
    bool tried = false;
    rig.view.onProgress = [&] {
        if (!tried && rig.open.isDecoding()) {
            tried = true;
            rig.open.open(); // a click on Open while the bar moves
            rig.open.openPath(rig.folder.path() + "/c.mp3");
        }
    };
    rig.open.open();
    QVERIFY(tried);
    QCOMPARE(rig.files.asked.size(), 1);
    QCOMPARE(rig.folder.runs().size(), 1);
    QVERIFY(rig.open.hasFile());
}

void TestOpenController::openPathAsksToCloseFirst()
{
    Rig rig;
    rig.open.openPath(rig.folder.path() + "/a.mp3");
    QVERIFY(rig.open.hasFile());
    QVERIFY(rig.files.asked.isEmpty());

    rig.prompt.queueAnswer(false);
    rig.open.openPath(rig.folder.path() + "/b.mp3");
    QCOMPARE(rig.folder.runs().size(), 1);
    QCOMPARE(rig.open.sourcePath(), rig.folder.path() + "/a.mp3");

    rig.prompt.queueAnswer(true);
    rig.open.openPath(rig.folder.path() + "/b.mp3");
    QCOMPARE(rig.folder.runs().size(), 2);
    QCOMPARE(rig.open.sourcePath(), rig.folder.path() + "/b.mp3");
    QVERIFY(rig.open.hasFile());
}

void TestOpenController::cancelledDecode()
{
    Rig rig;
    // An earlier file's audio, which must not stay to be played or cut.
    QFile work(rig.folder.workFile());
    QVERIFY(work.open(QIODevice::WriteOnly));
    work.write(QByteArray(4096, 'w'));
    work.close();
    qputenv("KESMARIN_FAKE_CODER", "slow");
    connect(&rig.open, &OpenController::decodeProgressChanged, &rig.open, [&](int width) {
        if (width > 1)
            rig.open.cancel();
    });
    rig.files.answers << rig.folder.path() + "/song.mp3";
    rig.open.open();

    // As after a failed open, without a message: no file, no working file.
    QVERIFY(!rig.open.hasFile());
    QVERIFY(!QFileInfo::exists(rig.folder.workFile()));
    QVERIFY(rig.prompt.shown().isEmpty());
    QVERIFY(rig.view.log.contains("strip off"));
    QVERIFY(!rig.view.log.contains("decoded"));
    QVERIFY(rig.open.sourcePath().isEmpty());
}

QTEST_GUILESS_MAIN(TestOpenController)
#include "tst_opencontroller.moc"
