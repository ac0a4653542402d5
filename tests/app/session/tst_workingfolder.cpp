// The sweep of working folders left by instances that are gone: real program
// instances, one killed and one running, and leftovers of every other shape;
// and the real coder, which ends with the program that started it.
#include "workingfolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {
void writeFile(const QString &path, const QByteArray &bytes = "RIFF")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Folders below parent that hold an instance's lock.
QStringList lockedFolders(const QString &parent)
{
    QStringList found;
    for (const QFileInfo &entry : QDir(parent).entryInfoList({QStringLiteral("work-*")}, QDir::Dirs)) {
        if (QFileInfo::exists(entry.filePath() + QStringLiteral("/instance.lock")))
            found.append(entry.absoluteFilePath());
    }
    return found;
}

// The real program, on the offscreen platform, with its own cache and
// configuration folders below home.
struct Instance {
    QProcess process;

    explicit Instance(const QTemporaryDir &home, const QStringList &arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("KESMARIN_AUDIO"), QStringLiteral("silent"));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(QStringLiteral(KESMARIN_BUILD_DIR "/kesmarin"), arguments);
    }
    ~Instance()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(30000);
        }
    }
};
} // namespace

class TestWorkingFolder : public QObject
{
    Q_OBJECT
private slots:
    void sweep_data();
    void sweep();
    void killedAndLiveInstances();
    void coderEndsWithProgram_data();
    void coderEndsWithProgram();
};

void TestWorkingFolder::sweep_data()
{
    QTest::addColumn<QString>("leftover");
    QTest::addColumn<bool>("removed");
    // A folder from before the lock, with a working file and a job's temporary.
    QTest::newRow("unlocked with files") << QStringLiteral("unlocked") << true;
    QTest::newRow("unlocked with a subfolder") << QStringLiteral("nested") << true;
    QTest::newRow("a running instance's") << QStringLiteral("live") << false;
    QTest::newRow("another name") << QStringLiteral("other") << false;
    QTest::newRow("a link named like a folder") << QStringLiteral("link") << false;
}

void TestWorkingFolder::sweep()
{
    QFETCH(QString, leftover);
    QFETCH(bool, removed);
    QTemporaryDir home;
    const QString parent = home.filePath(QStringLiteral("cache"));
    QString entry;     // what the sweep may remove
    QString untouched; // what it must never reach
    std::unique_ptr<WorkingFolder> live;
    if (leftover == u"unlocked") {
        entry = parent + QStringLiteral("/work-a1B2c3");
        writeFile(entry + QStringLiteral("/open.wav"));
        writeFile(entry + QStringLiteral("/.open.wav.part"));
    } else if (leftover == u"nested") {
        entry = parent + QStringLiteral("/work-d4E5f6");
        writeFile(entry + QStringLiteral("/deeper/open.wav"));
    } else if (leftover == u"live") {
        live = std::make_unique<WorkingFolder>(parent);
        QVERIFY(live->isValid());
        entry = live->path();
        writeFile(live->workingFile());
    } else if (leftover == u"other") {
        entry = parent + QStringLiteral("/thumbnails");
        writeFile(entry + QStringLiteral("/open.wav"));
    } else {
        untouched = home.filePath(QStringLiteral("elsewhere/open.wav"));
        writeFile(untouched);
        QDir().mkpath(parent);
        entry = parent + QStringLiteral("/work-link00");
        QVERIFY(QFile::link(QFileInfo(untouched).absolutePath(), entry));
    }

    QCOMPARE(WorkingFolder::sweep(parent), removed ? 1 : 0);
    QCOMPARE(QFileInfo::exists(entry), !removed);
    if (!untouched.isEmpty())
        QVERIFY(QFileInfo::exists(untouched));
    // The sweep leaves nothing of its own behind in what it keeps.
    if (!removed && !live)
        QVERIFY(!QFileInfo::exists(entry + QStringLiteral("/instance.lock")));
    if (live) {
        QVERIFY(QFileInfo::exists(live->workingFile()));
        live->remove();
        QVERIFY(!QFileInfo::exists(entry));
    }
}

void TestWorkingFolder::killedAndLiveInstances()
{
    QTemporaryDir home;
    const QString cache = home.filePath(QStringLiteral("cache/kesmarin"));

    QString killedFolder;
    {
        Instance killed(home);
        QVERIFY(killed.process.waitForStarted(30000));
        QTRY_COMPARE_WITH_TIMEOUT(lockedFolders(cache).size(), 1, 120000);
        killedFolder = lockedFolders(cache).constFirst();
        // What a decode leaves: a working file that would stay for ever.
        writeFile(killedFolder + QStringLiteral("/open.wav"), QByteArray(4096, 'x'));
        killed.process.kill();
        QVERIFY(killed.process.waitForFinished(30000));
    }
    QVERIFY(QFileInfo::exists(killedFolder + QStringLiteral("/open.wav")));

    // The next start removes the dead instance's folder and keeps its own.
    Instance running(home);
    QVERIFY(running.process.waitForStarted(30000));
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(killedFolder), 120000);
    QTRY_COMPARE_WITH_TIMEOUT(lockedFolders(cache).size(), 1, 120000);
    const QString runningFolder = lockedFolders(cache).constFirst();
    QVERIFY(runningFolder != killedFolder);
    writeFile(runningFolder + QStringLiteral("/open.wav"));
    // An instance that has run for hours keeps its folder too.
    QFile lock(runningFolder + QStringLiteral("/instance.lock"));
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-6 * 3600), QFileDevice::FileModificationTime));
    lock.close();

    // A third start, while the second still runs, leaves the second's alone.
    WorkingFolder third(cache);
    QVERIFY(third.isValid());
    QCOMPARE(lockedFolders(cache).size(), 2);
    QVERIFY(QFileInfo::exists(runningFolder + QStringLiteral("/open.wav")));
    QCOMPARE(running.process.state(), QProcess::Running);
    third.remove();
}

void TestWorkingFolder::coderEndsWithProgram_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("killed") << int(SIGKILL);
    QTest::newRow("terminated") << int(SIGTERM); // a logout
    QTest::newRow("interrupted") << int(SIGINT); // Ctrl+C
}

void TestWorkingFolder::coderEndsWithProgram()
{
    QFETCH(int, signal);
    QTemporaryDir home;
    // Hours of silence that take no room: a sparse WAV.
    QFile song(home.filePath(QStringLiteral("long silence.wav")));
    QVERIFY(song.open(QIODevice::WriteOnly));
    const quint32 bytes = 0x7fff0000;
    auto le = [](quint32 v, int n) { return QByteArray(reinterpret_cast<const char *>(&v), n); };
    song.write("RIFF" + le(36 + bytes, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(44100, 4) +
               le(88200, 4) + le(2, 2) + le(16, 2) + "data" + le(bytes, 4));
    QVERIFY(song.resize(44 + qint64(bytes)));
    song.close();
    const QString cache = home.filePath(QStringLiteral("cache/kesmarin"));
    Instance program(home, {song.fileName()});
    const QString pid = QString::number(program.process.processId());
    // A process's children, and its state letter ('T' held, 'Z' a zombie; 'X' once reaped).
    const auto proc = [](const QString &path) {
        QFile file(QStringLiteral("/proc/") + path);
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).trimmed() : QString();
    };
    const auto state = [&](const QString &id) { return (proc(id + "/stat") + ") X").section(") ", 1).at(0); };
    // The coder is held still as soon as it is seen, so no machine is fast
    // enough to end the decode before the program goes.
    QString coder;
    QTRY_VERIFY_WITH_TIMEOUT(!(coder = proc(pid + "/task/" + pid + "/children")).isEmpty(), 120000);
    ::kill(coder.toInt(), SIGSTOP);
    QTRY_COMPARE(state(coder), QChar('T'));
    const QString folder = cache + u'/' + QDir(cache).entryList({QStringLiteral("work-*")}, QDir::Dirs).value(0);
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/instance.lock")));
    ::kill(pid.toInt(), signal);
    ::kill(coder.toInt(), SIGCONT);
    QTRY_VERIFY_WITH_TIMEOUT(state(coder) == 'X' || state(coder) == 'Z', 1000);
    QTRY_COMPARE_WITH_TIMEOUT(program.process.state(), QProcess::NotRunning, 30000);
    QCOMPARE(program.process.exitStatus(), signal == SIGKILL ? QProcess::CrashExit : QProcess::NormalExit);
    // The coder stopped short and took its temporary file with it.
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/open.wav")));
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden), QStringList());
    // Ended as a confirmed exit, the folder is gone; killed, the next start sweeps it.
    QCOMPARE(QFileInfo::exists(folder), signal == SIGKILL);
    QCOMPARE(WorkingFolder::sweep(cache), signal == SIGKILL ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestWorkingFolder)
#include "tst_workingfolder.moc"
