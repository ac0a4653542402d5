#include "buttoncolors.h"
#include "buttondrawing.h"
#include "buttonpaint.h"
#include "testpalette.h"

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QTest>

namespace
{

QImage paint(const ButtonPaintInput &in, ButtonPaintResult *result = nullptr)
{
    QImage image(in.size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    const ButtonPaintResult r = paintButton(p, in);
    if (result)
        *result = r;
    return image;
}

ButtonPaintInput rounded(VisualState state, bool focus = false)
{
    ButtonPaintInput in;
    in.size = QSize(76, 24);
    in.style = ButtonStyle::Rounded;
    in.state = state;
    in.hasFocus = focus;
    in.palette = classicPalette();
    in.caption.clear();
    return in;
}

QColor at(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

// Every pixel of the row from x1 to x2 inclusive has the colour.
bool rowIs(const QImage &image, int y, int x1, int x2, const QColor &color)
{
    for (int x = x1; x <= x2; ++x) {
        if (image.pixelColor(x, y) != color)
            return false;
    }
    return true;
}

QImage canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QPixmap solidIcon(int size, const QColor &color)
{
    QPixmap pm(size, size);
    pm.fill(color);
    return pm;
}

} // namespace

class TestButtonPaint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A fixed widget style, so the themed look does not depend on the desktop.
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }

    void colourHelpers_data()
    {
        QTest::addColumn<QColor>("result");
        QTest::addColumn<QColor>("expected");
        // Halves go to the even neighbour: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2, 254.5 -> 254.
        QTest::newRow("blend halves")
            << BlendColors(QColor(0, 1, 2), QColor(1, 2, 3)) << QColor(0, 2, 2);
        QTest::newRow("blend top")
            << BlendColors(QColor(254, 255, 3), QColor(255, 255, 4)) << QColor(254, 255, 4);
        // 32 + 223 * 100 / 255 = 32 + 87 (the division truncates).
        QTest::newRow("lighten truncates")
            << LightenColor(QColor(100, 0, 255), 32) << QColor(119, 32, 255);
        QTest::newRow("lighten by 0") << LightenColor(QColor(10, 20, 30), 0) << QColor(10, 20, 30);
        QTest::newRow("lighten by 255")
            << LightenColor(QColor(10, 20, 30), 255) << QColor(255, 255, 255);
        QTest::newRow("shift clamps high")
            << ShiftColor(QColor(250, 10, 128), 10) << QColor(255, 20, 138);
        QTest::newRow("shift clamps low")
            << ShiftColor(QColor(250, 10, 128), -20) << QColor(230, 0, 108);
    }
    void colourHelpers()
    {
        QFETCH(QColor, result);
        QFETCH(QColor, expected);
        QCOMPARE(result, expected);
    }

    void translateColor()
    {
        const QPalette p = classicPalette();
        QCOMPARE(TranslateColor(0x00102030, p), qint64(0x00102030));
        QCOMPARE(TranslateColor(0x8000000F, p), qint64(colorValue(QColor(236, 233, 216))));
        QCOMPARE(TranslateColor(0x800000FF, p), qint64(-1));
        QCOMPARE(TranslateColor(0x02102030, p), qint64(-1));
    }

    void lines()
    {
        QImage image = canvas(10, 10);
        {
            QPainter p(&image);
            DrawLine(p, 1, 1, 5, 1, Qt::red);  // x 1..4
            DrawLine(p, 5, 3, 1, 3, Qt::red);  // x 5..2, drawn backwards
            DrawLine(p, 8, 1, 8, 4, Qt::blue); // y 1..3
            DrawLine(p, 0, 6, 3, 9, Qt::green);
        }
        QVERIFY(rowIs(image, 1, 1, 4, Qt::red));
        QCOMPARE(at(image, 5, 1), QColor(Qt::white));
        QVERIFY(rowIs(image, 3, 2, 5, Qt::red));
        QCOMPARE(at(image, 1, 3), QColor(Qt::white));
        QCOMPARE(at(image, 8, 3), QColor(Qt::blue));
        QCOMPARE(at(image, 8, 4), QColor(Qt::white));
        QCOMPARE(at(image, 2, 8), QColor(Qt::green));
        QCOMPARE(at(image, 3, 9), QColor(Qt::white));
    }

    void boxes()
    {
        QImage image = canvas(12, 12);
        {
            QPainter p(&image);
            OutlineBox(p, 1, 1, 4, 3, Qt::red);
            FillBox(p, 7, 7, 2, 2, Qt::blue);
            FillBox(p, 10, 10, -1, 2, Qt::blue);
        }
        for (const QPoint &corner : {QPoint(1, 1), QPoint(5, 1), QPoint(5, 4), QPoint(1, 4)})
            QCOMPARE(at(image, corner.x(), corner.y()), QColor(Qt::red));
        QCOMPARE(at(image, 3, 3), QColor(Qt::white));
        QCOMPARE(at(image, 8, 8), QColor(Qt::blue));
        QCOMPARE(at(image, 9, 9), QColor(Qt::white));
        QCOMPARE(at(image, 10, 10), QColor(Qt::white));
    }

    void etchedFrameCorners()
    {
        QImage image = canvas(10, 10);
        {
            QPainter p(&image);
            EtchedFrame(p, 0, 0, 9, 9, QColor(100, 100, 100), QColor(201, 201, 201),
                        QColor(0, 0, 255));
        }
        QCOMPARE(at(image, 0, 0), QColor(100, 100, 100));
        QCOMPARE(at(image, 9, 9), QColor(201, 201, 201));
        QCOMPARE(at(image, 0, 9), QColor(0, 0, 255));
        QCOMPARE(at(image, 9, 0), QColor(0, 0, 255));
        // (100 + 201) / 2 = 150.5, to the even 150.
        QCOMPARE(at(image, 1, 8), QColor(150, 150, 150));
        QCOMPARE(at(image, 8, 1), QColor(150, 150, 150));
    }

    void gradientRows()
    {
        QImage image = canvas(8, 12);
        {
            QPainter p(&image);
            // 0 -> 10 over 4 steps: 0, 2.5, 5, 7.5, 10 -> 0, 2, 5, 8, 10.
            VerticalGradient(p, QColor(0, 1, 0), QColor(10, 2, 0), 1, 2, 4, 4);
        }
        QCOMPARE(at(image, 0, 2), QColor(Qt::white)); // x1 - 1 untouched
        QCOMPARE(at(image, 4, 2), QColor(Qt::white)); // x2 itself untouched
        QCOMPARE(at(image, 1, 1), QColor(Qt::white));
        const int red[] = {0, 2, 5, 8, 10};
        const int green[] = {1, 1, 2, 2, 2}; // 1.25, 1.5 -> 2, 1.75
        for (int i = 0; i < 5; ++i)
            QCOMPARE(at(image, 3, 2 + i), QColor(red[i], green[i], 0));
        QCOMPARE(at(image, 3, 7), QColor(Qt::white)); // n + 1 rows only

        QImage none = canvas(4, 4);
        {
            QPainter p(&none);
            VerticalGradient(p, Qt::black, Qt::black, 0, 0, 4, -1);
            HorizontalGradient(p, Qt::black, Qt::black, 3, 0, 1, 4);
        }
        QCOMPARE(none, canvas(4, 4));
    }

    void horizontalGradient()
    {
        QImage image = canvas(8, 6);
        {
            QPainter p(&image);
            HorizontalGradient(p, QColor(0, 0, 0), QColor(3, 0, 0), 2, 1, 4, 4);
        }
        // 0, 1.5, 3 -> 0, 2, 3 in columns 2..4, rows 1..3.
        QCOMPARE(at(image, 2, 1), QColor(0, 0, 0));
        QCOMPARE(at(image, 3, 3), QColor(2, 0, 0));
        QCOMPARE(at(image, 4, 2), QColor(3, 0, 0));
        QCOMPARE(at(image, 4, 4), QColor(Qt::white));
        QCOMPARE(at(image, 5, 2), QColor(Qt::white));
    }

    void roundedNormal()
    {
        const QImage image = paint(rounded(VisualState::Normal));
        QVERIFY(rowIs(image, 0, 2, 73, QColor(0, 60, 116)));
        QCOMPARE(at(image, 1, 0), QColor(106, 139, 162));
        QCOMPARE(at(image, 74, 0), QColor(106, 139, 162));
        QCOMPARE(at(image, 1, 1), QColor(72, 110, 144));
        QCOMPARE(at(image, 74, 22), QColor(72, 110, 144));
        QCOMPARE(at(image, 2, 1), QColor(191, 199, 202));
        // Without the focus rows 1 and 2 keep the body gradient.
        QVERIFY(rowIs(image, 1, 3, 71, QColor(252, 252, 251)));
        QVERIFY(rowIs(image, 2, 2, 72, QColor(249, 249, 248)));
        QCOMPARE(at(image, 10, 22), QColor(221, 217, 208)); // 2/3 of the way down
        const QRegion shape = buttonRegion(ButtonStyle::Rounded, QSize(76, 24));
        QVERIFY(!shape.contains(QPoint(0, 0)));
        QVERIFY(!shape.contains(QPoint(75, 23)));
        QVERIFY(shape.contains(QPoint(1, 0)));
        QVERIFY(shape.contains(QPoint(0, 1)));
    }

    // The tone-rounded border sits 96 below the state's base tone, disabled included.
    void toneBorder_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("base");
        QTest::newRow("normal") << 1 << 8;
        QTest::newRow("hot") << 2 << 24;
        QTest::newRow("pressed") << 3 << -9;
        QTest::newRow("disabled") << 4 << 18;
    }

    void toneBorder()
    {
        QFETCH(int, state);
        QFETCH(int, base);
        ButtonPaintInput in = rounded(VisualState(state));
        in.style = ButtonStyle::RoundedTone;
        in.enabled = state != 4;
        in.useCustomColors = true;
        in.backColor = QColor(200, 180, 160);
        const QColor edge = ShiftColor(ShiftColor(in.backColor, base), -96);
        const QImage image = paint(in);
        QCOMPARE(at(image, 20, 0), edge);
        QCOMPARE(at(image, 0, 10), edge);
    }

    void cutCorners_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<bool>("inside");
        // A 20 x 12 control: the cuts are not the same at every corner.
        for (const int style : {8, 9}) {
            const QByteArray s = QByteArray::number(style);
            QTest::newRow(s + " top left corner") << style << QPoint(1, 0) << false;
            QTest::newRow(s + " top left edge") << style << QPoint(2, 0) << true;
            QTest::newRow(s + " top right, third pixel") << style << QPoint(17, 0) << false;
            QTest::newRow(s + " top right edge") << style << QPoint(16, 0) << true;
            QTest::newRow(s + " right, third row") << style << QPoint(19, 2) << false;
            QTest::newRow(s + " right edge") << style << QPoint(19, 3) << true;
            QTest::newRow(s + " bottom left, third pixel") << style << QPoint(2, 11) << false;
            QTest::newRow(s + " bottom edge") << style << QPoint(3, 11) << true;
            QTest::newRow(s + " left, fourth row up") << style << QPoint(0, 9) << false;
            QTest::newRow(s + " left edge") << style << QPoint(0, 8) << true;
            QTest::newRow(s + " bottom right") << style << QPoint(18, 11) << false;
        }
    }

    void cutCorners()
    {
        QFETCH(int, style);
        QFETCH(QPoint, pixel);
        QFETCH(bool, inside);
        const QRegion shape = buttonRegion(ButtonStyle(style), QSize(20, 12));
        QCOMPARE(shape.contains(pixel), inside);
        QVERIFY(!shape.contains(QPoint(20, 5)));
        QVERIFY(!shape.contains(QPoint(5, 12)));
    }

    void roundedRings_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("focus");
        QTest::addColumn<QColor>("row1");
        QTest::addColumn<QColor>("rowH2");
        QTest::newRow("focused") << 1 << true << QColor(206, 231, 255) << QColor(105, 130, 238);
        QTest::newRow("hot") << 2 << false << QColor(255, 240, 207) << QColor(229, 151, 16);
        QTest::newRow("hot beats focus")
            << 2 << true << QColor(255, 240, 207) << QColor(229, 151, 16);
        QTest::newRow("disabled ignores focus")
            << 4 << true << QColor(245, 244, 234) << QColor(245, 244, 234);
        QTest::newRow("pressed has no ring")
            << 3 << true << QColor(209, 204, 193) << QColor(237, 236, 232);
    }
    void roundedRings()
    {
        QFETCH(int, state);
        QFETCH(bool, focus);
        QFETCH(QColor, row1);
        QFETCH(QColor, rowH2);
        const QImage image = paint(rounded(VisualState(state), focus));
        QVERIFY(rowIs(image, 1, 3, 71, row1));
        QCOMPARE(at(image, 10, 22), rowH2);
    }

    void roundedDisabled()
    {
        ButtonPaintInput in = rounded(VisualState::Normal);
        in.enabled = false;
        ButtonPaintResult result;
        const QImage image = paint(in, &result);
        QCOMPARE(result.state, VisualState::Disabled);
        QCOMPARE(result.background, QColor(245, 244, 234));
        QVERIFY(rowIs(image, 0, 2, 73, QColor(201, 199, 186)));
        QCOMPARE(at(image, 1, 1), QColor(216, 213, 199));
        QCOMPARE(at(image, 75, 23), QColor(201, 199, 186));
    }

    void roundedCustomColours()
    {
        ButtonPaintInput in = rounded(VisualState::Normal, true);
        in.useCustomColors = true;
        in.backColor = QColor(100, 150, 200);
        in.highlightColor = QColor(200, 60, 0);
        const QImage plain = paint(in);
        QCOMPARE(at(plain, 10, 0), QColor(0, 22, 72));   // b - 128
        QCOMPARE(at(plain, 1, 0), QColor(79, 129, 179)); // b - 21
        QCOMPARE(at(plain, 10, 1), QColor(105, 155, 205));
        in.showFocus = true;
        const QImage focused = paint(in);
        // Focus ring from the system highlight, bottom line in the colour itself.
        QCOMPARE(at(focused, 10, 22), QColor(49, 106, 197));
        in.state = VisualState::Hot;
        QCOMPARE(at(paint(in), 10, 22), QColor(200, 60, 0));
        QCOMPARE(at(paint(in), 10, 1), QColor(255, 145, 85));
    }

    // Which looks each style tells apart, with the system colours:
    // Normal against Hot, Pressed and Disabled.
    void stylesAndStates_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("hotDiffers");
        QTest::addColumn<bool>("pressedDiffers");
        QTest::addColumn<bool>("disabledDiffers");
        QTest::newRow("0 classic") << 0 << false << true << false;
        QTest::newRow("1 thin") << 1 << false << true << true;
        QTest::newRow("2 flat") << 2 << true << true << false;
        QTest::newRow("3 etched") << 3 << true << true << false;
        QTest::newRow("4 light") << 4 << true << true << false;
        QTest::newRow("5 rounded") << 5 << true << true << true;
        QTest::newRow("6 themed") << 6 << true << true << true;
        QTest::newRow("7 rounded tone") << 7 << true << true << true;
        QTest::newRow("8 bevelled") << 8 << true << true << true;
        QTest::newRow("9 glossy") << 9 << true << true << true;
        QTest::newRow("10 picture") << 10 << true << true << false;
        QTest::newRow("11 out of range") << 11 << false << false << false;
    }
    void stylesAndStates()
    {
        QFETCH(int, style);
        QFETCH(bool, hotDiffers);
        QFETCH(bool, pressedDiffers);
        QFETCH(bool, disabledDiffers);
        ButtonPaintInput in = rounded(VisualState::Normal);
        in.size = QSize(90, 30);
        in.style = ButtonStyle(style);
        in.theme = QApplication::style();
        QImage looks[5];
        for (int s = 1; s <= 4; ++s) {
            in.state = VisualState(s);
            in.enabled = s != 4;
            ButtonPaintResult result;
            looks[s] = paint(in, &result);
            QCOMPARE(result.state, VisualState(s));
            QVERIFY(!result.themeFailed);
            QVERIFY2(looks[s].pixelColor(45, 15) != QColor(Qt::magenta), "face left unpainted");
        }
        QCOMPARE(looks[2] != looks[1], hotDiffers);
        QCOMPARE(looks[3] != looks[1], pressedDiffers);
        QCOMPARE(looks[4] != looks[1], disabledDiffers);
    }

    void customColoursLightTheFace()
    {
        for (int style : {0, 1}) {
            ButtonPaintInput in = rounded(VisualState::Normal);
            in.style = ButtonStyle(style);
            in.useCustomColors = true;
            in.backColor = QColor(200, 200, 200);
            in.highlightColor = QColor(250, 220, 120);
            const QImage normal = paint(in);
            in.state = VisualState::Hot;
            const QImage hot = paint(in);
            QCOMPARE(at(normal, 30, 12), QColor(200, 200, 200));
            QCOMPARE(at(hot, 30, 12), QColor(250, 220, 120));
        }
    }

    void disabledCaptionIsGrey()
    {
        for (int style = 0; style <= 11; ++style) {
            ButtonPaintInput in = rounded(VisualState::Hot);
            in.size = QSize(120, 40);
            in.style = ButtonStyle(style);
            in.enabled = false;
            in.caption = QStringLiteral("MMMM");
            in.captionFormat = 37;
            in.font = QFont(QStringLiteral("DejaVu Sans"), 14);
            in.font.setStyleStrategy(QFont::NoAntialias);
            in.theme = QApplication::style();
            const QImage image = paint(in);
            const QColor grey = classicPalette().color(QPalette::Disabled, QPalette::ButtonText);
            int greyPixels = 0, blackPixels = 0;
            for (int y = 4; y < 36; ++y) {
                for (int x = 4; x < 116; ++x) {
                    greyPixels += image.pixelColor(x, y) == grey;
                    blackPixels += image.pixelColor(x, y) == QColor(Qt::black);
                }
            }
            QVERIFY2(greyPixels > 20, qPrintable(QString::number(style)));
            QCOMPARE(blackPixels, 0);
        }
    }

    void pictureStyleFocusedLooksHot()
    {
        ButtonPaintInput in = rounded(VisualState::Normal, true);
        in.style = ButtonStyle::Picture;
        in.size = QSize(100, 34);
        const QImage focused = paint(in);
        in.enabled = false;
        const QImage focusedDisabled = paint(in);
        in.enabled = true;
        in.hasFocus = false;
        in.state = VisualState::Hot;
        const QImage hot = paint(in);
        QCOMPARE(focused, hot);
        QCOMPARE(focusedDisabled, hot);
        QCOMPARE(at(hot, 50, 18), QColor(106, 166, 226));
        in.state = VisualState::Normal;
        const QImage normal = paint(in);
        QCOMPARE(at(normal, 50, 18), QColor(232, 231, 234));
        const int band[] = {247, 160, 153, 195, 201, 213, 215, 223, 224};
        for (int x = 0; x < 9; ++x)
            QCOMPARE(at(normal, x, 15), QColor(band[x], band[x], band[x]));
        const int top[] = {254, 230, 172, 122};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(at(normal, 6 + i, 0), QColor(top[i], top[i], top[i]));
        in.state = VisualState::Pressed;
        QCOMPARE(at(paint(in), 50, 18), QColor(106, 155, 204));
        const QRegion shape = buttonRegion(ButtonStyle::Picture, in.size);
        QVERIFY(!shape.contains(QPoint(0, 0)));
        QVERIFY(!shape.contains(QPoint(5, 0)));
        QVERIFY(shape.contains(QPoint(6, 0)));
        QVERIFY(shape.contains(QPoint(99, 17)));
    }

    void outOfRangeStyleDrawsCaptionAndIconOnly()
    {
        ButtonPaintInput in = rounded(VisualState::Pressed);
        in.style = ButtonStyle(11);
        in.background = QColor(10, 20, 30);
        const QImage bare = paint(in);
        QCOMPARE(bare.pixelColor(0, 0), QColor(10, 20, 30));
        QVERIFY(bare == [] {
            QImage i(76, 24, QImage::Format_RGB32);
            i.fill(QColor(10, 20, 30));
            return i;
        }());
        in.icon = QIcon(solidIcon(16, Qt::red));
        in.iconAlign = 0;
        const QImage withIcon = paint(in);
        QCOMPARE(withIcon.pixelColor(31, 5), QColor(Qt::red)); // (30, 4) + pressed offset
        QCOMPARE(withIcon.pixelColor(30, 4), QColor(10, 20, 30));
    }

    void iconPlacement_data()
    {
        QTest::addColumn<int>("align");
        QTest::addColumn<int>("style");
        QTest::addColumn<QPoint>("expected");
        // 76 x 24 button, 16-pixel icon: centre (30, 4).
        QTest::newRow("centre") << 0 << 0 << QPoint(30, 4);
        QTest::newRow("left, margin 4") << 1 << 0 << QPoint(4, 4);
        QTest::newRow("left, margin 5") << 1 << 7 << QPoint(5, 4);
        QTest::newRow("right, margin 7") << 2 << 9 << QPoint(53, 4);
        QTest::newRow("top, margin 4 beyond 10") << 3 << 12 << QPoint(30, 4);
        QTest::newRow("bottom, margin 7") << 4 << 10 << QPoint(30, 1);
        QTest::newRow("unknown") << 5 << 5 << QPoint(0, 0);
    }
    void iconPlacement()
    {
        QFETCH(int, align);
        QFETCH(int, style);
        QFETCH(QPoint, expected);
        QCOMPARE(iconPosition(align, 16, QSize(76, 24), iconMargin(ButtonStyle(style))), expected);
    }

    void iconHalvesRoundToEven()
    {
        // (25 - 16) / 2 = 4.5 -> 4; (27 - 16) / 2 = 5.5 -> 6.
        QCOMPARE(iconPosition(0, 16, QSize(25, 27), 4), QPoint(4, 6));
    }

    void largeIconIsClippedNotMoved()
    {
        ButtonPaintInput in = rounded(VisualState::Normal);
        in.icon = QIcon(solidIcon(32, Qt::red));
        in.iconSize = 32;
        in.iconAlign = 1;
        QCOMPARE(iconPosition(1, 32, in.size, iconMargin(ButtonStyle::Rounded)), QPoint(5, -4));
        const QImage normal = paint(in);
        QCOMPARE(at(normal, 5, 2), QColor(Qt::red));
        QCOMPARE(at(normal, 36, 20), QColor(Qt::red));
        QVERIFY(at(normal, 37, 20) != QColor(Qt::red));
        QVERIFY(at(normal, 4, 10) != QColor(Qt::red));
        in.state = VisualState::Pressed;
        const QImage pressed = paint(in);
        QVERIFY(at(pressed, 5, 10) != QColor(Qt::red));
        QCOMPARE(at(pressed, 37, 10), QColor(Qt::red));
    }

    // A 16-pixel icon at (30, 4) on a hot 76 x 24 Style 4 button: red, with a
    // transparent lower right quarter and a lower left quarter in the face's
    // own colour. Only pixels that differ from the face cast the shadow.
    void lightStyleShadow_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QColor>("expected");
        const QColor face = LightenColor(classicPalette().color(QPalette::Highlight), 176);
        const QColor grey(128, 128, 128);
        QTest::newRow("red pixel casts") << true << QPoint(45, 8) << grey;
        QTest::newRow("transparent pixel casts none") << true << QPoint(45, 19) << face;
        QTest::newRow("pixel in the face colour casts none") << true << QPoint(33, 19) << face;
        QTest::newRow("icon lifted up and left") << true << QPoint(28, 2) << QColor(Qt::red);
        QTest::newRow("disabled: no shadow, icon in place")
            << false << QPoint(45, 5) << QColor(Qt::red);
    }
    void lightStyleShadow()
    {
        QFETCH(bool, enabled);
        QFETCH(QPoint, pixel);
        QFETCH(QColor, expected);
        const QColor face = LightenColor(classicPalette().color(QPalette::Highlight), 176);
        QImage art(16, 16, QImage::Format_ARGB32);
        art.fill(Qt::red);
        for (int y = 8; y < 16; ++y) {
            for (int x = 0; x < 16; ++x)
                art.setPixelColor(x, y, x < 8 ? face : QColor(Qt::transparent));
        }
        ButtonPaintInput in = rounded(VisualState::Hot);
        in.style = ButtonStyle::Light;
        in.enabled = enabled;
        in.icon = QIcon(QPixmap::fromImage(art));
        in.iconAlign = 0;
        QCOMPARE(at(paint(in), pixel.x(), pixel.y()), expected);
    }

    // Style 9 in its Normal state on a 90 x 30 button with the face
    // (140, 130, 150): base k = face - 15, columns and rows from row 2 to 27.
    void glossyBody_data()
    {
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QColor>("expected");
        const QColor k = ShiftColor(QColor(140, 130, 150), -15);
        auto K = [&k](int offset) { return ShiftColor(k, offset); };
        QTest::newRow("column 0 top") << QPoint(0, 2) << K(128);
        QTest::newRow("column 0 bottom") << QPoint(0, 27) << K(-128);
        QTest::newRow("right rim top") << QPoint(89, 2) << K(128);
        QTest::newRow("column 2 starts at the base") << QPoint(2, 2) << k;
        QTest::newRow("column 3 bottom") << QPoint(3, 27) << K(-53);
        QTest::newRow("body starts at column 5") << QPoint(5, 2) << K(32);
        QTest::newRow("body ends at column w - 6") << QPoint(84, 2) << K(32);
        QTest::newRow("top line") << QPoint(45, 0) << K(48);
        QTest::newRow("second top line") << QPoint(45, 1) << K(48);
        QTest::newRow("no glaze over the upper half")
            << QPoint(45, 12) << gradientColor(K(32), K(-32), 10, 25);
    }
    void glossyBody()
    {
        QFETCH(QPoint, pixel);
        QFETCH(QColor, expected);
        ButtonPaintInput in = rounded(VisualState::Normal);
        in.size = QSize(90, 30);
        in.style = ButtonStyle::Glossy;
        in.useCustomColors = true;
        in.backColor = QColor(140, 130, 150);
        QCOMPARE(at(paint(in), pixel.x(), pixel.y()), expected);
    }

    void stateOverrides()
    {
        ButtonPaintInput in = rounded(VisualState::Hot);
        in.style = ButtonStyle::Classic;
        in.buttonType = 1;
        in.value = true;
        ButtonPaintResult r;
        paint(in, &r);
        QCOMPARE(r.state, VisualState::Pressed);
        in.buttonType = 0;
        paint(in, &r);
        QCOMPARE(r.state, VisualState::Hot);
        in.state = VisualState::Normal;
        in.designMode = true;
        paint(in, &r);
        QCOMPARE(r.state, VisualState::Hot);
        in.style = ButtonStyle::Rounded;
        paint(in, &r);
        QCOMPARE(r.state, VisualState::Normal);
    }

    void themedStyleFailsOver()
    {
        ButtonPaintInput in = rounded(VisualState::Normal);
        in.style = ButtonStyle::Themed;
        in.nonThemeStyle = ButtonStyle::Classic;
        in.caption = QStringLiteral("x");
        in.theme = nullptr;
        ButtonPaintResult r;
        const QImage failed = paint(in, &r);
        QVERIFY(r.themeFailed);
        QCOMPARE(at(failed, 0, 0), QColor(236, 233, 216)); // no edge, only the face
        in.theme = QApplication::style();
        paint(in, &r);
        QVERIFY(!r.themeFailed);
    }

    void captionFormats_data()
    {
        QTest::addColumn<int>("align");
        QTest::addColumn<int>("format");
        QTest::newRow("centre") << 0 << 37;
        QTest::newRow("left") << 1 << 36;
        QTest::newRow("right") << 2 << 38;
        QTest::newRow("top") << 3 << 33;
        QTest::newRow("bottom") << 4 << 41;
        QTest::newRow("unknown keeps") << 7 << 17;
    }
    void captionFormats()
    {
        QFETCH(int, align);
        QFETCH(int, format);
        QCOMPARE(captionFormatFor(align, 17), format);
    }
};

QTEST_MAIN(TestButtonPaint)
#include "tst_buttonpaint.moc"
