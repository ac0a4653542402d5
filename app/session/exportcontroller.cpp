#include "exportcontroller.h"

#include "codercommand.h"
#include "consolerunner.h"
#include "desktopopener.h"
#include "editorstate.h"
#include "filerequester.h"
#include "opencontroller.h"
#include "paths.h"
#include "playbackcontroller.h"
#include "userprompt.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

ExportController::ExportController(EditorState &state, ConsoleRunner &objDOS1,
                                   FileRequester &files, UserPrompt &prompt,
                                   PlaybackController &playback, DesktopOpener &desktop,
                                   const QString &appFolder, const QString &workFile,
                                   QObject *parent)
    : QObject(parent), m_state(state), m_objDOS1(objDOS1), m_files(files),
      m_prompt(prompt), m_playback(playback), m_desktop(desktop), m_appFolder(appFolder),
      m_workFile(workFile)
{
    connect(&m_objDOS1, &ConsoleRunner::ReceiveOutputs, this,
            &ExportController::objDOS1_ReceiveOutputs);
    connect(&m_objDOS1, &ConsoleRunner::CommandOver, this,
            &ExportController::objDOS1_CommandOver);
}

QString ExportController::dialogTitle()
{
    return QStringLiteral("另存为");
}

QString ExportController::dialogFilter()
{
    return QStringLiteral("MP3 文件(*.mp3)|*.mp3|WMA 文件(*.wma)|*.wma|WAV 文件(*.wav)|*.wav|"
                          "AMR 文件(*.amr)|*.amr|M4R 文件(*.m4r)|*.m4r");
}

void ExportController::save()
{
    if (m_exporting)
        return;
    const qint32 begin = m_state.SelBegin;
    const qint64 length = qint64(m_state.SelEnd) - begin;
    if (length <= 0)
        return;

    const auto chosen =
        m_files.askSave(dialogTitle(), dialogFilter(), QStringLiteral("ringtone.mp3"));
    if (!chosen)
        return;
    const QString target = chosen->trimmed();
    if (target.isEmpty())
        return;
    m_txtSave = target;

    if (isProtected(target)) {
        tell(QStringLiteral("不能把铃声保存到正在编辑的文件上,请换一个文件名。\n") + target);
        return;
    }

    m_playback.stopAndClose();

    const auto command = CoderCommand::exportRingtone(m_appFolder, m_workFile, begin, length, target);
    if (!command) {
        tell(QStringLiteral("不支持这种铃声格式,请以 .mp3、.wma、.wav、.amr 或 .m4r 结尾。\n") +
             target);
        return;
    }

    emit commandsEnabledChanged(false);
    emit exportPanelVisibleChanged(true);
    m_progress = CoderJobProgress(CoderJobProgress::Kind::Export, BarFullTwips, int(length));
    m_exporting = true;
    m_over = false;
    m_objDOS1.setCommand(*command);
    m_objDOS1.ExecuteCommand();
    m_exporting = false;

    if (!m_over) {
        // The coder never started; the runner has said why.
        restore();
        return;
    }
    if (m_objDOS1.wasCancelled())
        return;
    if (!m_objDOS1.succeeded()) {
        QString reason = m_objDOS1.exitStatus() == QProcess::CrashExit
                             ? QString()
                             : coderReason(m_objDOS1.Outputs());
        if (reason.isEmpty())
            reason = QStringLiteral("转码程序意外结束。");
        tell(QStringLiteral("铃声没有保存成功。\n") + reason);
        return;
    }

    if (m_state.OpenFolderChoice == 0)
        m_desktop.openUrl(QUrl::fromLocalFile(FolderOf(QFileInfo(m_txtSave).absoluteFilePath())));
    if (m_state.RingSoundChoice == 0) {
        const QString chime = QDir(m_appFolder).filePath(QStringLiteral("sound.wav"));
        if (QFileInfo(chime).isFile())
            m_playback.playChime(chime);
    }
}

void ExportController::objDOS1_ReceiveOutputs(const QString &CommandOutputs)
{
    if (!m_exporting)
        return;
    if (const auto bar = m_progress.take(CommandOutputs))
        emit exportProgressChanged(bar->widthTwips, bar->text);
}

void ExportController::objDOS1_CommandOver()
{
    if (!m_exporting)
        return;
    m_over = true;
    restore();
}

void ExportController::restore()
{
    emit exportPanelVisibleChanged(false);
    emit commandsEnabledChanged(true);
}

void ExportController::tell(const QString &text)
{
    UserPrompt::Message message;
    message.text = text;
    message.title = dialogTitle();
    message.icon = UserPrompt::Icon::Warning;
    m_prompt.show(message);
}

bool ExportController::isProtected(const QString &target) const
{
    const QFileInfo info(target);
    const QString canonical = info.exists() ? info.canonicalFilePath() : QString();
    for (const QString &kept : {m_workFile, m_sourcePath}) {
        if (kept.isEmpty())
            continue;
        const QFileInfo keptInfo(kept);
        if (keptInfo.absoluteFilePath() == info.absoluteFilePath())
            return true;
        if (!canonical.isEmpty() && keptInfo.exists() && keptInfo.canonicalFilePath() == canonical)
            return true;
    }
    return false;
}
