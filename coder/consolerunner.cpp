#include "consolerunner.h"

#include "clswaitabletimer.h"
#include "commandline.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QStringDecoder>

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <memory>

struct ConsoleRunner::Job {
    QProcess process;
    QString output;
    qint64 pid = 0;
    bool cancelled = false;
    bool termedAgain = false;
    QDeadlineTimer termAgainAt;
    QDeadlineTimer killAt;

    // A child that died by a signal never cleaned up after itself.
    void removeLeftovers() const
    {
        if (process.exitStatus() == QProcess::CrashExit)
            CoderCommand::removeLeftovers(output, pid);
    }
};

ConsoleRunner::ConsoleRunner(QObject *parent) : QObject(parent)
{
}

ConsoleRunner::~ConsoleRunner()
{
    // The jobs' frames are still on the stack below us; they notice that the
    // runner is gone and return. The children must not outlive it.
    for (Job *job : std::as_const(m_jobs)) {
        stopChild(job->process);
        job->removeLeftovers();
    }
}

void ConsoleRunner::stopChild(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(KillGraceMilliSeconds)) {
        process.kill();
        // A child stuck in the kernel (a hung network file system) may not
        // die at once; the program does not wait for it longer than this.
        process.waitForFinished(KillGraceMilliSeconds);
    }
}

void ConsoleRunner::tieToParent(QProcess &process, bool background)
{
    // The child ends with the program: a coder left running after the
    // program was killed would go on writing into a folder no one reads.
    // SIGTERM lets it remove its temporary file. The death signal follows
    // the thread that starts the child, and every job starts on the thread
    // that runs the window.
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent, background] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (background)
            (void)::nice(BackgroundNice);
        // The program may have died between the fork and the line above.
        if (::getppid() != parent)
            ::_exit(127);
    });
}

void ConsoleRunner::setCommandLine(const QString &commandLine)
{
    m_commandLine = commandLine;
    m_program.clear();
    m_arguments.clear();
    m_output.clear();
    m_background = false;
}

void ConsoleRunner::setCommand(const CoderCommand &command)
{
    m_commandLine = command.commandLine;
    m_program = command.program;
    m_arguments = command.arguments;
    m_output = command.output;
    m_background = command.background;
}

void ConsoleRunner::fail(const QString &text)
{
    m_startFailure = text;
    emit StartFailed(text);
}

void ConsoleRunner::cancel()
{
    for (Job *job : std::as_const(m_jobs)) {
        if (job->cancelled || job->process.state() == QProcess::NotRunning)
            continue;
        job->cancelled = true;
        job->termAgainAt.setRemainingTime(SecondTermMilliSeconds);
        job->killAt.setRemainingTime(KillGraceMilliSeconds);
        job->process.terminate();
    }
}

QString ConsoleRunner::ExecuteCommand(const QString &commandLine)
{
    if (!commandLine.isEmpty())
        setCommandLine(commandLine);
    m_startFailure.clear();
    if (m_commandLine.isEmpty() && m_program.isEmpty()) {
        fail(tr("命令行为空"));
        return {};
    }

    // QProcess folds a pipe failure into "failed to start"; make the pipe
    // failure visible with its own code, as the user is told about it apart.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        fail(tr("CreatePipe failed. Error: ") + QString::number(errno));
        return {};
    }
    ::close(fds[0]);
    ::close(fds[1]);

    QString program = m_program;
    QStringList arguments = m_arguments;
    if (program.isEmpty()) {
        arguments = splitCommandLine(m_commandLine);
        program = arguments.isEmpty() ? QString() : arguments.takeFirst();
    }

    auto job = std::make_unique<Job>();
    QProcess &process = job->process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    if (program.isEmpty()) {
        fail(tr("没有找到文件或命令"));
        return {};
    }
    tieToParent(process, m_background);
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(StartMilliSeconds)) {
        // A start that hangs (a program on a hung file system) is a failed one.
        process.kill();
        process.waitForFinished(KillGraceMilliSeconds);
        fail(tr("没有找到文件或命令"));
        return {};
    }

    job->output = m_output;
    job->pid = process.processId();
    m_outputs.clear();
    m_jobs.append(job.get());
    QPointer<ConsoleRunner> self(this);
    // Stateful, so a character split between two reads is not garbled.
    QStringDecoder decoder(QStringDecoder::Utf8);
    clsWaitableTimer timer;
    // A child that is gone with at most one read left ends the job at once,
    // not a poll later; more output than that keeps its pace of one read a poll.
    connect(&process, &QProcess::finished, this, [&process, &timer] {
        if (process.bytesAvailable() <= ChunkBytes)
            timer.wake();
    });
    for (;;) {
        if (process.bytesAvailable() > 0) {
            const QString chunk = decoder.decode(process.read(ChunkBytes));
            m_outputs += chunk;
            emit ReceiveOutputs(chunk);
            if (!self)
                return {};
            // That was the last of it: no need to wait another poll to say so.
            if (process.bytesAvailable() == 0 && process.state() == QProcess::NotRunning)
                break;
        } else if (process.state() == QProcess::NotRunning) {
            // Our child has exited and everything it left in the pipe is read.
            // A grandchild still holding the pipe does not keep the job alive.
            break;
        }
        if (job->cancelled && process.state() != QProcess::NotRunning) {
            if (job->killAt.hasExpired()) {
                process.kill();
            } else if (!job->termedAgain && job->termAgainAt.hasExpired()) {
                process.terminate();
                job->termedAgain = true;
            }
        }
        QCoreApplication::processEvents();
        if (!self)
            return {};
        timer.Wait(PollMilliSeconds);
        if (!self)
            return {};
    }

    m_jobs.removeOne(job.get());
    job->removeLeftovers();
    m_exitCode = process.exitCode();
    m_exitStatus = process.exitStatus();
    m_cancelled = job->cancelled;
    job.reset();
    emit CommandOver();
    return self ? m_outputs : QString();
}
