#pragma once

#include "codercommand.h"

#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs one console program per job with its standard output and error merged,
// hands each piece of output to the owner as it is read and tells the owner
// when the job is over. A job runs synchronously, but events keep running
// while it waits, so the window stays live and another job may run nested
// inside this one. A job that cannot start says why through StartFailed and
// its empty result; the runner itself never talks to the user.
class ConsoleRunner : public QObject
{
    Q_OBJECT

public:
    static constexpr int PollMilliSeconds = 50;
    static constexpr int ChunkBytes = 1024;
    // A cancelled child gets SIGTERM, a second SIGTERM (the coder then
    // removes its temporary file and exits from the signal handler) and
    // finally SIGKILL, so that it is gone within a second.
    static constexpr int SecondTermMilliSeconds = 400;
    static constexpr int KillGraceMilliSeconds = 800;
    // A child that has not started by then is taken as one that cannot.
    static constexpr int StartMilliSeconds = 10000;
    // How far below the program a background job runs.
    static constexpr int BackgroundNice = 10;

    explicit ConsoleRunner(QObject *parent = nullptr);
    ~ConsoleRunner() override;

    // The command line of the next job. Set as text, it is split on blanks
    // with double quotes grouping; set through setCommand(), it is display
    // text and the program and arguments given there run as they are.
    QString CommandLine() const { return m_commandLine; }
    void setCommandLine(const QString &commandLine);
    void setCommand(const CoderCommand &command);

    // Everything the current or last job wrote, in arrival order.
    QString Outputs() const { return m_outputs; }

    // Runs a job and returns its whole output once it is over; empty when the
    // job could not start. A non-empty argument replaces the command line.
    QString ExecuteCommand(const QString &commandLine = QString());
    // Why the last job could not start ("命令行为空", "没有找到文件或命令",
    // "CreatePipe failed. Error: N"); empty when it started.
    QString startFailure() const { return m_startFailure; }

    bool isRunning() const { return !m_jobs.isEmpty(); }
    // Ends every running job of this runner: SIGTERM, then SIGKILL if the
    // child lingers, and whatever a killed coder left beside its output is
    // removed. The job still ends through CommandOver.
    void cancel();

    // The outcome of the last job that ran to its end.
    int exitCode() const { return m_exitCode; }
    QProcess::ExitStatus exitStatus() const { return m_exitStatus; }
    bool wasCancelled() const { return m_cancelled; }
    bool succeeded() const
    {
        return !m_cancelled && m_exitStatus == QProcess::NormalExit && m_exitCode == 0;
    }

signals:
    void ReceiveOutputs(const QString &CommandOutputs);
    void CommandOver();
    // A job could not start; no output and no CommandOver follow.
    void StartFailed(const QString &reason);

private:
    struct Job;
    void fail(const QString &text);
    static void stopChild(QProcess &process);
    static void tieToParent(QProcess &process, bool background);

    QString m_commandLine;
    QString m_startFailure;
    QString m_program; // empty: split m_commandLine at run time
    QStringList m_arguments;
    QString m_output; // the file a coder job writes, when known
    bool m_background = false;
    QString m_outputs;
    QList<Job *> m_jobs;
    int m_exitCode = 0;
    QProcess::ExitStatus m_exitStatus = QProcess::NormalExit;
    bool m_cancelled = false;
};
