#pragma once

#include <QPixmap>
#include <QWidget>

// A transparent image area laid over the skin: it shows its picture, or
// nothing so that the painted skin shows through, and reports the mouse.
class SkinImage : public QWidget
{
    Q_OBJECT
public:
    explicit SkinImage(QWidget *parent = nullptr);

    void setPicture(const QPixmap &picture);
    void clearPicture() { setPicture({}); }
    QPixmap picture() const { return m_picture; }
    bool hasPicture() const { return !m_picture.isNull(); }

signals:
    void mouseMoved();
    void pressed();
    void released();
    // A press and a release of the left button over the image.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPixmap m_picture;
    bool m_leftDown = false;
};
