#pragma once

#include "commandtable.h"

#include <QKeySequence>
#include <QList>
#include <QObject>

#include <array>

class QAction;
class QWidget;
class RingtoneSession;
class SelectionUndo;
class TimeLabels;

// The session's commands as Qt actions on the main window, with their keys:
// Space plays and pauses, Ctrl+O opens, Ctrl+S saves, F1 helps, "[" and "]" set begin
// and end at the pointer, Left and Right nudge the handle last set (Shift: a
// second), Ctrl+Z undoes and Ctrl+Shift+Z or Ctrl+Y redoes, L loops the
// selection, Ctrl+= / Ctrl+- / Ctrl+0 zoom. Each action is enabled exactly
// when its command is (undo and redo also need a step to take), so no key
// acts while a decode or an export runs. Typed times on the grid go to the
// editor while editing the selection is a command that can run, and a
// refusal comes back as the editor's message. Also Qt's undo stack over the
// selection.
class EditingKeys : public QObject
{
    Q_OBJECT
public:
    EditingKeys(RingtoneSession &session, TimeLabels &labels, QWidget *window);
    ~EditingKeys() override;

    SelectionUndo &undo() { return *m_undo; }
    QAction *action(Command command) const { return m_actions[size_t(command)]; }
    // Space: Pause while sound comes out, else Play.
    QAction *playPause() const { return m_playPause; }

signals:
    // A typed time was not taken, and why.
    void typedTimeRefused(const QString &why);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *bind(Command command, const QList<QKeySequence> &keys);
    void follow(Command command, bool enabled);

    RingtoneSession &m_session;
    QWidget *m_window;
    SelectionUndo *m_undo = nullptr;
    std::array<QAction *, CommandCount> m_actions{};
    QAction *m_playPause = nullptr;
};
