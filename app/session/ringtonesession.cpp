#include "ringtonesession.h"

#include "bestpartfinder.h"
#include "consolerunner.h"
#include "formattime.h"
#include "desktopopener.h"
#include "exportcontroller.h"
#include "opencontroller.h"
#include "opentrace.h"
#include "selectioneditor.h"
#include "shelllinks.h"
#include "timelineeditor.h"
#include "userprompt.h"

#include <QTimer>

#include <algorithm>
#include <utility>

RingtoneSession::RingtoneSession(Services services, QObject *parent)
    : QObject(parent), m_services(std::move(services)), m_work(m_services.cacheBase)
{
    if (m_services.setupPath.isEmpty())
        m_services.setupPath = SetupFile::defaultPath();

    // The load runs in this order; a step that fails leaves its defaults and
    // the next goes on.
    m_settings = SetupFile::read(m_services.setupPath);
    m_objDOS = new ConsoleRunner(this);
    m_objDOS->setObjectName(QStringLiteral("objDOS"));
    m_objDOS1 = new ConsoleRunner(this);
    m_objDOS1->setObjectName(QStringLiteral("objDOS1"));

    // The editor's model places the begin set at 0 and the end set at the
    // strip's width as it starts.
    m_editor = std::make_unique<TimelineEditor>(*m_services.sound, m_work.workingFile(),
                                                m_services.twipsPerPixelX);
    m_editor->controller().setPreviewFades(fades());
    m_open = std::make_unique<OpenController>(*m_objDOS, *m_services.files,
                                              *m_services.prompt, m_services.appFolder,
                                              m_work.workingFile());
    m_export = std::make_unique<ExportController>(
        m_editor->selectionState(), *m_objDOS1, *m_services.files, *m_services.prompt, m_editor->controller(),
        *m_services.desktop, m_services.appFolder, m_work.workingFile());
    m_export->setSetupPath(m_services.setupPath);
    m_bestPart = new BestPartFinder(this);
    connectParts();
    installCommands();
    updateConditions();
    // Told once the window is up, not from inside its making. Without the
    // folder every decode would fail and seem to blame the song.
    QTimer::singleShot(0, this, &RingtoneSession::checkWorkingFolder);
}

RingtoneSession::~RingtoneSession()
{
    m_export.reset();
    m_open.reset();
    m_editor.reset();
    if (!m_shutDown)
        m_work.remove();
}

void RingtoneSession::connectParts()
{
    // A job that cannot start is the one failure the runner itself names.
    for (ConsoleRunner *runner : {m_objDOS, m_objDOS1}) {
        connect(runner, &ConsoleRunner::StartFailed, this, [this](const QString &reason) {
            UserPrompt::Message message;
            message.text = reason;
            message.icon = UserPrompt::Icon::Critical;
            m_services.prompt->show(message);
        });
    }

    OpenController *open = m_open.get();
    connect(open, &OpenController::stopPlaybackRequested, &m_editor->controller(),
            &PlaybackController::stop);
    connect(open, &OpenController::timelineResetRequested, m_editor.get(), &TimelineEditor::closeFile);
    connect(open, &OpenController::decodingChanged, this, &RingtoneSession::updateConditions);
    connect(open, &OpenController::fileOpenChanged, this, &RingtoneSession::updateConditions);
    connect(open, &OpenController::stripVisibleChanged, this, [this](bool visible) {
        if (visible)
            return;
        m_shownGrowing = false;
        emit fileClosed();
    });
    connect(open, &OpenController::decodeStarted, m_editor.get(), &TimelineEditor::decodeStarted);
    connect(open, &OpenController::decodedStretch, m_editor.get(), &TimelineEditor::decodedStretch);
    connect(open, &OpenController::decodeWithdrawn, m_editor.get(), &TimelineEditor::decodeWithdrawn);
    connect(open, &OpenController::decodeComplete, m_editor.get(), &TimelineEditor::decodeComplete);
    connect(m_editor.get(), &TimelineEditor::decodedMapChanged, this, &RingtoneSession::updateConditions);
    connect(open, &OpenController::decodeStarted, this, [this] {
        // The song is there to play and select while the rest decodes.
        setStatusText({});
        m_shownGrowing = true;
        emit fileOpened({});
    });
    connect(open, &OpenController::decoded, this, [this](const QString &workFile) {
        OpenTrace::mark("decoded");
        // What was said while it decoded (a Save's end) stays.
        const bool shown = std::exchange(m_shownGrowing, false);
        if (!shown)
            setStatusText({});
        m_editor->controller().learnLength();
        // Shown while it decoded: the strip has the exact peaks of every
        // piece, read as it came; a sampled read of hours now would hold the
        // window and show less.
        if (shown && m_editor->holdsPeaks())
            return;
        PeakExtractor extractor(workFile);
        emit fileOpened(extractor.open() ? extractor.extract(m_services.peakColumns)
                                         : QList<Peak>());
    });
    connect(open, &OpenController::fileNameChanged, this, &RingtoneSession::fileNameChanged);
    connect(open, &OpenController::decodePanelVisibleChanged, this,
            &RingtoneSession::decodePanelVisibleChanged);
    connect(open, &OpenController::decodeProgressChanged, this,
            &RingtoneSession::decodeProgressChanged);

    ExportController *exporter = m_export.get();
    connect(exporter, &ExportController::jobChanged, this, &RingtoneSession::updateConditions);
    connect(&m_editor->selectionState(), &Selection::changed, this, &RingtoneSession::updateConditions);
    connect(exporter, &ExportController::exportPanelVisibleChanged, this,
            &RingtoneSession::exportPanelVisibleChanged);
    connect(exporter, &ExportController::exportProgressChanged, this,
            &RingtoneSession::exportProgressChanged);
    connect(exporter, &ExportController::saved, this, &RingtoneSession::exportSaved);
    connect(exporter, &ExportController::ended, this, &RingtoneSession::setStatusText);
    connect(exporter, &ExportController::settingsNotSaved, this,
            &RingtoneSession::settingsNotSaved);
    connect(m_bestPart, &BestPartFinder::found, this, &RingtoneSession::selectSuggestion);
    connect(m_bestPart, &BestPartFinder::failed, this,
            [this] { emit bestPartTold(tr("无法分析这首歌曲")); });
    // What the best part chose is told in the status line like a job's end.
    connect(this, &RingtoneSession::bestPartTold, this, &RingtoneSession::setStatusText);
}

void RingtoneSession::installCommands()
{
    TimelineEditor &editor = *m_editor;
    PlaybackController &controller = editor.controller();
    const auto on = [this](Command command, std::function<void()> handler) {
        m_commands.setHandler(command, std::move(handler));
    };
    on(Command::Open, [this] { doOpen(); });
    on(Command::Save, [this] { doSave(); });
    on(Command::RandomCut, [this] { doRandomCut(); });
    on(Command::BestPart, [this] { m_bestPart->ask(m_work.workingFile()); });
    on(Command::TellAFriend, [this] { tellAFriend(); });
    on(Command::Settings, [this] { emit settingsRequested(); });
    on(Command::Help, [this] { help(); });
    on(Command::About, [this] { emit aboutRequested(); });
    on(Command::Feedback, [this] { feedback(); });
    on(Command::Exit, [this] { emit exitRequested(); });
    on(Command::Play, [&controller] { controller.play(); });
    on(Command::Stop, [&controller] { controller.stop(); });
    on(Command::Pause, [&controller] { controller.pause(); });
    on(Command::SetBegin, [&editor] { editor.setAtPointer(SelectionEditor::Handle::Begin); });
    on(Command::SetEnd, [&editor] { editor.setAtPointer(SelectionEditor::Handle::End); });
    on(Command::PlaySelection, [&controller] { controller.playSelection(); });
    on(Command::Loop, [&controller] { controller.setLooping(!controller.isLooping()); });
    on(Command::ZoomIn, [&editor] { editor.zoom().zoomIn(); });
    on(Command::ZoomOut, [&editor] { editor.zoom().zoomOut(); });
    on(Command::ZoomWhole, [&editor] { editor.zoom().showWhole(); });
    on(Command::NudgeBack, [&editor] { editor.nudge(-SelectionEditor::FineStepMs); });
    on(Command::NudgeForward, [&editor] { editor.nudge(SelectionEditor::FineStepMs); });
    on(Command::NudgeBackSecond, [&editor] { editor.nudge(-SelectionEditor::CoarseStepMs); });
    on(Command::NudgeForwardSecond, [&editor] { editor.nudge(SelectionEditor::CoarseStepMs); });
}

void RingtoneSession::updateConditions()
{
    using Job = CommandConditions::Job;
    CommandConditions c;
    // A Save of a decoded stretch runs inside the decode: while it does, it
    // is the job that rules.
    if (m_export->job() == ExportController::Job::Measuring)
        c.job = Job::Measuring;
    else if (m_export->job() == ExportController::Job::Exporting)
        c.job = Job::Exporting;
    else if (m_open->isDecoding())
        c.job = Job::Decoding;
    c.fileOpen = m_open->hasFile();
    const Selection &selection = m_editor->selectionState();
    c.selectionValid = selection.isValid();
    c.selectionDecoded = !c.selectionValid ||
                         m_editor->isDecoded(selection.beginMs(), selection.endMs());
    c.cutRoomDecoded = !m_editor->isGrowing() || m_editor->hasCutRoomDecoded();
    m_commands.setConditions(c);
}

bool RingtoneSession::trigger(Command command)
{
    if (m_commands.trigger(command))
        return true;
    if (const QString why = refusalText(command); !why.isEmpty())
        setStatusText(why);
    return false;
}

QString RingtoneSession::refusalText(Command command) const
{
    switch (m_commands.refusal(command)) {
    case CommandTable::Refusal::NoFile:
        return SelectionEditor::message(SelectionEditor::Outcome::NoSong);
    case CommandTable::Refusal::NoSelection:
        if (m_editor->selectionState().endMs() > 0)
            return SelectionEditor::message(SelectionEditor::Outcome::BeginAfterEnd);
        return tr("请先设定结束时间。");
    case CommandTable::Refusal::Undecoded:
        if (command == Command::RandomCut)
            return tr("已解码的部分还不到5秒，请稍候。");
        return tr("所选片段还没有解码，请稍候。");
    case CommandTable::Refusal::None:
    case CommandTable::Refusal::Busy:
        break;
    }
    return {};
}

void RingtoneSession::setStatusText(const QString &text)
{
    if (m_statusText == text)
        return;
    m_statusText = text;
    emit statusTextChanged(text);
}

bool RingtoneSession::hasFile() const
{
    return m_open->hasFile();
}

bool RingtoneSession::isBusy() const
{
    return m_open->isDecoding() || m_export->isExporting();
}

Command RingtoneSession::toolbarCommand(ToolbarCommand command)
{
    switch (command) {
    case ToolbarCommand::Open: return Command::Open;
    case ToolbarCommand::Save: return Command::Save;
    case ToolbarCommand::RandomCut: return Command::RandomCut;
    case ToolbarCommand::TellAFriend: return Command::TellAFriend;
    case ToolbarCommand::Settings: return Command::Settings;
    case ToolbarCommand::Help: return Command::Help;
    case ToolbarCommand::Exit: return Command::Exit;
    }
    return Command::Help;
}

void RingtoneSession::runCommand(ToolbarCommand command)
{
    trigger(toolbarCommand(command));
}

bool RingtoneSession::checkWorkingFolder()
{
    if (m_work.isValid())
        return true;
    UserPrompt::Message message;
    message.text = tr("无法创建工作文件夹：") + m_work.errorString();
    message.icon = UserPrompt::Icon::Critical;
    m_services.prompt->show(message);
    return false;
}

void RingtoneSession::open()
{
    trigger(Command::Open);
}

void RingtoneSession::save()
{
    trigger(Command::Save);
}

void RingtoneSession::randomCut()
{
    trigger(Command::RandomCut);
}

void RingtoneSession::doOpen()
{
    // A decode runs its own event loop: never inside a transport
    // operation's, where every poll tick would be dropped until it ends.
    m_editor->controller().whenIdle([this] {
        // What waited may no longer run.
        if (!m_commands.isEnabled(Command::Open))
            return;
        // With a song open the controller first asks to close it.
        if (!m_open->hasFile() && !checkWorkingFolder())
            return;
        m_open->open();
        m_export->setSourcePath(m_open->sourcePath());
    });
}

template <typename Path>
void RingtoneSession::openGiven(const Path &path)
{
    if (!m_commands.isEnabled(Command::Open) || !checkWorkingFolder())
        return;
    m_editor->controller().whenIdle([this, path] {
        if (!m_commands.isEnabled(Command::Open))
            return;
        m_open->openPath(path);
        m_export->setSourcePath(m_open->sourcePath());
    });
}

void RingtoneSession::openPath(const QString &path)
{
    openGiven(path);
}

void RingtoneSession::openPath(const QByteArray &localPath)
{
    openGiven(localPath);
}

void RingtoneSession::doSave()
{
    m_editor->controller().whenIdle([this] {
        if (!m_commands.isEnabled(Command::Save))
            return;
        m_export->setSourcePath(m_open->sourcePath());
        m_export->save(m_settings);
    });
}

void RingtoneSession::cancel()
{
    // A Save that runs inside a decode is the job Escape and Cancel mean.
    if (m_export->isExporting()) {
        m_export->cancel();
        return;
    }
    m_open->cancel();
}

void RingtoneSession::doRandomCut()
{
    // The cut moves the handles the poll also moves: it waits its turn.
    m_editor->controller().exclusive([this] {
        switch (m_editor->runRandomCut()) {
        case RandomCut::Outcome::Chosen: break;
        case RandomCut::Outcome::NotPlayed: warn(tr("请先播放音乐")); break;
        case RandomCut::Outcome::NoneLonger: warn(tr("未能找到长于5秒的片段")); break;
        }
    });
}

void RingtoneSession::bestPart()
{
    trigger(Command::BestPart);
}

void RingtoneSession::selectSuggestion(const Suggestion &suggestion, int rank, int count)
{
    // The analysis ran while the user went on: the song may be closed or a
    // job may have started since.
    if (!m_commands.isEnabled(Command::BestPart))
        return;
    m_editor->controller().exclusive([this, suggestion, rank, count] {
        if (!m_commands.isEnabled(Command::BestPart))
            return;
        if (m_editor->selectStretch(suggestion.beginMs, suggestion.endMs) !=
            SelectionEditor::Outcome::Done)
            return;
        const QString stretch = formatTimeMs(suggestion.beginMs) + QStringLiteral(" - ") +
                                formatTimeMs(suggestion.endMs);
        emit bestPartTold(suggestion.repeated
                              ? tr("推荐片段 %1/%2：%3").arg(rank).arg(count).arg(stretch)
                              : tr("歌曲中没有重复的段落，选了最热闹的一段：%1").arg(stretch));
    });
}

void RingtoneSession::warn(const QString &text)
{
    m_services.prompt->show(
        {text, tr("警告"), UserPrompt::Icon::Warning, UserPrompt::Buttons::Ok});
}

Command RingtoneSession::transportCommand(int index)
{
    static constexpr Command row[] = {Command::Play, Command::Stop, Command::Pause, Command::SetBegin,
                                      Command::SetEnd, Command::PlaySelection, Command::Save};
    return row[std::clamp(index, 0, int(std::size(row)) - 1)];
}

void RingtoneSession::transport(int index)
{
    if (index >= 0 && index <= PlaybackController::Save)
        trigger(transportCommand(index));
}

void RingtoneSession::setFades(const FadeLevel &wanted)
{
    if (!m_commands.isEnabled(Command::Fades))
        return;
    FadeLevel kept = wanted;
    kept.loudnessLufs = m_settings.loudnessLufs; // the settings dialog's
    kept.fadeInMs = std::clamp(kept.fadeInMs, 0, FadeLevel::MaxFadeMs);
    kept.fadeOutMs = std::clamp(kept.fadeOutMs, 0, FadeLevel::MaxFadeMs);
    if (kept == this->fades())
        return;
    m_settings.fadeInMs = kept.fadeInMs;
    m_settings.fadeOutMs = kept.fadeOutMs;
    m_settings.normalise = kept.normalise;
    m_settings.loudnessLufs = kept.loudnessLufs;
    m_editor->controller().setPreviewFades(kept);
    storeSettings();
    emit fadesChanged(kept);
}

void RingtoneSession::dispatchWord(const QString &word)
{
    m_dispatcher.dispatch(word);
}

void RingtoneSession::tellAFriend()
{
    m_services.desktop->openUrl(ShellLinks::tellAFriendUrl());
}

void RingtoneSession::help()
{
    m_services.desktop->openUrl(ShellLinks::helpUrl(m_services.appFolder));
}

void RingtoneSession::feedback()
{
    m_services.desktop->openUrl(ShellLinks::feedbackUrl());
}

void RingtoneSession::applySettings(const SetupValues &values)
{
    m_settings.openFolderChoice = values.openFolderChoice;
    m_settings.ringSoundChoice = values.ringSoundChoice;
    m_settings.loudnessLufs = values.loudnessLufs;
    // The dialog knows the two choices and the loudness target only: the
    // fades stay as they are set in the main window. A file that cannot be written leaves the choices
    // changed for this run, and the user is told.
    storeSettings();
}

void RingtoneSession::storeSettings()
{
    QString problem;
    if (SetupFile::write(m_services.setupPath, settings(), &problem))
        m_settingsFailureTold = false;
    else
        settingsNotSaved(problem);
}

void RingtoneSession::settingsNotSaved(const QString &problem)
{
    // Every change of a fade writes the file: one message is enough until
    // the file can be written again.
    if (m_settingsFailureTold || problem.isEmpty())
        return;
    m_settingsFailureTold = true;
    warn(problem);
}

void RingtoneSession::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    // A coder job still running would write after the program has gone.
    m_objDOS->cancel();
    m_objDOS1->cancel();
    m_editor->controller().Timer2().stop();
    m_editor->controller().stopAndClose();
    m_work.remove();
}
