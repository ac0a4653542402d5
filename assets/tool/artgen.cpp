// Renders Kesmarin's pictures from the SVG drawings in assets/src into PNGs at
// 1x and 2x, cuts the button pictures out of the skins, snaps the colour key
// and writes the chime. Run by the build; see assets/README.md.
//
//   kesartgen <svg folder> <picture folder> <icon theme folder> <sound.wav> <worded>
//
// <worded> names, comma-separated, the pictures that carry painted words; they
// are drawn once more per language into <picture folder>/<language>/.

#include "artspots.h"
#include "chime.h"
#include "keysnap.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <cstdio>
#include <map>

namespace {

struct Sheet {
    const char *name;   // picture name, or the sheet's own name when cut up
    const char *file;   // SVG in the source folder
    const char *look;   // variant of the drawing ("rest", "hover", "press", ...)
    bool keyed;         // a window skin: snap the colour key
};

// Whole pictures.
const Sheet kWhole[] = {
    {"main", "main.svg", "rest", true},
    {"settings", "settings.svg", "rest", true},
    {"splash", "splash.svg", "rest", true},
    {"strip", "strip.svg", "rest", false},
    {"strip-blank", "strip.svg", "blank", false},
};

struct Cut {
    const char *name;
    const char *file;
    const char *look;
    int x, y, w, h; // pixels at 1x
};

// Pictures cut from small drawing sheets.
const Cut kCuts[] = {
    {"pointer-top", "markers.svg", "rest", 0, 0, 13, 8},
    {"pointer-bottom", "markers.svg", "rest", 0, 8, 13, 8},
    {"pointer-line", "markers.svg", "rest", 6, 16, 1, 284},
    {"begin-top", "markers.svg", "rest", 13, 0, 13, 8},
    {"begin-bottom", "markers.svg", "rest", 13, 8, 13, 8},
    {"begin-line", "markers.svg", "rest", 19, 16, 1, 284},
    {"end-top", "markers.svg", "rest", 26, 0, 13, 8},
    {"end-bottom", "markers.svg", "rest", 26, 8, 13, 8},
    {"end-line", "markers.svg", "rest", 32, 16, 1, 284},
    {"decode-panel", "progress.svg", "rest", 0, 0, 462, 37},
    {"decode-bar", "progress.svg", "rest", 0, 37, 361, 13},
    {"export-panel", "progress.svg", "rest", 0, 50, 281, 15},
    {"export-bar", "progress.svg", "rest", 0, 65, 281, 15},
    {"icon-ok", "icons.svg", "rest", 0, 0, 32, 32},
    {"icon-back", "icons.svg", "rest", 32, 0, 32, 32},
    {"cursor-hand", "icons.svg", "rest", 64, 0, 32, 32},
    {"cursor-marker", "icons.svg", "rest", 96, 0, 32, 32},
};

const int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Languages besides the drawings' own (Chinese, with the English words the
// drawings already mix in). A drawing marks its words class="zh" (shown) and
// class="en" display="none" (hidden); a language swaps the two.
const char *const kLanguages[] = {"en"};

QByteArray inLanguage(QByteArray svg, const QString &language)
{
    if (language.isEmpty())
        return svg;
    const QByteArray mine = "class=\"" + language.toUtf8() + '"';
    svg.replace("class=\"zh\"", "class=\"zh\" display=\"none\"");
    svg.replace(mine + " display=\"none\"", mine);
    return svg;
}

class Renderer
{
public:
    explicit Renderer(QString sourceDir) : m_sourceDir(std::move(sourceDir)) {}

    // The drawing of `file` in `look` at `scale` with the words of
    // `language` (empty: the drawing's own), rendered once and kept.
    QImage render(const QString &file, const QString &look, int scale, bool keyed,
                  const QString &language = {})
    {
        const QString key = file + u'|' + look + u'|' + QString::number(scale) + u'|' + language;
        if (const auto it = m_done.constFind(key); it != m_done.constEnd())
            return *it;

        QFile f(m_sourceDir + u'/' + file);
        if (!f.open(QIODevice::ReadOnly)) {
            fail("cannot read " + f.fileName());
            return {};
        }
        QByteArray svg = inLanguage(f.readAll(), language);
        // A drawing names its resting paints "<id>_rest"; a look swaps them
        // for "<id>_<look>", so every look is cut from the very same drawing.
        if (look != QStringLiteral("rest"))
            svg.replace("_rest)", "_" + look.toUtf8() + ")");

        QSvgRenderer renderer(svg);
        if (!renderer.isValid()) {
            fail("not a valid drawing: " + f.fileName());
            return {};
        }
        const QSize size = renderer.defaultSize() * scale;
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            renderer.render(&p, QRectF(QPointF(0, 0), size));
        }
        if (keyed) {
            image = scale == 1 ? KeySnap::snap(image)
                               : KeySnap::snapTo(image, render(file, look, 1, true, language), scale);
        }
        m_done.insert(key, image);
        return image;
    }

    bool failed() const { return m_failed; }

    void fail(const QString &why)
    {
        std::fprintf(stderr, "kesartgen: %s\n", qPrintable(why));
        m_failed = true;
    }

private:
    QString m_sourceDir;
    QHash<QString, QImage> m_done;
    bool m_failed = false;
};

bool save(Renderer &r, const QImage &image, const QString &path)
{
    if (image.isNull())
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.save(path, "PNG")) {
        r.fail("cannot write " + path);
        return false;
    }
    return true;
}

QString outName(const QString &dir, const QString &name, int scale)
{
    return dir + u'/' + name + (scale == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
}

// Every picture at one scale in one language, in a fixed order.
QList<std::pair<QString, QImage>> drawAll(Renderer &r, int scale, const QString &language)
{
    QList<std::pair<QString, QImage>> out;
    for (const Sheet &s : kWhole)
        out.append({QString::fromLatin1(s.name), r.render(s.file, s.look, scale, s.keyed, language)});
    for (const ArtSpots::Spot &spot : ArtSpots::kSpots) {
        const QString name = QString::fromUtf8(spot.name.data(), spot.name.size());
        const QString look = name.contains(QStringLiteral("-press")) ? QStringLiteral("press") : QStringLiteral("hover");
        const QString file = QString::fromUtf8(spot.source.data(), spot.source.size()) + ".svg";
        const QRect rect(ArtSpots::toPixels(spot.left) * scale,
                         ArtSpots::toPixels(spot.top) * scale,
                         ArtSpots::toPixels(spot.width) * scale,
                         ArtSpots::toPixels(spot.height) * scale);
        out.append({name, r.render(file, look, scale, true, language).copy(rect)});
    }
    for (const Cut &c : kCuts) {
        const QRect rect(c.x * scale, c.y * scale, c.w * scale, c.h * scale);
        out.append({QString::fromLatin1(c.name), r.render(c.file, c.look, scale, false, language).copy(rect)});
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    // Qt wants a private runtime folder even offscreen; a build has none, so
    // lend it a temporary one instead of a warning in every build log.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QGuiApplication app(argc, argv);
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: kesartgen <svg folder> <picture folder> <icon folder> <sound.wav> <worded>\n");
        return 2;
    }
    const QString sourceDir = QString::fromLocal8Bit(argv[1]);
    const QString pictureDir = QString::fromLocal8Bit(argv[2]);
    const QString iconDir = QString::fromLocal8Bit(argv[3]);
    const QString soundPath = QString::fromLocal8Bit(argv[4]);
    const QStringList worded = QString::fromLocal8Bit(argv[5]).split(u',', Qt::SkipEmptyParts);

    Renderer r(sourceDir);
    for (int scale : {1, 2}) {
        const auto own = drawAll(r, scale, {});
        for (const auto &[name, image] : own)
            save(r, image, outName(pictureDir, name, scale));
        for (const char *language : kLanguages) {
            const QString lang = QString::fromLatin1(language);
            const auto translated = drawAll(r, scale, lang);
            for (qsizetype i = 0; i < translated.size(); ++i) {
                const auto &[name, image] = translated.at(i);
                if (worded.contains(name))
                    save(r, image, outName(pictureDir + u'/' + lang, name, scale));
                else if (image != own.at(i).second)
                    r.fail(name + QStringLiteral(" shows words in ") + lang + QStringLiteral(" but is not listed as worded"));
            }
        }
    }

    // The application icon, for the loader and for the desktop's icon theme.
    // The smallest sizes have drawings of their own on their pixel grid.
    for (int size : kIconSizes) {
        const QString file = size <= 16 ? QStringLiteral("appicon-16.svg")
                           : size <= 24 ? QStringLiteral("appicon-24.svg")
                                        : QStringLiteral("appicon.svg");
        QSvgRenderer iconRenderer(sourceDir + u'/' + file);
        if (!iconRenderer.isValid()) {
            r.fail("not a valid drawing: " + file);
            continue;
        }
        QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
        icon.fill(Qt::transparent);
        QPainter p(&icon);
        p.setRenderHint(QPainter::Antialiasing);
        iconRenderer.render(&p, QRectF(0, 0, size, size));
        p.end();
        const QString sizeName = QString::number(size) + u'x' + QString::number(size);
        save(r, icon, iconDir + u'/' + sizeName + QStringLiteral("/apps/kesmarin.png"));
        save(r, icon, pictureDir + QStringLiteral("/appicon-") + QString::number(size) + QStringLiteral(".png"));
    }
    QFile iconFile(sourceDir + QStringLiteral("/appicon.svg"));
    QDir().mkpath(iconDir + QStringLiteral("/scalable/apps"));
    QFile::remove(iconDir + QStringLiteral("/scalable/apps/kesmarin.svg"));
    if (!iconFile.copy(iconDir + QStringLiteral("/scalable/apps/kesmarin.svg")))
        r.fail("cannot copy appicon.svg");

    QFile sound(soundPath);
    if (!sound.open(QIODevice::WriteOnly) || sound.write(Chime::wav()) < 0)
        r.fail("cannot write " + soundPath);

    return r.failed() ? 1 : 0;
}
