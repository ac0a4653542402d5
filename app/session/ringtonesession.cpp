#include "ringtonesession.h"

#include "consolerunner.h"
#include "desktopopener.h"
#include "exportcontroller.h"
#include "opencontroller.h"
#include "shelllinks.h"
#include "timelineeditor.h"
#include "userprompt.h"

#include <QTimer>

#include <algorithm>

RingtoneSession::RingtoneSession(Services services, QObject *parent)
    : QObject(parent), m_services(std::move(services)), m_work(m_services.cacheBase)
{
    if (m_services.setupPath.isEmpty())
        m_services.setupPath = SetupFile::defaultPath();

    // The load runs in this order; a step that fails leaves its defaults and
    // the next goes on.
    const SetupValues stored = SetupFile::read(m_services.setupPath);
    m_state.OpenFolderChoice = stored.openFolderChoice;
    m_state.RingSoundChoice = stored.ringSoundChoice;
    m_state.FileOpened = m_state.Dragging = m_state.Paused = False16;
    m_objDOS = new ConsoleRunner(this);
    m_objDOS->setObjectName(QStringLiteral("objDOS"));
    m_objDOS1 = new ConsoleRunner(this);
    m_objDOS1->setObjectName(QStringLiteral("objDOS1"));
    m_state.PlayingSelection = False16;
    m_state.SelBeginMs = 0;
    m_state.SelEndMs = 0;
    m_state.Fades = FadeLevel{stored.fadeInMs, stored.fadeOutMs, stored.normalise};

    // The editor's model places the begin set at 0 and the end set at the
    // strip's width as it starts.
    m_editor = std::make_unique<TimelineEditor>(m_state, *m_services.sound, m_work.workingFile(),
                                                m_services.twipsPerPixelX);
    m_open = std::make_unique<OpenController>(m_state, *m_objDOS, *m_services.files,
                                              *m_services.prompt, m_services.appFolder,
                                              m_work.workingFile());
    m_export = std::make_unique<ExportController>(
        m_state, *m_objDOS1, *m_services.files, *m_services.prompt, m_editor->controller(),
        *m_services.desktop, m_services.appFolder, m_work.workingFile());
    m_export->setSetupPath(m_services.setupPath);
    connectParts();
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
    connect(open, &OpenController::stopPlaybackRequested, this,
            [this] { transport(PlaybackController::Stop); });
    connect(open, &OpenController::timelineResetRequested, this,
            [this] { m_editor->model().resetForClose(m_state); });
    connect(open, &OpenController::stripVisibleChanged, this, [this](bool visible) {
        if (!visible)
            emit fileClosed();
    });
    connect(open, &OpenController::decoded, this, [this](const QString &workFile) {
        m_editor->controller().learnLength();
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
    connect(exporter, &ExportController::commandsEnabledChanged, this,
            &RingtoneSession::commandsEnabledChanged);
    connect(exporter, &ExportController::exportPanelVisibleChanged, this,
            &RingtoneSession::exportPanelVisibleChanged);
    connect(exporter, &ExportController::exportProgressChanged, this,
            &RingtoneSession::exportProgressChanged);
    connect(exporter, &ExportController::saved, this, &RingtoneSession::exportSaved);
    connect(exporter, &ExportController::settingsNotSaved, this,
            &RingtoneSession::settingsNotSaved);

    // The transport row's save button is the toolbar's save command.
    connect(&m_editor->controller(), &PlaybackController::saveRequested, this,
            [this] { runCommand(ToolbarCommand::Save); });
}

bool RingtoneSession::isBusy() const
{
    return m_open->isDecoding() || m_export->isExporting();
}

void RingtoneSession::runCommand(ToolbarCommand command)
{
    switch (command) {
    case ToolbarCommand::Open: open(); break;
    case ToolbarCommand::Save: save(); break;
    case ToolbarCommand::RandomCut: randomCut(); break;
    case ToolbarCommand::TellAFriend: tellAFriend(); break;
    case ToolbarCommand::Settings: emit settingsRequested(); break;
    case ToolbarCommand::Help: help(); break;
    case ToolbarCommand::Exit: emit exitRequested(); break;
    }
}

bool RingtoneSession::checkWorkingFolder()
{
    if (m_work.isValid())
        return true;
    UserPrompt::Message message;
    message.text = tr("无法创建工作文件夹: ") + m_work.errorString();
    message.icon = UserPrompt::Icon::Critical;
    m_services.prompt->show(message);
    return false;
}

void RingtoneSession::open()
{
    if (!m_state.FileOpened && !m_open->isDecoding() && !checkWorkingFolder())
        return;
    m_open->open();
    m_export->setSourcePath(m_open->sourcePath());
}

void RingtoneSession::openPath(const QString &path)
{
    if (isBusy() || !checkWorkingFolder())
        return;
    m_open->openPath(path);
    m_export->setSourcePath(m_open->sourcePath());
}

void RingtoneSession::openPath(const QByteArray &localPath)
{
    if (isBusy() || !checkWorkingFolder())
        return;
    m_open->openPath(localPath);
    m_export->setSourcePath(m_open->sourcePath());
}

void RingtoneSession::save()
{
    m_export->setSourcePath(m_open->sourcePath());
    m_export->save();
}

void RingtoneSession::cancel()
{
    m_open->cancel();
    m_export->cancel();
}

void RingtoneSession::randomCut()
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

void RingtoneSession::warn(const QString &text)
{
    m_services.prompt->show(
        {text, tr("警告"), UserPrompt::Icon::Warning, UserPrompt::Buttons::Ok});
}

void RingtoneSession::transport(int index)
{
    m_editor->imgCtrlButton_Click(index);
}

void RingtoneSession::setFades(const FadeLevel &fades)
{
    FadeLevel kept = fades;
    kept.fadeInMs = std::clamp(kept.fadeInMs, 0, FadeLevel::MaxFadeMs);
    kept.fadeOutMs = std::clamp(kept.fadeOutMs, 0, FadeLevel::MaxFadeMs);
    if (kept == m_state.Fades)
        return;
    m_state.Fades = kept;
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
    m_state.OpenFolderChoice = values.openFolderChoice;
    m_state.RingSoundChoice = values.ringSoundChoice;
    // The dialog knows the two choices only: the fades stay as they are set
    // in the main window. A file that cannot be written leaves the choices
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
