// The program and its coder end together: the real program, killed outright
// or told to end (a logout, Ctrl+C) during a long decode by the real coder.
#include "procstat.h"
#include "programinstance.h"
#include "workingfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <unistd.h>

namespace {
// Hours of 44.1 kHz mono silence that take no room: a sparse file.
bool writeLongSilence(const QString &path)
{
    const quint32 bytes = 0x7fff0000;
    auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char *>(&v), 2); };
    const QByteArray header = "RIFF" + le32(36 + bytes) + "WAVEfmt " + le32(16) + le16(1) +
                              le16(1) + le32(44100) + le32(88200) + le16(2) + le16(16) + "data" +
                              le32(bytes);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(header) == header.size() &&
           file.resize(header.size() + bytes);
}

bool isGone(qint64 pid)
{
    const std::optional<ProcStat> stat = procStat(pid);
    return !stat || stat->isGone();
}
} // namespace

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
    const QString song = home.filePath(QStringLiteral("long silence.wav"));
    QVERIFY(writeLongSilence(song));
    const QString cache = home.filePath(QStringLiteral("cache/kesmarin"));
    ProgramInstance program(home, {song});
    QVERIFY(program.process.waitForStarted(30000));
    const qint64 pid = program.process.processId();

    // Held still as soon as it is seen, so that no machine is fast enough to
    // end the decode before the program goes.
    QList<int> coders;
    QTRY_VERIFY_WITH_TIMEOUT(
        !(coders = childrenNamed(pid, QStringLiteral("coder"))).isEmpty(), 120000);
    const int coder = coders.constFirst();
    ::kill(coder, SIGSTOP);
    QVERIFY(isHeld(coder));
    const QStringList folders = QDir(cache).entryList({QStringLiteral("work-*")}, QDir::Dirs);
    QCOMPARE(folders.size(), 1);
    const QString folder = cache + u'/' + folders.constFirst();

    ::kill(pid_t(pid), signal);
    ::kill(coder, SIGCONT);
    QTRY_VERIFY_WITH_TIMEOUT(isGone(coder), 1000);
    QTRY_COMPARE_WITH_TIMEOUT(program.process.state(), QProcess::NotRunning, 30000);
    // The coder stopped short and took its temporary file with it.
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/open.wav")));
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden),
             QStringList());
    if (signal == SIGKILL) {
        QCOMPARE(program.process.exitStatus(), QProcess::CrashExit);
        // The next start removes what the killed run left.
        QVERIFY(QFileInfo::exists(folder));
        WorkingFolder next(cache);
        QVERIFY(next.isValid());
        QVERIFY(!QFileInfo::exists(folder));
        next.remove();
    } else {
        // Ended as after a confirmed exit, its folder gone with it.
        QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.process.exitCode(), 0);
    }
    QCOMPARE(QDir(cache).entryList({QStringLiteral("work-*")}, QDir::Dirs), QStringList());
}

QTEST_GUILESS_MAIN(TestStopSignals)
#include "tst_stopsignals.moc"
