#include "frmsetting.h"
#include "skinimage.h"
#include "styledbutton.h"

#include <QComboBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

class TestFrmSetting : public QObject
{
    Q_OBJECT
private slots:
    void selection_data();
    void selection();
    void confirmHandsOn_data();
    void confirmHandsOn();
    void leavingChangesNothing_data();
    void leavingChangesNothing();
    void dragMovesTheDialog();
    void scaledLayout();
    void storedButtons_data();
    void storedButtons();
};

void TestFrmSetting::selection_data()
{
    QTest::addColumn<int>("openFolder");
    QTest::addColumn<int>("ringSound");
    QTest::addColumn<QString>("folderText");
    QTest::addColumn<QString>("soundText");
    QTest::newRow("defaults") << 0 << 0 << "Open the folder" << "Yes";
    QTest::newRow("both off") << 1 << 1 << "Do Nothing" << "No";
    // A stored value outside the lists leaves that list without a selection.
    QTest::newRow("out of range") << 2 << -1 << "" << "";
}

void TestFrmSetting::selection()
{
    QFETCH(int, openFolder);
    QFETCH(int, ringSound);
    QFETCH(QString, folderText);
    QFETCH(QString, soundText);
    frmSetting dialog(SetupValues{qint16(openFolder), qint16(ringSound)}, ScreenScale());
    QCOMPARE(dialog.cmbOF->currentText(), folderText);
    QCOMPARE(dialog.cmbRS->currentText(), soundText);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("设置"));
    QCOMPARE(dialog.size(), QSize(420, 252));
}

void TestFrmSetting::confirmHandsOn_data()
{
    QTest::addColumn<int>("folderIndex");
    QTest::addColumn<int>("soundIndex");
    QTest::addColumn<int>("loudness");
    QTest::newRow("Do Nothing, No") << 1 << 1 << 0;
    QTest::newRow("Open the folder, Yes") << 0 << 0 << 0;
    QTest::newRow("Do Nothing, Yes") << 1 << 0 << 0;
    QTest::newRow("no selection") << -1 << 1 << 0;
    QTest::newRow("a loudness target") << 0 << 0 << -16;
}

void TestFrmSetting::confirmHandsOn()
{
    QFETCH(int, folderIndex);
    QFETCH(int, soundIndex);
    QFETCH(int, loudness);
    QPointer<frmSetting> dialog = new frmSetting(SetupValues{}, ScreenScale());
    QSignalSpy accepted(dialog.data(), &frmSetting::accepted);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->cmbOF->setCurrentIndex(folderIndex);
    dialog->cmbRS->setCurrentIndex(soundIndex);
    QCOMPARE(dialog->cmbLoudness->currentData().toInt(), 0); // off unless set
    dialog->cmbLoudness->setCurrentIndex(dialog->cmbLoudness->findData(loudness));
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(accepted.first().first().value<SetupValues>(),
             (SetupValues{qint16(folderIndex), qint16(soundIndex), 0, 0, false, qint16(loudness)}));
    QTRY_VERIFY(dialog.isNull());
}

void TestFrmSetting::leavingChangesNothing_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("back") << "cmbBack";
    QTest::newRow("close mark") << "Image1";
    QTest::newRow("window close") << "close";
}

void TestFrmSetting::leavingChangesNothing()
{
    QFETCH(QString, control);
    QPointer<frmSetting> dialog = new frmSetting(SetupValues{1, 0}, ScreenScale());
    QSignalSpy accepted(dialog.data(), &frmSetting::accepted);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->cmbOF->setCurrentIndex(0);
    dialog->cmbRS->setCurrentIndex(1);
    if (control == u"cmbBack")
        QTest::mouseClick(dialog->cmbBack, Qt::LeftButton);
    else if (control == u"Image1")
        QTest::mouseClick(dialog->Image1, Qt::LeftButton);
    else
        dialog->close();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(accepted.count(), 0);
}

void TestFrmSetting::dragMovesTheDialog()
{
    frmSetting dialog(SetupValues{}, ScreenScale());
    dialog.move(100, 100);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QPoint bare(200, 60);
    QVERIFY(!dialog.childAt(bare));
    // Without a window manager the dialog follows the mouse itself.
    // The mouse moves on the screen; events carry it in the moving dialog's terms.
    const QPoint start = dialog.mapToGlobal(bare);
    const auto at = [&dialog](const QPoint &global) { return dialog.mapFromGlobal(global); };
    QTest::mousePress(dialog.windowHandle(), Qt::LeftButton, {}, bare);
    QTest::mouseMove(dialog.windowHandle(), at(start + QPoint(5, 5)));
    QTest::mouseMove(dialog.windowHandle(), at(start + QPoint(40, 25)));
    QTest::mouseRelease(dialog.windowHandle(), Qt::LeftButton, {}, at(start + QPoint(40, 25)));
    // The drag starts on the first move with the button down, so that move
    // is where the dialog is held from.
    QTRY_COMPARE(dialog.pos(), QPoint(135, 120));
}

void TestFrmSetting::scaledLayout()
{
    // At 12 twips per pixel every length and font size is multiplied by 0.8
    // in twips, which keeps the dialog matching its skin in pixels.
    frmSetting dialog(SetupValues{}, ScreenScale(12, 12));
    QCOMPARE(dialog.cmbOF->geometry().topLeft(), QPoint(46, 80));
    QCOMPARE(dialog.cmdOK->geometry(), QRect(64, 192, 127, 37));
    QCOMPARE(dialog.cmbBack->geometry(), QRect(208, 192, 127, 37));
    QCOMPARE(dialog.Image1->geometry(), QRect(388, 12, 15, 19));
}

void TestFrmSetting::storedButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("cmdOK") << "cmdOK" << "        O K";
    QTest::newRow("cmbBack") << "cmbBack" << "        返回";
}

void TestFrmSetting::storedButtons()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    frmSetting dialog(SetupValues{}, ScreenScale());
    auto *button = dialog.findChild<StyledButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->Style(), 5);
    QCOMPARE(button->Caption(), caption);
    QCOMPARE(button->IconSize(), qint16(32));
    QCOMPARE(button->IconAlign(), 1);
    QCOMPARE(button->NonThemeStyle(), 0);
    QVERIFY(!button->Icon().isNull());
    QCOMPARE(button->Icon().pixmap(32, 32).size(), QSize(32, 32));
    QCOMPARE(button->Font().pointSizeF(), 9.75);
}

QTEST_MAIN(TestFrmSetting)
#include "tst_frmsetting.moc"
