#include "markerimage.h"

#include <QMouseEvent>
#include <QPainter>

MarkerImage::MarkerImage(TimelineModel::Image image, QWidget *parent) : QWidget(parent), m_image(image)
{
    setObjectName(TimelineModel::objectName(image));
    setAttribute(Qt::WA_NoSystemBackground);
}

void MarkerImage::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

void MarkerImage::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}

void MarkerImage::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (TimelineModel::isMarker(m_image))
        emit pressed(m_image, event->position().x());
}

// While a button is held Qt sends the moves and the release to the pressed
// widget, which is the capture the drag needs.
void MarkerImage::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (TimelineModel::isMarker(m_image) && event->buttons() != Qt::NoButton)
        emit moved(m_image, event->position().x());
}

void MarkerImage::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (TimelineModel::isMarker(m_image))
        emit released(m_image, event->position().x());
}
