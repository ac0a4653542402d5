#include "aboutbox.h"

#include "buttoncolors.h"
#include "buttondrawing.h"
#include "styledbutton.h"

#include <QMouseEvent>
#include <QPainter>

AboutBox::AboutBox(QWidget *owner)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("About StyledButton ") + StyledButton::Version());
    resize(376, 118);
}

void AboutBox::showBox()
{
    m_pressed = false;
    show();
    raise();
}

void AboutBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette pal = palette();
    const QColor faceColor = systemColor(pal, SystemColor::ButtonFace);
    p.fillRect(rect(), faceColor);
    p.setPen(systemColor(pal, SystemColor::ButtonText));

    QFont big = StyledButton::fontWithFallbacks(QFont(QStringLiteral("Tahoma")));
    big.setPointSize(18);
    p.setFont(big);
    p.drawText(QRect(16, 12, width() - 32, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("StyledButton"));
    QFont small = big;
    small.setPointSize(10);
    p.setFont(small);
    p.drawText(QRect(16, 52, width() - 32, 20), Qt::AlignLeft | Qt::AlignVCenter,
               tr("Version ") + StyledButton::Version());

    const QRect box = closeButtonRect();
    const QColor light = ShiftColor(faceColor, 15), dark = ShiftColor(faceColor, -15);
    VerticalGradient(p, m_pressed ? dark : light, m_pressed ? light : dark, box.left(), box.top(),
                     box.left() + box.width(), box.height());
    OutlineBox(p, box.left(), box.top(), box.width(), box.height(),
               systemColor(pal, SystemColor::ButtonShadow));
    QFont caption = small;
    caption.setPointSize(8);
    caption.setUnderline(true);
    p.setFont(caption);
    p.drawText(box.translated(m_pressed ? 1 : 0, m_pressed ? 1 : 0), Qt::AlignCenter,
               tr("Close"));
}

void AboutBox::mousePressEvent(QMouseEvent *)
{
    m_pressed = true;
    update();
}

void AboutBox::mouseReleaseEvent(QMouseEvent *)
{
    m_pressed = false;
    hide();
}
