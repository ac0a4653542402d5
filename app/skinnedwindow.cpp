#include "skinnedwindow.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

SkinnedWindow::SkinnedWindow(QWidget *parent, Qt::WindowFlags extraFlags)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | extraFlags)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("Kesmarin"));
}

QRegion SkinnedWindow::shapeOf(const QImage &picture)
{
    return QRegion(QBitmap::fromImage(picture.convertToFormat(QImage::Format_RGB32)
                                          .createMaskFromColor(KeyColor, Qt::MaskInColor)));
}

QRegion SkinnedWindow::shapeOf(const QPixmap &picture)
{
    QImage image = picture.toImage();
    const QSize logical = (QSizeF(picture.size()) / picture.devicePixelRatio()).toSize();
    // Scale without blending, or edge pixels turn into a fringe that is
    // neither key colour nor body.
    if (image.size() != logical)
        image = image.scaled(logical, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return shapeOf(image);
}

void SkinnedWindow::setSkin(const QPixmap &skin, const QImage &shapeSource)
{
    m_skin = skin;
    const QSize logical = (QSizeF(skin.size()) / skin.devicePixelRatio()).toSize();
    setFixedSize(logical);
    setMask(shapeSource.size() == logical ? shapeOf(shapeSource) : shapeOf(skin));
    update();
}

void SkinnedWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_skin.isNull())
        painter.fillRect(rect(), palette().window());
    else
        painter.drawPixmap(0, 0, m_skin);
}

void SkinnedWindow::beginDrag(const QPoint &globalPos)
{
    m_grabOffset = globalPos - pos();
    QWindow *window = windowHandle();
    // The move ends when the button goes up; Qt may report that release
    // before the window manager is done, so the release does not end it.
    m_systemMove = window && window->startSystemMove();
    m_dragging = !m_systemMove;
}

void SkinnedWindow::mousePressEvent(QMouseEvent *event)
{
    // A release lost to the window manager's move must not block this drag.
    m_dragging = false;
    m_systemMove = false;
    if (m_dragStart == DragStart::OnPress)
        beginDrag(event->globalPosition().toPoint());
}

void SkinnedWindow::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint global = event->globalPosition().toPoint();
    if (m_dragging) {
        move(global - m_grabOffset);
    } else if (m_dragStart == DragStart::OnMove && (event->buttons() & Qt::LeftButton)
               && !m_systemMove) {
        beginDrag(global);
    }
    bareMouseMove(event);
}

void SkinnedWindow::mouseReleaseEvent(QMouseEvent *)
{
    m_dragging = false;
    m_systemMove = false;
}
