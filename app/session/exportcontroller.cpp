#include "exportcontroller.h"

#include "codercommand.h"
#include "coderfailure.h"
#include "consolerunner.h"
#include "desktopopener.h"
#include "filerequester.h"
#include "formattime.h"
#include "opencontroller.h"
#include "paths.h"
#include "phonelimits.h"
#include "playbackcontroller.h"
#include "savedfile.h"
#include "selection.h"
#include "setupfile.h"
#include "userprompt.h"
#include "wavheader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QUrl>

#include <algorithm>

ExportController::ExportController(const Selection &selection, ConsoleRunner &objDOS1,
                                   FileRequester &files, UserPrompt &prompt,
                                   PlaybackController &playback, DesktopOpener &desktop,
                                   const QString &appFolder, const QString &workFile,
                                   QObject *parent)
    : QObject(parent), m_selection(selection), m_objDOS1(objDOS1), m_files(files),
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
    return tr("另存为");
}

QString ExportController::dialogFilter()
{
    return tr("MP3 文件(*.mp3)|*.mp3|WMA 文件(*.wma)|*.wma|WAV 文件(*.wav)|*.wav|"
              "AMR 文件(*.amr)|*.amr|M4R 文件(*.m4r)|*.m4r|OGG 文件(*.ogg)|*.ogg");
}

QString ExportController::savedText(const QString &target, const SavedFile &saved)
{
    return tr("已保存 %1 · %2 · %3 %4")
        .arg(QFileInfo(target).fileName(), FormatTime(qint32(roundSecondsHalfEven(saved.seconds()))),
             saved.codecName(), saved.rateText());
}

QString ExportController::failedText(const QString &target, const QString &message)
{
    // The message's first line that is neither its heading nor the target says why.
    const QString heading = tr("铃声没有保存成功。");
    QString why;
    for (const QString &line : message.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.trimmed() != heading && line.trimmed() != target) {
            why = line.trimmed();
            break;
        }
    }
    static const QRegularExpression sentenceEnd(QStringLiteral("[。！？]|[.!?](\\s|$)"));
    if (const QRegularExpressionMatch end = sentenceEnd.match(why); end.hasMatch())
        why = why.left(end.capturedStart() + 1);
    const QString name = QFileInfo(target).fileName();
    if (why.isEmpty())
        return name.isEmpty() ? heading : tr("没有保存 %1。").arg(name);
    return name.isEmpty() ? why : tr("没有保存 %1：%2").arg(name, why);
}

void ExportController::cancel()
{
    if (m_exporting)
        m_objDOS1.cancel();
}

void ExportController::setJob(Job job)
{
    if (m_job == job)
        return;
    m_job = job;
    emit jobChanged(job);
}

void ExportController::save(const SetupValues &settings)
{
    if (m_exporting)
        return;
    Stretch stretch{m_selection.beginMs(), m_selection.endMs() - m_selection.beginMs()};
    if (stretch.lengthMs <= 0)
        return;

    const QString folder = saveFolder();
    const QString song = QFileInfo(m_sourcePath).completeBaseName();
    const auto chosen = m_files.askSave(
        dialogTitle(), dialogFilter(),
        (song.isEmpty() ? tr("铃声") : tr("%1 铃声").arg(song)) + QStringLiteral(".mp3"), folder);
    if (!chosen)
        return;
    QString target = chosen->trimmed();
    if (target.isEmpty())
        return;
    // A bare name saves where the dialog started, not in whatever folder the
    // program runs in.
    if (QFileInfo(target).isRelative())
        target = QDir(folder).filePath(target);
    m_txtSave = target;

    if (isProtected(target)) {
        tell(tr("不能把铃声保存到正在编辑的文件上，请换一个文件名。\n") + target);
        return;
    }

    if (PhoneLimits::asksToShorten(target, stretch.lengthMs)) {
        UserPrompt::Message question;
        question.text = tr("iPhone 只播放铃声的前 %1 秒，选中的这段有 %2 秒。\n"
                           "只保存前 %1 秒，还是保存整段？")
                            .arg(PhoneLimits::IphoneSeconds)
                            .arg(QString::number(double(stretch.lengthMs) / 1000.0));
        question.title = dialogTitle();
        question.icon = UserPrompt::Icon::Question;
        question.buttons = UserPrompt::Buttons::YesNo;
        question.yesText = tr("只保存前 %1 秒").arg(PhoneLimits::IphoneSeconds);
        question.noText = tr("保存整段");
        const UserPrompt::Answer answer = m_prompt.choose(question);
        if (answer == UserPrompt::Answer::Cancel)
            return;
        stretch.lengthMs = PhoneLimits::exportedLength(target, stretch.lengthMs,
                                                       answer == UserPrompt::Answer::Yes);
    }

    m_playback.exclusive([this] { m_playback.stopAndClose(); });

    // A loudness target sets the level itself: no peak to measure first.
    const FadeLevel fades{settings.fadeInMs, settings.fadeOutMs,
                          settings.normalise && settings.loudnessLufs == 0, settings.loudnessLufs};
    // A first look at the format, so an unknown one is told before any job.
    if (!CoderCommand::exportOptionsFor(target)) {
        tell(tr("不支持这种铃声格式，请以 .mp3、.wma、.wav、.amr、.m4r 或 .ogg 结尾。\n") +
             target);
        return;
    }

    const QString coderTarget = targetForCoder(target);
    const auto unlink = qScopeGuard([&] {
        if (!coderTarget.isEmpty() && coderTarget != target)
            QFile::remove(QFileInfo(coderTarget).path());
    });
    if (coderTarget.isEmpty()) {
        tell(tr("铃声没有保存成功。\n") + tr("文件名不是 UTF-8 编码，请换一个文件名。\n") + target);
        return;
    }

    setJob(fades.normalise ? Job::Measuring : Job::Exporting);
    emit exportPanelVisibleChanged(true);
    const int seconds = int((stretch.lengthMs + 999) / 1000);
    m_exporting = true;

    std::optional<double> gain;
    if (fades.normalise) {
        // The normaliser first measures the faded stretch's peak through the coder.
        const QString faded = CoderCommand::filterGraph(fades, stretch.lengthMs);
        if (!runJob(CoderCommand::measurePeak(m_appFolder, m_workFile, stretch, faded), seconds, true))
            return;
        const std::optional<double> peak = CoderCommand::maxVolume(m_objDOS1.Outputs());
        if (!peak) {
            m_exporting = false;
            restore();
            tell(tr("铃声没有保存成功。\n") + tr("没能测出这一段的音量。"));
            return;
        }
        gain = CoderCommand::normalisingGain(*peak);
        setJob(Job::Exporting);
    }
    const auto command = CoderCommand::exportRingtone(
        m_appFolder, m_workFile, stretch, coderTarget,
        CoderCommand::filterGraph(fades, stretch.lengthMs, gain),
        fades.loudnessLufs != 0 ? std::optional<double>(fades.loudnessLufs) : std::nullopt);
    if (!runJob(*command, seconds, false))
        return;
    m_lastSaveFolder = QFileInfo(m_txtSave).absolutePath();
    QString problem;
    if (!m_setupPath.isEmpty() &&
        !SetupFile::writeSaveFolder(m_setupPath, m_lastSaveFolder, settings, &problem) &&
        !problem.isEmpty())
        emit settingsNotSaved(problem);

    // Only a file that reads back as what was asked for counts as saved.
    const std::optional<SavedFile> back = SavedFile::fromOutput(m_objDOS1.Outputs());
    const double expected = expectedSeconds(stretch);
    if (!back) {
        tell(tr("铃声没有保存成功。\n") + tr("写出的文件读不回来。\n") + target);
        return;
    }
    if (!back->lasts(expected)) {
        tell(tr("铃声没有保存成功。\n") +
             tr("写出的文件长 %1 秒，应当是 %2 秒。\n")
                 .arg(back->seconds(), 0, 'f', 2)
                 .arg(expected, 0, 'f', 2) +
             target);
        return;
    }
    emit saved(savedText(target, *back));
    emit ended(savedText(target, *back));

    if (settings.openFolderChoice == 0)
        m_desktop.showFile(QFileInfo(m_txtSave).absoluteFilePath());
    if (settings.ringSoundChoice == 0) {
        const QString chime = QDir(m_appFolder).filePath(QStringLiteral("sound.wav"));
        if (QFileInfo(chime).isFile())
            m_playback.exclusive([this, chime] { m_playback.playChime(chime); });
    }
}

bool ExportController::runJob(const CoderCommand &command, int seconds, bool measuring)
{
    m_progress = CoderJobProgress(CoderJobProgress::Kind::Export, BarFullTwips, seconds);
    m_measuring = measuring;
    m_over = false;
    m_objDOS1.setCommand(command);
    m_objDOS1.ExecuteCommand();
    m_measuring = false;
    const bool over = m_over;
    if (!over || !m_objDOS1.succeeded() || m_objDOS1.wasCancelled()) {
        m_exporting = false;
        // A measure that ends early has not given the window back yet.
        if (!over || measuring)
            restore();
    }
    if (over && m_objDOS1.wasCancelled())
        emit ended(tr("已取消保存 %1。").arg(QFileInfo(m_txtSave).fileName()));
    if (!over || m_objDOS1.wasCancelled())
        return false;   // never started (the runner has said why), or cancelled
    if (!m_objDOS1.succeeded()) {
        QString reason = m_objDOS1.exitStatus() == QProcess::CrashExit
                             ? QString()
                             : coderReason(m_objDOS1.Outputs());
        if (reason.isEmpty())
            reason = tr("转码程序意外结束。");
        tell(CoderFailure::plainText(CoderFailure::Job::Export, reason), reason);
        return false;
    }
    if (!measuring)
        m_exporting = false;
    return true;
}

QString ExportController::saveFolder() const
{
    const auto usable = [](const QString &folder) {
        const QFileInfo info(folder);
        return !folder.isEmpty() && info.isAbsolute() && info.isDir() && info.isWritable();
    };
    // Another run may have saved since this one started: the file has the
    // latest folder.
    const QString kept = m_setupPath.isEmpty() ? QString() : SetupFile::readSaveFolder(m_setupPath);
    for (const QString &folder : {kept, m_lastSaveFolder}) {
        if (usable(folder))
            return folder;
    }
    if (!m_sourcePath.isEmpty()) {
        const QString songFolder = QFileInfo(m_sourcePath).absolutePath();
        if (usable(songFolder))
            return songFolder;
    }
    return QDir::homePath();
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
    // Between the measure and the export the window stays as it is.
    if (m_measuring)
        return;
    if (const auto bar = m_progress.finish())
        emit exportProgressChanged(bar->widthTwips, bar->text);
    if (m_objDOS1.succeeded()) {
        const auto full = m_progress.full();
        emit exportProgressChanged(full.widthTwips, full.text);
    }
    restore();
}

void ExportController::restore()
{
    emit exportPanelVisibleChanged(false);
    setJob(Job::None);
}

void ExportController::tell(const QString &text, const QString &details)
{
    emit ended(failedText(m_txtSave, text));
    UserPrompt::Message message;
    message.text = text;
    message.details = details;
    message.title = dialogTitle();
    message.icon = UserPrompt::Icon::Warning;
    m_prompt.show(message);
}

double ExportController::expectedSeconds(const Stretch &stretch) const
{
    const double begin = double(stretch.beginMs) / 1000.0;
    const double length = double(stretch.lengthMs) / 1000.0;
    QFile work(m_workFile);
    if (!work.open(QIODevice::ReadOnly))
        return length;
    const auto header = readWavHeader(work, [](const WavFormat &) { return true; });
    if (!header || header->format.blockAlign <= 0 || header->format.sampleRate == 0)
        return length;
    const double workSeconds =
        double(header->dataSize() / header->format.blockAlign) / header->format.sampleRate;
    return std::clamp(workSeconds - begin, 0.0, length);
}

QString ExportController::targetForCoder(const QString &target) const
{
    const QFileInfo info(target);
    if (info.fileName().contains(QChar::ReplacementCharacter))
        return {};
    if (!info.path().contains(QChar::ReplacementCharacter))
        return target;
    const QByteArray folder = LocalName(info.path());
    const QString link = folder.isEmpty()
                             ? QString()
                             : LinkForCoder(folder, QFileInfo(m_workFile).path() + QStringLiteral("/target"));
    // Without it, the coder says why it cannot write there.
    return link.isEmpty() ? target : link + u'/' + info.fileName();
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
