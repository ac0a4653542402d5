// Reading a typed time and writing one with its fraction.
#include "formattime.h"
#include "typedtime.h"

#include <QTest>

class TestTypedTime : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void formatMs_data();
    void formatMs();
};

void TestTypedTime::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("ms");   // -1: refused

    QTest::newRow("HH:MM:SS.mmm") << "00:00:10.250" << 10250LL;
    QTest::newRow("hours count") << "01:02:03.004" << 3723004LL;
    QTest::newRow("MM:SS.mmm") << "01:10.5" << 70500LL;
    QTest::newRow("long minutes") << "75:00" << 4500000LL;
    QTest::newRow("plain seconds") << "10.25" << 10250LL;
    QTest::newRow("whole seconds") << "90" << 90000LL;
    QTest::newRow("one fraction digit is tenths") << "0:0:1.5" << 1500LL;
    QTest::newRow("blanks around") << "  00:00:20.750 " << 20750LL;
    QTest::newRow("hours beyond two digits") << "100:00:00" << 360000000LL;
    QTest::newRow("zero") << "0" << 0LL;

    // Refused, row by row with the reason.
    QTest::newRow("empty") << "" << -1LL;
    QTest::newRow("blanks only") << "   " << -1LL;
    QTest::newRow("letters") << "ten" << -1LL;
    QTest::newRow("sixty seconds") << "00:00:60" << -1LL;
    QTest::newRow("sixty minutes") << "00:60:00" << -1LL;
    QTest::newRow("seconds of three digits after a colon") << "1:100" << -1LL;
    QTest::newRow("four fraction digits") << "10.2500" << -1LL;
    QTest::newRow("dot without digits") << "10." << -1LL;
    QTest::newRow("no whole part") << ".5" << -1LL;
    QTest::newRow("two dots") << "1.2.3" << -1LL;
    QTest::newRow("four fields") << "1:2:3:4" << -1LL;
    QTest::newRow("empty field") << "1::3" << -1LL;
    QTest::newRow("negative") << "-5" << -1LL;
    QTest::newRow("sign") << "+5" << -1LL;
    QTest::newRow("comma for a dot") << "10,25" << -1LL;
    QTest::newRow("blank inside") << "1 0" << -1LL;
    QTest::newRow("exponent") << "1e3" << -1LL;
    QTest::newRow("fraction of minutes") << "1.5:00" << -1LL;
    QTest::newRow("wide digits") << "１０" << -1LL;
    QTest::newRow("too many digits to hold") << "99999999999999999999" << -1LL;
    QTest::newRow("hours too long") << "1234567:00:00" << -1LL;
}

void TestTypedTime::parse()
{
    QFETCH(QString, text);
    QFETCH(qint64, ms);
    const std::optional<qint64> got = parseTypedTime(text);
    QCOMPARE(got.has_value(), ms >= 0);
    if (got)
        QCOMPARE(*got, ms);
}

void TestTypedTime::formatMs_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");

    // Whole seconds read exactly as they always have.
    QTest::newRow("0") << 0LL << "00:00:00";
    QTest::newRow("10 s") << 10000LL << "00:00:10";
    QTest::newRow("100 h") << 360000000LL << "100:00:00";
    QTest::newRow("a quarter") << 10250LL << "00:00:10.25";
    QTest::newRow("a half") << 20500LL << "00:00:20.5";
    QTest::newRow("a millisecond") << 3601001LL << "01:00:01.001";
    QTest::newRow("under a second") << 999LL << "00:00:00.999";
}

void TestTypedTime::formatMs()
{
    QFETCH(qint64, ms);
    QFETCH(QString, text);
    QCOMPARE(formatTimeMs(ms), text);
    // What is shown reads back as the same time.
    QCOMPARE(parseTypedTime(text), std::optional<qint64>(ms));
}

QTEST_GUILESS_MAIN(TestTypedTime)
#include "tst_typedtime.moc"
