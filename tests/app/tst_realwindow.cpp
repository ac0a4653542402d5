// A real window on a real X server: the skin's key colour is cut out of the
// window's shape, and dragging the bare skin moves the window.
#include "apptestsupport.h"
#include "frmsetting.h"

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QMouseEvent>
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

bool runXdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(xdotool(), arguments);
    return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}

// Moves the pointer and waits until the server has it there.
bool movePointer(const QPoint &to)
{
    return runXdotool({QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y())})
           && QTest::qWaitFor([&] { return QCursor::pos() == to; });
}

// Where the server has the window. The window manager may tell the window
// where it went only once a move ends.
QPoint serverPos(const QWidget &window)
{
    QProcess process;
    process.start(xdotool(), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"),
                              QString::number(window.winId())});
    if (!process.waitForFinished(5000))
        return {-1, -1};
    QPoint at(-1, -1);
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        if (line.startsWith("X="))
            at.setX(line.mid(2).toInt());
        else if (line.startsWith("Y="))
            at.setY(line.mid(2).toInt());
    }
    return at;
}

// Moves the pointer with the button held and waits until the server has
// `window` at `expected`. A window manager takes the pointer some time after the window
// asks it to move, and a move made before that is lost to it; the pointer
// then reaches `to` again by way of a neighbouring point until the window
// has followed. Where the window manager has it, only the last point counts.
bool dragTo(QWidget &window, const QPoint &to, const QPoint &expected)
{
    const QDeadlineTimer deadline(20000);
    for (bool first = true; !deadline.hasExpired(); first = false) {
        if (!first && !movePointer(to + QPoint(0, 1)))
            return false;
        if (!movePointer(to))
            return false;
        if (QTest::qWaitFor([&] { return serverPos(window) == expected; }, 250))
            return true;
    }
    const QPoint at = serverPos(window);
    qWarning("window at (%d, %d), expected (%d, %d)", at.x(), at.y(), expected.x(), expected.y());
    return false;
}

// What the widgets have seen of the mouse.
class PointerLog : public QObject
{
public:
    PointerLog() { qApp->installEventFilter(this); }
    ~PointerLog() override { qApp->removeEventFilter(this); }

    int presses = 0;
    QPoint lastMove{-1, -1}; // global

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!watched->isWidgetType())
            return false;
        if (event->type() == QEvent::MouseButtonPress)
            ++presses;
        else if (event->type() == QEvent::MouseMove)
            lastMove = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        return false;
    }
};

// Shows the window and waits until the window manager, if any, has placed
// it and handed it the focus, so that it stays where it is until moved.
bool showSettled(QWidget &window)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
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
    QVERIFY(showSettled(window));

    const QImage skin = window.skin().toImage().convertToFormat(QImage::Format_RGB32);
    const int skinKeys = keyPixels(skin, skin.rect());
    QVERIFY2(skinKeys > 0, "the skin cuts nothing away");

    // The server has drawn the window once its bare skin shows on the screen.
    const QRect frame(window.mapToGlobal(QPoint(0, 0)), window.size());
    const QPoint bare(600, 75);
    QImage shot;
    QVERIFY(QTest::qWaitFor([&] {
        shot = window.screen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
        return shot.rect().contains(frame)
               && shot.pixel(frame.topLeft() + bare) == skin.pixel(bare);
    }));
    // No key colour reaches the screen: where the skin has it, the desktop shows.
    QCOMPARE(keyPixels(shot, frame), 0);
    const QPoint corner(0, 0);
    QCOMPARE(skin.pixel(corner), SkinnedWindow::KeyColor);
    QCOMPARE(shot.pixel(frame.topLeft() + corner), shot.pixel(frame.topLeft() - QPoint(1, 1)));
    // The body is opaque: the screen shows the skin's own colour there.
    QCOMPARE(QColor(shot.pixel(frame.topLeft() + bare)), QColor(skin.pixel(bare)));
}

void TestRealWindow::dragMovesTheWindow()
{
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    window.move(150, 120);
    QVERIFY(showSettled(window));
    const QPoint before = window.pos();
    QTRY_COMPARE(serverPos(window), before);
    const QPoint grab = window.mapToGlobal(QPoint(600, 75)); // bare skin
    PointerLog log;
    QVERIFY(movePointer(grab));
    QVERIFY(runXdotool({QStringLiteral("mousedown"), QStringLiteral("1")}));
    QTRY_COMPARE(log.presses, 1);
    // The window follows the pointer from the press on.
    for (int step = 1; step <= 4; ++step)
        QVERIFY(dragTo(window, grab + QPoint(20, 10) * step, before + QPoint(20, 10) * step));
    QVERIFY(runXdotool({QStringLiteral("mouseup"), QStringLiteral("1")}));
    QTRY_COMPARE(window.pos(), before + QPoint(80, 40));
}

void TestRealWindow::dragMovesTheSettingsDialog()
{
    frmSetting dialog(SetupValues{}, ScreenScale());
    dialog.move(300, 200);
    QVERIFY(showSettled(dialog));
    const QPoint before = dialog.pos();
    QTRY_COMPARE(serverPos(dialog), before);
    const QPoint grab = dialog.mapToGlobal(QPoint(200, 40)); // bare title bar
    QVERIFY(!dialog.childAt(QPoint(200, 40)));
    PointerLog log;
    QVERIFY(movePointer(grab));
    QVERIFY(runXdotool({QStringLiteral("mousedown"), QStringLiteral("1")}));
    QTRY_COMPARE(log.presses, 1);
    // The dialog starts moving on the first move with the button down and
    // is held from there on. That move must reach it on its own, not merged
    // with the next, or the drag would start from the wrong place.
    const QPoint start = grab + QPoint(1, 1);
    QVERIFY(movePointer(start));
    QTRY_COMPARE(log.lastMove, start);
    for (int step = 1; step <= 4; ++step)
        QVERIFY(dragTo(dialog, start + QPoint(15, 10) * step, before + QPoint(15, 10) * step));
    QVERIFY(runXdotool({QStringLiteral("mouseup"), QStringLiteral("1")}));
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
