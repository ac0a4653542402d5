#pragma once

#include <QAccessible>
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
    // Shown while the image has the keyboard focus and no other picture.
    void setFocusPicture(const QPixmap &picture) { m_focusPicture = picture; }
    // What a screen reader calls it: a button unless told otherwise.
    QAccessible::Role accessibleRole() const { return m_role; }
    void setAccessibleRole(QAccessible::Role role) { m_role = role; }
    // A press from the keyboard or a screen reader: a click while enabled,
    // a refusal otherwise.
    void click();

signals:
    void mouseMoved();
    void pressed();
    void released();
    // A press and a release of the left button over the image.
    void clicked();
    // Pressed while its command cannot run.
    void refused();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPixmap m_picture;
    QPixmap m_focusPicture;
    QAccessible::Role m_role = QAccessible::Button;
    bool m_leftDown = false;
};
