#pragma once

// Seams for the session's tests: a scripted file dialog, a log of what the
// window was told, a recording sound device and a program folder whose
// data/coder is the fake coder.

#include "exportcontroller.h"
#include "filerequester.h"
#include "opencontroller.h"
#include "ringtonesession.h"
#include "soundcommands.h"
#include "userseams.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class ScriptedFiles : public FileRequester
{
public:
    std::optional<QString> askOpen(const QString &title, const QString &filter) override
    {
        asked << QStringLiteral("open|") + title + QLatin1Char('|') + filter;
        return next();
    }
    std::optional<QString> askSave(const QString &title, const QString &filter,
                                   const QString &fileName, const QString &folder) override
    {
        asked << QStringLiteral("save|") + title + QLatin1Char('|') + filter + QLatin1Char('|') +
                     fileName;
        folders << folder;
        return next();
    }
    QList<std::optional<QString>> answers;
    QStringList asked;
    QStringList folders; // where each save dialog started

private:
    std::optional<QString> next() { return answers.isEmpty() ? std::nullopt : answers.takeFirst(); }
};

// What the window was told, in order, as short text.
class WindowLog : public QObject
{
public:
    void watch(OpenController &open)
    {
        connect(&open, &OpenController::stopPlaybackRequested, this, [this] { log << "stop"; });
        connect(&open, &OpenController::fileNameChanged, this,
                [this](const QString &text) { log << QStringLiteral("name ") + text; });
        connect(&open, &OpenController::decodePanelVisibleChanged, this,
                [this](bool on) { log << (on ? "panel on" : "panel off"); });
        connect(&open, &OpenController::decodeProgressChanged, this,
                [this](int width, const QString &text) { progress("bar", width, text); });
        connect(&open, &OpenController::stripVisibleChanged, this,
                [this](bool on) { log << (on ? "strip on" : "strip off"); });
        connect(&open, &OpenController::timelineResetRequested, this, [this] { log << "reset"; });
        connect(&open, &OpenController::decoded, this, [this] { log << "decoded"; });
    }
    void watch(ExportController &exporter)
    {
        // The window is told once when the first job starts and once when it is given back.
        connect(&exporter, &ExportController::jobChanged, this, [this](ExportController::Job job) {
            const bool busy = job != ExportController::Job::None;
            if (busy != m_exportBusy)
                log << (busy ? "commands off" : "commands on");
            m_exportBusy = busy;
        });
        connect(&exporter, &ExportController::exportPanelVisibleChanged, this,
                [this](bool on) { log << (on ? "pro on" : "pro off"); });
        connect(&exporter, &ExportController::exportProgressChanged, this,
                [this](int width, const QString &text) { progress("pro", width, text); });
        connect(&exporter, &ExportController::saved, this,
                [this](const QString &text) { saved << text; });
    }
    void watch(RingtoneSession &session)
    {
        connect(&session, &RingtoneSession::fileNameChanged, this,
                [this](const QString &text) { log << QStringLiteral("name ") + text; });
        connect(&session, &RingtoneSession::decodePanelVisibleChanged, this,
                [this](bool on) { log << (on ? "panel on" : "panel off"); });
        connect(&session, &RingtoneSession::decodeProgressChanged, this,
                [this](int width, const QString &text) { progress("bar", width, text); });
        connect(&session, &RingtoneSession::exportPanelVisibleChanged, this,
                [this](bool on) { log << (on ? "pro on" : "pro off"); });
        connect(&session, &RingtoneSession::exportProgressChanged, this,
                [this](int width, const QString &text) { progress("pro", width, text); });
        connect(&session, &RingtoneSession::fileOpened, this,
                [this](const QList<Peak> &peaks) { log << QStringLiteral("opened %1").arg(peaks.size()); });
        connect(&session, &RingtoneSession::fileClosed, this, [this] { log << "closed"; });
        // Open is off exactly while a job runs.
        connect(&session.commands(), &CommandTable::enabledChanged, this, [this](Command command, bool on) {
            if (command == Command::Open)
                log << (on ? "commands on" : "commands off");
        });
        connect(&session, &RingtoneSession::settingsRequested, this, [this] { log << "settings"; });
        connect(&session, &RingtoneSession::aboutRequested, this, [this] { log << "about"; });
        connect(&session, &RingtoneSession::exitRequested, this, [this] { log << "exit"; });
    }

    QStringList filtered(const QString &prefix) const
    {
        QStringList out;
        for (const QString &line : log)
            if (line.startsWith(prefix))
                out << line;
        return out;
    }

    QStringList saved; // the status lines of exports that were read back
    QStringList log;
    std::function<void()> onProgress;

private:
    bool m_exportBusy = false;
    void progress(const char *what, int width, const QString &text)
    {
        log << QStringLiteral("%1 %2 %3").arg(QLatin1String(what)).arg(width).arg(text);
        if (onProgress)
            onProgress();
    }
};

class SoundLog : public SoundCommands
{
public:
    QString send(const QString &command) override
    {
        sent << command;
        return QString();
    }
    QStringList sent;
};

// A program folder holding data/coder (the fake) and a working folder.
class ProgramFolder
{
public:
    explicit ProgramFolder(bool withCoder = true)
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("data"));
        QDir(m_dir.path()).mkpath(QStringLiteral("work"));
        if (withCoder)
            QFile::link(QStringLiteral(FAKE_CODER), path() + QStringLiteral("/data/coder"));
        qputenv("KESMARIN_FAKE_CODER_LOG", logPath().toLocal8Bit());
        QFile::remove(logPath());
    }
    QString path() const { return m_dir.path(); }
    QString workFile() const { return path() + QStringLiteral("/work/open.wav"); }
    QString logPath() const { return path() + QStringLiteral("/coder.log"); }
    // The argument lists of every coder run, one list per run.
    QList<QStringList> runs() const
    {
        QFile file(logPath());
        QList<QStringList> out;
        if (!file.open(QIODevice::ReadOnly))
            return out;
        QStringList current;
        for (const QString &line : QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'))) {
            if (line == QStringLiteral("--")) {
                out << current;
                current.clear();
            } else if (!line.isEmpty()) {
                current << line;
            }
        }
        return out;
    }

private:
    QTemporaryDir m_dir;
};
