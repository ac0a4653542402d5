#include "timelineeditor.h"

TimelineEditor::TimelineEditor(EditorState &state, SoundCommands &sound, const QString &workFile,
                               int twipsPerPixelX, QObject *parent)
    : QObject(parent),
      m_state(state),
      m_model(twipsPerPixelX),
      m_controller(state, m_model, sound, workFile),
      m_handles(state, m_model),
      m_pointer(state, m_model, m_controller),
      m_randomCut(state, m_model, m_handles)
{
}

void TimelineEditor::imagePress(TimelineModel::Image image, double X)
{
    if (PlayPointer::isPointerMarker(image))
        m_pointer.press(image, X);
    else
        m_handles.press(image, X);
}

void TimelineEditor::imageMove(TimelineModel::Image image, double X)
{
    if (PlayPointer::isPointerMarker(image))
        m_pointer.move(image, X);
    else
        m_handles.move(image, X);
}

void TimelineEditor::imageRelease(TimelineModel::Image image, double X)
{
    if (PlayPointer::isPointerMarker(image))
        m_pointer.release(image, X);
    else
        m_handles.release(image, X);
}

void TimelineEditor::stripPress(double X)
{
    m_pointer.stripPress(X);
}
