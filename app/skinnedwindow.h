#pragma once

#include <QPixmap>
#include <QPoint>
#include <QRegion>
#include <QWidget>

// A frameless window whose whole surface is one skin picture. Pixels of
// exactly the key colour are cut out of the window's shape (they neither show
// nor take the mouse); everything else is opaque. Dragging the bare surface
// moves the window: through the window manager where it allows it, otherwise
// by following the mouse.
class SkinnedWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr QRgb KeyColor = 0xFFFF00FF; // RGB(255, 0, 255)

    // When a drag of the bare surface begins.
    enum class DragStart { OnPress, OnMove };

    explicit SkinnedWindow(QWidget *parent = nullptr, Qt::WindowFlags extraFlags = {});

    // The shape comes from shapeSource at 1x when given, else from the skin.
    void setSkin(const QPixmap &skin, const QImage &shapeSource = {});
    QPixmap skin() const { return m_skin; }
    void setDragStart(DragStart start) { m_dragStart = start; }

    // The part of a picture that is not the key colour, in logical pixels.
    static QRegion shapeOf(const QPixmap &picture);
    static QRegion shapeOf(const QImage &picture);

    // Moves the window with the mouse as a press on a title bar would;
    // called for presses on the bare surface and on labels that act as it.
    void beginDrag(const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // A move over the bare surface, after any drag handling.
    virtual void bareMouseMove(QMouseEvent *) {}

private:
    QPixmap m_skin;
    DragStart m_dragStart = DragStart::OnPress;
    bool m_dragging = false;   // following the mouse ourselves
    bool m_systemMove = false; // the window manager moves us until the button goes up
    QPoint m_grabOffset;       // mouse position minus window position at the press
};
