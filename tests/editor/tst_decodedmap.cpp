#include "decodedmap.h"

#include <QTest>

namespace {
// "0-100,300-400" as runs, in the order written.
QList<DecodedMap::Run> runsOf(const QString &text)
{
    QList<DecodedMap::Run> runs;
    for (const QString &part : text.split(',', Qt::SkipEmptyParts)) {
        const QStringList ends = part.split('-');
        runs.append({ends[0].toLongLong(), ends[1].toLongLong()});
    }
    return runs;
}
} // namespace

class TestDecodedMap : public QObject
{
    Q_OBJECT
private slots:
    void merging_data();
    void merging();
    void queries();
    void endAndWithdraw();
};

void TestDecodedMap::merging_data()
{
    QTest::addColumn<QString>("added");
    QTest::addColumn<QString>("expected");

    QTest::newRow("growing prefix") << "0-10,0-25,0-40" << "0-40";
    QTest::newRow("runs in order, touching") << "0-10,10-20,20-30" << "0-30";
    QTest::newRow("runs out of order, gaps") << "50-60,0-10,20-30" << "0-10,20-30,50-60";
    QTest::newRow("a run fills two gaps") << "0-10,20-30,40-50,5-45" << "0-50";
    QTest::newRow("a run inside another") << "0-100,20-30" << "0-100";
    QTest::newRow("overlap on the left") << "20-30,10-25" << "10-30";
    QTest::newRow("empty and reversed ignored") << "5-5,9-3,0-4" << "0-4";
}

void TestDecodedMap::merging()
{
    QFETCH(QString, added);
    QFETCH(QString, expected);

    DecodedMap map;
    map.reset(100);
    for (const DecodedMap::Run &r : runsOf(added))
        map.add(r.first, r.end);
    QCOMPARE(map.runs(), runsOf(expected));
}

void TestDecodedMap::queries()
{
    DecodedMap map;
    map.reset(100);
    map.add(10, 20);
    map.add(40, 60);

    struct Row { qint64 first, end; bool contains; qint64 readyUntil, nextWritten; };
    const Row rows[] = {
        {0, 5, false, 0, 10},     // before the first run
        {10, 20, true, 20, 10},   // exactly one run
        {15, 25, false, 20, 15},  // runs past a run's end
        {20, 40, false, 20, 40},  // the gap between runs
        {59, 60, true, 60, 59},   // the last frame written
        {60, 61, false, 60, -1},  // past everything written
        {30, 30, true, 30, 40},   // an empty stretch always holds
    };
    for (const Row &r : rows) {
        QCOMPARE(map.contains(r.first, r.end), r.contains);
        QCOMPARE(map.readyUntil(r.first), r.readyUntil);
        QCOMPARE(map.nextWritten(r.first), r.nextWritten);
    }
    QCOMPARE(map.decodedFrames(), 30);
}

void TestDecodedMap::endAndWithdraw()
{
    DecodedMap map;
    map.reset(1000);
    map.add(500, 700);
    map.withdraw(); // a parallel attempt gave up
    QVERIFY(map.isEmpty());
    QCOMPARE(map.expectedFrames(), 1000);
    map.add(0, 300);
    QVERIFY(!map.isComplete());
    map.complete(998); // the real length differs from the estimate
    QVERIFY(map.isComplete());
    QCOMPARE(map.runs(), runsOf("0-998"));
    QVERIFY(map.contains(0, 998));
    QVERIFY(!map.contains(0, 999));
}

QTEST_APPLESS_MAIN(TestDecodedMap)
#include "tst_decodedmap.moc"
