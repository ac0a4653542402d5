#include "opencontroller.h"

#include "codercommand.h"
#include "coderfailure.h"
#include "consolerunner.h"
#include "filerequester.h"
#include "paths.h"
#include "userprompt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

#include <utility>

namespace {
// The coder's working file starts with a 44-byte WAV header and 36 bytes kept
// for the sizes of the 64-bit form; a working file no longer than that holds
// no sound to play or cut.
constexpr qint64 WavHeaderBytes = 44 + 36;

// The file's identity on disk; -1 when there is none. The coder writes a new
// file and renames it into place, so a fresh working file has a new one.
qint64 inodeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? qint64(info.st_ino) : -1;
}
} // namespace

QString coderReason(const QString &output)
{
    const QStringList lines = output.split(QRegularExpression(QStringLiteral("[\r\n]")),
                                           Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        if (it->startsWith(QStringLiteral("coder: ")))
            return it->trimmed();
    }
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        if (!it->trimmed().isEmpty())
            return it->trimmed();
    }
    return QString();
}

OpenController::OpenController(ConsoleRunner &objDOS, FileRequester &files,
                               UserPrompt &prompt, const QString &appFolder,
                               const QString &workFile, QObject *parent)
    : QObject(parent), m_objDOS(objDOS), m_files(files),
      m_prompt(prompt), m_appFolder(appFolder), m_workFile(workFile)
{
    connect(&m_objDOS, &ConsoleRunner::ReceiveOutputs, this,
            &OpenController::objDOS_ReceiveOutputs);
    connect(&m_objDOS, &ConsoleRunner::CommandOver, this, &OpenController::objDOS_CommandOver);
}

void OpenController::setFileOpen(bool open)
{
    if (m_fileOpen == open)
        return;
    m_fileOpen = open;
    emit fileOpenChanged(open);
}

void OpenController::setDecoding(bool decoding)
{
    if (m_decoding == decoding)
        return;
    m_decoding = decoding;
    emit decodingChanged(decoding);
}

QString OpenController::dialogTitle()
{
    return tr("打开文件");
}

QString OpenController::dialogFilter()
{
    return tr("MP3 Files(*.mp3)|*.mp3|WMA Files(*.wma)|*.wma|WAV Files(*.wav)|*.wav|"
              "AMR Files(*.amr)|*.amr|WMV Files(*.wmv)|*.wmv|AVI Files(*.avi)|*.avi|"
              "MPG Files(*.mpg)|*.mpg|All Files(*.*)|*.*");
}

void OpenController::open()
{
    if (m_decoding) {
        // A song shown while it decodes is closed as any open song is, and
        // its decode goes with it.
        if (m_fileOpen && closeOpenFile()) {
            m_abandoned = true;
            m_objDOS.cancel();
        }
        return;
    }
    if (m_fileOpen) {
        // Closing only resets the window; the next Open chooses the file.
        closeOpenFile();
        return;
    }
    emit stopPlaybackRequested();
    const auto path = m_files.askOpen(dialogTitle(), dialogFilter());
    if (!path || path->isEmpty())
        return;
    if (const auto local = localNameOf(*path))
        decode(*local);
}

void OpenController::openPath(const QString &path)
{
    if ((m_decoding && !m_fileOpen) || path.isEmpty())
        return;
    // A name that cannot be read back is told before the open file is closed.
    if (const auto local = localNameOf(path))
        openPath(*local);
}

void OpenController::openPath(const QByteArray &localPath)
{
    if (localPath.isEmpty() || (m_decoding && !m_fileOpen))
        return;
    if (m_fileOpen && !closeOpenFile())
        return;
    if (m_decoding) {
        // The song shown while it decodes is closed; the next one starts
        // once that decode has ended, never beside it.
        m_abandoned = true;
        m_pendingPath = localPath;
        m_objDOS.cancel();
        return;
    }
    emit stopPlaybackRequested();
    decode(localPath);
}

std::optional<QByteArray> OpenController::localNameOf(const QString &path)
{
    // A name in UTF-8 goes as it is: if it names nothing, the coder says so.
    if (!path.contains(QChar::ReplacementCharacter))
        return QFile::encodeName(path);
    const QByteArray local = LocalName(path);
    if (!local.isEmpty())
        return local;
    UserPrompt::Message message;
    message.text = tr("无法打开这个文件。\n") +
                   tr("它的名字不是 UTF-8 编码，无法确定它是哪一个文件。");
    message.title = dialogTitle();
    message.icon = UserPrompt::Icon::Critical;
    m_prompt.show(message);
    return std::nullopt;
}

void OpenController::cancel()
{
    // Whatever of the decode is still to come, the user no longer wants it.
    if (!m_decoding)
        return;
    m_abandoned = true;
    m_objDOS.cancel();
}

bool OpenController::closeOpenFile()
{
    if (!m_fileOpen)
        return true;
    UserPrompt::Message message;
    message.text = tr("当前的音频文件将被关闭,确认吗?");
    message.title = tr("关闭当前文件");
    message.icon = UserPrompt::Icon::NoIcon;
    message.buttons = UserPrompt::Buttons::OkCancel;
    if (!m_prompt.show(message))
        return false;
    // A song that played on behind a hidden strip would be a song still open.
    emit stopPlaybackRequested();
    emit stripVisibleChanged(false);
    emit timelineResetRequested();
    emit decodeProgressChanged(1, QStringLiteral("0%"));
    setFileOpen(false);
    m_sourcePath.clear();
    // A closed song's name must not come back when the next open fails.
    m_fileNameShown.clear();
    m_fileNameBefore.clear();
    emit fileNameChanged(m_fileNameShown);
    return true;
}

void OpenController::decode(const QByteArray &localPath)
{
    for (QByteArray next = localPath; !next.isEmpty();) {
        decodeOne(next);
        next = std::exchange(m_pendingPath, {});
        if (!next.isEmpty())
            emit stopPlaybackRequested();
    }
}

void OpenController::decodeOne(const QByteArray &localPath)
{
    QByteArray local = localPath;
    if (!local.startsWith('/'))
        local = QFile::encodeName(QDir::currentPath()) + '/' + local;
    const QString path = QFile::decodeName(local);
    // A decode that fails gives the window back as it was with no file open.
    m_fileNameBefore = m_fileNameShown;
    m_fileNameShown = CoderProgress::shortFileName(path);
    emit fileNameChanged(m_fileNameShown);
    // A name that is not UTF-8 reaches the coder through a link in our own
    // folder, as the argument list carries text.
    QString link;
    if (QFile::encodeName(path) != local)
        link = LinkForCoder(local, QFileInfo(m_workFile).path() + QStringLiteral("/source"));
    const CoderCommand command =
        CoderCommand::decode(m_appFolder, m_workFile, link.isEmpty() ? path : link, true);

    // The last file's audio must not pass for this one's if the coder writes
    // nothing. (Deleting an hour of audio here would stall the window.)
    const qint64 previous = inodeOf(m_workFile);
    emit decodeProgressChanged(1, QStringLiteral("0%"));
    emit decodePanelVisibleChanged(true);
    m_progress = CoderJobProgress(CoderJobProgress::Kind::Decode, BarFullTwips);
    m_over = false;
    m_growing = {};
    m_completeFrames = -1;
    m_abandoned = false;
    m_sourcePath = path;
    setDecoding(true);
    m_objDOS.setCommand(command);
    const QString output = m_objDOS.ExecuteCommand();
    if (!link.isEmpty())
        QFile::remove(link);
    setDecoding(false);

    if (!m_over) {
        // The coder never started; the runner has said so.
        emit decodePanelVisibleChanged(false);
        emit stripVisibleChanged(false);
        setFileOpen(false);
        m_sourcePath.clear();
        restoreFileName();
        return;
    }
    // A song closed while it decoded stays closed, however the decode ended.
    if (m_objDOS.wasCancelled() || m_abandoned) {
        fail(QString());
        return;
    }
    const QFileInfo work(m_workFile);
    // A working file made afresh in place may get the old one's inode number
    // back: the coder's word that it is whole tells it instead.
    const bool fresh = inodeOf(m_workFile) != -1 &&
                       (m_completeFrames >= 0 || inodeOf(m_workFile) != previous);
    if (!m_objDOS.succeeded() || !fresh || !work.isFile() || work.size() <= WavHeaderBytes) {
        QString reason;
        if (m_objDOS.exitStatus() == QProcess::CrashExit)
            reason = tr("转码程序意外结束。");
        else if (!m_objDOS.succeeded())
            reason = coderReason(m_objDOS.Outputs());
        if (reason.isEmpty())
            reason = tr("转码程序没有输出任何声音。");
        fail(reason);
        return;
    }
    m_sourcePath = path;
    const bool shown = m_fileOpen;
    setFileOpen(true);
    const auto full = m_progress.full();
    emit decodeProgressChanged(full.widthTwips, full.text);
    if (!shown)
        emit stripVisibleChanged(true);
    if (m_growing.rate > 0)
        emit decodeComplete(m_completeFrames);
    emit decoded(m_workFile);
}

void OpenController::objDOS_ReceiveOutputs(const QString &CommandOutputs)
{
    if (!m_decoding)
        return;
    if (const auto bar = m_progress.take(CommandOutputs))
        emit decodeProgressChanged(bar->widthTwips, bar->text);
    takeReports();
}

void OpenController::takeReports()
{
    using Kind = CoderProgress::DecodeReport::Kind;
    for (const CoderProgress::DecodeReport &report : m_progress.takeReports()) {
        // A window closed while its decode ends hears nothing more of it.
        if (!m_decoding || m_abandoned)
            return;
        switch (report.kind) {
        case Kind::Growing:
            if (m_growing.rate == 0)
                m_growing = report;
            break;
        case Kind::Stretch:
            if (m_growing.rate == 0)
                break;
            if (!m_fileOpen) {
                // The header and the first block are there: show the song.
                emit decodeStarted(m_workFile, m_growing.end, m_growing.rate,
                                   m_growing.channels);
                setFileOpen(true);
                emit stripVisibleChanged(true);
                emit decodedStretch(report.first, report.end);
            } else {
                emit decodedStretch(report.first, report.end);
            }
            break;
        case Kind::Withdrawn:
            if (m_fileOpen)
                emit decodeWithdrawn();
            break;
        case Kind::Complete:
            m_completeFrames = report.end;
            break;
        }
    }
}

void OpenController::objDOS_CommandOver()
{
    if (!m_decoding)
        return;
    m_over = true;
    if (const auto bar = m_progress.finish())
        emit decodeProgressChanged(bar->widthTwips, bar->text);
    takeReports();
    m_progress = CoderJobProgress(CoderJobProgress::Kind::Decode, BarFullTwips);
    emit decodePanelVisibleChanged(false);
}

void OpenController::restoreFileName()
{
    m_fileNameShown = m_fileNameBefore;
    emit fileNameChanged(m_fileNameShown);
}

void OpenController::fail(const QString &reason)
{
    // Nothing stale may be played or cut: the working file goes with the
    // failed decode, and what was shown of it before.
    if (m_fileOpen) {
        emit stopPlaybackRequested();
        emit timelineResetRequested();
    }
    QFile::remove(m_workFile);
    emit decodePanelVisibleChanged(false);
    emit stripVisibleChanged(false);
    setFileOpen(false);
    m_sourcePath.clear();
    restoreFileName();
    if (reason.isEmpty())
        return;
    UserPrompt::Message message;
    message.text = CoderFailure::plainText(CoderFailure::Job::Open, reason);
    message.details = reason;
    message.title = dialogTitle();
    message.icon = UserPrompt::Icon::Critical;
    m_prompt.show(message);
}
