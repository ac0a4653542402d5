#pragma once

#include "coderprogress.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

class ConsoleRunner;
class FileRequester;
class UserPrompt;

// The Open command: asks for a media file and has the coder decode it into the
// working file while a bar shows the progress; with a file open it first asks
// to close it, stops the sound and resets the window. It owns whether a file
// is open (FileOpened).
//
// The coder writes the working file in place while the session reads it: once
// its header and first block are on disk the file is shown (the strip, the
// length expected from the input's duration, the transport), the decode panel
// going on beside it, and the decoded stretches follow as the coder reports
// them. The decode's end is the one event it always was: on success the
// length becomes exact, on failure what was shown goes again.
//
// Unlike a bare run of the coder, a decode that fails (the coder says so, or
// leaves no usable working file) is reported with the coder's reason and
// leaves the window as with no file open, and an Open given while a decode
// runs is refused, so two decodes never write the working file at once.
class OpenController : public QObject
{
    Q_OBJECT
public:
    static constexpr int BarFullTwips = 5415;

    OpenController(ConsoleRunner &objDOS, FileRequester &files,
                   UserPrompt &prompt, const QString &appFolder, const QString &workFile,
                   QObject *parent = nullptr);

    // imgButton_Click(0).
    void open();
    // Opens a file given by name (the command line, a drop): asks to close
    // the open file first, then decodes this one without a dialog (after the
    // closed song's decode has ended, when it was still decoding).
    void openPath(const QString &path);
    // The same for the bytes the file system gave, which need not be UTF-8.
    void openPath(const QByteArray &localPath);
    // Stops a running decode; the window is left as after a failed open.
    void cancel();

    bool isDecoding() const { return m_decoding; }
    // A decode runs and its growing file is shown.
    bool isShowingGrowing() const { return m_decoding && m_fileOpen; }
    // A decoded file is open in the working file.
    bool hasFile() const { return m_fileOpen; }
    // The file the working file was decoded from; empty with no file open.
    QString sourcePath() const { return m_sourcePath; }
    int CoderDuration() const { return m_progress.coderDuration(); }

    static QString dialogTitle();
    static QString dialogFilter();

signals:
    void fileOpenChanged(bool open);
    void decodingChanged(bool decoding);
    // The transport row's Stop is wanted: stop and close the sound device.
    void stopPlaybackRequested();
    void fileNameChanged(const QString &text);                // lblFileName
    void decodePanelVisibleChanged(bool visible);             // picPBBack
    void decodeProgressChanged(int widthTwips, const QString &text); // imgPB, lblPB
    void stripVisibleChanged(bool visible);                   // picOpened
    // Back to no file: selection 0, time labels "00:00:00", the pointer at
    // the strip's start, the six handle images hidden.
    void timelineResetRequested();
    // The working file now holds the opened file's audio.
    void decoded(const QString &workFile);
    // The growing working file is shown: its header and first block are on
    // disk. decodedStretch follows for that block.
    void decodeStarted(const QString &workFile, qint64 expectedFrames, int sampleRate,
                       int channels);
    void decodedStretch(qint64 firstFrame, qint64 endFrame);
    void decodeWithdrawn();
    // Just before decoded(): the file holds `frames` frames, its header final.
    void decodeComplete(qint64 frames);

private:
    // True when the window is free for a new file (nothing open, or the user
    // agreed to close it; then it has been reset).
    bool closeOpenFile();
    // The text of a name read back to its bytes; says so when it cannot be.
    std::optional<QByteArray> localNameOf(const QString &path);
    // Decodes the file, then any file given while its song was closed midway.
    void decode(const QByteArray &localPath);
    void decodeOne(const QByteArray &localPath);
    void objDOS_ReceiveOutputs(const QString &CommandOutputs);
    void objDOS_CommandOver();
    void fail(const QString &reason);
    void restoreFileName();
    void setFileOpen(bool open);
    void setDecoding(bool decoding);
    void takeReports();

    ConsoleRunner &m_objDOS;
    FileRequester &m_files;
    UserPrompt &m_prompt;
    QString m_appFolder;
    QString m_workFile;
    QString m_sourcePath;
    QString m_fileNameShown;  // lblFileName
    QString m_fileNameBefore; // lblFileName before the decode that runs or ran last
    CoderJobProgress m_progress{CoderJobProgress::Kind::Decode, BarFullTwips};
    bool m_decoding = false;
    bool m_fileOpen = false;
    bool m_over = false;
    // The growing file as the coder announced it; rate 0 until then.
    CoderProgress::DecodeReport m_growing;
    qint64 m_completeFrames = -1;
    bool m_abandoned = false; // the song was closed while it decoded
    QByteArray m_pendingPath; // given while a closed song's decode ended
};

// The coder's own account of a failure: its "coder: ..." line, or the last
// line it wrote.
QString coderReason(const QString &output);
