#pragma once

// Seams for the workflow controllers' unit tests: a scripted file dialog, a
// view that logs what the window was told, a recording sound device and a
// program folder whose data/coder is the fake coder.

#include "exportcontroller.h"
#include "filerequester.h"
#include "opencontroller.h"
#include "soundcommands.h"

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

// Every call of the window, in order, as short text.
class LoggingView : public OpenView, public ExportView
{
public:
    void stopPlayback() override { log << QStringLiteral("stop"); }
    void setFileNameText(const QString &text) override { log << QStringLiteral("name ") + text; }
    void setDecodePanelVisible(bool visible) override
    {
        log << (visible ? QStringLiteral("panel on") : QStringLiteral("panel off"));
    }
    void setDecodeProgress(int widthTwips, const QString &text) override
    {
        log << QStringLiteral("bar %1 %2").arg(widthTwips).arg(text);
        if (onProgress)
            onProgress();
    }
    void setStripVisible(bool visible) override
    {
        log << (visible ? QStringLiteral("strip on") : QStringLiteral("strip off"));
    }
    void resetTimeline() override { log << QStringLiteral("reset"); }
    void decodeSucceeded(const QString &) override { log << QStringLiteral("decoded"); }

    void setCommandsEnabled(bool enabled) override
    {
        log << (enabled ? QStringLiteral("commands on") : QStringLiteral("commands off"));
    }
    void setExportPanelVisible(bool visible) override
    {
        log << (visible ? QStringLiteral("pro on") : QStringLiteral("pro off"));
    }
    void setExportProgress(int widthTwips, const QString &text) override
    {
        log << QStringLiteral("pro %1 %2").arg(widthTwips).arg(text);
        if (onProgress)
            onProgress();
    }

    QStringList filtered(const QString &prefix) const
    {
        QStringList out;
        for (const QString &line : log)
            if (line.startsWith(prefix))
                out << line;
        return out;
    }

    QStringList log;
    std::function<void()> onProgress;
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
