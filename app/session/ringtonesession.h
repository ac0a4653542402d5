#pragma once

#include "bestpart.h"
#include "commanddispatcher.h"
#include "codercommand.h"
#include "commandtable.h"
#include "peakextractor.h"
#include "setupfile.h"
#include "toolbarcommand.h"
#include "workingfolder.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class BestPartFinder;
class ConsoleRunner;
class DesktopOpener;
class ExportController;
class FileRequester;
class OpenController;
class SoundCommands;
class TimelineEditor;
class UserPrompt;

// One ringtone from open to export, with no window: the settings, the
// working folder, the decode and export runners, the timeline editor, the
// command table and the command words. The main window triggers commands for
// what the user does and shows what the signals say; the session reaches the
// user only through the prompt, the file requester and the desktop opener it
// is given.
class RingtoneSession : public QObject, private CommandTarget
{
    Q_OBJECT
public:
    // What the session is given. Every pointer is required and must outlive it.
    struct Services {
        UserPrompt *prompt = nullptr;      // questions and messages
        FileRequester *files = nullptr;    // the open and save file names
        DesktopOpener *desktop = nullptr;  // folders, help and mail links
        SoundCommands *sound = nullptr;    // the sound device
        QString setupPath;                 // empty: the user's configuration folder
        QString cacheBase;                 // empty: the user's cache folder
        QString appFolder;                 // data/coder, sound.wav, help/
        int twipsPerPixelX = 15;           // the screen's, for the strip's geometry
        int peakColumns = 0;               // the strip's width in pixels, for the waveform
    };

    explicit RingtoneSession(Services services, QObject *parent = nullptr);
    ~RingtoneSession() override;

    // The two choices of the settings dialog and the export's fades and level.
    SetupValues settings() const { return m_settings; }
    FadeLevel fades() const
    {
        return {m_settings.fadeInMs, m_settings.fadeOutMs, m_settings.normalise,
                m_settings.loudnessLufs};
    }
    // FileOpened: a decoded file is open.
    bool hasFile() const;
    CommandTable &commands() { return m_commands; }
    const CommandTable &commands() const { return m_commands; }
    // Runs a command if the command rule lets it run now.
    // Runs `command` when it may run; otherwise the status line says why
    // (unless a job is running, which shows itself).
    bool trigger(Command command);
    // The status line: the last Save's end, or why a command was refused;
    // a new song clears it.
    QString statusText() const { return m_statusText; }
    QString setupPath() const { return m_services.setupPath; }
    QString appFolder() const { return m_services.appFolder; }
    QString workingFile() const { return m_work.workingFile(); }
    QString workingFolder() const { return m_work.path(); }

    TimelineEditor &editor() const { return *m_editor; }
    // The decode and the export runner.
    ConsoleRunner &objDOS() const { return *m_objDOS; }
    ConsoleRunner &objDOS1() const { return *m_objDOS1; }
    OpenController &openController() const { return *m_open; }
    ExportController &exportController() const { return *m_export; }
    // A decode or an export is running.
    bool isBusy() const;

public slots:
    // The toolbar's buttons (Settings and Exit are the window's: it is told).
    void runCommand(ToolbarCommand command);
    // Open, Save and the random cut as commands: each runs only when the
    // command rule lets it.
    void open();
    // A file named on the command line or dropped on the window; ignored
    // while a job runs.
    void openPath(const QString &path);
    // The same for the bytes the file system gave, which need not be UTF-8.
    void openPath(const QByteArray &localPath);
    void save();
    // Escape, or Cancel on a progress panel: stops the running decode or
    // export. A cancelled decode leaves no file open; a cancelled export
    // leaves the target as it was.
    void cancel();
    void randomCut();
    // Selects the stretch worth a ringtone, found in the song on a worker
    // thread; each press after the first offers the next-best one.
    void bestPart();
    // The transport row's buttons 0 to 6, as commands.
    void transport(int index);
    static Command transportCommand(int index);
    static Command toolbarCommand(ToolbarCommand command);
    // A command word written into txtAction.
    void dispatchWord(const QString &word);
    void tellAFriend();
    void help();
    void feedback();
    // The settings dialog was confirmed: keeps the values and writes setup.ini.
    void applySettings(const SetupValues &values);
    // The export's fades and level, set in the main window; kept in setup.ini.
    void setFades(const FadeLevel &fades);
    // The confirmed exit: ends the jobs, stops and closes the sound device,
    // removes the working folder.
    void shutDown();

signals:
    void fileNameChanged(const QString &text);
    void decodePanelVisibleChanged(bool visible);
    void decodeProgressChanged(int widthTwips, const QString &text);
    void exportPanelVisibleChanged(bool visible);
    void exportProgressChanged(int widthTwips, const QString &text);
    // An export was read back: what the status strip says of it.
    void exportSaved(const QString &statusText);
    void statusTextChanged(const QString &text);
    // What the status strip says of a stretch the best-part command chose.
    void bestPartTold(const QString &statusText);
    // The working file holds a new file; its waveform (empty when unreadable).
    void fileOpened(const QList<Peak> &peaks);
    // No file is open any more: the strip goes.
    void fileClosed();
    void fadesChanged(const FadeLevel &fades);
    void settingsRequested();
    void aboutRequested();
    void exitRequested();

private:
    // CommandTarget
    void runToolbarCommand(ToolbarCommand command) override { runCommand(command); }
    void showAbout() override { trigger(Command::About); }
    void exitProgram() override { trigger(Command::Exit); }
    void suggestBestPart() override { bestPart(); }

    void connectParts();
    void installCommands();
    void updateConditions();
    void warn(const QString &text);
    void setStatusText(const QString &text);
    QString refusalText(Command command) const;
    // Writes the settings; a failure is told once, until a write succeeds.
    void storeSettings();
    void settingsNotSaved(const QString &problem);
    // Says so when there is no working folder; true when there is one.
    bool checkWorkingFolder();
    void doOpen();
    template <typename Path> void openGiven(const Path &path);
    void doSave();
    void doRandomCut();
    void selectSuggestion(const Suggestion &suggestion, int rank, int count);

    Services m_services;
    SetupValues m_settings;
    CommandTable m_commands;
    WorkingFolder m_work;
    ConsoleRunner *m_objDOS = nullptr;
    ConsoleRunner *m_objDOS1 = nullptr;
    std::unique_ptr<TimelineEditor> m_editor;
    std::unique_ptr<OpenController> m_open;
    std::unique_ptr<ExportController> m_export;
    BestPartFinder *m_bestPart = nullptr;
    CommandDispatcher m_dispatcher{*this};
    QString m_statusText;
    bool m_shutDown = false;
    bool m_shownGrowing = false; // the song was shown while it decoded
    bool m_settingsFailureTold = false;
};
