#include "timelabels.h"
#include "timerow.h"
#include "timeruler.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTest>

#include <cmath>

namespace {
constexpr qint64 S = 1000, M = 60 * S, H = 60 * M;

// A font of `px` pixels for every character.
std::function<int(const QString &)> fixedWidth(int px)
{
    return [px](const QString &text) { return int(text.size()) * px; };
}
} // namespace

class TestTimeRuler : public QObject
{
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
    void labels_data();
    void labels();
    void rowTexts_data();
    void rowTexts();
    void longestTimeFits_data();
    void longestTimeFits();
};

void TestTimeRuler::steps_data()
{
    QTest::addColumn<qint64>("begin");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("charWidth");
    QTest::addColumn<qint64>("step");

    QTest::newRow("3:20 song, whole") << 0LL << 200 * S << 728 << 7 << 10 * S;
    QTest::newRow("3:20 song, larger font") << 0LL << 200 * S << 728 << 14 << 30 * S;
    QTest::newRow("3:00 song, narrow") << 0LL << 180 * S << 100 << 7 << 5 * M;
    QTest::newRow("zoomed 15.8-60.8 s") << 15800LL << 60800LL << 728 << 7 << 5 * S;
    QTest::newRow("one hour") << 0LL << H << 728 << 7 << 5 * M;
    QTest::newRow("24 hours") << 0LL << 24 * H << 728 << 7 << 6 * H;
    QTest::newRow("two seconds") << 10 * S << 12 * S << 728 << 7 << 500LL;
    QTest::newRow("twenty milliseconds") << M << M + 20 << 728 << 7 << 5LL;
    QTest::newRow("too narrow for a label: a bare tick") << 0LL << 60 * S << 5 << 7 << 10 * M;
    QTest::newRow("empty view") << 5 * S << 5 * S << 728 << 7 << 0LL;
}

void TestTimeRuler::steps()
{
    QFETCH(qint64, begin);
    QFETCH(qint64, end);
    QFETCH(int, width);
    QFETCH(int, charWidth);
    QFETCH(qint64, step);

    const auto measure = fixedWidth(charWidth);
    const TimeRuler::Scale scale = TimeRuler::scale(begin, end, width, measure);
    QCOMPARE(scale.stepMs, step);
    if (step == 0) {
        QVERIFY(scale.ticks.isEmpty());
        return;
    }
    QVERIFY(!scale.ticks.isEmpty());
    QVERIFY(scale.ticks.first().ms - begin < step);
    QVERIFY(end - scale.ticks.last().ms < step);
    for (int i = 0; i < scale.ticks.size(); ++i) {
        const TimeRuler::Tick &tick = scale.ticks.at(i);
        QCOMPARE(tick.ms % step, 0);
        QVERIFY(tick.ms >= begin && tick.ms <= end);
        QVERIFY(tick.x >= 0 && tick.x <= width);
        // Inside the ruler, and clear of the next tick's label.
        QVERIFY(tick.x + measure(tick.label) <= width);
        if (i + 1 < scale.ticks.size())
            QVERIFY2(tick.x + measure(tick.label) + TimeRuler::LabelGap <= scale.ticks.at(i + 1).x,
                     qPrintable(tick.label));
    }
}

void TestTimeRuler::labels_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<qint64>("step");
    QTest::addColumn<qint64>("viewEnd");
    QTest::addColumn<QString>("label");
    QTest::newRow("minutes") << 65 * S << S << 200 * S << "1:05";
    QTest::newRow("an hour's view") << H + 5 * S << 5 * S << 2 * H << "1:00:05";
    QTest::newRow("tenths") << 10500LL << 500LL << 12 * S << "0:10.5";
    QTest::newRow("hundredths") << 1250LL << 50LL << 2 * S << "0:01.25";
    QTest::newRow("thousandths") << 61001LL << 1LL << 62 * S << "1:01.001";
}

void TestTimeRuler::labels()
{
    QFETCH(qint64, ms);
    QFETCH(qint64, step);
    QFETCH(qint64, viewEnd);
    QFETCH(QString, label);
    QCOMPARE(TimeRuler::label(ms, step, viewEnd), label);
}

void TestTimeRuler::rowTexts_data()
{
    QTest::addColumn<QList<qint64>>("times");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("whole seconds") << QList<qint64>{0, 70 * S, 70 * S}
                                   << QStringList{"00:00:00", "00:01:10", "00:01:10"};
    QTest::newRow("one fraction makes the row precise")
        << QList<qint64>{63387, 70 * S, 6613}
        << QStringList{"00:01:03.387", "00:01:10.000", "00:00:06.613"};
    QTest::newRow("a single millisecond") << QList<qint64>{0, 1, 1}
                                          << QStringList{"00:00:00.000", "00:00:00.001", "00:00:00.001"};
    QTest::newRow("three digits always") << QList<qint64>{10 * S + 250, 20 * S}
                                         << QStringList{"00:00:10.250", "00:00:20.000"};
    QTest::newRow("longest song") << QList<qint64>{0, 24 * H - 1, 24 * H - 1}
                                  << QStringList{"00:00:00.000", "23:59:59.999", "23:59:59.999"};
    QTest::newRow("hours keep every digit") << QList<qint64>{100 * H} << QStringList{"100:00:00"};
}

void TestTimeRuler::rowTexts()
{
    QFETCH(QList<qint64>, times);
    QFETCH(QStringList, texts);
    QCOMPARE(TimeRow::texts(times), texts);
}

void TestTimeRuler::longestTimeFits_data()
{
    // The screen's kx, which fonts and cells grow with, and Qt's own scaling
    // of a 2x screen (the test also runs with QT_SCALE_FACTOR=2).
    QTest::addColumn<double>("fontScale");
    QTest::addColumn<qreal>("pixelRatio");
    QTest::newRow("1x") << 1.0 << 1.0;
    QTest::newRow("2x, scaled by Qt") << 1.0 << 2.0;
    QTest::newRow("120 dpi") << 1.25 << 1.0;
    QTest::newRow("192 dpi") << 2.0 << 1.0;
}

void TestTimeRuler::longestTimeFits()
{
    QFETCH(double, fontScale);
    QFETCH(qreal, pixelRatio);
    TimelineModel model;
    QWidget window;
    TimeLabels labels(model, &window, fontScale);
    QLabel *cell = labels.label(TimelineModel::Label::lblViewLength);
    const QFont font = cell->font();
    QCOMPARE(font, TimeLabels::gridFont(fontScale));
    // Still a size that reads well.
    QVERIFY2(font.pointSizeF() >= 7.0 * fontScale, qPrintable(QString::number(font.pointSizeF())));
    const int room = int(std::lround(TimeLabels::ColumnWidth * fontScale));

    // The longest time, and the widest digit in every place.
    QStringList texts{QStringLiteral("23:59:59.999")};
    for (char digit = '0'; digit <= '9'; ++digit)
        texts << QStringLiteral("00:00:00.000").replace(u'0', QLatin1Char(digit));
    for (const QString &text : texts) {
        model.setText(TimelineModel::Label::lblViewLength, text);
        QCOMPARE(cell->width(), room);
        // The ink as the screen draws it, which at 2x is unhinted.
        QImage image(QSize(2 * room, cell->height()) * pixelRatio, QImage::Format_RGB32);
        image.setDevicePixelRatio(pixelRatio);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(font);
        painter.drawText(QPointF(1, QFontMetricsF(font).ascent()), cell->text());
        painter.end();
        int right = 0;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                right = image.pixel(x, y) != qRgb(255, 255, 255) ? x : right;
        QVERIFY2(right > 0 && right / pixelRatio + 1 <= room - 1,
                 qPrintable(QStringLiteral("%1 reaches %2 of %3").arg(text).arg(right / pixelRatio).arg(room)));
    }
}

QTEST_MAIN(TestTimeRuler)
#include "tst_timeruler.moc"
