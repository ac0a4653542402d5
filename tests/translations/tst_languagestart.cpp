// The real program started under a Chinese and an English locale on a real X
// server: the skin shows that language's menu titles, and the exit question
// carries that language's title.
//
// The test brings its own X server and window manager: on a shared display
// another test's windows, pointer moves or focus changes can cover the skin,
// take the click meant for the close mark or the key meant for the question.

#include <QDeadlineTimer>
#include <QImage>
#include <QScopeGuard>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

// Generous: on a loaded machine a start can take tens of seconds; an idle
// one needs a few.
constexpr int Patience = 90000;

struct Run {
    int exitCode = -1; // -1: did not start, crashed or overran Patience
    QString out;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(Patience)) {
        p.kill();
        p.waitForFinished(-1);
        return {};
    }
    Run r;
    r.out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    if (p.exitStatus() == QProcess::NormalExit)
        r.exitCode = p.exitCode();
    return r;
}

Run xdotool(const QStringList &arguments)
{
    return run(tool("xdotool"), arguments);
}

// Polls until condition holds, for at most Patience by the clock. QTRY_*
// counts its own steps instead, and each try here starts tools that take a
// second or more on a loaded machine, which would stretch its deadline
// many times over.
bool eventually(const std::function<bool()> &condition)
{
    const QDeadlineTimer deadline(Patience);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

// The visible windows of process `pid` with their names and sizes.
struct Window {
    QString id;
    QString name;
    QSize size;
};

QList<Window> windowsOf(qint64 pid)
{
    QList<Window> found;
    const QString ids = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                 QStringLiteral("--pid"), QString::number(pid)})
                            .out;
    for (const QString &id : ids.split(u'\n', Qt::SkipEmptyParts)) {
        Window w{id, xdotool({QStringLiteral("getwindowname"), id}).out, {}};
        // "WIDTH=765" and "HEIGHT=565" among the shell-style lines.
        const QString geometry =
            xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id}).out;
        for (const QString &line : geometry.split(u'\n')) {
            if (line.startsWith(u"WIDTH="))
                w.size.setWidth(line.mid(6).toInt());
            else if (line.startsWith(u"HEIGHT="))
                w.size.setHeight(line.mid(7).toInt());
        }
        found << w;
    }
    return found;
}

QString findWindow(qint64 pid, const std::function<bool(const Window &)> &wanted)
{
    for (const Window &w : windowsOf(pid)) {
        if (wanted(w))
            return w.id;
    }
    return {};
}

// Xvfb on a display number of its own choosing, with openbox on it.
class PrivateDisplay
{
public:
    ~PrivateDisplay() { stop(); }

    // The display's name (":N"), or empty with the reason in why.
    QString start(QString *why)
    {
        // -displayfd: the server picks a free display and writes its number
        // once it accepts connections. -noreset: by default the server starts
        // afresh whenever its last client leaves, which takes a second and
        // refuses the window manager if it connects just then.
        m_server.start(tool("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                      QStringLiteral("-noreset"), QStringLiteral("-screen"),
                                      QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                                      QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QByteArray number;
        while (!number.contains('\n')) {
            if (!m_server.waitForReadyRead(Patience)) {
                *why = QStringLiteral("Xvfb gave no display number: ") + m_server.errorString() +
                       QString::fromLocal8Bit(m_server.readAllStandardError());
                return {};
            }
            number += m_server.readAllStandardOutput();
        }
        const QString display = u':' + QString::fromLatin1(number.trimmed());

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("HOME"), m_home.path());
        m_manager.setProcessEnvironment(env);
        m_manager.setStandardOutputFile(QProcess::nullDevice());
        m_manager.setStandardErrorFile(QProcess::nullDevice());
        m_manager.start(tool("openbox"), {QStringLiteral("--sm-disable")});
        if (!m_manager.waitForStarted(Patience)) {
            *why = QStringLiteral("openbox did not start: ") + m_manager.errorString();
            return {};
        }
        return display;
    }

    bool managerRunning() const { return m_manager.state() == QProcess::Running; }

    // The window manager has announced itself on the root window.
    static bool managed(const QString &display)
    {
        return run(tool("xprop"), {QStringLiteral("-display"), display, QStringLiteral("-root"),
                                   QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
            .out.contains(QLatin1String("window id"));
    }

    void stop()
    {
        for (QProcess *p : {&m_manager, &m_server}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(Patience))
                    p->kill();
                p->waitForFinished(-1);
            }
        }
    }

private:
    QProcess m_server, m_manager;
    QTemporaryDir m_home;
};

// Pixels that differ between two same-sized areas.
int differing(const QImage &a, const QImage &b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            count += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
    }
    return count;
}

} // namespace

class TestLanguageStart : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { m_display.stop(); }
    void startsInLanguage_data();
    void startsInLanguage();

private:
    PrivateDisplay m_display;
};

void TestLanguageStart::initTestCase()
{
    for (const char *needed : {"Xvfb", "openbox", "xprop", "xdotool", "import"}) {
        if (tool(needed).isEmpty())
            QSKIP("needs Xvfb, openbox, xprop, xdotool and ImageMagick's import "
                  "(scripts/setup --with-tests)");
    }
    QString why;
    const QString display = m_display.start(&why);
    QVERIFY2(!display.isEmpty(), qPrintable(why));
    bool managed = false;
    QVERIFY(eventually([&] {
        managed = PrivateDisplay::managed(display);
        return managed || !m_display.managerRunning();
    }));
    QVERIFY2(managed, "openbox ended before it managed the display");
    // Every child from here on (the program, xdotool, import) uses it.
    qputenv("DISPLAY", display.toLocal8Bit());
}

void TestLanguageStart::startsInLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("exitTitle");
    QTest::addColumn<QString>("skin");      // the language's own main skin
    QTest::addColumn<QString>("otherSkin"); // the other language's

    const QString own = QStringLiteral(KESMARIN_BUILD_DIR "/assets/art/main.png");
    const QString english = QStringLiteral(KESMARIN_BUILD_DIR "/assets/art/en/main.png");
    QTest::newRow("Chinese") << "zh_CN.UTF-8" << "退出" << own << english;
    QTest::newRow("Taiwan") << "zh_TW.UTF-8" << "退出" << own << english;
    QTest::newRow("English") << "en_US.UTF-8" << "Exit" << english << own;
    QTest::newRow("German") << "de_DE.UTF-8" << "Exit" << english << own;
}

void TestLanguageStart::startsInLanguage()
{
    QFETCH(QString, locale);
    QFETCH(QString, exitTitle);
    QFETCH(QString, skin);
    QFETCH(QString, otherSkin);

    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LANGUAGE"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.insert(QStringLiteral("LANG"), locale);
    env.insert(QStringLiteral("LC_ALL"), locale);
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("KESMARIN_AUDIO"), QStringLiteral("silent"));

    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(KESMARIN_BUILD_DIR "/kesmarin"), {});
    QVERIFY(program.waitForStarted(-1));
    const qint64 pid = program.processId();
    const auto stop = qScopeGuard([&program] {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(-1);
        }
    });

    // Keep the mouse off the window, so no highlight covers the skin.
    QCOMPARE(xdotool({QStringLiteral("mousemove"), QStringLiteral("1279"), QStringLiteral("1023")})
                 .exitCode,
             0);

    // The main window comes after the splash; it is the one of the skin's size.
    QString mainId;
    QVERIFY2(eventually([&] {
                 mainId = findWindow(pid, [](const Window &w) { return w.size == QSize(765, 565); });
                 return !mainId.isEmpty() || program.state() == QProcess::NotRunning;
             }) && !mainId.isEmpty(),
             "no main window");

    // The menu titles as the screen shows them, against both languages' skins.
    const QRect menus(133, 42, 135, 18);
    const QImage expected = QImage(skin).copy(menus);
    const QImage other = QImage(otherSkin).copy(menus);
    QVERIFY(!expected.isNull() && !other.isNull());
    QVERIFY2(differing(expected, other) > 0, "the two languages paint the same menu titles");
    const QString shot = home.filePath(QStringLiteral("shot.png"));
    QImage shown;
    // The window may still be drawing its first frame: wait until it shows the skin.
    QVERIFY2(eventually([&] {
                 return run(tool("import"), {QStringLiteral("-window"), mainId, shot}).exitCode == 0 &&
                        !(shown = QImage(shot).copy(menus)).isNull() &&
                        differing(shown, expected) == 0;
             }),
             "the screen never showed the language's menu titles");
    QVERIFY(differing(shown, other) > 0);

    // The window's own close mark asks the exit question.
    QCOMPARE(xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), mainId,
                      QStringLiteral("740"), QStringLiteral("23"), QStringLiteral("click"),
                      QStringLiteral("1")})
                 .exitCode,
             0);
    // Qt adds " — Kesmarin" to the title on the desktop.
    QString questionId;
    QVERIFY2(eventually([&] {
                 questionId = findWindow(pid, [&exitTitle](const Window &w) {
                     return w.name == exitTitle || w.name.startsWith(exitTitle + u' ');
                 });
                 return !questionId.isEmpty();
             }),
             "no exit question");

    // Confirming ends the program.
    QCOMPARE(xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), questionId}).exitCode,
             0);
    QCOMPARE(xdotool({QStringLiteral("key"), QStringLiteral("Return")}).exitCode, 0);
    QVERIFY(program.waitForFinished(Patience));
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestLanguageStart)
#include "tst_languagestart.moc"
