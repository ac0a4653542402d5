#include "buttonpropertybag.h"
#include "styledbutton.h"
#include "testpalette.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace
{

QIcon solidIcon(int size, const QColor &color)
{
    QPixmap pm(size, size);
    pm.fill(color);
    return QIcon(pm);
}

ButtonPropertyBag bagOf(const StyledButton &button)
{
    ButtonPropertyBag bag;
    button.writeProperties(bag);
    return bag;
}

std::optional<ButtonPropertyBag> parse(const char *json)
{
    QString error;
    return ButtonPropertyBag::fromJson(QByteArray(json), &error);
}

} // namespace

class TestButtonPropertyBag : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setPalette(classicPalette()); }

    void roundTrip()
    {
        StyledButton a;
        a.setStyle(7);
        a.setCaption(QStringLiteral("        返回"));
        a.setIcon(solidIcon(32, QColor(200, 10, 10)));
        a.setIconSize(32);
        a.setIconAlign(2);
        a.setCaptionAlign(4);
        a.setNonThemeStyle(1);
        a.setEnabled(false);
        a.setShowFocus(true);
        a.setUseCustomColors(true);
        a.setBackColor(QColor(1, 2, 3));
        a.setHighlightColor(QColor(4, 5, 6));
        a.setFontColor(QColor(7, 8, 9));
        a.setFontHighlightColor(QColor(10, 11, 12));
        a.setToolTip(QStringLiteral("tip"));
        a.setToolTipTitle(QStringLiteral("title"));
        a.setToolTipIcon(3);
        a.setToolTipType(0);
        a.setToolTipBackColor(QColor(13, 14, 15));
        a.setToolTipForeColor(QColor(16, 17, 18));
        QFont font(QStringLiteral("Tahoma"));
        font.setPointSizeF(9.75);
        font.setBold(true);
        font.setUnderline(true);
        a.setFont(font);
        a.setButtonType(1);
        a.setValue(true);
        a.setIconVisible(false);

        QString error;
        const auto bag = ButtonPropertyBag::fromJson(bagOf(a).toJson(), &error);
        QVERIFY2(bag, qPrintable(error));
        StyledButton b;
        b.readProperties(*bag);
        QCOMPARE(b.Style(), 7);
        QCOMPARE(b.Caption(), a.Caption());
        QCOMPARE(b.Icon().pixmap(32).toImage().pixelColor(5, 5), QColor(200, 10, 10));
        QCOMPARE(b.IconSize(), qint16(32));
        QCOMPARE(b.IconAlign(), 2);
        QCOMPARE(b.CaptionAlign(), 4);
        QCOMPARE(b.NonThemeStyle(), 1);
        QVERIFY(!b.Enabled());
        QVERIFY(b.ShowFocus());
        QVERIFY(b.UseCustomColors());
        QCOMPARE(b.BackColor(), QColor(1, 2, 3));
        QCOMPARE(b.HighlightColor(), QColor(4, 5, 6));
        QCOMPARE(b.FontColor(), QColor(7, 8, 9));
        QCOMPARE(b.FontHighlightColor(), QColor(10, 11, 12));
        QCOMPARE(b.ToolTip(), QStringLiteral("tip"));
        QCOMPARE(b.ToolTipTitle(), QStringLiteral("title"));
        QCOMPARE(b.ToolTipIcon(), 3);
        QCOMPARE(b.ToolTipType(), 0);
        QCOMPARE(b.ToolTipBackColor(), QColor(13, 14, 15));
        QCOMPARE(b.ToolTipForeColor(), QColor(16, 17, 18));
        QCOMPARE(b.Font().family(), QStringLiteral("Tahoma"));
        QCOMPARE(b.Font().pointSizeF(), 9.75);
        QVERIFY(b.Font().bold());
        QVERIFY(b.Font().underline());
        QVERIFY(!b.Font().italic());
        QCOMPARE(b.ButtonType(), 1);
        QVERIFY(b.Value());
        QVERIFY(!b.IconVisible());
        // Writing the copy gives the same text again.
        QCOMPARE(bagOf(b).toJson(), bagOf(a).toJson());
    }

    void missingKeysGiveDefaults()
    {
        const auto bag = parse("{}");
        QVERIFY(bag);
        StyledButton b; // a new control starts at Style 0
        b.setStyle(0);
        b.setIconAlign(0);
        b.readProperties(*bag);
        QCOMPARE(b.Style(), 3);
        QCOMPARE(b.Caption(), QStringLiteral("StyledButton"));
        QCOMPARE(b.IconAlign(), 1);
        QCOMPARE(b.IconSize(), qint16(16));
        QCOMPARE(b.NonThemeStyle(), 5);
        QCOMPARE(b.ToolTipType(), 1);
        QVERIFY(b.Enabled());
        QVERIFY(b.IconVisible());
        QCOMPARE(b.BackColor(), QColor(236, 233, 216));
        QCOMPARE(b.HighlightColor(), QColor(49, 106, 197));
        QCOMPARE(b.FontHighlightColor(), QColor(Qt::black));
        // The tooltip colours cross over: background from the tip's text colour.
        QCOMPARE(b.ToolTipBackColor(), QColor(Qt::black));
        QCOMPARE(b.ToolTipForeColor(), QColor(255, 255, 225));
    }

    void allDefaultBagHoldsOnlyTheAlwaysWrittenKeys()
    {
        StyledButton b;
        b.readProperties(*parse("{}"));
        QCOMPARE(bagOf(b).keys(),
                 (QStringList{"Icon", "Tooltiptitle", "ToolTipIcon", "ToolTipType", "Font"}));
    }

    void styleZeroSurvives()
    {
        StyledButton a;
        a.readProperties(*parse("{}"));
        a.setStyle(0);
        const ButtonPropertyBag bag = bagOf(a);
        QCOMPARE(bag.value(QStringLiteral("style")).toInt(), 0);
        StyledButton b;
        b.readProperties(*ButtonPropertyBag::fromJson(bag.toJson(), nullptr));
        QCOMPARE(b.Style(), 0);
    }

    void keysIgnoreCaseAndForeignEntriesStay()
    {
        const auto bag = parse("{\"style\": 9, \"ICONSIZE\": 24, \"usecustomcolors\": true,\n"
                               "                                   \"tooltiptitle\": \"t\", "
                               "\"Name\": \"cmdOK\", \"Left\": 12}");
        QVERIFY(bag);
        StyledButton b;
        b.readProperties(*bag);
        QCOMPARE(b.Style(), 9);
        QCOMPARE(b.IconSize(), qint16(24));
        QVERIFY(b.UseCustomColors());
        QCOMPARE(b.ToolTipTitle(), QStringLiteral("t"));
        ButtonPropertyBag out = *bag;
        b.writeProperties(out);
        const auto again = ButtonPropertyBag::fromJson(out.toJson(), nullptr);
        QVERIFY(again);
        QCOMPARE(again->value(QStringLiteral("name")).toString(), QStringLiteral("cmdOK"));
        QCOMPARE(again->value(QStringLiteral("Left")).toInt(), 12);
        QCOMPARE(again->keys()
                     .filter(QRegularExpression(QStringLiteral("^style$"),
                                                QRegularExpression::CaseInsensitiveOption))
                     .size(),
                 1);
    }

    void badBagsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("empty file") << QByteArray() << "JSON";
        QTest::newRow("cut short") << QByteArray("{\"Style\": 5,") << "JSON";
        QTest::newRow("a list") << QByteArray("[1, 2]") << "object";
        QTest::newRow("style as text") << QByteArray("{\"Style\": \"five\"}") << "Style";
        QTest::newRow("fractional style") << QByteArray("{\"Style\": 2.5}") << "Style";
        QTest::newRow("style past 32 bits") << QByteArray("{\"Style\": 3000000000}") << "Style";
        QTest::newRow("icon size past 16 bits")
            << QByteArray("{\"IconSize\": 40000}") << "IconSize";
        QTest::newRow("boolean as number") << QByteArray("{\"Enabled\": 1}") << "Enabled";
        QTest::newRow("colour by name") << QByteArray("{\"BackColor\": \"red\"}") << "BackColor";
        QTest::newRow("colour too short")
            << QByteArray("{\"ttForeColor\": \"#12345\"}") << "ttForeColor";
        QTest::newRow("missing picture") << QByteArray("{\"Icon\": \":/no/such.png\"}") << "Icon";
        QTest::newRow("picture not base64")
            << QByteArray("{\"Icon\": {\"png\": \"@@@\"}}") << "Icon";
        QTest::newRow("picture not a png")
            << QByteArray("{\"Icon\": {\"png\": \"aGVsbG8=\"}}") << "Icon";
        QTest::newRow("font without family") << QByteArray("{\"Font\": {\"size\": 9}}") << "Font";
        QTest::newRow("font of no size")
            << QByteArray("{\"Font\": {\"family\": \"X\", \"size\": 0}}") << "Font";
        QTest::newRow("font flag as text")
            << QByteArray("{\"Font\": {\"family\": \"X\", \"size\": 9, \"bold\": \"yes\"}}")
            << "Font";
        QTest::newRow("key twice in two cases")
            << QByteArray("{\"Style\": 5, \"STYLE\": 6}") << "twice";
    }
    void badBagsAreRefused()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, mentions);
        QString error;
        QVERIFY(!ButtonPropertyBag::fromJson(json, &error));
        QVERIFY2(error.contains(mentions), qPrintable(error));
    }

    // What a bag writes, straight or through a button, reads back the same.
    void writtenBagsReadBack_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("font family with a comma and DEL")
            << QByteArray("{\"Font\": {\"family\": \",=h\x7fma\", \"size\": 9}}");
        QTest::newRow("font family in quotes")
            << QByteArray("{\"Font\": {\"family\": \"\\\"\\\"\", \"size\": 9}}");
        QTest::newRow("font family of blanks and commas")
            << QByteArray("{\"Font\": {\"family\": \" , \", \"size\": 9}}");
    }
    void writtenBagsReadBack()
    {
        QFETCH(QByteArray, json);
        QString error;
        const auto bag = ButtonPropertyBag::fromJson(json, &error);
        QVERIFY2(bag, qPrintable(error));
        const auto again = ButtonPropertyBag::fromJson(bag->toJson(), &error);
        QVERIFY2(again, qPrintable(error));
        QCOMPARE(again->toJson(), bag->toJson());
        StyledButton b;
        bag->applyTo(b);
        const QByteArray stored = bagOf(b).toJson();
        const auto fromButton = ButtonPropertyBag::fromJson(stored, &error);
        QVERIFY2(fromButton, qPrintable(error));
        StyledButton c;
        fromButton->applyTo(c);
        QCOMPARE(bagOf(c).toJson(), stored);
    }

    void dialogButtonFromFile()
    {
        QTemporaryDir dir;
        const QString iconPath = dir.filePath(QStringLiteral("ok.png"));
        solidIcon(32, QColor(0, 128, 0)).pixmap(32).save(iconPath);
        const QString bagPath = dir.filePath(QStringLiteral("ok.json"));
        QFile file(bagPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("{\"Icon\": \"%1\", \"Style\": 5, \"Caption\": \"        O K\",\n"
                                  "            \"IconSize\": 32, \"IconAlign\": 1, "
                                  "\"iNonThemeStyle\": 0, \"Tooltiptitle\": \"\",\n"
                                  "            \"ToolTipIcon\": 0, \"ToolTipType\": 0, \"Font\": "
                                  "{\"family\": \"Tahoma\", \"size\": 9.75}}")
                       .arg(iconPath)
                       .toUtf8());
        file.close();

        StyledButton b;
        QString error;
        QVERIFY2(b.loadProperties(bagPath, &error), qPrintable(error));
        QCOMPARE(b.Style(), 5);
        QCOMPARE(b.Caption(), QStringLiteral("        O K"));
        QCOMPARE(b.IconSize(), qint16(32));
        QCOMPARE(b.iconSource(), iconPath);
        QCOMPARE(b.Font().pointSizeF(), 9.75);
        QVERIFY(b.Font().families().contains(QStringLiteral("DejaVu Sans")));
        // Written back, the picture is stored by its path again.
        QCOMPARE(bagOf(b).value(QStringLiteral("Icon")).value<ButtonPropertyBag::Picture>().source,
                 iconPath);

        QVERIFY(!b.loadProperties(dir.filePath(QStringLiteral("none.json")), &error));
        QVERIFY(error.contains(QStringLiteral("none.json")));
        const QString saved = dir.filePath(QStringLiteral("saved.json"));
        QVERIFY(bagOf(b).writeFile(saved, &error));
        StyledButton c;
        QVERIFY2(c.loadProperties(saved, &error), qPrintable(error));
        QCOMPARE(c.Caption(), b.Caption());
    }
};

QTEST_MAIN(TestButtonPropertyBag)
#include "tst_buttonpropertybag.moc"
