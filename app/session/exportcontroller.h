#pragma once

#include "codercommand.h"
#include "coderprogress.h"
#include "setupfile.h"

#include <QObject>
#include <QString>

class ConsoleRunner;
class DesktopOpener;
class FileRequester;
class PlaybackController;
class Selection;
class UserPrompt;
struct SavedFile;

// The Save command: cuts the selected stretch of the working file into a
// ringtone in the format its name asks for, with a progress bar, then opens
// the folder and plays the chime as the settings say.
//
// Every way an export can end gives the window back: an unknown format or a
// coder that cannot start restores it at once and says why, a failed export
// says why and neither opens the folder nor plays the chime, and the working
// file or the opened source is never a target.
class ExportController : public QObject
{
    Q_OBJECT
public:
    static constexpr int BarFullTwips = 4215;

    // What runs: nothing, the normaliser's measure, or the export itself.
    enum class Job { None, Measuring, Exporting };
    Q_ENUM(Job)

    ExportController(const Selection &selection, ConsoleRunner &objDOS1, FileRequester &files,
                     UserPrompt &prompt, PlaybackController &playback, DesktopOpener &desktop,
                     const QString &appFolder, const QString &workFile,
                     QObject *parent = nullptr);

    // imgButton_Click(1), with the settings as they are now: the fades and
    // level, whether to show the folder and play the chime.
    void save(const SetupValues &settings);
    // Stops a running export; the target keeps what it held before.
    void cancel();

    bool isExporting() const { return m_exporting; }
    // From the first job of a Save to the window given back.
    Job job() const { return m_job; }
    // The file being edited, which a ringtone may not replace.
    void setSourcePath(const QString &path) { m_sourcePath = path; }
    // txtSave: the target of the current or last export.
    QString txtSave() const { return m_txtSave; }
    // setup.ini, where the folder last saved to is kept across runs; without
    // one it is kept for this run only.
    void setSetupPath(const QString &path) { m_setupPath = path; }
    // Where the save dialog starts: the folder last saved to, else the opened
    // song's folder, else the home folder; never the program's own folder,
    // which an installed program's user cannot write.
    QString saveFolder() const;

    static QString dialogTitle();
    static QString dialogFilter();
    // What the status strip says of a file read back after an export:
    // "已保存 tone.m4r · 00:00:30 · AAC 44.1 kHz".
    static QString savedText(const QString &target, const SavedFile &saved);
    // The status strip's line for a Save that failed with `message`: the
    // file's name and the first sentence of what went wrong.
    static QString failedText(const QString &target, const QString &message);

signals:
    // job() changed: the commands follow it.
    void jobChanged(ExportController::Job job);
    void exportPanelVisibleChanged(bool visible);                  // picPro
    void exportProgressChanged(int widthTwips, const QString &text); // imgPro, lblPro
    // The export was read back and is what was asked for.
    void saved(const QString &statusText);
    // A Save came to its end, whichever: what the status strip says of it
    // (saved, cancelled, or not saved and why).
    void ended(const QString &statusText);
    // The folder saved to could not be kept in setup.ini: why, for the user.
    void settingsNotSaved(const QString &problem);

private:
    void objDOS1_ReceiveOutputs(const QString &CommandOutputs);
    void objDOS1_CommandOver();
    void restore();
    void setJob(Job job);
    // Runs one coder job to its end; false (with the user told, and the
    // window given back) when it did not succeed.
    bool runJob(const CoderCommand &command, int seconds, bool measuring);
    void tell(const QString &text, const QString &details = {});
    bool isProtected(const QString &target) const;
    // The target as the coder can be handed it: a folder whose name is not
    // UTF-8 is reached through a link in our own folder, as the argument
    // list carries text. Empty for a file name that is not UTF-8, which
    // text cannot name.
    QString targetForCoder(const QString &target) const;
    // Seconds the export should last: the stretch, or less where the working
    // file ends sooner (its length is whole seconds only to the timeline).
    double expectedSeconds(const Stretch &stretch) const;

    const Selection &m_selection;
    ConsoleRunner &m_objDOS1;
    FileRequester &m_files;
    UserPrompt &m_prompt;
    PlaybackController &m_playback;
    DesktopOpener &m_desktop;
    QString m_appFolder;
    QString m_workFile;
    QString m_sourcePath;
    QString m_txtSave;
    QString m_setupPath;
    QString m_lastSaveFolder;
    CoderJobProgress m_progress{CoderJobProgress::Kind::Export, BarFullTwips};
    bool m_exporting = false;
    bool m_over = false;
    bool m_measuring = false;
    Job m_job = Job::None;
};
