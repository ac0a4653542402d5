// The one rule of what may run: every state against every command.
#include "commandtable.h"

#include <QSignalSpy>
#include <QTest>

using Job = CommandConditions::Job;

class TestCommandTable : public QObject
{
    Q_OBJECT
private slots:
    void rule_data();
    void rule();
    void followsItsConditions();
};

void TestCommandTable::rule_data()
{
    QTest::addColumn<int>("job");
    QTest::addColumn<bool>("fileOpen");
    QTest::addColumn<bool>("selectionValid");
    QTest::addColumn<bool>("decoded");          // the selection, and room for a cut, are decoded
    QTest::addColumn<QStringList>("enabled");   // every other command is off
    QTest::addColumn<QStringList>("undecoded"); // refused until more is decoded

    const QStringList always{"Open", "RandomCut", "TellAFriend", "Settings", "Help", "About", "Feedback",
                             "Exit", "Fades"};
    const QStringList song = always + QStringList{"Play", "Stop", "Pause", "SetBegin", "SetEnd", "Loop",
                                                  "Undo", "Redo", "ZoomIn", "ZoomOut", "ZoomWhole", "Seek",
                                                  "EditSelection", "NudgeBack", "NudgeForward",
                                                  "NudgeBackSecond", "NudgeForwardSecond", "BestPart"};
    const QStringList selected = song + QStringList{"Save", "PlaySelection"};

    QTest::newRow("no file") << int(Job::None) << false << false << true << always << QStringList{};
    QTest::newRow("no file, a stale selection") << int(Job::None) << false << true << true << always << QStringList{};
    QTest::newRow("decoding") << int(Job::Decoding) << false << false << true << QStringList{} << QStringList{};
    // The song shows while it decodes: it plays, and what is decoded of it can be used.
    const QStringList growing{"Open", "Play", "Stop", "Pause", "SetBegin", "SetEnd", "Loop", "Undo",
                              "Redo", "ZoomIn", "ZoomOut", "ZoomWhole", "Seek", "EditSelection",
                              "NudgeBack", "NudgeForward", "NudgeBackSecond", "NudgeForwardSecond"};
    const QStringList uses{"Save", "PlaySelection", "RandomCut"};
    QTest::newRow("decoding a shown song, the selection decoded")
        << int(Job::Decoding) << true << true << true << growing + uses << QStringList{};
    QTest::newRow("decoding a shown song, the selection not decoded")
        << int(Job::Decoding) << true << true << false << growing << uses;
    QTest::newRow("decoding a shown song, nothing selected")
        << int(Job::Decoding) << true << false << true << growing + QStringList{"RandomCut"}
        << QStringList{};
    QTest::newRow("file open, nothing selected") << int(Job::None) << true << false << true << song << QStringList{};
    // Playing changes nothing: Pause and Stop are there whenever a song is.
    QTest::newRow("file open, playing") << int(Job::None) << true << false << true << song << QStringList{};
    QTest::newRow("selection empty or reversed") << int(Job::None) << true << false << true << song << QStringList{};
    QTest::newRow("selection valid") << int(Job::None) << true << true << true << selected << QStringList{};
    QTest::newRow("measuring") << int(Job::Measuring) << true << true << true << QStringList{} << QStringList{};
    QTest::newRow("exporting") << int(Job::Exporting) << true << true << true << QStringList{} << QStringList{};
}

void TestCommandTable::rule()
{
    QFETCH(int, job);
    QFETCH(bool, fileOpen);
    QFETCH(bool, selectionValid);
    QFETCH(bool, decoded);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, undecoded);
    CommandTable table;
    table.setConditions({Job(job), fileOpen, selectionValid, decoded, decoded});
    QStringList on;
    for (int i = 0; i < CommandCount; ++i) {
        const auto command = Command(i);
        QCOMPARE(table.isEnabled(command), CommandTable::allowed(command, table.conditions()));
        if (table.isEnabled(command))
            on << CommandTable::name(command);
        // The reason a refused command gives follows the same rule.
        if (undecoded.contains(CommandTable::name(command)))
            QCOMPARE(table.refusal(command), CommandTable::Refusal::Undecoded);
        else if (!table.isEnabled(command))
            QVERIFY(table.refusal(command) != CommandTable::Refusal::Undecoded);
    }
    std::sort(on.begin(), on.end());
    std::sort(enabled.begin(), enabled.end());
    QCOMPARE(on, enabled);
}

void TestCommandTable::followsItsConditions()
{
    CommandTable table;
    int saves = 0;
    table.setHandler(Command::Save, [&saves] { ++saves; });
    QSignalSpy changes(&table, &CommandTable::enabledChanged);
    // No file yet: a Save from anywhere is refused.
    QVERIFY(!table.trigger(Command::Save));
    table.setConditions({Job::None, true, true});
    QVERIFY(table.trigger(Command::Save));
    QCOMPARE(saves, 1);
    // Only what changed is told, once.
    QVERIFY(changes.count() > 0);
    for (const auto &args : changes)
        QVERIFY(args.at(1).toBool());
    changes.clear();
    table.setConditions({Job::None, true, true});
    QCOMPARE(changes.count(), 0);
    // An export switches everything off; a command without a handler never runs.
    table.setConditions({Job::Exporting, true, true});
    QCOMPARE(changes.count(), CommandCount);
    QVERIFY(!table.trigger(Command::Save));
    QCOMPARE(saves, 1);
    table.setConditions({Job::None, true, true});
    QVERIFY(!table.trigger(Command::Play));
}

QTEST_GUILESS_MAIN(TestCommandTable)
#include "tst_commandtable.moc"
