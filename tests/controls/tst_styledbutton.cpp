#include "styledbutton.h"
#include "testpalette.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTest>

namespace
{

// A window holding one button away from its edges, so the pointer can be
// moved off the button onto the window.
struct Host {
    QWidget window;
    StyledButton *button = nullptr;
    Host()
    {
        window.resize(200, 100);
        button = new StyledButton(&window);
        button->setGeometry(40, 30, 76, 24);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        leave();
    }
    void enter(QPoint at = QPoint(10, 10)) { QTest::mouseMove(button, at); }
    void leave() { QTest::mouseMove(&window, QPoint(5, 5)); }
};

} // namespace

class TestStyledButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(classicPalette());
    }

    void startValues()
    {
        StyledButton b;
        QCOMPARE(b.Style(), 0);
        QCOMPARE(b.IconSize(), qint16(16));
        QCOMPARE(b.captionFormat(), 17);
        QCOMPARE(b.BackColor(), QColor(236, 233, 216));
        QCOMPARE(b.HighlightColor(), QColor(49, 106, 197));
        QCOMPARE(b.Font().family(), QStringLiteral("Verdana"));
        QCOMPARE(b.Font().pointSizeF(), 8.25);
        QCOMPARE(StyledButton::Version(), QStringLiteral("3.0"));
    }

    void writersReportTheirName_data()
    {
        QTest::addColumn<QString>("reported");
        QTest::addColumn<std::function<void(StyledButton &)>>("write");
        using F = std::function<void(StyledButton &)>;
        QTest::newRow("Style") << "Style" << F([](StyledButton &b) { b.setStyle(7); });
        QTest::newRow("Caption") << "Caption" << F([](StyledButton &b) { b.setCaption("x"); });
        QTest::newRow("IconAlign") << "IconAlign" << F([](StyledButton &b) { b.setIconAlign(2); });
        QTest::newRow("IconSize") << "IconSize" << F([](StyledButton &b) { b.setIconSize(32); });
        QTest::newRow("NonThemeStyle")
            << "NonThemeStyle" << F([](StyledButton &b) { b.setNonThemeStyle(1); });
        QTest::newRow("Enabled") << "Enabled" << F([](StyledButton &b) { b.setEnabled(false); });
        QTest::newRow("IconVisible")
            << "IconVisible" << F([](StyledButton &b) { b.setIconVisible(false); });
        QTest::newRow("UseCustomColors")
            << "UseCustomColors" << F([](StyledButton &b) { b.setUseCustomColors(true); });
        QTest::newRow("ToolTip") << "ToolTipText" << F([](StyledButton &b) { b.setToolTip("t"); });
        QTest::newRow("ToolTipTitle")
            << "TooltipTitle" << F([](StyledButton &b) { b.setToolTipTitle("t"); });
        QTest::newRow("ToolTipIcon")
            << "TooltipIcon" << F([](StyledButton &b) { b.setToolTipIcon(2); });
        QTest::newRow("Font") << "Font" << F([](StyledButton &b) { b.setFont(QFont("Tahoma")); });
        QTest::newRow("Value") << "Value" << F([](StyledButton &b) { b.setValue(true); });
    }
    void writersReportTheirName()
    {
        QFETCH(QString, reported);
        QFETCH(std::function<void(StyledButton &)>, write);
        StyledButton b;
        QSignalSpy spy(&b, &StyledButton::propertyChanged);
        write(b);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), reported);
    }

    void layout()
    {
        StyledButton b;
        b.show();
        b.resize(10, 300);
        QCOMPARE(b.size(), QSize(20, 300));
        b.resize(76, 24);
        QCOMPARE(b.textRect(), QRect(QPoint(4, 4), QPoint(71, 19)));
        b.setCaptionAlign(2);
        QCOMPARE(b.captionFormat(), 38);
        b.setCaptionAlign(9);
        QCOMPARE(b.captionFormat(), 38);
        b.setStyle(5);
        QVERIFY(!b.mask().contains(QPoint(0, 0)));
        QVERIFY(b.mask().contains(QPoint(1, 0)));
        b.setStyle(0);
        QVERIFY(b.mask().contains(QPoint(0, 0)));
    }

    void leftClickClicksOnce()
    {
        Host h;
        QSignalSpy clicks(h.button, &StyledButton::Click);
        h.enter();
        QTest::mousePress(h.button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(h.button->visualState(), VisualState::Pressed);
        QTest::mouseRelease(h.button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(h.button->visualState(), VisualState::Hot);
        QCOMPARE(clicks.count(), 1);
        QTest::mouseClick(h.button, Qt::RightButton, {}, QPoint(10, 10));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(h.button->visualState(), VisualState::Hot);
        // Pressed inside, let go outside: no click.
        QTest::mousePress(h.button, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(h.button, Qt::LeftButton, {}, QPoint(150, 10));
        QCOMPARE(clicks.count(), 1);
    }

    void doubleClickClicksOnce()
    {
        Host h;
        QSignalSpy clicks(h.button, &StyledButton::Click);
        h.enter();
        // The second press of a double click arrives as the double click.
        QTest::mousePress(h.button, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(h.button, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseDClick(h.button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(h.button->visualState(), VisualState::Pressed);
        QTest::mouseRelease(h.button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(h.button->visualState(), VisualState::Hot);
    }

    void spaceClicks()
    {
        Host h;
        QSignalSpy clicks(h.button, &StyledButton::Click);
        h.button->setFocus();
        // The click comes with the press; repeats of a held key add none.
        QTest::keyPress(h.button, Qt::Key_Space);
        QCOMPARE(h.button->visualState(), VisualState::Pressed);
        QCOMPARE(clicks.count(), 1);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(h.button, &repeat);
        QCOMPARE(clicks.count(), 1);
        QTest::keyRelease(h.button, Qt::Key_Space);
        QCOMPARE(h.button->visualState(), VisualState::Hot);
        QCOMPARE(clicks.count(), 1);
        QTest::keyClick(h.button, Qt::Key_Return);
        QTest::keyClick(h.button, Qt::Key_A);
        QCOMPARE(clicks.count(), 1);
    }

    void toggleTwiceReturnsToFalse_data()
    {
        QTest::addColumn<bool>("keyboard");
        // Switched off, the mouse's click lights the button; the key's
        // release comes after its click and presses it again.
        QTest::addColumn<VisualState>("offLook");
        QTest::newRow("mouse") << false << VisualState::Hot;
        QTest::newRow("space") << true << VisualState::Pressed;
    }
    void toggleTwiceReturnsToFalse()
    {
        QFETCH(bool, keyboard);
        QFETCH(VisualState, offLook);
        Host h;
        h.button->setButtonType(1);
        h.button->setFocus();
        h.enter();
        QSignalSpy clicks(h.button, &StyledButton::Click);
        auto click = [&] {
            if (keyboard)
                QTest::keyClick(h.button, Qt::Key_Space);
            else
                QTest::mouseClick(h.button, Qt::LeftButton, {}, QPoint(10, 10));
        };
        click();
        QVERIFY(h.button->Value());
        h.button->grab();
        QCOMPARE(h.button->visualState(), VisualState::Pressed);
        click();
        QVERIFY(!h.button->Value());
        h.button->grab();
        QCOMPARE(h.button->visualState(), offLook);
        QCOMPARE(clicks.count(), 2);
    }

    void valueFromCode()
    {
        StyledButton b;
        b.resize(76, 24);
        b.setValue(true);
        b.grab();
        QCOMPARE(b.visualState(), VisualState::Normal); // push buttons ignore Value
        b.setButtonType(1);
        b.grab();
        QCOMPARE(b.visualState(), VisualState::Pressed);
        b.setValue(false);
        b.grab();
        QCOMPARE(b.visualState(), VisualState::Normal);
    }

    void enterAndLeaveOncePerCrossing()
    {
        Host h;
        QSignalSpy enters(h.button, &StyledButton::MouseEnter);
        QSignalSpy leaves(h.button, &StyledButton::MouseLeave);
        for (int round = 1; round <= 2; ++round) {
            h.enter(QPoint(10, 10));
            h.enter(QPoint(20, 12));
            h.enter(QPoint(30, 8));
            QCOMPARE(enters.count(), round);
            QVERIFY(h.button->isMouseInside());
            QCOMPARE(h.button->visualState(), VisualState::Hot);
            h.leave();
            h.leave();
            QCOMPARE(leaves.count(), round);
            QCOMPARE(h.button->visualState(), VisualState::Normal);
        }
    }

    void captionChangeKeepsHot()
    {
        Host h;
        h.enter();
        h.button->setCaption(QStringLiteral("other"));
        h.button->grab();
        QCOMPARE(h.button->visualState(), VisualState::Hot);
    }

    void disableAndEnable()
    {
        Host h;
        h.enter();
        h.button->setEnabled(false);
        QVERIFY(!h.button->isEnabled());
        h.button->grab();
        QCOMPARE(h.button->visualState(), VisualState::Disabled);
        QSignalSpy clicks(h.button, &StyledButton::Click);
        QTest::mouseClick(h.button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicks.count(), 0);
        h.button->setEnabled(true);
        h.button->grab();
        QCOMPARE(h.button->visualState(), VisualState::Normal);
    }

    void focusShowsInTheLook()
    {
        Host h;
        h.button->setStyle(5);
        h.button->clearFocus();
        const QImage plain = h.button->grab().toImage();
        h.button->setFocus();
        QVERIFY(h.button->hasFocus());
        const QImage focused = h.button->grab().toImage();
        QCOMPARE(focused.pixelColor(10, 22), QColor(105, 130, 238));
        QVERIFY(plain.pixelColor(10, 22) != QColor(105, 130, 238));
    }

    void themedStyleFallsBack()
    {
        Host h;
        h.button->setNonThemeStyle(2);
        h.button->setStyle(6);
        h.button->grab();
        QCOMPARE(h.button->Style(), 6);
        h.button->setThemeFailureForced(true);
        h.button->grab();
        QCOMPARE(h.button->Style(), 2);
    }

    void tooltipBuiltAtEntry()
    {
        Host h;
        h.button->setToolTipType(1);
        h.button->setToolTipTitle(QStringLiteral("Title"));
        h.button->setToolTip(QStringLiteral("first"));
        h.enter();
        QVERIFY(h.button->tooltipWindow());
        QVERIFY(h.button->tooltipWindow()->isBalloon());
        QCOMPARE(h.button->tooltipWindow()->text(), QStringLiteral("first"));
        h.button->setToolTip(QStringLiteral("second"));
        QCOMPARE(h.button->tooltipWindow()->text(), QStringLiteral("first"));
        h.leave();
        h.button->setToolTipType(0);
        h.button->setToolTipBackColor(QColor(255, 0, 0));
        h.enter();
        QCOMPARE(h.button->tooltipWindow()->text(), QStringLiteral("second"));
        QVERIFY(!h.button->tooltipWindow()->isBalloon());
        QCOMPARE(h.button->tooltipWindow()->backColor(), QColor(255, 0, 0));
        h.leave();
        // A plain tip with no title, icon or colours is Qt's own.
        h.button->setToolTipTitle(QString());
        h.button->setToolTipBackColor(QColor(0, 0, 0));
        h.enter();
        QVERIFY(!h.button->tooltipWindow());
    }

    void containerTooltipIsTakenOver()
    {
        QWidget window;
        auto *b = new StyledButton(&window);
        b->QWidget::setToolTip(QStringLiteral("from the form"));
        window.show();
        QCOMPARE(b->ToolTip(), QStringLiteral("from the form"));
        QVERIFY(b->QWidget::toolTip().isEmpty());
        b->hide();
        QCOMPARE(b->QWidget::toolTip(), QStringLiteral("from the form"));
    }

    void aboutBox()
    {
        StyledButton b;
        b.About();
        auto *box = b.findChild<AboutBox *>();
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QVERIFY(box->isWindow());
        QCOMPARE(box->windowTitle(), QStringLiteral("About StyledButton 3.0"));
        QTest::mousePress(box, Qt::LeftButton, {}, QPoint(300, 90));
        QVERIFY(box->isClosePressed());
        QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(300, 90));
        QVERIFY(!box->isVisible());
    }
};

QTEST_MAIN(TestStyledButton)
#include "tst_styledbutton.moc"
