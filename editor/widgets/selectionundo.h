#pragma once

#include "selectioneditor.h"

#include <QObject>
#include <QUndoStack>

// Qt's undo stack over the selection: every change the selection editor
// reports (a drag, a typed time, a nudge, an end set at the pointer, a
// random cut) becomes one command; undo and redo put back the selection as
// it was before or after. The rules and their snapshots stay in the Core
// editor, so they are tested without a display; this is the one piece that
// needs Qt Gui, where QUndoStack lives.
class SelectionUndo : public QObject
{
    Q_OBJECT
public:
    explicit SelectionUndo(SelectionEditor &editor, QObject *parent = nullptr);

    QUndoStack &stack() { return m_stack; }

private:
    QUndoStack m_stack;
};
