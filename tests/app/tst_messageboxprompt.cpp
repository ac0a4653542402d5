#include "apptestsupport.h"
#include "messageboxprompt.h"
#include "skinimage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
// What the box looked like when it came up.
struct SeenBox {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget *parent = nullptr;
};

// Waits for the next message box, notes it and presses one of its buttons.
void answerNextBox(SeenBox &seen, QMessageBox::StandardButton press, QObject *context)
{
    auto *poll = new QTimer(context);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, context, [&seen, press, poll] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(top);
            if (!box || !box->isVisible())
                continue;
            seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                    box->parentWidget()};
            poll->deleteLater();
            QTest::mouseClick(box->button(press), Qt::LeftButton);
            return;
        }
    });
    poll->start();
}
} // namespace

class TestMessageBoxPrompt : public QObject
{
    Q_OBJECT
private slots:
    void realBoxes_data();
    void realBoxes();
    void realExitConfirmation_data();
    void realExitConfirmation();
};

void TestMessageBoxPrompt::realBoxes_data()
{
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("shownIcon");
    QTest::addColumn<bool>("result");
    using I = UserPrompt::Icon;
    using B = UserPrompt::Buttons;
    QTest::newRow("critical, OK") << int(I::Critical) << int(B::Ok) << int(QMessageBox::Ok)
                                  << int(QMessageBox::Critical) << true;
    QTest::newRow("exclamation, OK of OK/Cancel")
        << int(I::Exclamation) << int(B::OkCancel) << int(QMessageBox::Ok)
        << int(QMessageBox::Warning) << true;
    QTest::newRow("exclamation, Cancel") << int(I::Exclamation) << int(B::OkCancel)
                                         << int(QMessageBox::Cancel) << int(QMessageBox::Warning)
                                         << false;
    QTest::newRow("question, Yes") << int(I::Question) << int(B::YesNo) << int(QMessageBox::Yes)
                                   << int(QMessageBox::Question) << true;
    QTest::newRow("question, No") << int(I::Question) << int(B::YesNo) << int(QMessageBox::No)
                                  << int(QMessageBox::Question) << false;
    QTest::newRow("no icon") << int(I::NoIcon) << int(B::Ok) << int(QMessageBox::Ok)
                             << int(QMessageBox::NoIcon) << true;
}

void TestMessageBoxPrompt::realBoxes()
{
    QFETCH(int, icon);
    QFETCH(int, buttons);
    QFETCH(int, press);
    QFETCH(int, shownIcon);
    QFETCH(bool, result);
    QWidget owner;
    owner.show();
    MessageBoxPrompt prompt(&owner);
    UserPrompt::Message message;
    message.text = QStringLiteral("没有找到文件或命令");
    message.title = QStringLiteral("标题");
    message.icon = UserPrompt::Icon(icon);
    message.buttons = UserPrompt::Buttons(buttons);
    SeenBox seen;
    answerNextBox(seen, QMessageBox::StandardButton(press), this);
    QCOMPARE(prompt.show(message), result);
    QCOMPARE(seen.title, message.title);
    QCOMPARE(seen.text, message.text);
    QCOMPARE(int(seen.icon), shownIcon);
    QCOMPARE(seen.parent, &owner);
    const QMessageBox::StandardButtons expected =
        message.buttons == UserPrompt::Buttons::Ok         ? QMessageBox::Ok
        : message.buttons == UserPrompt::Buttons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                           : QMessageBox::Yes | QMessageBox::No;
    QCOMPARE(seen.buttons, expected);
}

void TestMessageBoxPrompt::realExitConfirmation_data()
{
    QTest::addColumn<int>("press");
    QTest::newRow("Cancel") << int(QMessageBox::Cancel);
    QTest::newRow("OK") << int(QMessageBox::Ok);
}

void TestMessageBoxPrompt::realExitConfirmation()
{
    QFETCH(int, press);
    const bool ok = press == QMessageBox::Ok;
    MainWindowFixture fixture;
    MessageBoxPrompt prompt;
    frmMain::Environment env = fixture.environment();
    env.prompt = &prompt;
    frmMain window(std::move(env));
    prompt.setParent(&window);
    window.show();
    SeenBox seen;
    answerNextBox(seen, QMessageBox::StandardButton(press), this);
    QTest::mouseClick(window.imgExit, Qt::LeftButton);
    QCOMPARE(seen.text, QStringLiteral("真的要退出?"));
    QCOMPARE(seen.title, QStringLiteral("退出"));
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(window.isVisible(), !ok);
    QCOMPARE(fixture.ends, ok ? 1 : 0);
    QCOMPARE(QFileInfo::exists(window.workingFolder()), !ok);
}

QTEST_MAIN(TestMessageBoxPrompt)
#include "tst_messageboxprompt.moc"
