#include "selectionundo.h"

#include <QCoreApplication>
#include <QUndoCommand>

namespace {

class SelectionChange : public QUndoCommand
{
public:
    SelectionChange(SelectionEditor &editor, const SelectionSnapshot &before, const SelectionSnapshot &after)
        : m_editor(editor), m_before(before), m_after(after)
    {
        setText(QCoreApplication::translate("SelectionUndo", "选区"));
    }

    void undo() override { m_editor.restore(m_before); }
    void redo() override
    {
        // The change has happened by the time it is pushed.
        if (m_done)
            m_editor.restore(m_after);
        m_done = true;
    }

private:
    SelectionEditor &m_editor;
    SelectionSnapshot m_before;
    SelectionSnapshot m_after;
    bool m_done = false;
};

} // namespace

SelectionUndo::SelectionUndo(SelectionEditor &editor, QObject *parent) : QObject(parent)
{
    connect(&editor, &SelectionEditor::edited, this,
            [this, &editor](const SelectionSnapshot &before, const SelectionSnapshot &after) {
                m_stack.push(new SelectionChange(editor, before, after));
            });
}
