#include "commanddispatcher.h"
#include "frmmenu.h"
#include "shelllinks.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QUrlQuery>

namespace {
// Records what the dispatcher asked for, in order.
class RecordingTarget : public CommandTarget
{
public:
    void runToolbarCommand(ToolbarCommand command) override { calls << QString::number(int(command)); }
    void showAbout() override { calls << QStringLiteral("about"); }
    void exitProgram() override { calls << QStringLiteral("exit"); }
    void suggestBestPart() override { calls << QStringLiteral("best part"); }
    QStringList calls;
};
} // namespace

class TestCommands : public QObject
{
    Q_OBJECT
private slots:
    void dispatch_data();
    void dispatch();
    void menuEntries_data();
    void menuEntries();
    void menuLayout();
    void mailLinks_data();
    void mailLinks();
    void helpBesideProgram();
};

void TestCommands::dispatch_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("about") << QStringLiteral("关于") << QStringList{"about"};
    QTest::newRow("exit") << QStringLiteral("退出") << QStringList{"exit"};
    QTest::newRow("random cut") << "RRC" << QStringList{"2"};
    QTest::newRow("tell a friend") << "SR" << QStringList{"4"};
    QTest::newRow("best part") << "BestPart" << QStringList{"best part"};
    QTest::newRow("help") << "Help" << QStringList{"6"};
    QTest::newRow("open") << "OpenFile" << QStringList{"0"};
    QTest::newRow("save") << "SaveRingTone" << QStringList{"1"};
    QTest::newRow("settings") << QStringLiteral("设置") << QStringList{"5"};
    QTest::newRow("initial text") << "Text1" << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("case matters") << "openfile" << QStringList{};
    QTest::newRow("whole text only") << "OpenFile " << QStringList{};
    QTest::newRow("prefix is not enough") << "Open" << QStringList{};
    QTest::newRow("caption is not a word") << QStringLiteral("设置(&S)") << QStringList{};
}

void TestCommands::dispatch()
{
    QFETCH(QString, word);
    QFETCH(QStringList, calls);
    RecordingTarget target;
    CommandDispatcher dispatcher(target);
    dispatcher.dispatch(word);
    QCOMPARE(target.calls, calls);
}

void TestCommands::menuEntries_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("word");

    QTest::newRow("menuOpen") << "menuOpen" << QStringLiteral("打开音频文件(&O)") << "OpenFile";
    QTest::newRow("menuSave") << "menuSave" << QStringLiteral("保存铃声(&S)") << "SaveRingTone";
    QTest::newRow("menuExit") << "menuExit" << QStringLiteral("退出(&E)") << QStringLiteral("退出");
    QTest::newRow("menuRRC") << "menuRRC" << QStringLiteral("随机剪切铃声(&R)") << "RRC";
    QTest::newRow("menuSR") << "menuSR" << QStringLiteral("发送铃声给朋友(&S)") << "SR";
    QTest::newRow("menuBestPart") << "menuBestPart" << QStringLiteral("推荐片段(&B)") << "BestPart";
    QTest::newRow("menuSettings") << "menuSettings" << QStringLiteral("设置(&S)") << QStringLiteral("设置");
    QTest::newRow("menuA") << "menuA" << QStringLiteral("关于(&A)") << QStringLiteral("关于");
    QTest::newRow("menuHelp") << "menuHelp" << QStringLiteral("帮助(&H)") << "Help";
}

void TestCommands::menuEntries()
{
    QFETCH(QString, entry);
    QFETCH(QString, caption);
    QFETCH(QString, word);
    QStringList written;
    frmMenu menus([&](const QString &w) { written << w; });
    QAction *action = nullptr;
    for (int i = 0; i < 4 && !action; ++i)
        action = menus.menu(i)->findChild<QAction *>(entry);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    action->trigger();
    QCOMPARE(written, QStringList{word});
}

void TestCommands::menuLayout()
{
    frmMenu menus(nullptr);
    const QStringList titles{"File", "Tools", QStringLiteral("设置"), QStringLiteral("关于")};
    const QList<QStringList> entries{
        {QStringLiteral("打开音频文件(&O)"), QStringLiteral("保存铃声(&S)"), "-", QStringLiteral("退出(&E)")},
        {QStringLiteral("随机剪切铃声(&R)"), QStringLiteral("发送铃声给朋友(&S)"), QStringLiteral("推荐片段(&B)")},
        {QStringLiteral("设置(&S)")},
        {QStringLiteral("关于(&A)"), QStringLiteral("帮助(&H)")}};
    for (int i = 0; i < 4; ++i) {
        QMenu *m = menus.menu(i);
        QVERIFY(m);
        QCOMPARE(m->title(), titles[i]);
        QStringList shown;
        for (QAction *a : m->actions())
            shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(shown, entries[i]);
    }
    QVERIFY(!menus.menu(4));
    QVERIFY(!menus.menu(-1));
    menus.popup(7, QPoint(0, 0)); // an unknown title pops up nothing
}

void TestCommands::mailLinks_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");

    QTest::newRow("tell a friend")
        << ShellLinks::tellAFriendUrl() << ShellLinks::friendAddress()
        << "I ve made a ringtone by Kesmarin!"
        << "I ve made a ringtone by Kesmarin! You can see more detail here: " + ShellLinks::webAddress();
    QTest::newRow("feedback") << ShellLinks::feedbackUrl() << ShellLinks::supportAddress()
                              << "Feedback/Bug Report" << QString();
}

void TestCommands::mailLinks()
{
    QFETCH(QUrl, url);
    QFETCH(QString, address);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QVERIFY(url.isValid());
    QCOMPARE(url.scheme(), "mailto");
    QCOMPARE(url.path(), address);
    QVERIFY(address.endsWith("example.com"));
    const QByteArray encoded = url.toEncoded();
    // A URL carries no raw blanks, and the subject's own words survive the trip.
    QVERIFY2(!encoded.contains(' '), encoded);
    QVERIFY2(!encoded.contains('+'), encoded);
    const QUrlQuery query(url);
    QCOMPARE(query.queryItemValue("subject", QUrl::FullyDecoded), subject);
    QCOMPARE(query.queryItemValue("body", QUrl::FullyDecoded), body);
    QCOMPARE(query.queryItems().size(), body.isEmpty() ? 1 : 2);
}

void TestCommands::helpBesideProgram()
{
    const QUrl url = ShellLinks::helpUrl(QStringLiteral("/opt/kes marin"));
    QVERIFY(url.isLocalFile());
    QCOMPARE(url.toLocalFile(), QStringLiteral("/opt/kes marin/help/index.html"));
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
