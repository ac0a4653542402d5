#include "ccommondialogs.h"
#include "consolerunner.h"
#include "desktopopener.h"
#include "editorstate.h"
#include "frmmenu.h"
#include "mainworkflow.h"
#include "screenscale.h"
#include "shelllinks.h"
#include "workflowfakes.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

// The window's share of the workflow, on a bare window with recording seams:
// the word box and its dispatch, the menus' life, the panels and drops.
class TestMainWorkflow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void wordsReachCommands_data();
    void wordsReachCommands();
    void sameWordTwice();
    void exitFromItsOwnMenuEntry();
    void aboutBox();
    void shellRequests();
    void progressWidths();
    void dropOpensFile();

private:
    struct Rig {
        Rig()
        {
            MainWorkflow::Parts parts;
            parts.window = &window;
            parts.scale = &scale;
            parts.state = &state;
            parts.prompt = &prompt;
            parts.sound = &sound;
            parts.dialogs = &dialogs;
            parts.objDOS = &objDOS;
            parts.objDOS1 = &objDOS1;
            parts.desktop = &desktop;
            parts.appFolder = folder.path();
            parts.workFile = folder.workFile();
            parts.stopPlayback = [this] { log << "stop"; };
            parts.resetTimeline = [this] { log << "reset"; };
            parts.setStripVisible = [this](bool on) { log << (on ? "strip on" : "strip off"); };
            parts.setPeaks = [this](const QList<Peak> &peaks) { log << QString("peaks %1").arg(peaks.size()); };
            parts.setCommandsEnabled = [this](bool on) { log << (on ? "commands on" : "commands off"); };
            parts.runToolbarCommand = [this](int i) { log << QString("command %1").arg(i); };
            parts.closeWindow = [this] { log << "close"; };
            parts.menuPosition = [](int i) { return QPoint(10 * i, 50); };
            workflow = std::make_unique<MainWorkflow>(parts);
            window.resize(765, 565);
        }
        ProgramFolder folder;
        QWidget window;
        ScreenScale scale;
        EditorState state;
        ScriptedPrompt prompt;
        SoundLog sound;
        CCommonDialogs dialogs;
        ConsoleRunner objDOS{prompt};
        ConsoleRunner objDOS1{prompt};
        RecordingDesktopOpener desktop;
        QStringList log;
        std::unique_ptr<MainWorkflow> workflow;
    };
};

void TestMainWorkflow::init()
{
    qputenv("KESMARIN_FAKE_CODER", "ok");
}

void TestMainWorkflow::wordsReachCommands_data()
{
    QTest::addColumn<int>("menu");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("open") << 0 << "menuOpen" << QStringList{"command 0"};
    QTest::newRow("save") << 0 << "menuSave" << QStringList{"command 1"};
    QTest::newRow("random cut") << 1 << "menuRRC" << QStringList{"command 2"};
    QTest::newRow("tell a friend") << 1 << "menuSR" << QStringList{"command 4"};
    QTest::newRow("settings") << 2 << "menuSettings" << QStringList{"command 5"};
    QTest::newRow("help") << 3 << "menuHelp" << QStringList{"command 6"};
}

void TestMainWorkflow::wordsReachCommands()
{
    QFETCH(int, menu);
    QFETCH(QString, entry);
    QFETCH(QStringList, log);
    Rig rig;
    QCOMPARE(rig.workflow->txtAction->text(), "Text1");
    QVERIFY(rig.workflow->txtAction->isHidden());
    QVERIFY(!rig.workflow->menuHolder()); // loaded on first use
    rig.workflow->popupMenu(menu);
    frmMenu *holder = rig.workflow->menuHolder();
    QVERIFY(holder);
    QMenu *popup = holder->menu(menu);
    QTRY_VERIFY(popup->isVisible());
    QCOMPARE(popup->pos(), QPoint(10 * menu, 50));
    popup->findChild<QAction *>(entry)->trigger();
    popup->close();
    QCOMPARE(rig.log, log);
    // The box keeps the last word; nothing clears it.
    QVERIFY(rig.workflow->txtAction->text() != "Text1");
}

void TestMainWorkflow::sameWordTwice()
{
    Rig rig;
    rig.workflow->writeCommandWord("RRC");
    rig.workflow->writeCommandWord("RRC");
    QCOMPARE(rig.log, (QStringList{"command 2", "command 2"}));
    // Text written by anyone else runs the dispatcher too, unknown text nothing.
    rig.workflow->txtAction->setText("Help");
    rig.workflow->txtAction->setText("help");
    QCOMPARE(rig.log, (QStringList{"command 2", "command 2", "command 6"}));
}

void TestMainWorkflow::exitFromItsOwnMenuEntry()
{
    // "退出" unloads the menu holder from inside one of its own entries, and
    // the window (which may decline) is asked to close.
    Rig rig;
    rig.workflow->popupMenu(0);
    QPointer<frmMenu> holder = rig.workflow->menuHolder();
    holder->menuExit->trigger();
    QCOMPARE(rig.log, QStringList{"close"});
    QVERIFY(!rig.workflow->menuHolder());
    QTRY_VERIFY(holder.isNull());
    // The next click on a title loads it again.
    rig.workflow->popupMenu(1);
    QVERIFY(rig.workflow->menuHolder());
    QVERIFY(rig.workflow->menuHolder()->menu(1));
}

void TestMainWorkflow::aboutBox()
{
    Rig rig;
    rig.workflow->writeCommandWord(QStringLiteral("关于"));
    QCOMPARE(rig.prompt.shown().size(), 1);
    const auto message = rig.prompt.shown().first();
    QCOMPARE(message.title, QStringLiteral("关于"));
    QCOMPARE(message.buttons, UserPrompt::Buttons::Ok);
    QCOMPARE(message.icon, UserPrompt::Icon::NoIcon);
    const QStringList lines = message.text.split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[1], ShellLinks::webAddress());
    QVERIFY(lines[1].contains("example.com"));
}

void TestMainWorkflow::shellRequests()
{
    Rig rig;
    rig.workflow->tellAFriend();
    rig.workflow->feedback();
    rig.workflow->help();
    const QList<QUrl> opened = rig.desktop.opened();
    QCOMPARE(opened.size(), 3);
    QCOMPARE(opened[0], ShellLinks::tellAFriendUrl());
    QCOMPARE(opened[1], ShellLinks::feedbackUrl());
    // The help page is looked for beside the program, not in the current folder.
    QCOMPARE(opened[2].toLocalFile(), rig.folder.path() + "/help/index.html");
}

void TestMainWorkflow::progressWidths()
{
    Rig rig;
    rig.window.show();
    MainWorkflow &w = *rig.workflow;
    QCOMPARE(w.picPBBack->geometry(), QRect(133, 400, 462, 37));
    w.setDecodeProgress(5415, "100%");
    QCOMPARE(w.imgPB->width(), 361);
    QCOMPARE(w.lblPB->text(), "100%");
    w.setExportProgress(2108, "50%");
    QCOMPARE(w.imgPro->width(), 141);
    QCOMPARE(w.lblPro->text(), "50%");
    // The export panel lies over the file name while it runs.
    w.setFileNameText("/music/a.mp3");
    w.setExportPanelVisible(true);
    QVERIFY(w.picPro->isVisible());
    QVERIFY(w.picPro->geometry().intersects(w.lblFileName->geometry()));
    QCOMPARE(rig.window.childAt(w.lblFileName->geometry().topLeft() + QPoint(2, 2)) == w.lblFileName, false);
}

void TestMainWorkflow::dropOpensFile()
{
    Rig rig;
    rig.window.show();
    const QString song = rig.folder.path() + "/dropped song.mp3";
    QFile file(song);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(song)});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&rig.window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&rig.window, &drop);
    QTRY_COMPARE(rig.state.FileOpened, qint16(-1));
    QCOMPARE(rig.workflow->openController().sourcePath(), song);
    QCOMPARE(rig.workflow->lblFileName->text(), song.left(32) + "...");
    QVERIFY(rig.log.contains("strip on"));
    QVERIFY(rig.log.contains("peaks 0")); // the fake coder's output is no WAV

    // Text is no file: refused.
    QMimeData text;
    text.setText("hello");
    QDragEnterEvent refused(QPoint(1, 1), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&rig.window, &refused);
    QVERIFY(!refused.isAccepted());
}

QTEST_MAIN(TestMainWorkflow)
#include "tst_mainworkflow.moc"
