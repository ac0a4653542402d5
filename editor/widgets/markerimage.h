#pragma once

#include "timelinemodel.h"

#include <QPixmap>
#include <QWidget>

// One of the nine images on the strip. It shows its picture and hands its
// mouse events, X in pixels inside the image, to the strip; a line takes a
// press only so that it never counts as a press on the strip.
class MarkerImage : public QWidget
{
    Q_OBJECT
public:
    MarkerImage(TimelineModel::Image image, QWidget *parent = nullptr);

    TimelineModel::Image image() const { return m_image; }
    void setPicture(const QPixmap &picture);
    QPixmap picture() const { return m_picture; }

signals:
    void pressed(TimelineModel::Image image, double x);
    void moved(TimelineModel::Image image, double x);
    void released(TimelineModel::Image image, double x);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    TimelineModel::Image m_image;
    QPixmap m_picture;
};
