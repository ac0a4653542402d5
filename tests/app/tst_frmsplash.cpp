#include "apptestsupport.h"
#include "frmsplash.h"

#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class TestFrmSplash : public QObject
{
    Q_OBJECT
private slots:
    void textsThenHandOver();
    void timerHandsOverOnce();
};

void TestFrmSplash::textsThenHandOver()
{
    MainWindowFixture fixture;
    std::unique_ptr<frmMain> main;
    int created = 0;
    QPointer<frmSplash> splash = new frmSplash(
        [&]() -> QWidget * {
            ++created;
            main = std::make_unique<frmMain>(fixture.environment());
            return main.get();
        },
        0);
    splash->show();
    QVERIFY(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(splash->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash->findChild<QLabel *>(QStringLiteral("Label1"))->text(),
             QStringLiteral("Loading..."));

    splash->Timer1_Timer();
    QCOMPARE(splash->loadingText(), QStringLiteral("加载图形..."));
    QVERIFY(splash->isVisible());
    QCOMPARE(created, 0);

    splash->Timer1_Timer();
    QCOMPARE(splash->loadingText(), QStringLiteral("加载组件中..."));
    QCOMPARE(created, 0);

    QSignalSpy handedOver(splash.data(), &frmSplash::handedOver);
    splash->Timer1_Timer();
    QCOMPARE(created, 1);
    QCOMPARE(handedOver.count(), 1);
    QCOMPARE(handedOver.first().first().value<QWidget *>(), main.get());
    QVERIFY(main->isVisible());
    QTRY_VERIFY(splash.isNull());
}

void TestFrmSplash::timerHandsOverOnce()
{
    QWidget mainWindow;
    int created = 0;
    QPointer<frmSplash> splash = new frmSplash(
        [&]() -> QWidget * {
            ++created;
            return &mainWindow;
        },
        5);
    splash->show();
    QTRY_VERIFY(splash.isNull());
    // Later ticks would make a second main window: by the time a timer of
    // the same pace started now has ticked three times, they would have come.
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QSignalSpy probeTicks(&probe, &QTimer::timeout);
    probe.start(5);
    QTRY_VERIFY(probeTicks.count() >= 3);
    QCOMPARE(created, 1);
    QVERIFY(mainWindow.isVisible());
}

QTEST_MAIN(TestFrmSplash)
#include "tst_frmsplash.moc"
