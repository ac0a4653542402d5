#include "coderprogress.h"

#include <QTest>

using CoderProgress::Bar;

class TestCoderProgress : public QObject
{
    Q_OBJECT
private slots:
    void duration_data();
    void duration();
    void position_data();
    void position();
    void percentText_data();
    void percentText();
    void fileName_data();
    void fileName();
    void decodeJob_data();
    void decodeJob();
    void exportJob();
    void decodeReports_data();
    void decodeReports();
};

void TestCoderProgress::duration_data()
{
    QTest::addColumn<QString>("chunk");
    QTest::addColumn<int>("seconds"); // -1: none

    QTest::newRow("coder's form") << "Input: a.mp3\n  Duration: 00:03:25.00, bitrate" << 205;
    QTest::newRow("hours") << "Duration: 01:02:03.40 " << 3723;
    QTest::newRow("half rounds to even, down") << "Duration: 00:00:02.50 x" << 2;
    QTest::newRow("half rounds to even, up") << "Duration: 00:00:03.50 x" << 4;
    QTest::newRow("ends inside the value") << "Duration: 00:01" << -1;
    QTest::newRow("ends inside the seconds") << "Duration: 00:01:1" << 61;
    // At least one character must follow the key.
    QTest::newRow("ends right after the key") << "xx Duration: " << -1;
    QTest::newRow("not available") << "Duration: N/A, start" << -1;
    QTest::newRow("part not a number") << "Duration: 00:xx:10" << -1;
    QTest::newRow("empty value") << "Duration:  00:00:10" << -1;
    QTest::newRow("no key") << "time=12.0" << -1;
    QTest::newRow("first of two") << "Duration: 00:00:10 Duration: 00:00:20" << 10;
    QTest::newRow("key is case-sensitive") << "duration: 00:00:10 " << -1;
}

void TestCoderProgress::duration()
{
    QFETCH(QString, chunk);
    QFETCH(int, seconds);
    const auto parsed = CoderProgress::parseDuration(chunk);
    if (seconds < 0)
        QVERIFY(!parsed);
    else
        QCOMPARE(parsed.value_or(-1), seconds);
}

void TestCoderProgress::position_data()
{
    QTest::addColumn<QString>("chunk");
    QTest::addColumn<int>("seconds"); // -1: none

    QTest::newRow("plain") << "size=12kB time=37.12 bitrate" << 37;
    QTest::newRow("at the end of the chunk") << "time=4.6" << 5;
    QTest::newRow("half to even") << "time=36.5 " << 36;
    QTest::newRow("first of two") << "time=3.0 x time=9.0" << 3;
    QTest::newRow("no number reads as 0") << "time=N/A " << 0;
    QTest::newRow("clock form reads its hours") << "time=00:01:02.3 " << 0;
    QTest::newRow("nothing after the key") << "abc time=" << -1;
    QTest::newRow("no key") << "Duration: 00:00:10.00" << -1;
}

void TestCoderProgress::position()
{
    QFETCH(QString, chunk);
    QFETCH(int, seconds);
    const auto parsed = CoderProgress::parsePosition(chunk);
    if (seconds < 0)
        QVERIFY(!parsed);
    else
        QCOMPARE(parsed.value_or(-1), seconds);
}

void TestCoderProgress::percentText_data()
{
    QTest::addColumn<int>("t");
    QTest::addColumn<int>("total");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");

    QTest::newRow("37 of 205") << 37 << 205 << "18.0%" << 977;
    QTest::newRow("5 of 205") << 5 << 205 << "2.43%" << 132;
    QTest::newRow("1 of 4") << 1 << 4 << "25%" << 1354;
    QTest::newRow("start") << 0 << 205 << "0%" << 0;
    QTest::newRow("one short of the end") << 204 << 205 << "99.5%" << 5389;
    QTest::newRow("the end") << 205 << 205 << "100%" << 5415;
    QTest::newRow("past the end") << 300 << 205 << "100%" << 5415;
    QTest::newRow("no duration") << 12 << 0 << "100%" << 5415;
    // A tiny share stays in plain digits.
    QTest::newRow("tiny share") << 1 << 10000000 << "0.00%" << 0;
}

void TestCoderProgress::percentText()
{
    QFETCH(int, t);
    QFETCH(int, total);
    QFETCH(QString, text);
    QFETCH(int, width);
    QCOMPARE(CoderProgress::bar(t, total, 5415), (Bar{width, text}));
}

void TestCoderProgress::fileName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shown");

    const QString p35 = QStringLiteral("/home/user/music/abcdefghijklmn.mp3");
    QCOMPARE(p35.size(), 35);
    QTest::newRow("35 shown whole") << QString(p35) << QString(p35);
    QTest::newRow("36: the folders give way") << QString(p35 + "x") << QStringLiteral("/home/us…/music/abcdefghijklmn.mp3x");
    QTest::newRow("long folders, name whole")
        << QStringLiteral("/home/user/Music/Collections/Test Song 3min.mp3")
        << QStringLiteral("/home/us…ections/Test Song 3min.mp3");
    QTest::newRow("Chinese name longer than the room")
        << QString(QStringLiteral("/音乐/") + QString(40, QChar(0x6b4c)))
        << QString(QStringLiteral("…/") + QString(40, QChar(0x6b4c)));
}

void TestCoderProgress::fileName()
{
    QFETCH(QString, path);
    QFETCH(QString, shown);
    QCOMPARE(CoderProgress::shortFileName(path), shown);
}

namespace {
QString header(const QString &name, const QString &duration)
{
    return "Input #0, wav, from '" + name + "':\n  Duration: " + duration +
           ", start: 0.000000, bitrate: 1411 kb/s\n  Stream #0:0: Audio: pcm_s16le, 44100 Hz, "
           "stereo\nOutput #0, wav, to '/tmp/k/open.wav':\n  Stream #0:0: Audio: pcm_s16le\n";
}

QString progressLine(const QString &seconds)
{
    return "size=      12kB time=" + seconds + " \n";
}

// Feeds a job's output cut into reads of `cut` characters (0: one read) and
// returns the text of the last bar shown, "-" when none was.
QString lastBar(CoderJobProgress &progress, const QString &output, int cut)
{
    QString last = QStringLiteral("-");
    const int step = cut > 0 ? cut : int(output.size());
    for (int at = 0; at < output.size(); at += step) {
        if (const auto bar = progress.take(output.mid(at, step)))
            last = bar->text;
    }
    if (const auto bar = progress.finish())
        last = bar->text;
    return last;
}
} // namespace

void TestCoderProgress::decodeJob_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("duration");
    QTest::addColumn<QString>("last"); // the bar's text once the job is read, "-" for none

    const QString song = QStringLiteral("/home/u/a song.mp3");
    QTest::newRow("short job ends at 100%")
        << header(song, "00:00:04.00") + progressLine("1.00") + progressLine("4.00") << 4 << "100%";
    QTest::newRow("the last position of a read wins")
        << header(song, "00:00:04.00") + progressLine("1.00") + progressLine("2.00") +
               progressLine("3.00")
        << 4 << "75%";
    QTest::newRow("spec texts") << header(song, "00:03:25.00") + progressLine("37.00") << 205
                                << "18.0%";
    QTest::newRow("carriage returns end lines")
        << QString(header(song, "00:03:25.00") + "size= 1kB time=5.00 \rsize= 2kB time=37.00 \r")
        << 205 << "18.0%";
    QTest::newRow("last line without its end")
        << QString(header(song, "00:00:04.00") + "size= 1kB time=1.00") << 4 << "25%";
    QTest::newRow("no duration: full at the first position")
        << header(song, "N/A") + progressLine("1.00") << 0 << "100%";
    QTest::newRow("header only: no bar") << header(song, "00:00:04.00") << 4 << "-";
    // Names the coder echoes may hold any text.
    QTest::newRow("name holding time=") << header("/m/x time=50.wav", "00:03:25.00") + progressLine("5.00")
                                        << 205 << "2.43%";
    QTest::newRow("name holding Duration: ")
        << header("/m/Duration: 99:00:00.00 .wav", "00:00:04.00") + progressLine("1.00") << 4
        << "25%";
    QTest::newRow("name of almost 1000 bytes")
        << header("/m/" + QString(990, QLatin1Char('d')) + ".wav", "00:00:04.00") +
               progressLine("1.00")
        << 4 << "25%";
    QTest::newRow("duration line outside the input header ignored")
        << progressLine("1.00") + "  Duration: 00:00:04.00, start\n" + progressLine("1.00") << 0
        << "100%";
    QTest::newRow("only the first input header counts")
        << header(song, "00:00:04.00") + header(song, "00:00:08.00") + progressLine("2.00") << 4
        << "50%";
}

void TestCoderProgress::decodeJob()
{
    QFETCH(QString, output);
    QFETCH(int, duration);
    QFETCH(QString, last);
    // However the output is cut into reads, the job reads the same.
    for (int cut : {0, 1, 7, 1024}) {
        CoderJobProgress progress(CoderJobProgress::Kind::Decode, 5415);
        QCOMPARE(lastBar(progress, output, cut), last);
        QCOMPARE(progress.coderDuration(), duration);
    }
}

void TestCoderProgress::exportJob()
{
    // The coder reports the working file's 205 s, the stretch is 30 s: the bar
    // follows the stretch.
    CoderJobProgress progress(CoderJobProgress::Kind::Export, 4215, 30);
    QVERIFY(!progress.take(header("/c/open.wav", "00:03:25.00")));
    QCOMPARE(progress.coderDuration(), 205);
    QCOMPARE(progress.take(progressLine("15.0")), (Bar{2108, QStringLiteral("50%")}));
    QCOMPARE(progress.take(progressLine("30.0")), (Bar{4215, QStringLiteral("100%")}));
}

void TestCoderProgress::decodeReports_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("reports"); // each as "g rate/channels/data/frames", "s F-E", "w", "a N"

    const QString head = header("/m/a.mp3", "00:00:20.00") + "growing rate=44100 channels=2 data=80 frames=882000\n";
    QTest::newRow("one thread: a growing prefix, then the end")
        << head + "decoded=0-4096\n" + progressLine("1.00") + "decoded=0-882000\ndecoded=all 882000\n"
        << "g 44100/2/80/882000|s 0-4096|s 0-882000|a 882000";
    QTest::newRow("runs out of order")
        << head + "decoding on 3 threads\ndecoded=588000-600000\ndecoded=0-40000\n"
                  "decoded=294000-300000\ndecoded=588000-882000\n"
        << "g 44100/2/80/882000|s 588000-600000|s 0-40000|s 294000-300000|s 588000-882000";
    QTest::newRow("a failed attempt falls back to one thread")
        << head + "decoded=441000-500000\ndecoded=withdrawn\ndecoding on one thread: a damaged packet\n"
                  "decoded=0-4096\n"
        << "g 44100/2/80/882000|s 441000-500000|w|s 0-4096";
    QTest::newRow("length not known") << QString("growing rate=8000 channels=1 data=116 frames=-1\n")
                                      << "g 8000/1/116/-1";
    // Only a line that is exactly of the form counts: a name echoed in
    // another line, a blank too many, an empty or reversed stretch do not.
    QTest::newRow("near misses")
        << header("/m/\ndecoded=0-5.wav", "00:00:20.00") + "decoded=0-5 \n decoded=0-5\ndecoded=5-5\n"
               "decoded=9-3\ndecoded=0-\ndecoded=-1-5\ndecoded=all\ndecoded=withdrawn!\n"
               "growing rate=0 channels=2 data=80 frames=10\ngrowing rate=8000 channels=1 data=80\n"
        << "";
}

void TestCoderProgress::decodeReports()
{
    QFETCH(QString, output);
    QFETCH(QString, reports);
    using Kind = CoderProgress::DecodeReport::Kind;
    for (int cut : {0, 1, 7, 1024}) {
        CoderJobProgress progress(CoderJobProgress::Kind::Decode, 5415);
        lastBar(progress, output, cut);
        QStringList read;
        for (const auto &r : progress.takeReports()) {
            switch (r.kind) {
            case Kind::Growing: read << QStringLiteral("g %1/%2/%3/%4").arg(r.rate).arg(r.channels).arg(r.dataStart).arg(r.end); break;
            case Kind::Stretch: read << QStringLiteral("s %1-%2").arg(r.first).arg(r.end); break;
            case Kind::Withdrawn: read << QStringLiteral("w"); break;
            case Kind::Complete: read << QStringLiteral("a %1").arg(r.end); break;
            }
        }
        QCOMPARE(read.join(u'|'), reports);
        // An export's output is never read as a decode's map.
        CoderJobProgress cutting(CoderJobProgress::Kind::Export, 4215, 30);
        lastBar(cutting, output, cut);
        QVERIFY(cutting.takeReports().isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestCoderProgress)
#include "tst_coderprogress.moc"
