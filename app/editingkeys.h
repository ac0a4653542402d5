#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

#include <functional>

class QWidget;
class RingtoneSession;
class SelectionUndo;
class TimeLabels;

// The keys of editing on the main window, and Qt's undo stack over the
// selection: Space plays and pauses, Ctrl+O opens, Ctrl+S saves, "[" and "]"
// set begin and end at the pointer, Left and Right nudge the handle last set
// (Shift: a second), Ctrl+Z undoes and Ctrl+Shift+Z or Ctrl+Y redoes, L
// loops the selection, Ctrl+= / Ctrl+- / Ctrl+0 zoom. Typed times on the grid
// go to the editor, and a refusal comes back as the editor's message. No key
// acts while a decode or an export runs.
class EditingKeys : public QObject
{
    Q_OBJECT
public:
    EditingKeys(RingtoneSession &session, TimeLabels &labels, QWidget *window);
    ~EditingKeys() override;

    SelectionUndo &undo() { return *m_undo; }

private:
    void bind(const QList<QKeySequence> &keys, const std::function<void()> &action);

    RingtoneSession &m_session;
    QWidget *m_window;
    SelectionUndo *m_undo = nullptr;
};
