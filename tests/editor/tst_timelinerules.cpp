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
    QTest::addColumn<bool>("beginFirst");
    QTest::addColumn<qint64>("beginMs");
    QTest::addColumn<qint64>("endMs");
    QTest::addColumn<QStringList>("selRow");
    QTest::newRow("begin with no end: no length") << false << qint64(40000) << qint64(0)
                                                  << QStringList{"00:00:40", "00:00:00", "00:00:00"};
    QTest::newRow("begin before the end") << false << qint64(40000) << qint64(100000)
                                          << QStringList{"00:00:40", "00:01:40", "00:01:00"};
    QTest::newRow("begin equal to the end keeps the length") << false << qint64(30000) << qint64(30000)
                                                             << QStringList{"00:00:30", "00:00:30", "00:00:30"};
    QTest::newRow("end writes the length always") << true << qint64(30000) << qint64(30000)
                                                  << QStringList{"00:00:30", "00:00:30", "00:00:00"};
    QTest::newRow("end after the begin") << true << qint64(41000) << qint64(111000)
                                         << QStringList{"00:00:41", "00:01:51", "00:01:10"};
    QTest::newRow("one fraction: milliseconds in every cell")
        << true << qint64(70000) << qint64(63387 + 70000)
        << QStringList{"00:01:10.000", "00:02:13.387", "00:01:03.387"};
    QTest::newRow("the longest song") << true << qint64(0) << qint64(86399999)
                                      << QStringList{"00:00:00.000", "23:59:59.999", "23:59:59.999"};
}

void TestTimelineRules::publishing()
{
    QFETCH(bool, beginFirst);
    QFETCH(qint64, beginMs);
    QFETCH(qint64, endMs);
    TimelineModel model;
    Selection selection;
    model.follow(selection);
    if (beginFirst) {
        selection.setBegin(beginMs);
        selection.setEnd(endMs);
    } else {
        selection.setEnd(endMs);
        selection.setBegin(beginMs);
    }
    QTEST((QStringList{model.text(Label::lblSelBegin), model.text(Label::lblSelEnd),
                       model.text(Label::lblSelLength)}),
          "selRow");
    // With no song the View row is the empty whole song.
    QCOMPARE(model.text(Label::lblViewEnd), "00:00:00");
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
    const QList<Label> expected{Label::lblSelEnd, Label::lblSelLength};
    QCOMPARE(order, expected);

    spy.clear();
    selection.setBegin(qint64(20) * 1000);
    order.clear();
    for (const auto &args : spy)
        order.append(args.at(0).value<Label>());
    const QList<Label> expectedBegin{Label::lblSelBegin, Label::lblSelLength};
    QCOMPARE(order, expectedBegin);
    QCOMPARE(model.text(Label::lblSelLength), "00:00:50");
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
