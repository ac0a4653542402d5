#include "skinart.h"

#include "art.h"
#include "stripart.h"

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
    const QPixmap pixmap = Art::pixmap(name);
    return pixmap.isNull() ? standIn(size, kind) : pixmap;
}

QImage shapeImage(const QString &name, const QSize &size)
{
    const QImage image = Art::image(name);
    return image.isNull() ? standIn(size, Kind::Skin).toImage() : image;
}

QCursor handCursor()
{
    const QCursor cursor = Art::cursor(QString::fromLatin1(Art::Name::CursorHand));
    return cursor.pixmap().isNull() ? QCursor(Qt::PointingHandCursor) : cursor;
}

StripArt stripArt()
{
    using Image = TimelineModel::Image;
    StripArt art = StripArt::drawn();
    const auto take = [](QPixmap &slot, const char *name) {
        const QPixmap pixmap = Art::pixmap(QString::fromLatin1(name));
        if (!pixmap.isNull())
            slot = pixmap;
    };
    take(art.strip, Art::Name::Strip);
    const auto slot = [&art](Image image) -> QPixmap & { return art.images[int(image)]; };
    take(slot(Image::imgTopPoint), Art::Name::PointerTop);
    take(slot(Image::imgLine), Art::Name::PointerLine);
    take(slot(Image::imgBottomPoint), Art::Name::PointerBottom);
    take(slot(Image::imgSelectTop1), Art::Name::BeginTop);
    take(slot(Image::imgSelectLine1), Art::Name::BeginLine);
    take(slot(Image::imgSelectBottom1), Art::Name::BeginBottom);
    take(slot(Image::imgSelectTop2), Art::Name::EndTop);
    take(slot(Image::imgSelectLine2), Art::Name::EndLine);
    take(slot(Image::imgSelectBottom2), Art::Name::EndBottom);
    const QCursor marker = Art::cursor(QString::fromLatin1(Art::Name::CursorMarker));
    if (!marker.pixmap().isNull())
        art.markerCursor = marker;
    return art;
}

} // namespace SkinArt
