// The real program and its real coder end together, whether the program is
// killed outright or told to end (a logout, Ctrl+C) during a long decode.
#include "procstat.h"
#include "programinstance.h"
#include "workingfolder.h"

#include <QTest>

#include <csignal>

class TestStopSignals : public QObject
{
    Q_OBJECT
private slots:
    void coderEndsWithProgram_data();
    void coderEndsWithProgram();
};

void TestStopSignals::coderEndsWithProgram_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("killed") << int(SIGKILL);
    QTest::newRow("terminated") << int(SIGTERM);
    QTest::newRow("interrupted") << int(SIGINT);
}

void TestStopSignals::coderEndsWithProgram()
{
    QFETCH(int, signal);
    QTemporaryDir home;
    // Hours of silence that take no room: a sparse WAV.
    QFile song(home.filePath("long silence.wav"));
    QVERIFY(song.open(QIODevice::WriteOnly));
    const quint32 bytes = 0x7fff0000;
    auto le = [](quint32 v, int n) { return QByteArray(reinterpret_cast<const char *>(&v), n); };
    song.write("RIFF" + le(36 + bytes, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(44100, 4) +
               le(88200, 4) + le(2, 2) + le(16, 2) + "data" + le(bytes, 4));
    QVERIFY(song.resize(44 + qint64(bytes)));
    song.close();
    const QString cache = home.filePath("cache/kesmarin");
    ProgramInstance program(home, {song.fileName()});
    QVERIFY(program.process.waitForStarted(30000));
    const qint64 pid = program.process.processId();

    // Held still as soon as seen, so no machine is fast enough to end the
    // decode before the program goes.
    QList<int> coders;
    QTRY_VERIFY_WITH_TIMEOUT(!(coders = childrenNamed(pid, "coder")).isEmpty(), 120000);
    ::kill(coders.first(), SIGSTOP);
    QVERIFY(isHeld(coders.first()));
    const QStringList folders = QDir(cache).entryList({"work-*"}, QDir::Dirs);
    QCOMPARE(folders.size(), 1);
    const QString folder = cache + u'/' + folders.first();

    ::kill(pid_t(pid), signal);
    ::kill(coders.first(), SIGCONT);
    QTRY_VERIFY_WITH_TIMEOUT(!procStat(coders.first()) || procStat(coders.first())->isGone(), 1000);
    QTRY_COMPARE_WITH_TIMEOUT(program.process.state(), QProcess::NotRunning, 30000);
    QCOMPARE(program.process.exitStatus(), signal == SIGKILL ? QProcess::CrashExit : QProcess::NormalExit);
    // The coder stopped short and took its temporary file with it.
    QVERIFY(!QFileInfo::exists(folder + "/open.wav"));
    QCOMPARE(QDir(folder).entryList({"*.part"}, QDir::Files | QDir::Hidden), QStringList());
    // Ended as a confirmed exit, the folder is gone; killed, the next start sweeps it.
    QCOMPARE(QFileInfo::exists(folder), signal == SIGKILL);
    WorkingFolder next(cache);
    QVERIFY(!QFileInfo::exists(folder));
    next.remove();
    QCOMPARE(QDir(cache).entryList({"work-*"}, QDir::Dirs), QStringList());
}

QTEST_GUILESS_MAIN(TestStopSignals)
#include "tst_stopsignals.moc"
