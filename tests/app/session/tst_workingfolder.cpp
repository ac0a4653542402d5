// The sweep of working folders left by instances that are gone: real program
// instances, one killed and one running, and leftovers of every other shape.
#include "../programinstance.h"
#include "workingfolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
void writeFile(const QString &path, const QByteArray &bytes = "RIFF")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Folders below parent that hold an instance's lock.
QStringList lockedFolders(const QString &parent)
{
    QStringList found;
    for (const QFileInfo &entry : QDir(parent).entryInfoList({QStringLiteral("work-*")}, QDir::Dirs)) {
        if (QFileInfo::exists(entry.filePath() + QStringLiteral("/instance.lock")))
            found.append(entry.absoluteFilePath());
    }
    return found;
}

} // namespace

class TestWorkingFolder : public QObject
{
    Q_OBJECT
private slots:
    void sweep_data();
    void sweep();
    void killedAndLiveInstances();
};

void TestWorkingFolder::sweep_data()
{
    QTest::addColumn<QString>("leftover");
    QTest::addColumn<bool>("removed");
    // A folder from before the lock, with a working file and a job's temporary.
    QTest::newRow("unlocked with files") << QStringLiteral("unlocked") << true;
    QTest::newRow("unlocked with a subfolder") << QStringLiteral("nested") << true;
    QTest::newRow("a running instance's") << QStringLiteral("live") << false;
    QTest::newRow("another name") << QStringLiteral("other") << false;
    QTest::newRow("a link named like a folder") << QStringLiteral("link") << false;
}

void TestWorkingFolder::sweep()
{
    QFETCH(QString, leftover);
    QFETCH(bool, removed);
    QTemporaryDir home;
    const QString parent = home.filePath(QStringLiteral("cache"));
    QString entry;     // what the sweep may remove
    QString untouched; // what it must never reach
    std::unique_ptr<WorkingFolder> live;
    if (leftover == u"unlocked") {
        entry = parent + QStringLiteral("/work-a1B2c3");
        writeFile(entry + QStringLiteral("/open.wav"));
        writeFile(entry + QStringLiteral("/.open.wav.part"));
    } else if (leftover == u"nested") {
        entry = parent + QStringLiteral("/work-d4E5f6");
        writeFile(entry + QStringLiteral("/deeper/open.wav"));
    } else if (leftover == u"live") {
        live = std::make_unique<WorkingFolder>(parent);
        QVERIFY(live->isValid());
        entry = live->path();
        writeFile(live->workingFile());
    } else if (leftover == u"other") {
        entry = parent + QStringLiteral("/thumbnails");
        writeFile(entry + QStringLiteral("/open.wav"));
    } else {
        untouched = home.filePath(QStringLiteral("elsewhere/open.wav"));
        writeFile(untouched);
        QDir().mkpath(parent);
        entry = parent + QStringLiteral("/work-link00");
        QVERIFY(QFile::link(QFileInfo(untouched).absolutePath(), entry));
    }

    QCOMPARE(WorkingFolder::sweep(parent), removed ? 1 : 0);
    QCOMPARE(QFileInfo::exists(entry), !removed);
    if (!untouched.isEmpty())
        QVERIFY(QFileInfo::exists(untouched));
    // The sweep leaves nothing of its own behind in what it keeps.
    if (!removed && !live)
        QVERIFY(!QFileInfo::exists(entry + QStringLiteral("/instance.lock")));
    if (live) {
        QVERIFY(QFileInfo::exists(live->workingFile()));
        live->remove();
        QVERIFY(!QFileInfo::exists(entry));
    }
}

void TestWorkingFolder::killedAndLiveInstances()
{
    QTemporaryDir home;
    const QString cache = home.filePath(QStringLiteral("cache/kesmarin"));

    QString killedFolder;
    {
        ProgramInstance killed(home);
        QVERIFY(killed.process.waitForStarted(30000));
        QTRY_COMPARE_WITH_TIMEOUT(lockedFolders(cache).size(), 1, 120000);
        killedFolder = lockedFolders(cache).constFirst();
        // What a decode leaves: a working file that would stay for ever.
        writeFile(killedFolder + QStringLiteral("/open.wav"), QByteArray(4096, 'x'));
        killed.process.kill();
        QVERIFY(killed.process.waitForFinished(30000));
    }
    QVERIFY(QFileInfo::exists(killedFolder + QStringLiteral("/open.wav")));

    // The next start removes the dead instance's folder and keeps its own.
    ProgramInstance running(home);
    QVERIFY(running.process.waitForStarted(30000));
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(killedFolder), 120000);
    QTRY_COMPARE_WITH_TIMEOUT(lockedFolders(cache).size(), 1, 120000);
    const QString runningFolder = lockedFolders(cache).constFirst();
    QVERIFY(runningFolder != killedFolder);
    writeFile(runningFolder + QStringLiteral("/open.wav"));
    // An instance that has run for hours keeps its folder too.
    QFile lock(runningFolder + QStringLiteral("/instance.lock"));
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-6 * 3600), QFileDevice::FileModificationTime));
    lock.close();

    // A third start, while the second still runs, leaves the second's alone.
    WorkingFolder third(cache);
    QVERIFY(third.isValid());
    QCOMPARE(lockedFolders(cache).size(), 2);
    QVERIFY(QFileInfo::exists(runningFolder + QStringLiteral("/open.wav")));
    QCOMPARE(running.process.state(), QProcess::Running);
    third.remove();
}

QTEST_GUILESS_MAIN(TestWorkingFolder)
#include "tst_workingfolder.moc"
