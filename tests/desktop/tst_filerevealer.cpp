#include "filerevealer.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// A file manager as small as it gets: it takes ShowItems and keeps the URIs.
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QList<QStringList> shown;

public slots:
    void ShowItems(const QStringList &uris, const QString &startupId)
    {
        Q_UNUSED(startupId);
        shown.append(uris);
    }
};

class TestFileRevealer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QList<QUrl> m_opened;
    FileRevealer::FolderOpener recordFolder()
    {
        return [this](const QUrl &url) {
            m_opened.append(url);
            return true;
        };
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init() { m_opened.clear(); }
    void showsTheFileSelected_data();
    void showsTheFileSelected();
    void opensTheFolderWhenNoFileManagerAnswers_data();
    void opensTheFolderWhenNoFileManagerAnswers();
};

void TestFileRevealer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        QSKIP("dbus-daemon is not installed (scripts/setup --with-tests installs it)");
    // A bus of our own, so no desktop's file manager ever sees these calls.
    m_daemon.start(daemon, {"--session", "--nofork", "--print-address=1",
                            "--address=unix:dir=" + m_dir.path()});
    QVERIFY(m_daemon.waitForStarted());
    while (!m_daemon.canReadLine() && m_daemon.state() == QProcess::Running)
        m_daemon.waitForReadyRead(1000);
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    QVERIFY2(!m_address.isEmpty(), qPrintable(m_daemon.readAllStandardError()));
}

void TestFileRevealer::cleanupTestCase()
{
    m_daemon.terminate();
    m_daemon.waitForFinished();
}

void TestFileRevealer::showsTheFileSelected_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("uriTail");
    QTest::newRow("plain") << "tone.m4r" << "/tone.m4r";
    QTest::newRow("blank and non-ASCII") << "my 铃声.ogg" << "/my%20%E9%93%83%E5%A3%B0.ogg";
    // Characters a URI would read as its own parts must be escaped.
    QTest::newRow("hash, question mark, percent") << "#1?100%.mp3" << "/%231%3F100%25.mp3";
}

void TestFileRevealer::showsTheFileSelected()
{
    QFETCH(QString, name);
    QFETCH(QString, uriTail);

    QDBusConnection service = QDBusConnection::connectToBus(m_address, QStringLiteral("fm"));
    FakeFileManager manager;
    QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                                   QDBusConnection::ExportAllSlots));
    QVERIFY(service.registerService(QStringLiteral("org.freedesktop.FileManager1")));

    const QString path = m_dir.filePath(name);
    FileRevealer revealer(recordFolder(), QDBusConnection::connectToBus(m_address, "client"));
    QSignalSpy revealed(&revealer, &FileRevealer::revealed);
    revealer.reveal(path);
    QVERIFY(revealed.wait());
    QCOMPARE(revealed.first().at(1).toBool(), true);
    QCOMPARE(manager.shown.size(), 1);
    const QStringList uris = manager.shown.first();
    QCOMPARE(uris.size(), 1);
    QVERIFY2(uris.first().startsWith("file:///") && uris.first().endsWith(uriTail),
             qPrintable(uris.first()));
    QCOMPARE(QUrl(uris.first()).toLocalFile(), path);
    QVERIFY(m_opened.isEmpty());

    service.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
    service.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fm"));
}

void TestFileRevealer::opensTheFolderWhenNoFileManagerAnswers_data()
{
    QTest::addColumn<bool>("haveBus");
    QTest::newRow("a bus without a file manager") << true;
    QTest::newRow("no session bus") << false;
}

void TestFileRevealer::opensTheFolderWhenNoFileManagerAnswers()
{
    QFETCH(bool, haveBus);

    const QDBusConnection bus =
        haveBus ? QDBusConnection::connectToBus(m_address, QStringLiteral("client"))
                : QDBusConnection::connectToBus(QStringLiteral("unix:path=") +
                                                    m_dir.filePath(QStringLiteral("nobus")),
                                                QStringLiteral("nobus"));
    QCOMPARE(bus.isConnected(), haveBus);
    if (haveBus)
        QVERIFY(!bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.FileManager1")));
    const QString path = m_dir.filePath(QStringLiteral("sub dir/ring.mp3"));
    FileRevealer revealer(recordFolder(), bus);
    QSignalSpy revealed(&revealer, &FileRevealer::revealed);
    revealer.reveal(path);
    QVERIFY(revealed.count() == 1 || revealed.wait());
    QCOMPARE(revealed.first().at(1).toBool(), false);
    QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("sub dir")))});
}

QTEST_GUILESS_MAIN(TestFileRevealer)
#include "tst_filerevealer.moc"
