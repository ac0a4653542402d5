#include "editingkeys.h"

#include "ringtonesession.h"
#include "selectionundo.h"
#include "timelabels.h"
#include "timelineeditor.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

EditingKeys::EditingKeys(RingtoneSession &session, TimeLabels &labels, QWidget *window)
    : QObject(window), m_session(session), m_window(window)
{
    TimelineEditor &editor = session.editor();
    m_undo = new SelectionUndo(editor.selection(), this);

    using Handle = SelectionEditor::Handle;
    labels.setTypedTimeHandler([this](TimelineModel::Label label, const QString &text) {
        if (m_session.isBusy())
            return QString();
        const Handle handle = label == TimelineModel::Label::lblSelEnd ? Handle::End : Handle::Begin;
        return SelectionEditor::message(m_session.editor().typeTime(handle, text));
    });

    bind({QKeySequence(Qt::Key_Space)}, [this] {
        m_session.transport(m_session.editor().controller().isSounding() ? PlaybackController::Pause
                                                                         : PlaybackController::Play);
    });
    bind({QKeySequence(Qt::CTRL | Qt::Key_O)}, [this] { m_session.open(); });
    bind({QKeySequence(Qt::CTRL | Qt::Key_S)}, [this] { m_session.save(); });
    bind({QKeySequence(Qt::Key_BracketLeft)}, [this] { m_session.editor().setAtPointer(Handle::Begin); });
    bind({QKeySequence(Qt::Key_BracketRight)}, [this] { m_session.editor().setAtPointer(Handle::End); });
    bind({QKeySequence(Qt::Key_Left)}, [this] { m_session.editor().nudge(-SelectionEditor::FineStepMs); });
    bind({QKeySequence(Qt::Key_Right)}, [this] { m_session.editor().nudge(SelectionEditor::FineStepMs); });
    bind({QKeySequence(Qt::SHIFT | Qt::Key_Left)},
         [this] { m_session.editor().nudge(-SelectionEditor::CoarseStepMs); });
    bind({QKeySequence(Qt::SHIFT | Qt::Key_Right)},
         [this] { m_session.editor().nudge(SelectionEditor::CoarseStepMs); });
    bind({QKeySequence(Qt::CTRL | Qt::Key_Z)}, [this] { m_undo->stack().undo(); });
    bind({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
         [this] { m_undo->stack().redo(); });
    bind({QKeySequence(Qt::Key_L)}, [this] {
        PlaybackController &controller = m_session.editor().controller();
        controller.setLooping(!controller.isLooping());
    });
    bind({QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)},
         [this] { m_session.editor().zoom().zoomIn(); });
    bind({QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [this] { m_session.editor().zoom().zoomOut(); });
    bind({QKeySequence(Qt::CTRL | Qt::Key_0)}, [this] { m_session.editor().zoom().showWhole(); });
}

EditingKeys::~EditingKeys() = default;

void EditingKeys::bind(const QList<QKeySequence> &keys, const std::function<void()> &action)
{
    for (const QKeySequence &key : keys) {
        auto *shortcut = new QShortcut(key, m_window);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, action] {
            // The window's commands are off while a job runs.
            if (!m_session.isBusy())
                action();
        });
    }
}
