#include "hoverrules.h"

#include <QTest>

namespace {
// Runs a script of mouse events, written as words:
// "bare", "tb<i>" move over toolbar i, "tbP<i>"/"tbR<i>" press/release it,
// "c<i>", "cP<i>", "cR<i>" the same on the transport row, "m<i>" a menu title,
// "min", "exit", "open".
void run(HoverRules &rules, const QString &script)
{
    const auto index = [](const QString &word, int prefix) { return word.mid(prefix).toInt(); };
    for (const QString &word : script.split(u' ', Qt::SkipEmptyParts)) {
        if (word == u"bare")
            rules.moveOverBare();
        else if (word == u"min")
            rules.moveOverMin();
        else if (word == u"exit")
            rules.moveOverExit();
        else if (word == u"open")
            rules.moveOverOpen();
        else if (word.startsWith(u"tbP"))
            rules.pressToolbar(index(word, 3));
        else if (word.startsWith(u"tbR"))
            rules.releaseToolbar(index(word, 3));
        else if (word.startsWith(u"tb"))
            rules.moveOverToolbar(index(word, 2));
        else if (word.startsWith(u"cP"))
            rules.pressCtrl(index(word, 2));
        else if (word.startsWith(u"cR"))
            rules.releaseCtrl(index(word, 2));
        else if (word.startsWith(u"c"))
            rules.moveOverCtrl(index(word, 1));
        else if (word.startsWith(u"m"))
            rules.moveOverMenu(index(word, 1));
        else
            QTest::qFail(qPrintable(QStringLiteral("bad script word ") + word), __FILE__, __LINE__);
    }
}

// Every lit or pressed picture, then the hint and whether a button is down.
QString describe(const HoverRules &rules)
{
    using Look = HoverRules::Look;
    QStringList lit;
    for (int i = 0; i < HoverRules::ToolbarCount; ++i) {
        if (rules.toolbar(i) == Look::Highlight)
            lit << QStringLiteral("tb%1").arg(i);
        if (rules.toolbar(i) == Look::Pressed)
            lit << QStringLiteral("tbp%1").arg(i);
    }
    for (int i = 0; i < HoverRules::MenuCount; ++i) {
        if (rules.menu(i) != Look::Nothing)
            lit << QStringLiteral("m%1").arg(i);
    }
    for (int i = 0; i < HoverRules::CtrlCount; ++i) {
        if (rules.ctrl(i) == Look::Highlight)
            lit << QStringLiteral("c%1").arg(i);
        if (rules.ctrl(i) == Look::Pressed)
            lit << QStringLiteral("cp%1").arg(i);
    }
    if (rules.min() != Look::Nothing)
        lit << QStringLiteral("min");
    if (rules.exit() != Look::Nothing)
        lit << QStringLiteral("exit");
    if (rules.open() != Look::Nothing)
        lit << QStringLiteral("open");
    return lit.join(u' ') + QStringLiteral(" | ") + rules.hint() + QStringLiteral(" | ")
           + (rules.isButtonDown() ? QStringLiteral("down") : QStringLiteral("up"));
}
} // namespace

class TestHoverRules : public QObject
{
    Q_OBJECT
private slots:
    void looks_data();
    void looks();
    void unusedIndexChangesNothing();
};

void TestHoverRules::looks_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");

    QTest::newRow("start") << "" << " |  | up";
    QTest::newRow("toolbar lights with its hint") << "tb0" << "tb0 | 打开媒体文件 | up";
    QTest::newRow("toolbar 0 to 1 darkens 0") << "tb0 tb1" << "tb1 | 保存铃声 | up";
    QTest::newRow("toolbar to transport keeps toolbar lit")
        << "tb2 c0" << "tb2 c0 | 播放 | up";
    QTest::newRow("transport to toolbar keeps transport lit")
        << "c5 tb7" << "tb7 c5 | 退出 | up";
    QTest::newRow("bare clears every family and the hint")
        << "tb2 c0 m1 min open" << "tb2 m1 c0 min open | 最小化 | up";
    QTest::newRow("then the bare window") << "tb2 c0 m1 min open bare" << " |  | up";
    QTest::newRow("toolbar press shows the bare skin")
        << "tb4 tbP4" << " | 发送铃声给你的朋友 | down";
    QTest::newRow("toolbar release keeps the bare skin")
        << "tb4 tbP4 tbR4" << " | 发送铃声给你的朋友 | up";
    QTest::newRow("toolbar moves frozen while pressed, hint follows")
        << "tb4 tbP4 tb5" << " | 设置 | down";
    QTest::newRow("pressed toolbar freezes transport pictures")
        << "c1 tb4 tbP4 c2" << "c1 | 暂停 | down";
    QTest::newRow("transport pressed picture") << "c3 cP3" << "cp3 | 选择开始位置 | down";
    QTest::newRow("transport pressed picture stays after release")
        << "c3 cP3 cR3" << "cp3 | 选择开始位置 | up";
    QTest::newRow("next move replaces the pressed picture")
        << "c3 cP3 cR3 c3" << "c3 | 选择开始位置 | up";
    QTest::newRow("bare ends a press") << "c6 cP6 bare c1" << "c1 | 停止 | up";
    QTest::newRow("menu titles replace each other, hint untouched")
        << "tb6 m0 m3" << "tb6 m3 | 帮助 | up";
    QTest::newRow("menu lights even while a button is down")
        << "cP0 m2" << "m2 cp0 |  | down";
    QTest::newRow("minimise lights with its hint") << "min" << "min | 最小化 | up";
    QTest::newRow("exit after minimise keeps the hint")
        << "min exit" << "exit | 最小化 | up";
    QTest::newRow("minimise after exit") << "exit min" << "min | 最小化 | up";
    QTest::newRow("exit leaves a toolbar hint") << "tb1 exit" << "tb1 exit | 保存铃声 | up";
    QTest::newRow("open picture stays lit over other buttons")
        << "open tb0 c4 m0 min" << "tb0 m0 c4 min open | 最小化 | up";
}

void TestHoverRules::looks()
{
    QFETCH(QString, script);
    QFETCH(QString, expected);
    HoverRules rules;
    run(rules, script);
    QCOMPARE(describe(rules), expected);
}

void TestHoverRules::unusedIndexChangesNothing()
{
    HoverRules rules;
    run(rules, QStringLiteral("tb1"));
    const QString before = describe(rules);
    // Toolbar index 3 and indices past the arrays have no button.
    run(rules, QStringLiteral("tb3 tbP3 tb9 c7 cP7 m4 tb-1"));
    QCOMPARE(describe(rules), before);
}

QTEST_GUILESS_MAIN(TestHoverRules)
#include "tst_hoverrules.moc"
