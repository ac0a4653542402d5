#include "apptestsupport.h"
#include "language.h"
#include "messageboxprompt.h"
#include "skinimage.h"
#include "systemdesktopopener.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
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
    QString details;
    QStringList buttonTexts; // in the box's own order of standard buttons
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
                    box->parentWidget(), box->detailedText(), {}};
            for (const auto which : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No,
                                     QMessageBox::Cancel}) {
                if (QAbstractButton *button = box->button(which))
                    seen.buttonTexts.append(button->text().remove(u'&'));
            }
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
    void detailsAndChoices_data();
    void detailsAndChoices();
    void desktopWithoutHandler_data();
    void desktopWithoutHandler();
    // Last: it installs translations for the rest of the run.
    void sessionLanguageButtons_data();
    void sessionLanguageButtons();
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

void TestMessageBoxPrompt::detailsAndChoices_data()
{
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("answer");
    using A = UserPrompt::Answer;
    QTest::newRow("first 40 s") << int(QMessageBox::Yes) << int(A::Yes);
    QTest::newRow("all of it") << int(QMessageBox::No) << int(A::No);
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << int(A::Cancel);
}

void TestMessageBoxPrompt::detailsAndChoices()
{
    QFETCH(int, press);
    QFETCH(int, answer);
    MessageBoxPrompt prompt;
    UserPrompt::Message message;
    message.text = QStringLiteral("只保存前 40 秒，还是保存整段？");
    message.details = QStringLiteral("coder: /m/t.m4r: no audio stream");
    message.yesText = QStringLiteral("只保存前 40 秒");
    message.noText = QStringLiteral("保存整段");
    SeenBox seen;
    answerNextBox(seen, QMessageBox::StandardButton(press), this);
    QCOMPARE(int(prompt.choose(message)), answer);
    QCOMPARE(seen.details, message.details);
    QCOMPARE(seen.buttonTexts.mid(0, 2), (QStringList{message.yesText, message.noText}));
    QCOMPARE(seen.buttonTexts.size(), 3);
}

void TestMessageBoxPrompt::desktopWithoutHandler_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<QString>("named");
    const QString folder = QDir::tempPath();
    QTest::newRow("mail link") << QUrl(QStringLiteral("mailto:friend@example.com?subject=Hi"))
                               << "friend@example.com";
    QTest::newRow("folder") << QUrl::fromLocalFile(folder) << folder;
    QTest::newRow("help page") << QUrl::fromLocalFile(QStringLiteral("/opt/k/help/index.html"))
                               << "/opt/k/help/index.html";
    QTest::newRow("web page") << QUrl(QStringLiteral("https://kesmarin.example.com/"))
                              << "https://kesmarin.example.com/";
}

void TestMessageBoxPrompt::desktopWithoutHandler()
{
    QFETCH(QUrl, url);
    QFETCH(QString, named);
    // The offscreen platform has no handler for anything: the desktop's own
    // answer is "no", as on a desktop without a browser or file manager.
    ScriptedPrompt prompt;
    SystemDesktopOpener opener(prompt);
    QVERIFY(!opener.openUrl(url));
    QCOMPARE(prompt.shown().size(), 1);
    QVERIFY2(prompt.shown().first().text.contains(named), qPrintable(prompt.shown().first().text));
}

void TestMessageBoxPrompt::sessionLanguageButtons_data()
{
    QTest::addColumn<QStringList>("uiLanguages");
    QTest::addColumn<QStringList>("okCancel");
    QTest::newRow("Chinese") << QStringList{"zh-CN"} << QStringList{"确定", "取消"};
    QTest::newRow("Taiwan") << QStringList{"zh-TW"} << QStringList{"確定", "取消"};
    QTest::newRow("English") << QStringList{"en-US"} << QStringList{"OK", "Cancel"};
    QTest::newRow("German reads English") << QStringList{"de-DE"} << QStringList{"OK", "Cancel"};
}

void TestMessageBoxPrompt::sessionLanguageButtons()
{
    QFETCH(QStringList, uiLanguages);
    QFETCH(QStringList, okCancel);
    Language::start(uiLanguages);
    MessageBoxPrompt prompt;
    UserPrompt::Message message;
    message.buttons = UserPrompt::Buttons::OkCancel;
    SeenBox seen;
    answerNextBox(seen, QMessageBox::Cancel, this);
    QVERIFY(!prompt.show(message));
    QCOMPARE(seen.buttonTexts, okCancel);
}

QTEST_MAIN(TestMessageBoxPrompt)
#include "tst_messageboxprompt.moc"
