// Lays every built picture out on one contact sheet, the lit and pressed
// pictures placed on the skin at their spots, so the whole set can be judged
// at a glance.
//
//   kesartsheet <out.png> [scale]     (scale 1 or 2; 2 shows the @2x pictures)

#include "art.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

QImage picture(const QString &name, int scale)
{
    return QImage(QStringLiteral(":/art/") + name +
                  (scale == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png")));
}

// The skin with a family of pictures laid on their spots.
QImage skinWith(const QStringList &names, int scale)
{
    QImage skin = picture(QStringLiteral("main"), scale).convertToFormat(QImage::Format_RGB32);
    QPainter p(&skin);
    for (const QString &name : names) {
        const QRect spot = Art::spot(name);
        p.drawImage(spot.topLeft() * scale, picture(name, scale));
    }
    return skin;
}

QStringList litNames()
{
    QStringList names;
    for (int i : {0, 1, 2, 4, 5, 6, 7})
        names << Art::buttonLight(i);
    for (int i = 0; i < 4; ++i)
        names << Art::menuLight(i);
    for (int i = 0; i < 7; ++i)
        names << Art::ctrlLight(i);
    names << QStringLiteral("min-light") << QStringLiteral("exit-light")
          << QStringLiteral("open-light");
    return names;
}

QStringList pressedNames()
{
    QStringList names;
    for (int i = 0; i < 7; ++i)
        names << Art::ctrlPress(i);
    return names;
}

// The skin during a decode and an export: both progress panels on their spots
// (the decode panel at 132, 400 with its bar at 90, 13; the export panel at
// 310, 538), bars part-way.
QImage skinBusy(int scale)
{
    QImage skin = picture(QStringLiteral("main"), scale).convertToFormat(QImage::Format_RGB32);
    QPainter p(&skin);
    p.drawImage(QPoint(133, 400) * scale, picture(QStringLiteral("decode-panel"), scale));
    p.drawImage(QRect(QPoint(133 + 90, 400 + 13) * scale, QSize(150, 13) * scale),
                picture(QStringLiteral("decode-bar"), scale));
    p.drawImage(QPoint(310, 538) * scale, picture(QStringLiteral("export-panel"), scale));
    p.drawImage(QRect(QPoint(310, 538) * scale, QSize(200, 15) * scale),
                picture(QStringLiteral("export-bar"), scale));
    return skin;
}

QImage stripWithMarkers(int scale)
{
    QImage strip = picture(QStringLiteral("strip"), scale).convertToFormat(QImage::Format_RGB32);
    QPainter p(&strip);
    const struct {
        const char *set;
        int left;
    } sets[] = {{"end", 560}, {"begin", 180}, {"pointer", 320}};
    for (const auto &s : sets) {
        const QString set = QString::fromLatin1(s.set);
        p.drawImage(QPoint(s.left, 52) * scale, picture(set + QStringLiteral("-top"), scale));
        p.drawImage(QPoint(s.left + 6, 58) * scale, picture(set + QStringLiteral("-line"), scale));
        p.drawImage(QPoint(s.left, 342) * scale, picture(set + QStringLiteral("-bottom"), scale));
    }
    p.setPen(QColor(71, 99, 113));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11 * scale);
    p.setFont(f);
    p.drawText(QPoint(5, 331) * scale, QStringLiteral("Start"));
    p.drawText(QPoint(718, 331) * scale, QStringLiteral("End"));
    return strip;
}

QImage progressPanels(int scale)
{
    QImage decode = picture(QStringLiteral("decode-panel"), scale);
    QImage out(QSize(462, 37 + 8 + 15) * scale, QImage::Format_RGB32);
    out.fill(QColor(226, 236, 241));
    QPainter p(&out);
    p.drawImage(0, 0, decode);
    p.drawImage(QRect(QPoint(90, 13) * scale, QSize(220, 13) * scale),
                picture(QStringLiteral("decode-bar"), scale));
    p.drawImage(QPoint(0, 45) * scale, picture(QStringLiteral("export-panel"), scale));
    p.drawImage(QRect(QPoint(0, 45) * scale, QSize(160, 15) * scale),
                picture(QStringLiteral("export-bar"), scale));
    return out;
}

// Small pictures shown four times enlarged on a checkerboard, so their edges
// and transparency are plain to see.
QImage smallOnes()
{
    const QStringList names{QStringLiteral("icon-ok"),      QStringLiteral("icon-back"),
                            QStringLiteral("cursor-hand"),  QStringLiteral("cursor-marker"),
                            QStringLiteral("pointer-top"),  QStringLiteral("pointer-bottom"),
                            QStringLiteral("begin-top"),    QStringLiteral("begin-bottom"),
                            QStringLiteral("end-top"),      QStringLiteral("end-bottom"),
                            QStringLiteral("appicon-16"),   QStringLiteral("appicon-24"),
                            QStringLiteral("appicon-32"),   QStringLiteral("appicon-48")};
    const int cell = 4 * 48 + 8;
    QImage out(cell * names.size() / 2, cell * 2, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    for (int i = 0; i < names.size(); ++i) {
        const QPoint at((i % (names.size() / 2)) * cell + 4, (i / (names.size() / 2)) * cell + 4);
        for (int y = 0; y < 48; y += 4)
            for (int x = 0; x < 48; x += 4)
                p.fillRect(QRect(at + QPoint(x, y) * 4, QSize(16, 16)),
                           ((x + y) / 4) % 2 ? QColor(200, 200, 200) : QColor(240, 240, 240));
        const QImage img = picture(names[i], 1);
        p.drawImage(QRect(at, img.size() * 4), img);
        if (names[i].startsWith(QStringLiteral("cursor"))) {
            p.setPen(Qt::red);
            p.drawRect(QRect(at + QPoint(6, 0) * 4, QSize(3, 3)));
        }
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: kesartsheet <out.png> [scale]\n");
        return 2;
    }
    const int scale = argc > 2 && QByteArray(argv[2]) == "2" ? 2 : 1;
    const QList<QImage> parts{
        skinWith({}, scale),
        skinWith(litNames(), scale),
        skinWith(pressedNames(), scale),
        skinBusy(scale),
        stripWithMarkers(scale),
        picture(QStringLiteral("strip-blank"), scale),
        picture(QStringLiteral("settings"), scale),
        picture(QStringLiteral("splash"), scale),
        progressPanels(scale),
        smallOnes(),
        picture(QStringLiteral("appicon-256"), 1),
    };
    const int gap = 12;
    int width = 0, height = 0, rowWidth = 0, rowHeight = 0;
    QList<QPoint> places;
    for (const QImage &part : parts) {
        if (rowWidth > 0 && rowWidth + part.width() > 1600 * scale) {
            width = qMax(width, rowWidth);
            height += rowHeight + gap;
            rowWidth = rowHeight = 0;
        }
        places << QPoint(rowWidth, height);
        rowWidth += part.width() + gap;
        rowHeight = qMax(rowHeight, part.height());
    }
    width = qMax(width, rowWidth);
    height += rowHeight;
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(QColor(90, 100, 110));
    QPainter p(&sheet);
    for (int i = 0; i < parts.size(); ++i)
        p.drawImage(places[i], parts[i]);
    p.end();
    if (!sheet.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "kesartsheet: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
