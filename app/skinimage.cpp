#include "skinimage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
// Greys a disabled button's part of the skin, the way a disabled control looks.
const QColor DisabledVeil(128, 128, 128, 140);
bool isPressKey(const QKeyEvent *event)
{
    const int key = event->key();
    return (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier
           && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter);
}
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

void SkinImage::click()
{
    if (isEnabled())
        emit clicked();
    else
        emit refused();
}

void SkinImage::paintEvent(QPaintEvent *)
{
    const bool focused = hasFocus();
    if (m_picture.isNull() && isEnabled() && !focused)
        return;
    QPainter painter(this);
    // Pictures are made the size of their button; a stray size is fitted
    // without blending so the skin's colours stay exact.
    const QPixmap &shown = m_picture.isNull() && focused ? m_focusPicture : m_picture;
    if (!shown.isNull())
        painter.drawPixmap(rect(), shown);
    if (focused) {
        // Dotted in both dark and light, so it shows on any part of the skin.
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
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

bool SkinImage::event(QEvent *event)
{
    // Space and Return press the focused image rather than the window's keys.
    if (event->type() == QEvent::ShortcutOverride && isPressKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void SkinImage::keyPressEvent(QKeyEvent *event)
{
    if (!isPressKey(event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat())
        click();
    event->accept();
}

void SkinImage::focusInEvent(QFocusEvent *event)
{
    update();
    QWidget::focusInEvent(event);
}

void SkinImage::focusOutEvent(QFocusEvent *event)
{
    update();
    QWidget::focusOutEvent(event);
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
