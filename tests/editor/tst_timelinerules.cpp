// The time text, rounding to whole seconds, the strip's geometry and the way
// the label grid follows the selection.
#include "selection.h"
#include "formattime.h"
#include "timelinegeometry.h"
#include "timelinemodel.h"

#include <QSignalSpy>
#include <QTest>

using Label = TimelineModel::Label;
using Image = TimelineModel::Image;

class TestTimelineRules : public QObject
{
    Q_OBJECT
private slots:
    void formatTime_data();
    void formatTime();
    void toSeconds_data();
    void toSeconds();
    void geometryScales_data();
    void geometryScales();
    void publishing_data();
    void publishing();
    void publishingOrder();
    void startAndClose();
};

void TestTimelineRules::formatTime_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0 << "00:00:00";
    QTest::newRow("one digit") << 9 << "00:00:09";
    QTest::newRow("two digits") << 10 << "00:00:10";
    QTest::newRow("last second of a minute") << 59 << "00:00:59";
    QTest::newRow("a minute") << 60 << "00:01:00";
    QTest::newRow("last second of an hour") << 3599 << "00:59:59";
    QTest::newRow("an hour") << 3600 << "01:00:00";
    QTest::newRow("all fields") << 3661 << "01:01:01";
    QTest::newRow("two-digit hours full") << 359999 << "99:59:59";
    QTest::newRow("hours are not cut") << 360000 << "100:00:00";
    QTest::newRow("largest count") << 2147483647 << "596523:14:07";
}

void TestTimelineRules::formatTime()
{
    QFETCH(int, seconds);
    QFETCH(QString, text);
    QCOMPARE(FormatTime(seconds), text);
}

void TestTimelineRules::toSeconds_data()
{
    QTest::addColumn<int>("twipsPerPixel");
    QTest::addColumn<int>("T");
    QTest::addColumn<double>("L");
    QTest::addColumn<int>("seconds");
    QTest::newRow("half the strip") << 15 << 100 << 10920 / 2.0 << 50;
    QTest::newRow("2.5 rounds down to even") << 15 << 20 << 10920 / 8.0 << 2;
    QTest::newRow("7.5 rounds up to even") << 15 << 20 << 3 * 10920 / 8.0 << 8;
    QTest::newRow("0.5 rounds to 0") << 15 << 1 << 10920 / 2.0 << 0;
    QTest::newRow("1.5 rounds to 2") << 15 << 3 << 10920 / 2.0 << 2;
    QTest::newRow("the strip's end is T") << 15 << 218 << 10920.0 << 218;
    QTest::newRow("12 twips: end of 8736 is T") << 12 << 218 << 8736.0 << 218;
    QTest::newRow("12 twips: half") << 12 << 100 << 4368.0 << 50;
    QTest::newRow("T = 0 gives 0") << 15 << 0 << 5000.0 << 0;
    QTest::newRow("past the end is not clamped") << 15 << 100 << 21840.0 << 200;
    QTest::newRow("left of 0 is not clamped") << 15 << 100 << -1092.0 << -10;
}

void TestTimelineRules::toSeconds()
{
    QFETCH(int, twipsPerPixel);
    QFETCH(int, T);
    QFETCH(double, L);
    QFETCH(int, seconds);
    QCOMPARE(TimelineGeometry(twipsPerPixel).toSeconds(T, L), seconds);
}

void TestTimelineRules::geometryScales_data()
{
    QTest::addColumn<int>("twipsPerPixel");
    QTest::addColumn<int>("W");
    QTest::addColumn<int>("lineOffset");
    QTest::addColumn<int>("markerWidth");
    QTest::newRow("design screen") << 15 << 10920 << 90 << 195;
    QTest::newRow("12 twips per pixel") << 12 << 8736 << 72 << 156;
    QTest::newRow("nonsense falls back to design") << 0 << 10920 << 90 << 195;
}

void TestTimelineRules::geometryScales()
{
    QFETCH(int, twipsPerPixel);
    const TimelineGeometry geometry(twipsPerPixel);
    QTEST(geometry.stripWidth(), "W");
    QTEST(geometry.LineOffset(), "lineOffset");
    QTEST(geometry.markerWidth(), "markerWidth");
    // Whatever the screen, the strip and its marks stay the same in pixels.
    QCOMPARE(geometry.toPixels(geometry.stripWidth()), 728.0);
    QCOMPARE(geometry.toPixels(geometry.LineOffset()), 6.0);
}

void TestTimelineRules::publishing_data()
{
    QTest::addColumn<bool>("endChanged");
    QTest::addColumn<int>("selBegin");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<QString>("begin");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("length");
    // Labels start as "11:11:11" so that an untouched label is visible.
    const QString untouched = "11:11:11";
    QTest::newRow("begin with no end keeps the length") << false << 40 << 0 << "00:00:40" << untouched << untouched;
    QTest::newRow("begin before the end") << false << 40 << 100 << "00:00:40" << untouched << "00:01:00";
    QTest::newRow("begin equal to the end keeps the length") << false << 30 << 30 << "00:00:30" << untouched << untouched;
    QTest::newRow("end writes the length always") << true << 30 << 30 << untouched << "00:00:30" << "00:00:00";
    QTest::newRow("end after the begin") << true << 41 << 111 << untouched << "00:01:51" << "00:01:10";
}

void TestTimelineRules::publishing()
{
    QFETCH(bool, endChanged);
    QFETCH(int, selBegin);
    QFETCH(int, selEnd);
    TimelineModel model;
    for (Label label : {Label::lblSelBegin, Label::lblSelEnd, Label::lblSelLength, Label::lblViewBegin,
                        Label::lblViewEnd, Label::lblViewLength})
        model.setText(label, "11:11:11");
    Selection selection;
    if (endChanged)
        selection.setBegin(qint64(selBegin) * 1000);
    else
        selection.setEnd(qint64(selEnd) * 1000);
    model.follow(selection);
    if (endChanged)
        selection.setEnd(qint64(selEnd) * 1000);
    else
        selection.setBegin(qint64(selBegin) * 1000);
    QTEST(model.text(Label::lblSelBegin), "begin");
    QTEST(model.text(Label::lblSelEnd), "end");
    QTEST(model.text(Label::lblSelLength), "length");
    // The View row always repeats the Sel row.
    QCOMPARE(model.text(Label::lblViewBegin), model.text(Label::lblSelBegin));
    QCOMPARE(model.text(Label::lblViewEnd), model.text(Label::lblSelEnd));
    QCOMPARE(model.text(Label::lblViewLength), model.text(Label::lblSelLength));
}

void TestTimelineRules::publishingOrder()
{
    TimelineModel model;
    Selection selection;
    selection.setBegin(qint64(10) * 1000);
    model.follow(selection);
    QSignalSpy spy(&model, &TimelineModel::labelChanged);
    selection.setEnd(qint64(70) * 1000);
    QList<Label> order;
    for (const auto &args : spy)
        order.append(args.at(0).value<Label>());
    const QList<Label> expected{Label::lblSelEnd, Label::lblViewEnd, Label::lblSelLength, Label::lblViewLength};
    QCOMPARE(order, expected);

    spy.clear();
    selection.setBegin(qint64(20) * 1000);
    order.clear();
    for (const auto &args : spy)
        order.append(args.at(0).value<Label>());
    const QList<Label> expectedBegin{Label::lblSelBegin, Label::lblViewBegin, Label::lblSelLength,
                                     Label::lblViewLength};
    QCOMPARE(order, expectedBegin);
    QCOMPARE(model.text(Label::lblViewLength), "00:00:50");
}

void TestTimelineRules::startAndClose()
{
    TimelineModel model(12);
    // At start: begin set at 0, end set at W, handles hidden, pointer shown at 0.
    QCOMPARE(model.left(Image::imgSelectTop1), 0);
    QCOMPARE(model.left(Image::imgSelectLine1), 72);
    QCOMPARE(model.left(Image::imgSelectTop2), 8736);
    QCOMPARE(model.left(Image::imgSelectBottom2), 8736);
    QCOMPARE(model.left(Image::imgSelectLine2), 8736 + 72);
    QVERIFY(!model.isVisible(Image::imgSelectTop1));
    QVERIFY(!model.isVisible(Image::imgSelectLine2));
    QVERIFY(model.isVisible(Image::imgTopPoint));
    QCOMPARE(model.T(), 0);

    Selection selection;
    model.follow(selection);
    selection.set(qint64(4) * 1000, qint64(9) * 1000);
    model.setVisible(Image::imgSelectTop1, true);
    model.placeSet(TimelineModel::MarkerSet::Begin, 1000);
    model.placeSet(TimelineModel::MarkerSet::Pointer, 3000);
    model.setText(Label::lblTime, "00:00:07");

    model.resetForClose();
    QCOMPARE(model.left(Image::imgTopPoint), 0);
    QCOMPARE(model.left(Image::imgLine), 72);
    QVERIFY(!model.isVisible(Image::imgSelectTop1));
    QCOMPARE(model.left(Image::imgSelectTop1), 1000);   // hidden where it stood
    for (int i = 0; i < TimelineModel::LabelCount; ++i)
        QCOMPARE(model.text(static_cast<Label>(i)), "00:00:00");
}

QTEST_GUILESS_MAIN(TestTimelineRules)
#include "tst_timelinerules.moc"
