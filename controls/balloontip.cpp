#include "balloontip.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>

namespace
{
constexpr int Stem = 12; // height of the balloon's stem
constexpr int Pad = 8;   // inner margin
constexpr int IconEdge = 16;
constexpr int MaxTextWidth = 300;
constexpr int ShowMs = 10000;
} // namespace

BalloonTip::BalloonTip(QWidget *owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_hideTimer.setSingleShot(true);
    m_hideTimer.setInterval(ShowMs);
    connect(&m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
}

void BalloonTip::setBalloon(bool balloon)
{
    m_balloon = balloon;
    relayout();
}

void BalloonTip::setContent(const QString &title, int icon, const QString &text)
{
    m_title = title;
    m_icon = icon;
    m_text = text;
    relayout();
}

void BalloonTip::setColors(const QColor &fore, const QColor &back)
{
    m_fore = fore;
    m_back = back;
    update();
}

QColor BalloonTip::foreColor() const
{
    return m_fore.isValid() ? m_fore : palette().color(QPalette::ToolTipText);
}

QColor BalloonTip::backColor() const
{
    return m_back.isValid() ? m_back : palette().color(QPalette::ToolTipBase);
}

void BalloonTip::relayout()
{
    const QFontMetrics fm(font());
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics bfm(bold);
    int width = 0, height = 0;
    const bool hasTitle = !m_title.isEmpty() || m_icon != 0;
    if (hasTitle) {
        width = (m_icon ? IconEdge + 6 : 0) + bfm.horizontalAdvance(m_title);
        height = std::max(bfm.height(), m_icon ? IconEdge : 0) + 4;
    }
    const QRect textBox =
        fm.boundingRect(QRect(0, 0, MaxTextWidth, 10000), Qt::TextWordWrap, m_text);
    width = std::max(width, textBox.width());
    height += m_text.isEmpty() ? 0 : textBox.height();
    const int radius = m_balloon ? 6 : 0;
    m_body = QRect(0, 0, width + 2 * Pad + radius, height + 2 * Pad);
    const int stem = m_balloon ? Stem : 0;
    if (m_stemBelow)
        resize(m_body.width() + 1, m_body.height() + stem + 1);
    else {
        m_body.translate(0, stem);
        resize(m_body.width() + 1, m_body.height() + stem + 1);
    }
    if (m_balloon)
        setMask(QRegion(outline().toFillPolygon().toPolygon()).united(QRect()));
    else
        clearMask();
    update();
}

QPainterPath BalloonTip::outline() const
{
    QPainterPath path;
    if (!m_balloon) {
        path.addRect(m_body);
        return path;
    }
    path.addRoundedRect(QRectF(m_body), 6, 6);
    QPainterPath stem;
    const int x = std::min(20, m_body.width() / 3);
    if (m_stemBelow) {
        const int y = m_body.bottom();
        stem.moveTo(x, y - 1);
        stem.lineTo(x, y + Stem);
        stem.lineTo(x + Stem, y - 1);
    } else {
        const int y = m_body.top();
        stem.moveTo(x, y + 1);
        stem.lineTo(x, y - Stem);
        stem.lineTo(x + Stem, y + 1);
    }
    stem.closeSubpath();
    return path.united(stem);
}

void BalloonTip::showAt(const QPoint &globalAnchor)
{
    // Hang below the pointer; flip above when the screen ends first.
    const QScreen *screen = QApplication::screenAt(globalAnchor);
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
    m_stemBelow = false;
    relayout();
    const int x =
        std::min(globalAnchor.x() - std::min(20, m_body.width() / 3), avail.right() - width());
    QPoint at(std::max(avail.left(), x), globalAnchor.y() + 4);
    if (at.y() + height() > avail.bottom()) {
        m_stemBelow = true;
        relayout();
        at.setY(globalAnchor.y() - height() - 4);
    }
    move(at);
    show();
    raise();
    m_hideTimer.start();
}

void BalloonTip::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, m_balloon);
    p.setPen(QPen(foreColor(), 1));
    p.setBrush(backColor());
    p.drawPath(outline().translated(0.5, 0.5));
    p.setRenderHint(QPainter::Antialiasing, false);

    int y = m_body.top() + Pad;
    const int left = m_body.left() + Pad;
    if (!m_title.isEmpty() || m_icon != 0) {
        int x = left;
        if (m_icon != 0) {
            const QStyle::StandardPixmap which = m_icon == 1   ? QStyle::SP_MessageBoxInformation
                                                 : m_icon == 2 ? QStyle::SP_MessageBoxWarning
                                                               : QStyle::SP_MessageBoxCritical;
            style()->standardIcon(which).paint(&p, QRect(x, y, IconEdge, IconEdge));
            x += IconEdge + 6;
        }
        QFont bold = font();
        bold.setBold(true);
        p.setFont(bold);
        const QFontMetrics bfm(bold);
        const int lineHeight = std::max(bfm.height(), m_icon ? IconEdge : 0);
        p.drawText(QRect(x, y, width(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter, m_title);
        y += lineHeight + 4;
        p.setFont(font());
    }
    p.drawText(QRect(left, y, MaxTextWidth, height()),
               Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, m_text);
}

void BalloonTip::mousePressEvent(QMouseEvent *)
{
    hide();
}
