#include "stripart.h"

#include <QPainter>
#include <QPolygon>

QPixmap StripArt::drawnMarker(bool pointsDown, const QColor &colour)
{
    QImage image(MarkerSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    // A 13-pixel wide arrow whose tip sits on the line at column 6.
    const QPolygon arrow = pointsDown ? QPolygon({QPoint(0, 0), QPoint(13, 0), QPoint(13, 2), QPoint(7, 8),
                                                  QPoint(6, 8), QPoint(0, 2)})
                                      : QPolygon({QPoint(0, 8), QPoint(13, 8), QPoint(13, 6), QPoint(7, 0),
                                                  QPoint(6, 0), QPoint(0, 6)});
    p.drawPolygon(arrow);
    return QPixmap::fromImage(image);
}

QPixmap StripArt::drawnLine(const QColor &colour)
{
    QPixmap line(LineSize);
    line.fill(colour);
    return line;
}

QPixmap StripArt::drawnStrip()
{
    QImage image(StripSize, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient fill(0, 0, 0, StripSize.height());
    fill.setColorAt(0.0, QColor(246, 250, 252));
    fill.setColorAt(1.0, QColor(226, 236, 242));
    p.fillRect(image.rect(), fill);
    p.setPen(QColor(190, 208, 218));
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    // The audio band between the markers, with its centre line.
    p.fillRect(QRect(6, 58, 729, 284), QColor(236, 243, 247));
    p.setPen(QColor(170, 196, 210));
    p.drawLine(6, 200, 734, 200);
    return QPixmap::fromImage(image);
}

QCursor StripArt::drawnCursor()
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    // A slim double arrow under a stem: the hot spot is the stem's top.
    p.setPen(QPen(Qt::white, 3));
    p.drawLine(6, 0, 6, 16);
    p.drawLine(0, 12, 12, 12);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(6, 0, 6, 16);
    p.drawLine(1, 12, 11, 12);
    p.drawLine(1, 12, 3, 10);
    p.drawLine(1, 12, 3, 14);
    p.drawLine(11, 12, 9, 10);
    p.drawLine(11, 12, 9, 14);
    p.end();
    return QCursor(QPixmap::fromImage(image), CursorHotSpot.x(), CursorHotSpot.y());
}

StripArt StripArt::drawn()
{
    using Image = TimelineModel::Image;
    StripArt art;
    art.strip = drawnStrip();
    for (int i = 0; i < TimelineModel::ImageCount; ++i) {
        const auto image = static_cast<Image>(i);
        const QColor colour = TimelineModel::setOf(image) == TimelineModel::MarkerSet::Pointer
            ? pointerColour() : handleColour();
        if (!TimelineModel::isMarker(image))
            art.images[i] = drawnLine(colour);
        else
            art.images[i] = drawnMarker(image == Image::imgTopPoint || image == Image::imgSelectTop1
                                            || image == Image::imgSelectTop2,
                                        colour);
    }
    art.markerCursor = drawnCursor();
    return art;
}
