#include "editingkeys.h"

#include "ringtonesession.h"
#include "selectionundo.h"
#include "timelabels.h"
#include "timelineeditor.h"

#include <QAction>
#include <QKeyEvent>
#include <QWidget>

EditingKeys::EditingKeys(RingtoneSession &session, TimeLabels &labels, QWidget *window)
    : QObject(window), m_session(session), m_window(window)
{
    TimelineEditor &editor = session.editor();
    CommandTable &commands = session.commands();
    m_undo = new SelectionUndo(editor.selection(), this);
    commands.setHandler(Command::Undo, [this] { m_undo->stack().undo(); });
    commands.setHandler(Command::Redo, [this] { m_undo->stack().redo(); });
    // A closed file leaves no step to go back to.
    connect(&editor.selectionState(), &Selection::cleared, &m_undo->stack(), &QUndoStack::clear);

    using Handle = SelectionEditor::Handle;
    labels.setEditable(commands.isEnabled(Command::EditSelection));
    labels.setTypedTimeHandler([this](TimelineModel::Label label, const QString &text) {
        if (!m_session.commands().isEnabled(Command::EditSelection))
            return QString();
        const Handle handle = label == TimelineModel::Label::lblSelEnd ? Handle::End : Handle::Begin;
        const QString why = SelectionEditor::message(m_session.editor().typeTime(handle, text));
        if (!why.isEmpty())
            emit typedTimeRefused(why);
        return why;
    });

    for (int i = 0; i < CommandCount; ++i)
        bind(Command(i), {});
    bind(Command::Open, {QKeySequence(Qt::CTRL | Qt::Key_O)});
    bind(Command::Save, {QKeySequence(Qt::CTRL | Qt::Key_S)});
    bind(Command::Help, {QKeySequence(Qt::Key_F1)});
    bind(Command::SetBegin, {QKeySequence(Qt::Key_BracketLeft)});
    bind(Command::SetEnd, {QKeySequence(Qt::Key_BracketRight)});
    bind(Command::NudgeBack, {QKeySequence(Qt::Key_Left)});
    bind(Command::NudgeForward, {QKeySequence(Qt::Key_Right)});
    bind(Command::NudgeBackSecond, {QKeySequence(Qt::SHIFT | Qt::Key_Left)});
    bind(Command::NudgeForwardSecond, {QKeySequence(Qt::SHIFT | Qt::Key_Right)});
    bind(Command::Undo, {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    bind(Command::Redo, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    bind(Command::Loop, {QKeySequence(Qt::Key_L)});
    bind(Command::BestPart, {QKeySequence(Qt::Key_B)});
    bind(Command::ZoomIn, {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    bind(Command::ZoomOut, {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    bind(Command::ZoomWhole, {QKeySequence(Qt::CTRL | Qt::Key_0)});

    m_playPause = new QAction(QStringLiteral("PlayPause"), m_window);
    m_playPause->setShortcut(QKeySequence(Qt::Key_Space));
    m_playPause->setShortcutContext(Qt::WindowShortcut);
    m_playPause->setEnabled(commands.isEnabled(Command::Play));
    m_window->addAction(m_playPause);
    connect(m_playPause, &QAction::triggered, this, [this] {
        m_session.trigger(m_session.editor().controller().isSounding() ? Command::Pause : Command::Play);
    });

    // A disabled action's key still reaches the window: the session then
    // says why the command is off.
    m_window->installEventFilter(this);
    connect(&commands, &CommandTable::enabledChanged, this, &EditingKeys::follow);
    connect(&m_undo->stack(), &QUndoStack::canUndoChanged, this,
            [this] { follow(Command::Undo, m_session.commands().isEnabled(Command::Undo)); });
    connect(&m_undo->stack(), &QUndoStack::canRedoChanged, this,
            [this] { follow(Command::Redo, m_session.commands().isEnabled(Command::Redo)); });
    follow(Command::Undo, commands.isEnabled(Command::Undo));
    follow(Command::Redo, commands.isEnabled(Command::Redo));
}

EditingKeys::~EditingKeys() = default;

bool EditingKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::KeyPress) {
        const QKeySequence key(static_cast<QKeyEvent *>(event)->keyCombination());
        for (int i = 0; i < CommandCount; ++i) {
            const QAction *action = m_actions[size_t(i)];
            if (action && !action->isEnabled() && action->shortcuts().contains(key)) {
                m_session.trigger(Command(i));
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

QAction *EditingKeys::bind(Command command, const QList<QKeySequence> &keys)
{
    QAction *&action = m_actions[size_t(command)];
    if (!action) {
        action = new QAction(CommandTable::name(command), m_window);
        action->setObjectName(QStringLiteral("action") + CommandTable::name(command));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setEnabled(m_session.commands().isEnabled(command));
        m_window->addAction(action);
        connect(action, &QAction::triggered, this, [this, command] { m_session.trigger(command); });
    }
    if (!keys.isEmpty())
        action->setShortcuts(keys);
    return action;
}

void EditingKeys::follow(Command command, bool enabled)
{
    if (command == Command::Undo)
        enabled = enabled && m_undo->stack().canUndo();
    else if (command == Command::Redo)
        enabled = enabled && m_undo->stack().canRedo();
    m_actions[size_t(command)]->setEnabled(enabled);
    if (command == Command::Play)
        m_playPause->setEnabled(enabled);
}
