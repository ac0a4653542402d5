// The built art: every picture present at its exact size in both scales, the
// cut-outs matching the skin they sit on, skins keyed without a fringe, the
// cursors' hot spots on their tips, and a well-formed chime.

#include "art.h"
#include "chime.h"
#include "keysnap.h"

#include <QFile>
#include <QtEndian>
#include <QtTest>

#include <cmath>

namespace {

QImage at2x(const QString &name)
{
    return QImage(QStringLiteral(":/art/") + name + QStringLiteral("@2x.png"));
}

QStringList spotNames()
{
    QStringList names;
    for (int i : {0, 1, 2, 4, 5, 6, 7})
        names << Art::buttonLight(i);
    for (int i = 0; i < 4; ++i)
        names << Art::menuLight(i);
    for (int i = 0; i < 7; ++i)
        names << Art::ctrlLight(i) << Art::ctrlPress(i);
    names << QStringLiteral("min-light") << QStringLiteral("exit-light")
          << QStringLiteral("open-light");
    return names;
}

bool isKey(QRgb c)
{
    return (c | 0xff000000) == KeySnap::kKey;
}

// A blend of magenta into a light or teal body is strongly red and blue with
// little green; no body colour of ours looks like that.
bool looksPink(QRgb c)
{
    return qRed(c) > 150 && qBlue(c) > 150 && qGreen(c) < qMin(qRed(c), qBlue(c)) - 60;
}

} // namespace

class tst_Art : public QObject
{
    Q_OBJECT

private slots:
    void sizes_data();
    void sizes();
    void cutOutsMatchTheSkin_data();
    void cutOutsMatchTheSkin();
    void skinsAreKeyedCleanly_data();
    void skinsAreKeyedCleanly();
    void snapDecidesEveryPixel_data();
    void snapDecidesEveryPixel();
    void snapTwiceFollowsTheSmallCut();
    void cursorsPointWithTheirHotSpot_data();
    void cursorsPointWithTheirHotSpot();
    void shapeFollowsTheKey();
    void chimeIsAWellFormedSoftWave();
    void chimeOnDiskIsTheGeneratedOne();
};

void tst_Art::sizes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("main") << "main" << QSize(765, 565);
    QTest::newRow("settings") << "settings" << QSize(420, 252);
    QTest::newRow("splash") << "splash" << QSize(450, 250);
    QTest::newRow("strip") << "strip" << QSize(746, 363);
    QTest::newRow("strip-blank") << "strip-blank" << QSize(746, 363);
    for (const char *set : {"pointer", "begin", "end"}) {
        const QString s = QString::fromLatin1(set);
        QTest::newRow(qPrintable(s + "-top")) << s + "-top" << QSize(13, 8);
        QTest::newRow(qPrintable(s + "-bottom")) << s + "-bottom" << QSize(13, 8);
        QTest::newRow(qPrintable(s + "-line")) << s + "-line" << QSize(1, 284);
    }
    QTest::newRow("decode-panel") << "decode-panel" << QSize(462, 37);
    QTest::newRow("decode-bar") << "decode-bar" << QSize(361, 13);
    QTest::newRow("export-panel") << "export-panel" << QSize(281, 15);
    QTest::newRow("export-bar") << "export-bar" << QSize(281, 15);
    for (const char *n : {"icon-ok", "icon-back", "cursor-hand", "cursor-marker"})
        QTest::newRow(n) << QString::fromLatin1(n) << QSize(32, 32);
    // Highlights are exactly their buttons' sizes.
    QTest::newRow("toolbar") << Art::buttonLight(4) << QSize(37, 32);
    QTest::newRow("menu 0") << Art::menuLight(0) << QSize(48, 18);
    QTest::newRow("menu 2") << Art::menuLight(2) << QSize(68, 18);
    QTest::newRow("transport") << Art::ctrlPress(3) << QSize(34, 32);
    QTest::newRow("save") << Art::ctrlLight(6) << QSize(108, 32);
    QTest::newRow("minimise") << "min-light" << QSize(22, 22);
    QTest::newRow("open") << "open-light" << QSize(31, 36);
}

void tst_Art::sizes()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QCOMPARE(Art::image(name).size(), size);
    QCOMPARE(at2x(name).size(), size * 2);
    QVERIFY(!Art::pixmap(name).isNull());
}

void tst_Art::cutOutsMatchTheSkin_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &n : spotNames())
        QTest::newRow(qPrintable(n)) << n;
}

// A lit or pressed picture is the skin at its spot, changed inside, with the
// same corners: it sits on the skin without a seam and visibly lights up.
void tst_Art::cutOutsMatchTheSkin()
{
    QFETCH(QString, name);
    const QRect spot = Art::spot(name);
    QVERIFY(spot.isValid());
    const QImage skin = Art::image(QStringLiteral("main")).convertToFormat(QImage::Format_RGB32);
    const QImage lit = Art::image(name).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(lit.size(), spot.size());
    const QImage under = skin.copy(spot);
    QVERIFY2(lit != under, "the picture looks the same as the resting skin");
    for (const QPoint corner : {QPoint(0, 0), QPoint(lit.width() - 1, 0),
                                QPoint(0, lit.height() - 1),
                                QPoint(lit.width() - 1, lit.height() - 1)})
        QCOMPARE(lit.pixel(corner), under.pixel(corner));

    const QImage skin2 = at2x(QStringLiteral("main")).convertToFormat(QImage::Format_RGB32);
    const QImage lit2 = at2x(name).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(lit2.pixel(0, 0), skin2.pixel(spot.topLeft() * 2));

    if (name.startsWith(QStringLiteral("ctrl-press"))) {
        const QString light = QString(name).replace(QStringLiteral("press"), QStringLiteral("light"));
        QVERIFY2(Art::image(light) != Art::image(name), "pressed looks the same as lit");
    }
}

void tst_Art::skinsAreKeyedCleanly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("radius"); // corners are cut within this many pixels
    QTest::newRow("main") << "main" << 10;
    QTest::newRow("settings") << "settings" << 10;
    QTest::newRow("splash") << "splash" << 14;
}

void tst_Art::skinsAreKeyedCleanly()
{
    QFETCH(QString, name);
    QFETCH(int, radius);
    const QImage skin = Art::image(name).convertToFormat(QImage::Format_RGB32);
    const QImage skin2 = at2x(name).convertToFormat(QImage::Format_RGB32);
    const int w = skin.width(), h = skin.height();

    for (const QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1),
                                QPoint(w - 1, h - 1)})
        QVERIFY(isKey(skin.pixel(corner)));

    int keyed = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb c = skin.pixel(x, y);
            if (isKey(c)) {
                ++keyed;
                const bool nearCorner = (x < radius || x >= w - radius) &&
                                        (y < radius || y >= h - radius);
                if (!nearCorner)
                    QFAIL(qPrintable(QStringLiteral("key colour inside the window at %1, %2")
                                         .arg(x).arg(y)));
                continue;
            }
            if (looksPink(c))
                QFAIL(qPrintable(QStringLiteral("pink fringe at %1, %2").arg(x).arg(y)));
        }
    }
    QVERIFY(keyed >= 4 * 6); // every corner is really rounded

    // At 2x, key pixels only where the 1x skin is cut, and no fringe either.
    for (int y = 0; y < skin2.height(); ++y) {
        for (int x = 0; x < skin2.width(); ++x) {
            const QRgb c = skin2.pixel(x, y);
            if (isKey(c) && !isKey(skin.pixel(x / 2, y / 2)))
                QFAIL(qPrintable(QStringLiteral("2x key inside the 1x shape at %1, %2")
                                     .arg(x).arg(y)));
            if (!isKey(c) && looksPink(c))
                QFAIL(qPrintable(QStringLiteral("2x pink fringe at %1, %2").arg(x).arg(y)));
        }
    }
}

void tst_Art::snapDecidesEveryPixel_data()
{
    QTest::addColumn<QRgb>("drawn"); // premultiplied
    QTest::addColumn<QRgb>("expected");
    QTest::newRow("empty is cut") << qRgba(0, 0, 0, 0) << KeySnap::kKey;
    QTest::newRow("a quarter covered is cut") << qPremultiply(qRgba(20, 80, 110, 64))
                                              << KeySnap::kKey;
    QTest::newRow("just under half is cut") << qPremultiply(qRgba(20, 80, 110, 127))
                                            << KeySnap::kKey;
    // Half covered and more: the body's own colour, fully opaque, not darkened.
    QTest::newRow("half covered is body") << qPremultiply(qRgba(20, 80, 110, 128))
                                          << qRgb(20, 80, 110);
    QTest::newRow("opaque is kept") << qRgb(233, 241, 245) << qRgb(233, 241, 245);
    QTest::newRow("drawn magenta is not cut") << qRgb(255, 0, 255) << qRgb(254, 0, 254);
}

void tst_Art::snapDecidesEveryPixel()
{
    QFETCH(QRgb, drawn);
    QFETCH(QRgb, expected);
    QImage in(3, 2, QImage::Format_ARGB32_Premultiplied);
    in.fill(drawn);
    const QImage out = KeySnap::snap(in);
    QCOMPARE(out.size(), in.size());
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            const QRgb got = out.pixel(x, y);
            // Rounding in premultiplication may move a channel by one.
            QVERIFY2(std::abs(qRed(got) - qRed(expected)) <= 1 &&
                         std::abs(qGreen(got) - qGreen(expected)) <= 1 &&
                         std::abs(qBlue(got) - qBlue(expected)) <= 1 &&
                         (isKey(got) == isKey(expected)),
                     qPrintable(QString::number(got, 16)));
        }
    }
}

void tst_Art::snapTwiceFollowsTheSmallCut()
{
    // 1x: left column cut, right column body.
    QImage small(2, 1, QImage::Format_RGB32);
    small.setPixel(0, 0, KeySnap::kKey);
    small.setPixel(1, 0, qRgb(10, 20, 30));
    // 2x: fully drawn over the cut half, barely drawn over the body half.
    QImage big(4, 2, QImage::Format_ARGB32_Premultiplied);
    big.fill(qRgb(200, 210, 220));
    big.setPixel(2, 0, qRgba(0, 0, 0, 0));
    big.setPixel(3, 1, qPremultiply(qRgba(100, 110, 120, 40)));
    const QImage out = KeySnap::snapTo(big, small, 2);
    for (int y = 0; y < 2; ++y) {
        QVERIFY(isKey(out.pixel(0, y)));
        QVERIFY(isKey(out.pixel(1, y)));
    }
    QCOMPARE(out.pixel(2, 0), qRgb(10, 20, 30)); // undrawn inside: the 1x body colour
    QCOMPARE(out.pixel(3, 1), qRgb(10, 20, 30));
    QCOMPARE(out.pixel(2, 1), qRgb(200, 210, 220));
}

void tst_Art::cursorsPointWithTheirHotSpot_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("hand") << "cursor-hand";
    QTest::newRow("marker") << "cursor-marker";
}

void tst_Art::cursorsPointWithTheirHotSpot()
{
    QFETCH(QString, name);
    const QCursor cursor = Art::cursor(name);
    QCOMPARE(cursor.hotSpot(), QPoint(6, 0));
    const QImage image = Art::image(name).convertToFormat(QImage::Format_ARGB32);
    // The tip is drawn right at the hot spot, and the corners are see-through.
    QVERIFY(qAlpha(image.pixel(6, 0)) > 0 || qAlpha(image.pixel(6, 1)) > 128);
    QCOMPARE(qAlpha(image.pixel(31, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(31, 31)), 0);
}

void tst_Art::shapeFollowsTheKey()
{
    const QBitmap mask = Art::shape(QStringLiteral("main"));
    QCOMPARE(mask.size(), QSize(765, 565));
    const QRegion window(mask); // what QWidget::setMask keeps
    const QImage skin = Art::image(QStringLiteral("main")).convertToFormat(QImage::Format_RGB32);
    for (const QPoint p : {QPoint(0, 0), QPoint(764, 564), QPoint(382, 282), QPoint(10, 0),
                           QPoint(2, 2), QPoint(764, 0), QPoint(0, 282)})
        QCOMPARE(window.contains(p), !isKey(skin.pixel(p)));
    QVERIFY(Art::shape(QStringLiteral("no-such-picture")).isNull());
    QVERIFY(Art::pixmap(QStringLiteral("no-such-picture")).isNull());
    QVERIFY(Art::spot(QStringLiteral("main")).isEmpty());
}

void tst_Art::chimeIsAWellFormedSoftWave()
{
    const QByteArray wav = Chime::wav();
    QVERIFY(wav.size() > 44);
    const auto *d = reinterpret_cast<const uchar *>(wav.constData());
    QCOMPARE(wav.left(4), QByteArray("RIFF"));
    QCOMPARE(qFromLittleEndian<quint32>(d + 4), quint32(wav.size() - 8));
    QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
    QCOMPARE(qFromLittleEndian<quint16>(d + 20), quint16(1));     // PCM
    QCOMPARE(qFromLittleEndian<quint16>(d + 22), quint16(1));     // mono
    QCOMPARE(qFromLittleEndian<quint32>(d + 24), quint32(44100)); // rate
    QCOMPARE(qFromLittleEndian<quint32>(d + 28), quint32(88200)); // byte rate
    QCOMPARE(qFromLittleEndian<quint16>(d + 32), quint16(2));     // block align
    QCOMPARE(qFromLittleEndian<quint16>(d + 34), quint16(16));    // bits
    QCOMPARE(wav.mid(36, 4), QByteArray("data"));
    const quint32 bytes = qFromLittleEndian<quint32>(d + 40);
    QCOMPARE(bytes, quint32(wav.size() - 44));

    const int frames = int(bytes / 2);
    const double seconds = double(frames) / 44100;
    QVERIFY2(seconds > 0.7 && seconds < 0.9, qPrintable(QString::number(seconds)));
    int peak = 0;
    for (int i = 0; i < frames; ++i)
        peak = qMax(peak, std::abs(int(qFromLittleEndian<qint16>(d + 44 + 2 * i))));
    const double dbfs = 20 * std::log10(peak / 32768.0);
    QVERIFY2(dbfs > -7.5 && dbfs < -5.0, qPrintable(QString::number(dbfs)));
    // Soft onset and a faded end: no click at either side.
    QVERIFY(std::abs(qFromLittleEndian<qint16>(d + 44)) < 200);
    QVERIFY(std::abs(qFromLittleEndian<qint16>(d + 44 + 2 * (frames - 1))) < 200);
    // Still sounding at half time (a decay, not a blip).
    int middle = 0;
    for (int i = frames / 2; i < frames / 2 + 441; ++i)
        middle = qMax(middle, std::abs(int(qFromLittleEndian<qint16>(d + 44 + 2 * i))));
    QVERIFY(middle > peak / 50);
}

void tst_Art::chimeOnDiskIsTheGeneratedOne()
{
    QFile f(QStringLiteral(KESMARIN_BUILD_DIR "/sound.wav"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), Chime::wav());
}

QTEST_MAIN(tst_Art)
#include "tst_art.moc"
