#include "skinimage.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
// Greys a disabled button's part of the skin, the way a disabled control looks.
const QColor DisabledVeil(128, 128, 128, 140);
} // namespace

SkinImage::SkinImage(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void SkinImage::setPicture(const QPixmap &picture)
{
    if (picture.cacheKey() == m_picture.cacheKey())
        return;
    m_picture = picture;
    update();
}

void SkinImage::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull() && isEnabled())
        return;
    QPainter painter(this);
    // Pictures are made the size of their button; a stray size is fitted
    // without blending so the skin's colours stay exact.
    if (!m_picture.isNull())
        painter.drawPixmap(rect(), m_picture);
    // A command that cannot run now is dimmed over the skin's drawing.
    if (!isEnabled())
        painter.fillRect(rect(), DisabledVeil);
}

void SkinImage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

void SkinImage::mouseMoveEvent(QMouseEvent *)
{
    emit mouseMoved();
}

void SkinImage::mousePressEvent(QMouseEvent *event)
{
    m_leftDown = event->button() == Qt::LeftButton;
    emit pressed();
}

void SkinImage::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_leftDown && event->button() == Qt::LeftButton
                       && rect().contains(event->position().toPoint());
    m_leftDown = false;
    emit released();
    if (click)
        emit clicked();
}
