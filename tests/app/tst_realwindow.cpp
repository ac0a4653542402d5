// A real window on a real X server: the skin's key colour is cut out of the
// window's shape, and dragging the bare skin moves the window.
#include "apptestsupport.h"
#include "frmsetting.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace {
QString xdotool()
{
    return QStandardPaths::findExecutable(QStringLiteral("xdotool"));
}

void runXdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(xdotool(), arguments);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
}

int keyPixels(const QImage &image, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == (SkinnedWindow::KeyColor & 0xFFFFFF);
    }
    return count;
}
} // namespace

class TestRealWindow : public QObject
{
    Q_OBJECT
private slots:
    void keyColourIsCutOut();
    void dragMovesTheWindow();
    void dragMovesTheSettingsDialog();
};

void TestRealWindow::keyColourIsCutOut()
{
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    window.move(200, 150);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(300); // let the server draw

    const QImage skin = window.skin().toImage().convertToFormat(QImage::Format_RGB32);
    const int skinKeys = keyPixels(skin, skin.rect());
    QVERIFY2(skinKeys > 0, "the skin cuts nothing away");

    const QRect frame(window.mapToGlobal(QPoint(0, 0)), window.size());
    const QImage shot = window.screen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(shot.rect().contains(frame));
    // No key colour reaches the screen: where the skin has it, the desktop shows.
    QCOMPARE(keyPixels(shot, frame), 0);
    const QPoint corner(0, 0);
    QCOMPARE(skin.pixel(corner), SkinnedWindow::KeyColor);
    QCOMPARE(shot.pixel(frame.topLeft() + corner), shot.pixel(frame.topLeft() - QPoint(1, 1)));
    // The body is opaque: the screen shows the skin's own colour there.
    const QPoint bare(600, 75);
    QCOMPARE(QColor(shot.pixel(frame.topLeft() + bare)), QColor(skin.pixel(bare)));
}

void TestRealWindow::dragMovesTheWindow()
{
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    window.move(150, 120);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(200);
    const QPoint before = window.pos();
    const QPoint grab = window.mapToGlobal(QPoint(600, 75)); // bare skin
    runXdotool({QStringLiteral("mousemove"), QString::number(grab.x()), QString::number(grab.y())});
    QTest::qWait(100);
    runXdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    QTest::qWait(150);
    for (int step = 1; step <= 4; ++step) {
        const QPoint to = grab + QPoint(20, 10) * step;
        runXdotool({QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y())});
        QTest::qWait(60);
    }
    runXdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    QTRY_COMPARE(window.pos(), before + QPoint(80, 40));
}

void TestRealWindow::dragMovesTheSettingsDialog()
{
    frmSetting dialog(SetupValues{}, ScreenScale());
    dialog.move(300, 200);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(200);
    const QPoint before = dialog.pos();
    const QPoint grab = dialog.mapToGlobal(QPoint(200, 40)); // bare title bar
    QVERIFY(!dialog.childAt(QPoint(200, 40)));
    const auto moveTo = [](const QPoint &to) {
        runXdotool({QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y())});
        QTest::qWait(80);
    };
    moveTo(grab);
    runXdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    QTest::qWait(100);
    // The dialog starts moving on the first move with the button down and
    // is held from there on.
    moveTo(grab + QPoint(1, 1));
    for (int step = 1; step <= 4; ++step)
        moveTo(grab + QPoint(1, 1) + QPoint(15, 10) * step);
    runXdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    QTRY_COMPARE(dialog.pos(), before + QPoint(60, 40));
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("SKIP: no X server (DISPLAY is not set)");
        return 77;
    }
    if (xdotool().isEmpty()) {
        std::puts("SKIP: xdotool is not installed");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestRealWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_realwindow.moc"
