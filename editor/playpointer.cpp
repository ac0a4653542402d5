#include "playpointer.h"

#include "formattime.h"
#include "playbackcontroller.h"

PlayPointer::PlayPointer(TimelineModel &model, PlaybackController &controller)
    : m_model(model), m_controller(controller)
{
}

bool PlayPointer::isPointerMarker(Image image)
{
    return image == Image::imgTopPoint || image == Image::imgBottomPoint;
}

void PlayPointer::press(Image image, double X)
{
    if (!isPointerMarker(image))
        return;
    m_controller.exclusive([this, X] {
        // The poll would pull the pointer from under the mouse.
        m_controller.setPollEnabled(false);
        m_dragging = true;
        m_model.setGrabX(static_cast<int>(roundSecondsHalfEven(X)));
        m_controller.stopAndClose();
    });
}

void PlayPointer::move(Image image, double X)
{
    if (!isPointerMarker(image) || !m_dragging)
        return;
    // No limits: the pointer may leave the strip; the seek then fails quietly.
    const int L = static_cast<int>(roundSecondsHalfEven(m_model.left(Image::imgBottomPoint) + X - m_model.GrabX()));
    m_model.setLeft(Image::imgBottomPoint, L);
    m_model.setLeft(Image::imgTopPoint, L);
    m_model.setLeft(Image::imgLine, L + m_model.geometry().LineOffset());
}

void PlayPointer::release(Image image, double)
{
    if (!isPointerMarker(image))
        return;
    // Checked inside: a press that had to wait for a running operation comes
    // before its release, so the drag is never left open.
    m_controller.exclusive([this] {
        if (!m_dragging)
            return;
        m_dragging = false;
        m_controller.setPollEnabled(true);
        m_controller.openWorkFile();
        m_controller.playFromMs(m_model.timeAt(m_model.left(Image::imgBottomPoint)));
    });
}

void PlayPointer::stripPress(double X)
{
    seek(m_model.timeAt(X));
}

void PlayPointer::seek(qint64 milliSeconds)
{
    m_controller.exclusive([this, milliSeconds] {
        m_controller.stopAndClose();
        m_controller.openWorkFile();
        m_controller.playFromMs(milliSeconds);
    });
}
