#pragma once

#include <QWidget>

// The button's small About window: name, version and a drawn Close button.
// A click anywhere in it hides it.
class AboutBox : public QWidget
{
    Q_OBJECT

public:
    explicit AboutBox(QWidget *owner);
    void showBox();
    bool isClosePressed() const { return m_pressed; }
    static QRect closeButtonRect() { return {290, 80, 70, 26}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};
