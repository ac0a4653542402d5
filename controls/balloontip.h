#pragma once

#include <QColor>
#include <QPainterPath>
#include <QString>
#include <QTimer>
#include <QWidget>

// The button's own tooltip window: a balloon with a stem pointing at the
// pointer, or a plain rectangle, with an optional title and icon and the
// colours the button asks for. It belongs to the button and hides itself
// after a while or when clicked.
class BalloonTip : public QWidget
{
    Q_OBJECT

public:
    explicit BalloonTip(QWidget *owner);

    void setBalloon(bool balloon);
    bool isBalloon() const { return m_balloon; }
    // icon: 0 none, 1 information, 2 warning, 3 error.
    void setContent(const QString &title, int icon, const QString &text);
    QString title() const { return m_title; }
    QString text() const { return m_text; }
    int iconKind() const { return m_icon; }
    // Invalid colours keep the tooltip palette's own.
    void setColors(const QColor &fore, const QColor &back);
    QColor foreColor() const;
    QColor backColor() const;

    // Shows the tip with its stem (or corner) at the given screen point.
    void showAt(const QPoint &globalAnchor);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void relayout();
    QPainterPath outline() const;

    bool m_balloon = false;
    bool m_stemBelow = false;
    QString m_title;
    QString m_text;
    int m_icon = 0;
    QColor m_fore;
    QColor m_back;
    QRect m_body;
    QTimer m_hideTimer;
};
