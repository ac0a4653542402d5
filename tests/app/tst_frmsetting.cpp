#include "frmsetting.h"
#include "skinimage.h"
#include "styledbutton.h"

#include <QComboBox>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

class TestFrmSetting : public QObject
{
    Q_OBJECT
private slots:
    void selection_data();
    void selection();
    void confirmWrites_data();
    void confirmWrites();
    void leavingChangesNothing_data();
    void leavingChangesNothing();
    void dragMovesTheDialog();
    void scaledLayout();
    void storedButtons_data();
    void storedButtons();
};

namespace {
QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

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
    qint16 of = qint16(openFolder), rs = qint16(ringSound);
    QTemporaryDir dir;
    frmSetting dialog(of, rs, dir.filePath(QStringLiteral("setup.ini")), ScreenScale());
    QCOMPARE(dialog.cmbOF->currentText(), folderText);
    QCOMPARE(dialog.cmbRS->currentText(), soundText);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("设置"));
    QCOMPARE(dialog.size(), QSize(420, 252));
}

void TestFrmSetting::confirmWrites_data()
{
    QTest::addColumn<int>("folderIndex");
    QTest::addColumn<int>("soundIndex");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("Do Nothing, No") << 1 << 1 << QByteArray("1\r\n1\r\n");
    QTest::newRow("Open the folder, Yes") << 0 << 0 << QByteArray("0\r\n0\r\n");
    QTest::newRow("Do Nothing, Yes") << 1 << 0 << QByteArray("1\r\n0\r\n");
    QTest::newRow("no selection") << -1 << 1 << QByteArray("-1\r\n1\r\n");
}

void TestFrmSetting::confirmWrites()
{
    QFETCH(int, folderIndex);
    QFETCH(int, soundIndex);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config/setup.ini"));
    qint16 of = 0, rs = 0;
    QPointer<frmSetting> dialog = new frmSetting(of, rs, path, ScreenScale());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->cmbOF->setCurrentIndex(folderIndex);
    dialog->cmbRS->setCurrentIndex(soundIndex);
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    QCOMPARE(readAll(path), bytes);
    QCOMPARE(of, folderIndex);
    QCOMPARE(rs, soundIndex);
    QTRY_VERIFY(dialog.isNull());
}

void TestFrmSetting::leavingChangesNothing_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("back, file") << "cmbBack" << true;
    QTest::newRow("close mark, file") << "Image1" << true;
    QTest::newRow("window close, file") << "close" << true;
    QTest::newRow("back, no file") << "cmbBack" << false;
    QTest::newRow("close mark, no file") << "Image1" << false;
}

void TestFrmSetting::leavingChangesNothing()
{
    QFETCH(QString, control);
    QFETCH(bool, fileExists);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("setup.ini"));
    // Odd but readable content must survive byte for byte.
    const QByteArray old("1,0 \n# kept\r\n");
    if (fileExists) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    qint16 of = 1, rs = 0;
    QPointer<frmSetting> dialog = new frmSetting(of, rs, path, ScreenScale());
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
    QCOMPARE(readAll(path), fileExists ? old : QByteArray("<missing>"));
    QCOMPARE(of, 1);
    QCOMPARE(rs, 0);
}

void TestFrmSetting::dragMovesTheDialog()
{
    QTemporaryDir dir;
    qint16 of = 0, rs = 0;
    frmSetting dialog(of, rs, dir.filePath(QStringLiteral("setup.ini")), ScreenScale());
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
    QTemporaryDir dir;
    qint16 of = 0, rs = 0;
    frmSetting dialog(of, rs, dir.filePath(QStringLiteral("setup.ini")), ScreenScale(12, 12));
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
    QTemporaryDir dir;
    qint16 of = 0, rs = 0;
    frmSetting dialog(of, rs, dir.filePath(QStringLiteral("setup.ini")), ScreenScale());
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
