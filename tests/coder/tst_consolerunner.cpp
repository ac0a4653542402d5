#include "clswaitabletimer.h"
#include "codercommand.h"
#include "consolerunner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <vector>

namespace {

const QString Emitter = QStringLiteral(KES_EMITTER);

CoderCommand emitterCommand(const QStringList &steps)
{
    return {Emitter, steps, Emitter + u' ' + steps.join(u' '), {}};
}

// Every chunk with the moment it arrived.
struct Recorder {
    QStringList chunks;
    QList<qint64> times;
    int over = 0;
    QElapsedTimer clock;

    explicit Recorder(ConsoleRunner &runner)
    {
        clock.start();
        QObject::connect(&runner, &ConsoleRunner::ReceiveOutputs, [this](const QString &chunk) {
            chunks.append(chunk);
            times.append(clock.elapsed());
        });
        QObject::connect(&runner, &ConsoleRunner::CommandOver, [this] { ++over; });
    }
};

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList partFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden);
}

// Twelve hours of 8 kHz silence in a sparse file: no disk space, and a job
// on it lasts long enough to be caught midway.
bool writeLongWav(const QString &path)
{
    const quint32 rate = 8000;
    const quint32 bytes = rate * 2 * 12 * 3600;
    auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char *>(&v), 2); };
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write("RIFF" + le32(36 + bytes) + "WAVEfmt " + le32(16) + le16(1) + le16(1) +
                      le32(rate) + le32(rate * 2) + le16(2) + le16(16) + "data" + le32(bytes)) ==
               44 &&
           file.resize(44 + qint64(bytes));
}

bool processExists(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) == 0;
}

qint64 pidAfter(const QString &text, const QString &tag)
{
    const QRegularExpression re(tag + QStringLiteral(":(\\d+);"));
    const auto match = re.match(text);
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

} // namespace

class TestConsoleRunner : public QObject
{
    Q_OBJECT

private slots:
    void chunksOfAtMostOneKilobyte_data();
    void chunksOfAtMostOneKilobyte();
    void mergedChannelsKeepOrder();
    void lastOutputBeforeExitIsDelivered();
    void exitOutcome_data();
    void exitOutcome();
    void startFailures_data();
    void startFailures();
    void pipeFailureShowsItsCode();
    void backgroundJobRunsBelowTheProgram();
    void commandLineTextIsSplitWithoutShell();
    void timersFireDuringJob();
    void nestedJobRunsToItsEndFirst_data();
    void nestedJobRunsToItsEndFirst();
    void cancelEndsJob_data();
    void cancelEndsJob();
    void grandchildDoesNotHoldJob();
    void destroyingRunnerEndsChild();
    void waitDispatchesEvents();
    void realCoderDecodes();
    void cancelledCoderLeavesNothing_data();
    void cancelledCoderLeavesNothing();
};

void TestConsoleRunner::chunksOfAtMostOneKilobyte_data()
{
    QTest::addColumn<bool>("quitting");
    QTest::newRow("running") << false;
    // No event loop runs once the application is told to quit; the job must not spin.
    QTest::newRow("after the quit") << true;
}

void TestConsoleRunner::chunksOfAtMostOneKilobyte()
{
    QFETCH(bool, quitting);
    ConsoleRunner runner;
    QSignalSpy startFailed(&runner, &ConsoleRunner::StartFailed);
    Recorder rec(runner);
    // The child writes everything at once and is gone before the first read.
    runner.setCommand(emitterCommand({"out:3000:a"}));
    QString result;
    QTimer::singleShot(0, [&] {
        if (quitting)
            QCoreApplication::exit(0);
        result = runner.ExecuteCommand();
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
    QCOMPARE(rec.chunks.size(), 3);
    QCOMPARE(rec.chunks[0].size(), 1024);
    QCOMPARE(rec.chunks[1].size(), 1024);
    QCOMPARE(rec.chunks[2].size(), 952);
    // One read per poll: successive chunks are a poll apart.
    QVERIFY2(rec.times[1] - rec.times[0] >= 45, qPrintable(QString::number(rec.times[1] - rec.times[0])));
    QVERIFY(rec.times[2] - rec.times[1] >= 45);
    QCOMPARE(rec.over, 1);
    QCOMPARE(runner.Outputs(), rec.chunks.join(QString()));
    QCOMPARE(result, runner.Outputs());
    QCOMPARE(startFailed.count(), 0);
}

void TestConsoleRunner::mergedChannelsKeepOrder()
{
    ConsoleRunner runner;
    Recorder rec(runner);
    bool overAfterLastChunk = false;
    connect(&runner, &ConsoleRunner::CommandOver,
            [&] { overAfterLastChunk = rec.chunks.join(QString()) == QStringLiteral("ABC"); });
    // Each part is written once the one before has come in, so that every
    // read holds exactly one, however the machine runs.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString goB = dir.filePath(QStringLiteral("b")), goC = dir.filePath(QStringLiteral("c"));
    connect(&runner, &ConsoleRunner::ReceiveOutputs, [&](const QString &chunk) {
        QFile(chunk == QStringLiteral("A") ? goB : goC).open(QIODevice::WriteOnly);
    });
    runner.setCommand(emitterCommand({"out:1:A", "await:" + goB, "err:1:B", "await:" + goC,
                                      "out:1:C"}));
    runner.ExecuteCommand();
    QCOMPARE(runner.Outputs(), QStringLiteral("ABC"));
    QCOMPARE(rec.chunks, QStringList({"A", "B", "C"}));
    QVERIFY(overAfterLastChunk);
    QCOMPARE(rec.over, 1);
}

void TestConsoleRunner::lastOutputBeforeExitIsDelivered()
{
    ConsoleRunner runner;
    // Output written right before exiting, after a quiet spell in which the
    // pipe was found empty, must not be lost.
    runner.setCommand(emitterCommand({"out:10:a", "sleep:200", "out:2500:b", "text:END"}));
    const QString result = runner.ExecuteCommand();
    QCOMPARE(result.size(), 2513);
    QVERIFY(result.endsWith(QStringLiteral("bEND")));
}

void TestConsoleRunner::exitOutcome_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("crashed");
    QTest::addColumn<bool>("succeeded");

    QTest::newRow("/bin/true") << "/bin/true" << QStringList() << 0 << false << true;
    QTest::newRow("/bin/false") << "/bin/false" << QStringList() << 1 << false << false;
    QTest::newRow("exit 3 after output") << Emitter << QStringList({"text:x", "exit:3"}) << 3
                                         << false << false;
    QTest::newRow("crash") << Emitter << QStringList({"text:x", "crash"}) << -1 << true << false;
}

void TestConsoleRunner::exitOutcome()
{
    QFETCH(QString, program);
    QFETCH(QStringList, steps);
    QFETCH(int, code);
    QFETCH(bool, crashed);
    QFETCH(bool, succeeded);

    ConsoleRunner runner;
    QSignalSpy over(&runner, &ConsoleRunner::CommandOver);
    runner.setCommand({program, steps, program, {}});
    runner.ExecuteCommand();
    QCOMPARE(over.count(), 1);
    QCOMPARE(runner.exitStatus() == QProcess::CrashExit, crashed);
    if (!crashed)
        QCOMPARE(runner.exitCode(), code);
    QCOMPARE(runner.succeeded(), succeeded);
    QVERIFY(!runner.wasCancelled());
    QVERIFY(!runner.isRunning());
}

void TestConsoleRunner::startFailures_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty") << QString() << QStringLiteral("命令行为空");
    QTest::newRow("missing program") << QStringLiteral("/nonexistent/kes/coder -i x")
                                     << QStringLiteral("没有找到文件或命令");
    QTest::newRow("not executable") << QStringLiteral("/etc/hostname")
                                    << QStringLiteral("没有找到文件或命令");
    QTest::newRow("only blanks") << QStringLiteral("   ") << QStringLiteral("没有找到文件或命令");
}

void TestConsoleRunner::startFailures()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, message);

    ConsoleRunner runner;
    QSignalSpy startFailed(&runner, &ConsoleRunner::StartFailed);
    // A job before the failure: its output must stay as it was.
    runner.ExecuteCommand(Emitter + QStringLiteral(" text:before"));
    QCOMPARE(runner.Outputs(), QStringLiteral("before"));

    runner.setCommandLine(commandLine);
    QSignalSpy chunks(&runner, &ConsoleRunner::ReceiveOutputs);
    QSignalSpy over(&runner, &ConsoleRunner::CommandOver);
    QCOMPARE(runner.ExecuteCommand(), QString());
    QCOMPARE(startFailed.count(), 1);
    QCOMPARE(startFailed.first().first().toString(), message);
    QCOMPARE(runner.startFailure(), message);
    QCOMPARE(chunks.count(), 0);
    QCOMPARE(over.count(), 0);
    QCOMPARE(runner.Outputs(), QStringLiteral("before"));
    QVERIFY(!runner.isRunning());
}

void TestConsoleRunner::pipeFailureShowsItsCode()
{
    ConsoleRunner runner;
    QSignalSpy startFailed(&runner, &ConsoleRunner::StartFailed);
    runner.setCommand(emitterCommand({"text:x"}));

    // Use up the descriptor table so that no pipe can be made.
    rlimit old{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &old) == 0);
    rlimit low = old;
    low.rlim_cur = 64;
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
    std::vector<int> held;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        held.push_back(fd);
    QSignalSpy over(&runner, &ConsoleRunner::CommandOver);
    const QString result = runner.ExecuteCommand();
    for (int fd : held)
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &old);

    QCOMPARE(result, QString());
    QCOMPARE(startFailed.count(), 1);
    QCOMPARE(runner.startFailure(), QStringLiteral("CreatePipe failed. Error: %1").arg(EMFILE));
    QCOMPARE(over.count(), 0);
}

void TestConsoleRunner::backgroundJobRunsBelowTheProgram()
{
    // Only a decode read while it grows is a background job.
    const QString app = QStringLiteral("/app"), work = QStringLiteral("/w.wav");
    QVERIFY(!CoderCommand::decode(app, work, QStringLiteral("/s.mp3")).background);
    CoderCommand command = CoderCommand::decode(app, work, QStringLiteral("/s.mp3"), true);
    QVERIFY(command.background);

    // nice(1) without a command prints the niceness it runs at.
    command.program = QStringLiteral("nice");
    command.arguments.clear();
    ConsoleRunner runner;
    const int own = ::getpriority(PRIO_PROCESS, 0);
    runner.setCommand(command);
    QCOMPARE(runner.ExecuteCommand().trimmed().toInt(),
             std::min(own + ConsoleRunner::BackgroundNice, 19));
    // The next command, given as text, runs at the program's own again.
    QCOMPARE(runner.ExecuteCommand(QStringLiteral("nice")).trimmed().toInt(), own);
}

void TestConsoleRunner::commandLineTextIsSplitWithoutShell()
{
    ConsoleRunner runner;
    QSignalSpy startFailed(&runner, &ConsoleRunner::StartFailed);
    // Quoted groups keep their blanks; "$", ";" and "|" mean nothing.
    const QString result =
        runner.ExecuteCommand(u'"' + Emitter + QStringLiteral("\" \"text:a b\" text:$HOME;|x"));
    QCOMPARE(result, QStringLiteral("a b$HOME;|x"));
    QCOMPARE(runner.CommandLine(), u'"' + Emitter + QStringLiteral("\" \"text:a b\" text:$HOME;|x"));
    QCOMPARE(startFailed.count(), 0);
}

void TestConsoleRunner::timersFireDuringJob()
{
    ConsoleRunner runner;
    int ticks = 0;
    // The job lasts until the fifth tick: with no ticks during it, it would
    // end on the child's own time limit with fewer.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString ticked = dir.filePath(QStringLiteral("ticked"));
    QTimer timer;
    timer.setInterval(20);
    connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 5)
            QFile(ticked).open(QIODevice::WriteOnly);
    });
    timer.start();
    runner.setCommand(emitterCommand({"await:" + ticked}));
    runner.ExecuteCommand();
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
}

void TestConsoleRunner::nestedJobRunsToItsEndFirst_data()
{
    QTest::addColumn<bool>("sameRunner");
    QTest::newRow("other runner") << false;
    QTest::newRow("same runner") << true;
}

void TestConsoleRunner::nestedJobRunsToItsEndFirst()
{
    QFETCH(bool, sameRunner);
    ConsoleRunner outer;
    ConsoleRunner other;
    ConsoleRunner &inner = sameRunner ? outer : other;
    QStringList events;
    bool started = false;
    // The outer child writes "B" only once the inner job has returned, so
    // "A" and "B" never share a read.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString goB = dir.filePath(QStringLiteral("b"));
    connect(&outer, &ConsoleRunner::ReceiveOutputs, [&](const QString &chunk) {
        events.append(QStringLiteral("outer ") + chunk);
        if (!started) {
            started = true;
            inner.setCommand(emitterCommand({"text:i", "sleep:150"}));
            inner.ExecuteCommand();
            events.append(QStringLiteral("inner returned ") + QString::number(inner.isRunning()));
            QFile(goB).open(QIODevice::WriteOnly);
        }
    });
    if (!sameRunner) {
        connect(&inner, &ConsoleRunner::ReceiveOutputs,
                [&](const QString &chunk) { events.append(QStringLiteral("inner ") + chunk); });
    }
    connect(&outer, &ConsoleRunner::CommandOver, [&] { events.append(QStringLiteral("over")); });
    if (!sameRunner)
        connect(&inner, &ConsoleRunner::CommandOver, [&] { events.append(QStringLiteral("inner over")); });

    outer.setCommand(emitterCommand({"text:A", "await:" + goB, "text:B"}));
    outer.ExecuteCommand();

    const QStringList expected = sameRunner
        ? QStringList({"outer A", "outer i", "over", "inner returned 1", "outer B", "over"})
        : QStringList({"outer A", "inner i", "inner over", "inner returned 0", "outer B", "over"});
    QCOMPARE(events, expected);
    QVERIFY(!outer.isRunning());
    QVERIFY(outer.succeeded());
}

void TestConsoleRunner::cancelEndsJob_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("child ends on SIGTERM") << QStringList({"pid", "sleep:20000"});
    QTest::newRow("child ignores SIGTERM") << QStringList({"ignoreterm", "pid", "sleep:20000"});
}

void TestConsoleRunner::cancelEndsJob()
{
    QFETCH(QStringList, steps);
    ConsoleRunner runner;
    QSignalSpy over(&runner, &ConsoleRunner::CommandOver);
    qint64 pid = -1;
    connect(&runner, &ConsoleRunner::ReceiveOutputs, [&](const QString &) {
        pid = pidAfter(runner.Outputs(), QStringLiteral("pid"));
        QTimer::singleShot(50, &runner, &ConsoleRunner::cancel);
    });
    runner.setCommand(emitterCommand(steps));
    QElapsedTimer clock;
    clock.start();
    runner.ExecuteCommand();
    QVERIFY2(clock.elapsed() < 10000, "the cancelled job ran on");
    QVERIFY(pid > 0);
    QVERIFY(!processExists(pid));
    QCOMPARE(over.count(), 1);
    QVERIFY(runner.wasCancelled());
    QVERIFY(!runner.succeeded());
    QVERIFY(!runner.isRunning());
}

void TestConsoleRunner::grandchildDoesNotHoldJob()
{
    // The job ends when our own child has exited and what it left in the pipe
    // is read, even though a grandchild still holds the pipe open.
    ConsoleRunner runner;
    QSignalSpy over(&runner, &ConsoleRunner::CommandOver);
    runner.setCommand(emitterCommand({"grandchild:8000", "text:child done"}));
    QElapsedTimer clock;
    clock.start();
    const QString result = runner.ExecuteCommand();
    const qint64 grandchild = pidAfter(result, QStringLiteral("grandchild"));
    if (grandchild > 0)
        ::kill(pid_t(grandchild), SIGKILL);
    QVERIFY2(clock.elapsed() < 5000, "the grandchild held the job");
    QVERIFY(grandchild > 0);
    QVERIFY(result.endsWith(QStringLiteral("child done")));
    QVERIFY(!result.contains(QStringLiteral("late")));
    QCOMPARE(over.count(), 1);
    QVERIFY(runner.succeeded());
}

void TestConsoleRunner::destroyingRunnerEndsChild()
{
    auto *runner = new ConsoleRunner;
    qint64 pid = -1;
    int over = 0;
    connect(runner, &ConsoleRunner::CommandOver, [&] { ++over; });
    connect(runner, &ConsoleRunner::ReceiveOutputs, [&](const QString &) {
        pid = pidAfter(runner->Outputs(), QStringLiteral("pid"));
        // Gone from a handler while its job still runs.
        QTimer::singleShot(50, [&] { delete runner; runner = nullptr; });
    });
    runner->setCommand(emitterCommand({"ignoreterm", "pid", "sleep:20000"}));
    QElapsedTimer clock;
    clock.start();
    const QString result = runner->ExecuteCommand();
    QVERIFY(runner == nullptr);
    QVERIFY(clock.elapsed() < 10000);
    QCOMPARE(result, QString());
    QVERIFY(pid > 0);
    QVERIFY(!processExists(pid));
    QCOMPARE(over, 0);
}

void TestConsoleRunner::waitDispatchesEvents()
{
    bool fired = false;
    QTimer::singleShot(10, [&] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    clsWaitableTimer().Wait(100);
    QVERIFY(clock.elapsed() >= 100);
    QVERIFY(fired);

    // A wake ends a long wait; one that comes between waits cuts the next short.
    clsWaitableTimer timer;
    QTimer::singleShot(20, [&] { timer.wake(); });
    clock.restart();
    timer.Wait(20000);
    QVERIFY(clock.elapsed() < 10000);
    timer.wake();
    clock.restart();
    timer.Wait(20000);
    QVERIFY(clock.elapsed() < 10000);
    clock.restart();
    timer.Wait(60); // the early wake was used up
    QVERIFY(clock.elapsed() >= 60);
}

void TestConsoleRunner::realCoderDecodes()
{
    if (!QFile::exists(QStringLiteral(KESMARIN_CODER)))
        QSKIP("the transcoder is not built in this tree");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A 2 s mono 8 kHz tone under a name that a shell would mangle.
    const QString source = dir.filePath(QStringLiteral("-a \"tone\" $x.wav"));
    {
        QFile f(source);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const quint32 frames = 16000;
        QByteArray data;
        for (quint32 i = 0; i < frames; ++i) {
            const qint16 v = qint16(8000 * std::sin(2 * M_PI * 440 * i / 8000.0));
            data.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
        }
        auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
        auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char *>(&v), 2); };
        QByteArray header = "RIFF" + le32(36 + data.size()) + "WAVEfmt " + le32(16) + le16(1) +
                            le16(1) + le32(8000) + le32(16000) + le16(2) + le16(16) + "data" +
                            le32(data.size());
        f.write(header + data);
    }
    const QString appFolder = QFileInfo(QStringLiteral(KESMARIN_CODER)).absolutePath() +
                              QStringLiteral("/..");
    const QString work = dir.filePath(QStringLiteral("open.wav"));
    ConsoleRunner runner;
    runner.setCommand(CoderCommand::decode(appFolder, work, source));
    const QString output = runner.ExecuteCommand();
    QVERIFY2(runner.succeeded(), qPrintable(output));
    QVERIFY(output.contains(QStringLiteral("Duration: 00:00:02")));
    QVERIFY(output.contains(QStringLiteral("time=")));
    QVERIFY(QFileInfo(work).size() > 16000);

    // Every format's options are ones the transcoder takes; a relative target
    // that starts with "-" is written as a file, not read as an option.
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    for (const QString target : {"r.mp3", "r.WMA", "r b.wav", "r.amr", "r.m4r", "-r.wav"}) {
        const auto cut = CoderCommand::exportRingtone(appFolder, work, 0, 1, target);
        QVERIFY(cut);
        runner.setCommand(*cut);
        const QString exportOutput = runner.ExecuteCommand();
        QVERIFY2(runner.succeeded(), qPrintable(target + u'\n' + exportOutput));
        QVERIFY2(QFileInfo(dir.filePath(target)).size() > 0, qPrintable(target));
    }
    QDir::setCurrent(old);
}

void TestConsoleRunner::cancelledCoderLeavesNothing_data()
{
    QTest::addColumn<bool>("exporting");
    QTest::addColumn<bool>("frozen"); // the coder cannot act on SIGTERM and must be killed
    QTest::newRow("decode") << false << false;
    QTest::newRow("export") << true << false;
    QTest::newRow("frozen decode") << false << true;
    QTest::newRow("frozen export") << true << true;
}

void TestConsoleRunner::cancelledCoderLeavesNothing()
{
    QFETCH(bool, exporting);
    QFETCH(bool, frozen);
    if (!QFile::exists(QStringLiteral(KESMARIN_CODER)))
        QSKIP("the transcoder is not built in this tree");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeLongWav(dir.filePath(QStringLiteral("long.wav"))));
    // An earlier file of the name, which a cancelled job must leave as it was.
    const QString output = dir.filePath(exporting ? QStringLiteral("ring tone.m4r")
                                                  : QStringLiteral("open.wav"));
    const QByteArray old = "the earlier file, byte for byte";
    {
        QFile file(output);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    const QString appFolder = QFileInfo(QStringLiteral(KESMARIN_CODER)).absolutePath() +
                              QStringLiteral("/..");
    const QString input = dir.filePath(QStringLiteral("long.wav"));
    ConsoleRunner runner;
    runner.setCommand(exporting
                          ? *CoderCommand::exportRingtone(appFolder, input, 0, 3000, output)
                          : CoderCommand::decode(appFolder, output, input));

    // Once the coder writes its temporary file it is midway, and its pid is
    // in the file's name. It is held still there, however fast the machine,
    // and cancelled; unless frozen, it goes on with the stop request waiting.
    qint64 pid = -1;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, [&] {
        const QStringList parts = partFiles(dir.path());
        if (parts.isEmpty())
            return;
        watcher.stop();
        const auto match = QRegularExpression(QStringLiteral("\\.(\\d+)-")).match(parts.first());
        pid = match.captured(1).toLongLong();
        ::kill(pid_t(pid), SIGSTOP);
        runner.cancel();
        if (!frozen)
            ::kill(pid_t(pid), SIGCONT);
    });
    watcher.start(10);
    runner.ExecuteCommand();

    QVERIFY2(pid > 0, qPrintable(runner.Outputs()));
    QVERIFY(runner.wasCancelled());
    QVERIFY(!processExists(pid));
    QCOMPARE(contents(output), old);
    QCOMPARE(partFiles(dir.path()), QStringList());
}

QTEST_GUILESS_MAIN(TestConsoleRunner)
#include "tst_consolerunner.moc"
