#include "art.h"

#include "artspots.h"
#include "keysnap.h"

#include <QFile>
#include <QGuiApplication>

namespace Art {

namespace {

QString g_language;

QString path(const QString &name, bool twice)
{
    const QString file = name + (twice ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
    if (!g_language.isEmpty()) {
        const QString translated = QStringLiteral(":/art/") + g_language + u'/' + file;
        if (QFile::exists(translated))
            return translated;
    }
    return QStringLiteral(":/art/") + file;
}

} // namespace

void setLanguage(const QString &language)
{
    g_language = language;
}

QString language()
{
    return g_language;
}

QString buttonLight(int index)
{
    return QStringLiteral("button-light-") + QString::number(index);
}

QString menuLight(int index)
{
    return QStringLiteral("menu-light-") + QString::number(index);
}

QString ctrlLight(int index)
{
    return QStringLiteral("ctrl-light-") + QString::number(index);
}

QString ctrlPress(int index)
{
    return QStringLiteral("ctrl-press-") + QString::number(index);
}

QPixmap pixmap(const QString &name)
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    if (ratio > 1.0 && QFile::exists(path(name, true))) {
        QPixmap twice(path(name, true));
        twice.setDevicePixelRatio(2.0);
        return twice;
    }
    return QPixmap(path(name, false));
}

QImage image(const QString &name)
{
    return QImage(path(name, false));
}

QRect spot(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    for (const ArtSpots::Spot &s : ArtSpots::kSpots) {
        if (s.name == std::string_view(utf8.constData(), utf8.size()))
            return QRect(ArtSpots::toPixels(s.left), ArtSpots::toPixels(s.top),
                         ArtSpots::toPixels(s.width), ArtSpots::toPixels(s.height));
    }
    return {};
}

QBitmap shape(const QString &name)
{
    const QImage skin = image(name);
    if (skin.isNull())
        return {};
    // The mono image's set bits (the key) become QBitmap's colour 0, which
    // QRegion and setMask leave out: the window is everything but the key.
    return QBitmap::fromImage(skin.createMaskFromColor(KeySnap::kKey, Qt::MaskInColor));
}

QCursor cursor(const QString &name)
{
    return QCursor(pixmap(name), 6, 0);
}

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/art/appicon-") + QString::number(size) + QStringLiteral(".png"), QSize(size, size));
    return icon;
}

} // namespace Art
