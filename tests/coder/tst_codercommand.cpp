#include "codercommand.h"
#include "commandline.h"
#include "paths.h"
#include "phonelimits.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestCoderCommand : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void exportRingtone_data();
    void exportRingtone();
    void stretchAndFilters_data();
    void stretchAndFilters();
    void maxVolume_data();
    void maxVolume();
    void unknownFormatHasNoCommand_data();
    void unknownFormatHasNoCommand();
    void splitCommandLine_data();
    void splitCommandLine();
    void folderOf_data();
    void folderOf();
    void shortPath();
    void leftoversOfOneCoderGo_data();
    void leftoversOfOneCoderGo();
    void iphoneLimit_data();
    void iphoneLimit();
};

void TestCoderCommand::stretchAndFilters_data()
{
    QTest::addColumn<qint64>("beginMs");
    QTest::addColumn<qint64>("lengthMs");
    QTest::addColumn<int>("fadeIn");
    QTest::addColumn<int>("fadeOut");
    QTest::addColumn<double>("gain");   // NaN: none
    QTest::addColumn<QString>("display");   // after the program
    QTest::addColumn<double>("loudness");   // NaN: none

    const double none = qQNaN();
    QTest::newRow("whole seconds as ever") << 10000LL << 30000LL << 0 << 0 << none
                                           << " -i /w/open.wav -ss 10 -t 30 -y \"/r/a.wav\"" << none;
    QTest::newRow("fractions") << 10250LL << 10500LL << 0 << 0 << none
                               << " -i /w/open.wav -ss 10.25 -t 10.5 -y \"/r/a.wav\"" << none;
    QTest::newRow("one millisecond") << 1LL << 1001LL << 0 << 0 << none
                                     << " -i /w/open.wav -ss 0.001 -t 1.001 -y \"/r/a.wav\"" << none;
    QTest::newRow("fades") << 0LL << 20000LL << 1500 << 2000 << none
                           << " -i /w/open.wav -ss 0 -t 20 -y -af afade=t=in:d=1.5,"
                              "afade=t=out:st=18:d=2 \"/r/a.wav\"" << none;
    QTest::newRow("fades cut to the stretch, and a gain") << 0LL << 3000LL << 10000 << 0 << 4.5
                           << " -i /w/open.wav -ss 0 -t 3 -y -af afade=t=in:d=3,volume=4.50dB \"/r/a.wav\"" << none;
    QTest::newRow("gain alone, downwards") << 0LL << 3000LL << 0 << 0 << -0.25
                           << " -i /w/open.wav -ss 0 -t 3 -y -af volume=-0.25dB \"/r/a.wav\"" << none;
    QTest::newRow("a loudness target before the fades") << 0LL << 20000LL << 1500 << 0 << none
                           << " -i /w/open.wav -ss 0 -t 20 -y -loudness -14 -af afade=t=in:d=1.5 \"/r/a.wav\""
                           << -14.0;
    QTest::newRow("a fractional loudness target alone") << 0LL << 3000LL << 0 << 0 << none
                           << " -i /w/open.wav -ss 0 -t 3 -y -loudness -16.5 \"/r/a.wav\"" << -16.5;
}

void TestCoderCommand::stretchAndFilters()
{
    QFETCH(qint64, beginMs);
    QFETCH(qint64, lengthMs);
    QFETCH(int, fadeIn);
    QFETCH(int, fadeOut);
    QFETCH(double, gain);
    QFETCH(QString, display);
    QFETCH(double, loudness);

    const std::optional<double> gainDb = qIsNaN(gain) ? std::nullopt : std::optional<double>(gain);
    const QString graph = CoderCommand::filterGraph(FadeLevel{fadeIn, fadeOut, false}, lengthMs, gainDb);
    const auto c = CoderCommand::exportRingtone("/k", "/w/open.wav", Stretch{beginMs, lengthMs}, "/r/a.wav", graph,
                                                qIsNaN(loudness) ? std::nullopt : std::optional<double>(loudness));
    QVERIFY(c);
    QCOMPARE(c->commandLine, "/k/data/coder" + display);
    // The graph is one argument, right before the target.
    if (!graph.isEmpty())
        QCOMPARE(c->arguments.mid(c->arguments.size() - 3), QStringList({"-af", graph, "/r/a.wav"}));
    // The measuring run cuts the same stretch and writes nothing.
    const CoderCommand m = CoderCommand::measurePeak("/k", "/w/open.wav", Stretch{beginMs, lengthMs}, graph);
    QCOMPARE(m.arguments.mid(0, 6), c->arguments.mid(0, 6));
    QCOMPARE(m.arguments.mid(m.arguments.size() - 3), QStringList({"-f", "null", "-"}));
}

void TestCoderCommand::maxVolume_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<double>("peak");   // NaN: none found
    QTest::addColumn<double>("gain");   // NaN: none

    const double none = qQNaN();
    QTest::newRow("quiet") << "size=0kB time=2.00 \nmax_volume: -6.02 dB\n" << -6.02 << 5.02;
    QTest::newRow("loud") << "max_volume: -0.10 dB\n" << -0.1 << -0.9;
    QTest::newRow("full scale") << "max_volume: 0.00 dB\n" << 0.0 << -1.0;
    QTest::newRow("silence") << "max_volume: -inf dB\n" << -qInf() << none;
    QTest::newRow("no meter line") << "size=0kB time=2.00 \n" << none << none;
    QTest::newRow("a name that looks like it") << "Input #0, wav, from '/x/max_volume: 3 dB.wav':\n" << none << none;
    QTest::newRow("the last line wins") << "max_volume: -3.00 dB\nmax_volume: -12.00 dB\n" << -12.0 << 11.0;
}

void TestCoderCommand::maxVolume()
{
    QFETCH(QString, output);
    QFETCH(double, peak);
    QFETCH(double, gain);

    const std::optional<double> found = CoderCommand::maxVolume(output);
    QCOMPARE(found.has_value(), !qIsNaN(peak));
    if (!found)
        return;
    QCOMPARE(*found, peak);
    const std::optional<double> g = CoderCommand::normalisingGain(*found);
    QCOMPARE(g.has_value(), !qIsNaN(gain));
    if (g)
        QVERIFY2(qAbs(*g - gain) < 1e-9, qPrintable(QString::number(*g)));
}

void TestCoderCommand::decode_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("display");

    const QString head = QStringLiteral("/opt/kes/data/coder -i \"");
    const QString tail = QStringLiteral("\" -y -vn /run/w/open.wav");
    QTest::newRow("plain") << "/m/song.mp3" << head + "/m/song.mp3" + tail;
    QTest::newRow("blanks") << "/m/my song.mp3" << head + "/m/my song.mp3" + tail;
    QTest::newRow("quote and dollar") << "/m/a \"b\" $HOME;x.wma"
                                      << head + "/m/a \"b\" $HOME;x.wma" + tail;
    QTest::newRow("leading dash") << "-y.mp3" << head + "-y.mp3" + tail;
    QTest::newRow("non-ASCII") << "/音乐/歌.mp3" << head + "/音乐/歌.mp3" + tail;
}

void TestCoderCommand::decode()
{
    QFETCH(QString, source);
    QFETCH(QString, display);

    const CoderCommand c =
        CoderCommand::decode(QStringLiteral("/opt/kes"), QStringLiteral("/run/w/open.wav"), source);
    QCOMPARE(c.commandLine, display);
    QCOMPARE(c.program, QStringLiteral("/opt/kes/data/coder"));
    // The source is one argument, exactly as given, right after -i.
    QCOMPARE(c.arguments, QStringList({"-i", source, "-y", "-vn", "/run/w/open.wav"}));
}

void TestCoderCommand::exportRingtone_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QStringList>("optionArguments");
    QTest::addColumn<QString>("targetArgument");

    const QStringList mp3{"-y", "-ab", "128k", "-ar", "44100", "-ac", "1"};
    QTest::newRow("mp3") << "/r/a.mp3" << " -y -ab 128k -ar 44100 -ac 1 " << mp3 << "/r/a.mp3";
    QTest::newRow("MP3 upper case") << "/r/A.MP3" << " -y -ab 128k -ar 44100 -ac 1 " << mp3
                                    << "/r/A.MP3";
    QTest::newRow("wma") << "/r/a.Wma" << " -y -acodec wmav1 "
                         << QStringList({"-y", "-acodec", "wmav1"}) << "/r/a.Wma";
    QTest::newRow("wav") << "/r/a b.wav" << " -y " << QStringList({"-y"}) << "/r/a b.wav";
    QTest::newRow("amr") << "/r/a.amr" << " -y -ar 8000 -ab 7.4k -ac 1 "
                         << QStringList({"-y", "-ar", "8000", "-ab", "7.4k", "-ac", "1"})
                         << "/r/a.amr";
    QTest::newRow("m4r") << "/r/a.m4r" << " -y -acodec aac -ab 128k -ar 44100 -ac 2 "
                         << QStringList({"-y", "-acodec", "aac", "-ab", "128k", "-ar", "44100",
                                         "-ac", "2"})
                         << "/r/a.m4r";
    QTest::newRow("ogg") << "/r/a.OGG" << " -y -acodec libvorbis "
                         << QStringList({"-y", "-acodec", "libvorbis"}) << "/r/a.OGG";
    // Only the last three characters count, dot or not.
    QTest::newRow("no dot") << "/r/xmp3" << " -y -ab 128k -ar 44100 -ac 1 " << mp3 << "/r/xmp3";
    QTest::newRow("quotes and dollar") << "/r/\"$x\";.wav" << " -y " << QStringList({"-y"})
                                       << "/r/\"$x\";.wav";
    // A relative target that looks like an option stays a path.
    QTest::newRow("leading dash") << "-t.wav" << " -y " << QStringList({"-y"}) << "./-t.wav";
}

void TestCoderCommand::exportRingtone()
{
    QFETCH(QString, target);
    QFETCH(QString, options);
    QFETCH(QStringList, optionArguments);
    QFETCH(QString, targetArgument);

    const auto c = CoderCommand::exportRingtone(QStringLiteral("/opt/kes"),
                                                QStringLiteral("/run/w/open.wav"), 41, 70, target);
    QVERIFY(c);
    QCOMPARE(c->commandLine, "/opt/kes/data/coder -i /run/w/open.wav -ss 41 -t 70" + options +
                                 u'"' + target + u'"');
    QCOMPARE(c->program, QStringLiteral("/opt/kes/data/coder"));
    QCOMPARE(c->arguments, QStringList({"-i", "/run/w/open.wav", "-ss", "41", "-t", "70"}) +
                               optionArguments + QStringList({targetArgument}));
}

void TestCoderCommand::unknownFormatHasNoCommand_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("oga") << "/r/a.oga";
    QTest::newRow("mp4") << "/r/a.mp4";
    QTest::newRow("no extension") << "/r/ringtone";
    QTest::newRow("empty") << "";
    QTest::newRow("two characters") << "p3";
}

void TestCoderCommand::unknownFormatHasNoCommand()
{
    QFETCH(QString, target);
    QVERIFY(!CoderCommand::exportRingtone("/opt/kes", "/run/w/open.wav", 0, 10, target));
    QVERIFY(!CoderCommand::exportOptionsFor(target));
}

void TestCoderCommand::splitCommandLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("parts");

    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("blanks only") << "  \t " << QStringList();
    QTest::newRow("words") << " a  b\tc " << QStringList({"a", "b", "c"});
    QTest::newRow("quoted blanks") << "/d/coder -i \"/m/my song.mp3\" -y"
                                   << QStringList({"/d/coder", "-i", "/m/my song.mp3", "-y"});
    QTest::newRow("empty quotes") << "a \"\" b" << QStringList({"a", "", "b"});
    QTest::newRow("quote inside a word") << "x\"a b\"y" << QStringList({"xa by"});
    QTest::newRow("shell characters") << "a $HOME;b|c `d` 'e f'"
                                      << QStringList({"a", "$HOME;b|c", "`d`", "'e", "f'"});
    QTest::newRow("unclosed quote") << "a \"b c" << QStringList({"a", "b c"});
}

void TestCoderCommand::splitCommandLine()
{
    QFETCH(QString, line);
    QFETCH(QStringList, parts);
    QCOMPARE(::splitCommandLine(line), parts);
}

void TestCoderCommand::folderOf_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");

    QTest::newRow("file in folder") << "/Ring/a.mp3" << "/Ring/";
    QTest::newRow("bare name") << "a.mp3" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("colon is ordinary") << "C:a.mp3" << "";
    QTest::newRow("colon in folder") << "/x:y/a.mp3" << "/x:y/";
    QTest::newRow("root") << "/a.mp3" << "/";
    QTest::newRow("trailing slash") << "/a/b/" << "/a/b/";
    QTest::newRow("backslash is ordinary") << "/r/a\\b.mp3" << "/r/";
    QTest::newRow("relative") << "r/s/a.mp3" << "r/s/";
}

void TestCoderCommand::folderOf()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QCOMPARE(FolderOf(path), folder);
}

void TestCoderCommand::shortPath()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("my song \"1\".wav"));
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QCOMPARE(ShortPath(name), name);
    QCOMPARE(ShortPath(dir.filePath(QStringLiteral("missing.wav"))), QString());
    QCOMPARE(ShortPath(QString()), QString());
    QCOMPARE(ShortPath(dir.path()), QString()); // a folder is not a file to play
    // A relative path comes back absolute.
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QString relative = ShortPath(QStringLiteral("my song \"1\".wav"));
    QDir::setCurrent(old);
    QCOMPARE(relative, name);
}

void TestCoderCommand::leftoversOfOneCoderGo_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("removed");

    QTest::newRow("the killed coder's part")
        << "ring.m4r" << QStringList{".ring.m4r.4242-a1B2c3.part", "ring.m4r"}
        << QStringList{".ring.m4r.4242-a1B2c3.part"};
    QTest::newRow("another coder's part stays")
        << "ring.m4r" << QStringList{".ring.m4r.42-a1B2c3.part", ".ring.m4r.14242-a1B2c3.part"}
        << QStringList{};
    QTest::newRow("the user's own files stay")
        << "ring.m4r" << QStringList{"ring.4242-a1B2c3.part", ".ring.m4r.4242.part", "x.part"}
        << QStringList{};
    QTest::newRow("wildcards in the name are plain")
        << "[r]*?.wav" << QStringList{".[r]*?.wav.4242-zzzzzz.part", ".other.4242-zzzzzz.part"}
        << QStringList{".[r]*?.wav.4242-zzzzzz.part", ".other.4242-zzzzzz.part"};
}

void TestCoderCommand::leftoversOfOneCoderGo()
{
    QFETCH(QString, output);
    QFETCH(QStringList, present);
    QFETCH(QStringList, removed);

    QTemporaryDir dir;
    for (const QString &name : present) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(CoderCommand::removeLeftovers(dir.filePath(output), 4242), removed.size());
    for (const QString &name : present)
        QCOMPARE(QFile::exists(dir.filePath(name)), !removed.contains(name));
}

void TestCoderCommand::iphoneLimit_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<qint64>("afterYes");
    QTest::addColumn<qint64>("afterNo");

    QTest::newRow("m4r of 41 s") << "a.m4r" << qint64(41000) << true << qint64(40000) << qint64(41000);
    QTest::newRow("m4r one ms over") << "a.m4r" << qint64(40001) << true << qint64(40000) << qint64(40001);
    QTest::newRow("M4R of an hour") << "a.M4R" << qint64(3600000) << true << qint64(40000) << qint64(3600000);
    QTest::newRow("m4r of exactly 40 s") << "a.m4r" << qint64(40000) << false << qint64(40000) << qint64(40000);
    QTest::newRow("m4r under 40 s") << "a.m4r" << qint64(12500) << false << qint64(12500) << qint64(12500);
    QTest::newRow("mp3 of 60 s") << "a.mp3" << qint64(60000) << false << qint64(60000) << qint64(60000);
    QTest::newRow("m4a of 60 s") << "a.m4a" << qint64(60000) << false << qint64(60000) << qint64(60000);
}

void TestCoderCommand::iphoneLimit()
{
    QFETCH(QString, target);
    QFETCH(qint64, length);
    QFETCH(bool, asks);
    QFETCH(qint64, afterYes);
    QFETCH(qint64, afterNo);

    QCOMPARE(PhoneLimits::asksToShorten(target, length), asks);
    QCOMPARE(PhoneLimits::exportedLength(target, length, true), afterYes);
    QCOMPARE(PhoneLimits::exportedLength(target, length, false), afterNo);
}

QTEST_GUILESS_MAIN(TestCoderCommand)
#include "tst_codercommand.moc"
