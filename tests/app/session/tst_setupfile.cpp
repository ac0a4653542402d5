#include "setupfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSetupFile : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void missingFile();
    void readFades_data();
    void readFades();
    void writeKeepsLaterLines_data();
    void writeKeepsLaterLines();
    void writeBytes_data();
    void writeBytes();
    void writeRoundTrips();
    void unwritablePathFails();
    void otherLinesKept_data();
    void otherLinesKept();
};

void TestSetupFile::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("openFolder");
    QTest::addColumn<int>("ringSound");

    // As the settings dialog writes it.
    QTest::newRow("written by the dialog") << QByteArray("1\r\n1\r\n") << 1 << 1;
    QTest::newRow("defaults written") << QByteArray("0\r\n0\r\n") << 0 << 0;
    QTest::newRow("no selection written as -1") << QByteArray("-1\r\n-1\r\n") << -1 << -1;
    // Field separators: a comma or any line end.
    QTest::newRow("comma") << QByteArray("1,0") << 1 << 0;
    QTest::newRow("bare LF") << QByteArray("0\n1\n") << 0 << 1;
    QTest::newRow("bare CR") << QByteArray("1\r1") << 1 << 1;
    QTest::newRow("no final line end") << QByteArray("1\r\n1") << 1 << 1;
    QTest::newRow("blanks around numbers") << QByteArray("  1 \r\n\t1\r\n") << 1 << 1;
    QTest::newRow("third field ignored") << QByteArray("1\r\n0\r\n77\r\n") << 1 << 0;
    QTest::newRow("quoted fields") << QByteArray("\"1\",\"1\"") << 1 << 1;
    // Missing or empty fields stay 0.
    QTest::newRow("empty file") << QByteArray() << 0 << 0;
    QTest::newRow("one value") << QByteArray("1\r\n") << 1 << 0;
    QTest::newRow("empty first line") << QByteArray("\r\n1\r\n") << 0 << 1;
    // No number at all reads as 0; a leading number counts.
    QTest::newRow("garbage") << QByteArray("yes\r\nplease\r\n") << 0 << 0;
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe", 3) << 0 << 0;
    QTest::newRow("number then text") << QByteArray("1abc\r\n1x\r\n") << 1 << 1;
    QTest::newRow("plus sign") << QByteArray("+1\r\n+2.5\r\n") << 1 << 2;
    QTest::newRow("sign only") << QByteArray("-\r\n+\r\n") << 0 << 0;
    // Nearest 16-bit integer, halves to even.
    QTest::newRow("fractions") << QByteArray("0.6\r\n1.4\r\n") << 1 << 1;
    QTest::newRow("halves to even") << QByteArray("0.5\r\n1.5\r\n") << 0 << 2;
    QTest::newRow("negative half") << QByteArray("-2.5\r\n-0.4\r\n") << -2 << 0;
    QTest::newRow("exponent") << QByteArray("1e1\r\n2E-1\r\n") << 10 << 0;
    QTest::newRow("out of range") << QByteArray("70000\r\n-70000\r\n") << 32767 << -32768;
    QTest::newRow("limits") << QByteArray("32767\r\n-32768\r\n") << 32767 << -32768;
    QTest::newRow("overflowing double") << QByteArray("1e999\r\n-1e999\r\n") << 32767 << -32768;
}

void TestSetupFile::read()
{
    QFETCH(QByteArray, content);
    QFETCH(int, openFolder);
    QFETCH(int, ringSound);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("setup.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    const SetupValues values = SetupFile::read(path);
    QCOMPARE(values.openFolderChoice, openFolder);
    QCOMPARE(values.ringSoundChoice, ringSound);
}

void TestSetupFile::missingFile()
{
    QTemporaryDir dir;
    QCOMPARE(SetupFile::read(dir.filePath(QStringLiteral("setup.ini"))), SetupValues{});
    // A folder where the file should be cannot be read either.
    QCOMPARE(SetupFile::read(dir.path()), SetupValues{});
}

void TestSetupFile::readFades_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("fadeIn");
    QTest::addColumn<int>("fadeOut");
    QTest::addColumn<bool>("normalise");
    QTest::addColumn<int>("loudness");

    QTest::newRow("two lines") << QByteArray("1\r\n1\r\n") << 0 << 0 << false << 0;
    QTest::newRow("five lines") << QByteArray("0\r\n0\r\n1500\r\n2000\r\n1\r\n") << 1500 << 2000 << true << 0;
    QTest::newRow("a sixth line of another's") << QByteArray("0\r\n0\r\n250\r\n0\r\n0\r\n/home/u/tones/\r\n")
                                               << 250 << 0 << false << 0;
    QTest::newRow("three lines") << QByteArray("0\r\n0\r\n700\r\n") << 700 << 0 << false << 0;
    // Damaged lines, each with its reason.
    QTest::newRow("words where numbers belong") << QByteArray("0\r\n0\r\nabc\r\nlong\r\nyes\r\n") << 0 << 0
                                                << false << 0;
    QTest::newRow("negative fades") << QByteArray("0\r\n0\r\n-5\r\n-32768\r\n0\r\n") << 0 << 0 << false << 0;
    QTest::newRow("fades beyond ten seconds") << QByteArray("0\r\n0\r\n20000\r\n99999\r\n-1\r\n") << 10000
                                              << 10000 << true << 0;
    QTest::newRow("fractions of a millisecond") << QByteArray("0\r\n0\r\n10.5\r\n11.5\r\n0.4\r\n") << 10 << 12
                                                << false << 0;
    QTest::newRow("a file cut short inside line 4") << QByteArray("0\r\n0\r\n100\r\n2") << 100 << 2 << false << 0;
    const QByteArray six("0\r\n0\r\n0\r\n0\r\n1\r\n/t/\r\n");
    QTest::newRow("a loudness target on line 7") << six + "-14\r\n" << 0 << 0 << true << -14;
    QTest::newRow("line 7 off") << six + "0\r\n" << 0 << 0 << true << 0;
    QTest::newRow("a target too loud to take") << six + "-3\r\n" << 0 << 0 << true << 0;
    QTest::newRow("a target below silence") << six + "-80\r\n" << 0 << 0 << true << 0;
    QTest::newRow("no sixth line, a seventh") << QByteArray("0\r\n0\r\n0\r\n0\r\n0\r\n\r\n-16.4")
                                              << 0 << 0 << false << -16;
}

void TestSetupFile::readFades()
{
    QFETCH(QByteArray, content);
    QFETCH(int, fadeIn);
    QFETCH(int, fadeOut);
    QFETCH(bool, normalise);
    QFETCH(int, loudness);

    const SetupValues values = SetupFile::parse(content);
    QCOMPARE(values.fadeInMs, fadeIn);
    QCOMPARE(values.fadeOutMs, fadeOut);
    QCOMPARE(values.normalise, normalise);
    QCOMPARE(values.loudnessLufs, loudness);
}

void TestSetupFile::writeKeepsLaterLines_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("loudness");

    const QByteArray ours("0\r\n1\r\n1500\r\n0\r\n1\r\n");
    QTest::newRow("no file") << QByteArray() << ours << 0;
    QTest::newRow("the original two lines") << QByteArray("1\r\n1\r\n") << ours << 0;
    QTest::newRow("a sixth line survives") << QByteArray("0\r\n0\r\n0\r\n0\r\n0\r\n/home/u/tones/\r\n")
                                           << ours + "/home/u/tones/\r\n" << 0;
    QTest::newRow("a target written after the folder")
        << QByteArray("0\r\n0\r\n0\r\n0\r\n0\r\n/t/\r\n") << ours + "/t/\r\n-14\r\n" << -14;
    QTest::newRow("a target with no folder yet") << QByteArray("1\r\n1\r\n") << ours + "\r\n-16\r\n" << -16;
    QTest::newRow("a target turned off stays a line")
        << QByteArray("0\r\n0\r\n0\r\n0\r\n0\r\n/t/\r\n-14\r\nx\r\n") << ours + "/t/\r\n0\r\nx\r\n" << 0;
}

void TestSetupFile::writeKeepsLaterLines()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(int, loudness);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("setup.ini"));
    if (!before.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    const SetupValues values{0, 1, 1500, 0, true, qint16(loudness)};
    QVERIFY(SetupFile::write(path, values));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), after);
    QCOMPARE(SetupFile::read(path), values);
}

void TestSetupFile::writeBytes_data()
{
    QTest::addColumn<int>("openFolder");
    QTest::addColumn<int>("ringSound");
    QTest::addColumn<QByteArray>("bytes");
    // The two choices, then no fades and no normalising.
    QTest::newRow("Do Nothing, No") << 1 << 1 << QByteArray("1\r\n1\r\n0\r\n0\r\n0\r\n");
    QTest::newRow("Do Nothing, Yes") << 1 << 0 << QByteArray("1\r\n0\r\n0\r\n0\r\n0\r\n");
    QTest::newRow("no selection") << -1 << 0 << QByteArray("-1\r\n0\r\n0\r\n0\r\n0\r\n");
}

void TestSetupFile::writeBytes()
{
    QFETCH(int, openFolder);
    QFETCH(int, ringSound);
    QFETCH(QByteArray, bytes);

    QTemporaryDir dir;
    // The configuration folder may not exist yet on a fresh account.
    const QString path = dir.filePath(QStringLiteral("config/kesmarin/setup.ini"));
    QVERIFY(SetupFile::write(path, {qint16(openFolder), qint16(ringSound)}));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    // Nothing but the file is left behind.
    QCOMPARE(QDir(dir.filePath(QStringLiteral("config/kesmarin"))).entryList(QDir::Files),
             QStringList{QStringLiteral("setup.ini")});
}

void TestSetupFile::writeRoundTrips()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("setup.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("a much longer old content that must go\r\n");
    file.close();
    const SetupValues values{-1, 1};
    QVERIFY(SetupFile::write(path, values));
    QCOMPARE(SetupFile::read(path), values);
}

void TestSetupFile::unwritablePathFails()
{
    QTemporaryDir dir;
    // A settings path below a plain file cannot be written: the write says so.
    const QString blocker = dir.filePath(QStringLiteral("config"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("0\r\n1\r\n");
    file.close();
    QVERIFY(!SetupFile::write(blocker + QStringLiteral("/setup.ini"), {1, 1}));
    // A settings path that is a folder is refused and left as it is.
    const QString folder = dir.filePath(QStringLiteral("setup.ini"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(!SetupFile::write(folder, {1, 1}));
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("0\r\n1\r\n"));
}

void TestSetupFile::otherLinesKept_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file
    QTest::addColumn<QString>("folder");    // null: the dialog writes the choices {0, 1}
    QTest::addColumn<bool>("written");
    QTest::addColumn<QByteArray>("after");

    const QByteArray longer("1\r\n0\r\n3\r\n4\r\n5\r\n/old\r\nlater\r\n");
    // The choices and the fades (lines 1 to 5) are written; the rest kept.
    QTest::newRow("choices keep the later lines")
        << longer << QString() << true << QByteArray("0\r\n1\r\n0\r\n0\r\n0\r\n/old\r\nlater\r\n");
    QTest::newRow("folder keeps the other lines")
        << longer << "/home/u/tones" << true
        << QByteArray("1\r\n0\r\n3\r\n4\r\n5\r\n/home/u/tones\r\nlater\r\n");
    QTest::newRow("folder after the two lines")
        << QByteArray("1\r\n0\r\n") << "/t" << true << QByteArray("1\r\n0\r\n0\r\n0\r\n0\r\n/t\r\n");
    QTest::newRow("folder, no file: choices from memory")
        << QByteArray() << "/t" << true << QByteArray("1\r\n1\r\n0\r\n0\r\n0\r\n/t\r\n");
    QTest::newRow("folder with blanks and Chinese")
        << QByteArray("0\n0\n") << QStringLiteral("/home/u/我的 铃声") << true
        << QByteArray("0\r\n0\r\n0\r\n0\r\n0\r\n/home/u/") + QStringLiteral("我的 铃声").toUtf8() + "\r\n";
    QTest::newRow("folder with a line break is not kept")
        << longer << "/a\nb" << false << longer;
}

void TestSetupFile::otherLinesKept()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, folder);
    QFETCH(bool, written);
    QFETCH(QByteArray, after);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("setup.ini"));
    if (!before.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    if (folder.isNull())
        QCOMPARE(SetupFile::write(path, {0, 1}), written);
    else
        QCOMPARE(SetupFile::writeSaveFolder(path, folder, {1, 1}), written);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), after);
    // A reader still reads the first lines of the longer file.
    const QList<QByteArray> lines = SetupFile::lines(after);
    const SetupValues read = SetupFile::read(path);
    QCOMPARE(read.openFolderChoice, SetupFile::fieldValue(lines[0]));
    QCOMPARE(read.ringSoundChoice, SetupFile::fieldValue(lines[1]));
    QCOMPARE(read.fadeInMs, qint32(SetupFile::fieldValue(lines[2])));
    if (written && !folder.isNull())
        QCOMPARE(SetupFile::readSaveFolder(path), folder);
}

QTEST_GUILESS_MAIN(TestSetupFile)
#include "tst_setupfile.moc"
