#include "skinart.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>

namespace SkinArt {

namespace {
QPixmap standIn(const QSize &size, Kind kind)
{
    QPixmap pixmap(size);
    switch (kind) {
    case Kind::Skin: {
        pixmap.fill(QColor(255, 0, 255));
        QPainter painter(&pixmap);
        // Rounded corners cut hard, without blended edges against the key.
        QPainterPath body;
        body.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), 8, 8);
        painter.fillPath(body, QColor(236, 242, 245));
        painter.setClipPath(body);
        painter.fillRect(0, 0, size.width(), 30, QColor(11, 77, 109));
        break;
    }
    case Kind::Highlight:
        pixmap.fill(QColor(255, 255, 255, 90));
        break;
    case Kind::Pressed:
        pixmap.fill(QColor(11, 77, 109, 70));
        break;
    case Kind::Plain:
        pixmap.fill(QColor(11, 77, 109));
        break;
    }
    return pixmap;
}
} // namespace

QPixmap picture(const QString &name, const QSize &size, Kind kind)
{
    const QString path = QStringLiteral(":/art/%1.png").arg(name);
    if (QFile::exists(path)) {
        QPixmap pixmap(path);
        if (!pixmap.isNull())
            return pixmap;
    }
    return standIn(size, kind);
}

QCursor handCursor()
{
    return QCursor(Qt::PointingHandCursor);
}

} // namespace SkinArt
