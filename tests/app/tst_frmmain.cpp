#include "apptestsupport.h"
#include "ccommondialogs.h"
#include "coderprogress.h"
#include "consolerunner.h"
#include "frmmenu.h"
#include "progresspanel.h"
#include "ringtonesession.h"
#include "session/sessionfakes.h"
#include "shelllinks.h"
#include "skinimage.h"
#include "stripwidget.h"
#include "timelabels.h"
#include "timelineeditor.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <QFile>
#include <QFileInfo>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestFrmMain : public QObject
{
    Q_OBJECT
private slots:
    void loadReadsSettings();
    void privateWorkingFolder();
    void versionAndTextColours();
    void scaledLayout_data();
    void scaledLayout();
    void skinShape();
    void exitCancelled_data();
    void exitCancelled();
    void exitConfirmed_data();
    void exitConfirmed();
    void secondCloseWhileAsking();
    void exitCancelsRunningJob();
    void transportAndStrip();
    void dialogsBoundToWindow();
    void hoverFollowsTheMouse();
    void oneSettingsDialog();
    void dragAndMinimise_data();
    void dragAndMinimise();
    void menusWriteWords();
    void sameWordTwice();
    void exitFromItsOwnMenuEntry();
    void aboutBox();
    void progressPanels();
    void dropOpensFile_data();
    void dropOpensFile();
};

namespace {
void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The three ways to close the window.
void closeBy(frmMain &window, const QString &how)
{
    if (how == u"imgExit")
        QTest::mouseClick(window.imgExit, Qt::LeftButton);
    else if (how == u"command 7")
        window.imgButton_Click(7);
    else
        window.close(); // what the window manager's close and Alt+F4 do
}

void addCloseRows()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("imgExit") << QStringLiteral("imgExit");
    QTest::newRow("command 7") << QStringLiteral("command 7");
    QTest::newRow("window manager") << QStringLiteral("window manager");
}
} // namespace

void TestFrmMain::loadReadsSettings()
{
    MainWindowFixture fixture;
    writeFile(fixture.setupPath(), "1\r\n1\r\n");
    frmMain window(fixture.environment());
    QCOMPARE(window.settings(), (SetupValues{1, 1}));
}

void TestFrmMain::privateWorkingFolder()
{
    MainWindowFixture fixture;
    frmMain first(fixture.environment());
    frmMain second(fixture.environment());
    const QFileInfo folder(first.workingFolder());
    QVERIFY(folder.isDir());
    QCOMPARE(folder.absolutePath(), QDir(fixture.cacheBase()).absolutePath());
    struct stat status {};
    QCOMPARE(::stat(QFile::encodeName(folder.filePath()).constData(), &status), 0);
    QCOMPARE(status.st_mode & 07777, 0700u);
    QCOMPARE(QFileInfo(first.workingFile()).fileName(), QStringLiteral("open.wav"));
    QCOMPARE(QFileInfo(first.workingFile()).absolutePath(), folder.absoluteFilePath());
    // Two running copies never share a working file.
    QVERIFY(first.workingFile() != second.workingFile());
}

void TestFrmMain::versionAndTextColours()
{
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    QCOMPARE(window.lblVersion->text(), QStringLiteral("- Ver 1.1.8"));
    QCOMPARE(window.lblText->palette().color(QPalette::WindowText), QColor(11, 77, 109));
    QCOMPARE(window.lblText->text(), QString());
    QVERIFY(window.lblVersion->font().bold());
}

void TestFrmMain::scaledLayout_data()
{
    QTest::addColumn<double>("twipsPerPixel");
    QTest::newRow("96 dpi") << 15.0;
    QTest::newRow("120 dpi") << 12.0;
}

void TestFrmMain::scaledLayout()
{
    QFETCH(double, twipsPerPixel);
    const ScreenScale scale(twipsPerPixel, twipsPerPixel);
    // A control designed at 1500 twips stands at 1500 x k twips: 100 pixels either way.
    QCOMPARE(scale.adjustX(1500), 1500 * twipsPerPixel / 15);
    QCOMPARE(scale.pixelsX(1500), 100);
    // The strip's end handle starts 728 pixels from its left.
    QCOMPARE(scale.pixelsX(10920), 728);

    MainWindowFixture fixture;
    frmMain window(fixture.environment(scale));
    // Every control keeps its spot on the skin in pixels; fonts shrink with
    // the finer screen so text keeps its size in pixels.
    QCOMPARE(window.imgButton[0]->geometry(), QRect(24, 65, 37, 32));
    QCOMPARE(window.imgCtrlButton[6]->geometry(), QRect(643, 483, 108, 32));
    QCOMPARE(window.imgExit->geometry(), QRect(729, 12, 22, 22));
    QCOMPARE(window.lblText->geometry(), QRect(18, 538, 278, 14));
    QCOMPARE(window.lblVersion->font().pointSizeF(), 9 * twipsPerPixel / 15);
    QCOMPARE(window.timeLabels->label(TimelineModel::Label::lblTime)->font().pointSizeF(),
             14.25 * twipsPerPixel / 15);
    // The grid keeps the designed size, or less where the fonts at hand
    // would not fit "23:59:59.999" in a cell.
    QVERIFY(window.timeLabels->label(TimelineModel::Label::lblSelLength)->font().pointSizeF()
            <= 8.25 * twipsPerPixel / 15);
    for (const char *name : {"lblTimeLeft", "lblTimeRight"}) {
        const QLabel *end = window.picOpened->findChild<QLabel *>(QLatin1String(name));
        QVERIFY(end);
        QCOMPARE(end->font().pointSizeF(), 8.25 * twipsPerPixel / 15);
    }
}

void TestFrmMain::skinShape()
{
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    const QImage skin = window.skin().toImage();
    QCOMPARE(window.size(), QSize(765, 565));
    // Key-coloured skin pixels are outside the window's shape, all others inside.
    int keyed = 0;
    for (int y = 0; y < skin.height(); y += 3) {
        for (int x = 0; x < skin.width(); x += 3) {
            const bool key = skin.pixel(x, y) == SkinnedWindow::KeyColor;
            keyed += key;
            QVERIFY2(window.mask().contains(QPoint(x, y)) != key,
                     qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
    }
    QVERIFY2(keyed > 0, "the skin cuts nothing away");
}

void TestFrmMain::exitCancelled_data()
{
    addCloseRows();
}

void TestFrmMain::exitCancelled()
{
    QFETCH(QString, how);
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    window.show();
    writeFile(window.workingFile(), "RIFF");
    fixture.prompt.queueAnswer(false);

    closeBy(window, how);

    QCOMPARE(fixture.prompt.shown().size(), 1);
    const UserPrompt::Message &asked = fixture.prompt.shown().first();
    QCOMPARE(asked.text, QStringLiteral("真的要退出?"));
    QCOMPARE(asked.title, QStringLiteral("退出"));
    QCOMPARE(asked.icon, UserPrompt::Icon::Exclamation);
    QCOMPARE(asked.buttons, UserPrompt::Buttons::OkCancel);
    // Cancel leaves everything as it was: the window, playback, the file.
    QVERIFY(window.isVisible());
    QVERIFY(fixture.sound.actions().isEmpty());
    QVERIFY(QFile::exists(window.workingFile()));
    QCOMPARE(fixture.ends, 0);
}

void TestFrmMain::exitConfirmed_data()
{
    addCloseRows();
}

void TestFrmMain::exitConfirmed()
{
    QFETCH(QString, how);
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    window.show();
    const QString folder = window.workingFolder();
    writeFile(window.workingFile(), "RIFF");
    writeFile(folder + QStringLiteral("/left-by-a-job.tmp"), "x");
    window.popupMenu(0); // loads the menu holder
    QPointer<frmMenu> menu = window.menuHolder();
    QVERIFY(menu);
    menu->menu(0)->close();
    fixture.prompt.queueAnswer(true);

    closeBy(window, how);

    QCOMPARE(fixture.prompt.shown().size(), 1);
    QCOMPARE(fixture.sound.actions(),
             (QStringList{QStringLiteral("stop sound"), QStringLiteral("close sound")}));
    QVERIFY(!QFile::exists(window.workingFile()));
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(!window.isVisible());
    QCOMPARE(fixture.ends, 1);
    QTRY_VERIFY(menu.isNull());
    // The end is not asked again.
    window.close();
    QCOMPARE(fixture.prompt.shown().size(), 1);
    QCOMPARE(fixture.ends, 1);
}

void TestFrmMain::secondCloseWhileAsking()
{
    MainWindowFixture fixture;
    // The prompt is answered while a second close arrives (Alt+F4 pressed
    // again behind the question): only one question, one end.
    struct NestedClosePrompt : UserPrompt {
        frmMain *window = nullptr;
        int asked = 0;
        bool show(const Message &) override
        {
            ++asked;
            if (asked == 1)
                window->close();
            return true;
        }
    } prompt;
    frmMain::Environment env = fixture.environment();
    env.prompt = &prompt;
    frmMain window(std::move(env));
    prompt.window = &window;
    window.show();
    window.close();
    QCOMPARE(prompt.asked, 1);
    QCOMPARE(fixture.ends, 1);
    QCOMPARE(fixture.sound.actions().size(), 2);
}

void TestFrmMain::exitCancelsRunningJob()
{
    MainWindowFixture fixture;
    fixture.prompt.queueAnswer(true);
    frmMain window(fixture.environment());
    window.show();
    CoderCommand command;
    command.program = QStringLiteral("/bin/sleep");
    command.arguments = {QStringLiteral("30")};
    command.commandLine = QStringLiteral("sleep 30");
    window.objDOS->setCommand(command);
    // The exit arrives while the job waits, as a click would.
    QTimer::singleShot(200, &window, &QWidget::close);
    QElapsedTimer clock;
    clock.start();
    window.objDOS->ExecuteCommand();
    QVERIFY2(clock.elapsed() < 10000, "the job ran on after the exit");
    QVERIFY(window.objDOS->wasCancelled());
    QVERIFY(!window.objDOS->isRunning());
    QCOMPARE(fixture.ends, 1);
}

void TestFrmMain::transportAndStrip()
{
    qputenv("KESMARIN_FAKE_CODER", "ok");
    MainWindowFixture fixture;
    ProgramFolder folder;
    frmMain::Environment env = fixture.environment();
    env.appFolder = folder.path();
    frmMain window(std::move(env));
    window.show();
    // No file is open: the strip waits hidden, its end handle at the strip's width.
    QVERIFY(window.picOpened);
    QVERIFY(!window.picOpened->isVisible());
    QCOMPARE(window.picOpened->geometry(), QRect(10, 104, 746, 360));
    QCOMPARE(window.editor().model().left(TimelineModel::Image::imgSelectTop2), 10920);
    QCOMPARE(window.editor().model().left(TimelineModel::Image::imgSelectLine2), 10920 + 90);
    // With no file the transport row is off, and a click does nothing.
    QVERIFY(!window.imgCtrlButton[2]->isEnabled());
    QTest::mouseClick(window.imgCtrlButton[2], Qt::LeftButton);
    QVERIFY(!fixture.sound.actions().contains(QStringLiteral("pause sound")));
    // With one, the transport row drives the playback controller.
    window.session().openPath(folder.path() + "/song.mp3");
    QTRY_VERIFY(window.session().hasFile());
    QVERIFY(window.imgCtrlButton[2]->isEnabled());
    QTest::mouseClick(window.imgCtrlButton[2], Qt::LeftButton);
    QVERIFY(fixture.sound.actions().contains(QStringLiteral("pause sound")));
    QVERIFY(window.editor().controller().isPaused());
}

void TestFrmMain::dialogsBoundToWindow()
{
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    window.show();
    QWidget *shownOver = nullptr;
    QTimer closer;
    closer.setInterval(20);
    connect(&closer, &QTimer::timeout, &window, [&shownOver] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QDialog *>(top);
            if (dialog && dialog->isVisible()) {
                shownOver = dialog->parentWidget();
                dialog->reject();
            }
        }
    });
    closer.start();
    // Unbound, the dialog object would refuse to show anything.
    bool confirmed = true;
    try {
        confirmed = window.Dialogs->ShowOpen();
    } catch (...) {
        QFAIL("the dialogs are not bound to the main window");
    }
    QVERIFY(!confirmed);
    QCOMPARE(shownOver, &window);
}

void TestFrmMain::hoverFollowsTheMouse()
{
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    // Buttons of commands that cannot run take no hover: as with a song open.
    window.session().commands().setConditions({CommandConditions::Job::None, true, true});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto centre = [](QWidget *w) { return w->rect().center(); };

    QTest::mouseMove(window.imgButton[0], centre(window.imgButton[0]));
    QTRY_VERIFY(window.imgButton[0]->hasPicture());
    QCOMPARE(window.lblText->text(), QStringLiteral("打开媒体文件"));

    QTest::mouseMove(window.imgButton[1], centre(window.imgButton[1]));
    QTRY_VERIFY(window.imgButton[1]->hasPicture());
    QVERIFY(!window.imgButton[0]->hasPicture());

    QTest::mouseMove(window.imgCtrlButton[2], centre(window.imgCtrlButton[2]));
    QTRY_VERIFY(window.imgCtrlButton[2]->hasPicture());
    QVERIFY(window.imgButton[1]->hasPicture());
    QCOMPARE(window.lblText->text(), QStringLiteral("暂停"));

    // Press and release a transport button: the pressed picture differs from
    // the highlight and stays after the release.
    const QPixmap light = window.imgCtrlButton[2]->picture();
    QTest::mousePress(window.imgCtrlButton[2], Qt::LeftButton, {}, centre(window.imgCtrlButton[2]));
    QVERIFY(window.rules().isButtonDown());
    const QPixmap pressed = window.imgCtrlButton[2]->picture();
    QVERIFY(pressed.cacheKey() != light.cacheKey());
    QTest::mouseRelease(window.imgCtrlButton[2], Qt::LeftButton, {}, centre(window.imgCtrlButton[2]));
    QCOMPARE(window.imgCtrlButton[2]->picture().cacheKey(), pressed.cacheKey());

    QTest::mouseMove(&window, QPoint(600, 75)); // bare skin
    QTRY_VERIFY(!window.imgCtrlButton[2]->hasPicture());
    QVERIFY(!window.imgButton[1]->hasPicture());
    QCOMPARE(window.lblText->text(), QString());
}

void TestFrmMain::oneSettingsDialog()
{
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    window.show();
    window.imgButton_Click(5);
    QPointer<frmSetting> dialog = window.settingsDialog();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    window.imgButton_Click(5);
    QCOMPARE(window.settingsDialog(), dialog.data());
    QCOMPARE(window.findChildren<frmSetting *>().size(), 1);
    // Closed, it goes; the next command loads it afresh.
    dialog->close();
    QTRY_VERIFY(dialog.isNull());
    window.imgButton_Click(5);
    QVERIFY(window.settingsDialog());
    QVERIFY(window.settingsDialog()->isVisible());
}

void TestFrmMain::dragAndMinimise_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("bare skin") << "bare";
    QTest::newRow("version label") << "lblVersion";
    // The time cells are controls: a press there is theirs.
    QTest::newRow("a time cell") << "lblSelBegin";
    QTest::newRow("the clock") << "lblTime";
}

void TestFrmMain::dragAndMinimise()
{
    QFETCH(QString, where);
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    window.move(50, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget *pressed = where == u"bare" ? nullptr : window.findChild<QWidget *>(where);
    const QPoint grab = pressed ? pressed->geometry().center() : QPoint(600, 75);
    QCOMPARE(window.childAt(grab), pressed);
    // No window manager here: the window follows the mouse itself.
    // The mouse moves on the screen; events carry it in the moving window's terms.
    const QPoint start = window.mapToGlobal(grab);
    const auto at = [&window](const QPoint &global) { return window.mapFromGlobal(global); };
    QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, grab);
    QTest::mouseMove(window.windowHandle(), at(start + QPoint(10, 5)));
    QTest::mouseMove(window.windowHandle(), at(start + QPoint(30, 20)));
    QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, at(start + QPoint(30, 20)));
    if (where.startsWith(u"lblSel") || where == u"lblTime") {
        // Mouse events are delivered before the calls return.
        QCOMPARE(window.pos(), QPoint(50, 40));
        return;
    }
    QTRY_COMPARE(window.pos(), QPoint(80, 60));

    QTest::mouseClick(window.imgMin, Qt::LeftButton);
    QVERIFY(window.windowState() & Qt::WindowMinimized);
    QCOMPARE(fixture.prompt.shown().size(), 0);
}

void TestFrmMain::menusWriteWords()
{
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    window.show();
    QCOMPARE(window.txtAction->text(), "Text1");
    QVERIFY(window.txtAction->isHidden());
    QVERIFY(!window.menuHolder()); // loaded on first use
    window.imgMenu_Click(3);
    QMenu *popup = window.menuHolder()->menu(3);
    QTRY_VERIFY(popup->isVisible());
    // Each menu opens below its title's lower left corner.
    QCOMPARE(popup->pos(), window.imgMenu[3]->mapToGlobal(QPoint(0, window.imgMenu[3]->height())));
    popup->findChild<QAction *>("menuA")->trigger();
    popup->close();
    // The box keeps the last word; the session got it.
    QCOMPARE(window.txtAction->text(), QStringLiteral("关于"));
    QCOMPARE(fixture.prompt.shown().size(), 1);
}

void TestFrmMain::sameWordTwice()
{
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    QSignalSpy settings(&window.session(), &RingtoneSession::settingsRequested);
    window.writeCommandWord(QStringLiteral("设置"));
    window.writeCommandWord(QStringLiteral("设置"));
    QCOMPARE(settings.count(), 2);
    // Text written by anyone else runs the dispatcher too, unknown text nothing.
    window.txtAction->setText("Help");
    window.txtAction->setText(QStringLiteral("设置"));
    window.txtAction->setText("help");
    QCOMPARE(settings.count(), 3);
}

void TestFrmMain::exitFromItsOwnMenuEntry()
{
    // "退出" unloads the menu holder from inside one of its own entries, and
    // the window asks before it closes.
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    window.show();
    fixture.prompt.queueAnswer(false);
    window.popupMenu(0);
    QPointer<frmMenu> holder = window.menuHolder();
    holder->menuExit->trigger();
    QCOMPARE(fixture.prompt.shown().size(), 1);
    QCOMPARE(fixture.prompt.shown().first().text, QStringLiteral("真的要退出?"));
    QVERIFY(window.isVisible());
    QVERIFY(!window.menuHolder());
    QTRY_VERIFY(holder.isNull());
    // The next click on a title loads it again.
    window.popupMenu(1);
    QVERIFY(window.menuHolder());
    QVERIFY(window.menuHolder()->menu(1));
}

void TestFrmMain::aboutBox()
{
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    window.writeCommandWord(QStringLiteral("关于"));
    QCOMPARE(fixture.prompt.shown().size(), 1);
    const auto message = fixture.prompt.shown().first();
    QCOMPARE(message.title, QStringLiteral("关于"));
    QCOMPARE(message.buttons, UserPrompt::Buttons::Ok);
    QCOMPARE(message.icon, UserPrompt::Icon::NoIcon);
    const QStringList lines = message.text.split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[1], ShellLinks::webAddress());
}

void TestFrmMain::progressPanels()
{
    MainWindowFixture fixture;
    frmMain window(fixture.environment());
    window.show();
    RingtoneSession &session = window.session();
    QCOMPARE(window.picPBBack->geometry(), QRect(133, 400, 462, 37));
    emit session.decodeProgressChanged(5415, "100%");
    QCOMPARE(window.imgPB->width(), 361);
    QCOMPARE(window.lblPB->text(), "100%");
    emit session.exportProgressChanged(2108, "50%");
    QCOMPARE(window.imgPro->width(), 141);
    QCOMPARE(window.lblPro->text(), "50%");
    session.commands().setConditions({CommandConditions::Job::Exporting, true, true});
    QVERIFY(!window.imgButton[0]->isEnabled() && !window.imgCtrlButton[6]->isEnabled());
    QVERIFY(!window.imgMenu[0]->isEnabled() && !window.imgOpen->isEnabled());
    QVERIFY(window.imgExit->isEnabled() && window.imgMin->isEnabled());
    // The export panel lies over the file name while it runs.
    emit session.fileNameChanged("/music/a.mp3");
    QCOMPARE(window.lblFileName->text(), "/music/a.mp3");
    emit session.exportPanelVisibleChanged(true);
    QVERIFY(window.picPro->isVisible());
    QVERIFY(window.picPro->geometry().intersects(window.lblFileName->geometry()));
    QVERIFY(window.childAt(window.lblFileName->geometry().topLeft() + QPoint(2, 2)) != window.lblFileName);
}

void TestFrmMain::dropOpensFile_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("linked"); // the coder is handed a link to the name
    QTest::newRow("UTF-8") << QByteArray("dropped song.mp3") << false;
    QTest::newRow("GBK") << QByteArray("\xb2\xe2\xca\xd4.mp3") << true;
    QTest::newRow("Latin-1") << QByteArray("caf\xe9.mp3") << true;
}

void TestFrmMain::dropOpensFile()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, linked);
    qputenv("KESMARIN_FAKE_CODER", "ok");
    MainWindowFixture fixture;
    ProgramFolder folder;
    frmMain::Environment env = fixture.environment();
    env.appFolder = folder.path();
    frmMain window(std::move(env));
    window.show();
    const QByteArray local = QFile::encodeName(folder.path()) + '/' + name; // a URL percent-encodes it
    const QString song = QFile::decodeName(local);
    QVERIFY(::close(::open(local, O_WRONLY | O_CREAT, 0600)) == 0);
    const auto removeSong = qScopeGuard([&] { ::unlink(local); }); // Qt cannot

    QMimeData mime;
    mime.setUrls({QUrl::fromEncoded("file://" + local.toPercentEncoding("/"))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    QTRY_VERIFY(window.session().hasFile());
    QCOMPARE(window.session().openController().sourcePath(), song);
    QCOMPARE(folder.runs().value(0).value(1), linked ? window.workingFolder() + "/source.mp3" : song);
    QCOMPARE(window.lblFileName->text(), CoderProgress::shortFileName(song));
    QVERIFY(window.picOpened->isVisible());
    QVERIFY(window.picOpened->peaks().isEmpty()); // the fake coder's output is no WAV

    // Text is no file: refused.
    QMimeData text;
    text.setText("hello");
    QDragEnterEvent refused(QPoint(1, 1), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &refused);
    QVERIFY(!refused.isAccepted());
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
