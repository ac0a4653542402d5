#include "../analysis/songsynth.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The command as scripts use it: the real program, decoding through the
// real coder, exporting and measured by ffmpeg's own loudness meter.
class TestBestPartCommand : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void outputAndErrors_data();
    void outputAndErrors();
    void loudness_data();
    void loudness();

private:
    struct Run {
        int code = -1;
        QString out;
        QString err;
    };
    Run kesmarin(const QStringList &arguments);

    QTemporaryDir m_dir;
    QString m_song;
};

TestBestPartCommand::Run TestBestPartCommand::kesmarin(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Settings of its own: no fades, no normalising.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KESMARIN_BUILD_DIR "/kesmarin"), arguments);
    Run run;
    if (!process.waitForFinished(120000))
        return run;
    run.code = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

void TestBestPartCommand::initTestCase()
{
    QVERIFY(m_dir.isValid());
    using P = SongSynth::SectionPlan;
    const SongSynth::Song song =
        SongSynth::make({P{'I', 4}, P{'V', 8}, P{'C', 8}, P{'V', 8}, P{'C', 8}, P{'C', 8}}, 120, 9,
                        44100);
    m_song = m_dir.filePath(QStringLiteral("song.wav"));
    QVERIFY(SongSynth::writeWav(m_song, song.samples, 44100, 2));
    const SongSynth::Song pop = SongSynth::popSong(2, 44100);
    QVERIFY(SongSynth::writeWav(m_dir.filePath(QStringLiteral("pop.wav")), pop.samples, 44100, 1));
    QFile text(m_dir.filePath(QStringLiteral("notes.mp3")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("these are not sounds\n");
}

void TestBestPartCommand::outputAndErrors_data()
{
    QTest::addColumn<QStringList>("arguments"); // "SONG" and "DIR" are filled in
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out"); // a pattern for the whole of standard output

    const QString stretch = QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\n");
    QTest::newRow("suggestion") << QStringList{"--best-part", "SONG"} << 0 << stretch;
    QTest::newRow("suggestion of 20 s") << QStringList{"--best-part", "SONG", "--length", "20"} << 0
                                        << stretch;
    QTest::newRow("export") << QStringList{"--best-part", "SONG", "-o", "DIR/tone.mp3"} << 0
                            << stretch + QStringLiteral("Saved tone.mp3 · 00:00:\\d\\d · MP3 44.1 kHz\\n");
    QTest::newRow("missing file") << QStringList{"--best-part", "DIR/none.mp3"} << 1 << QString();
    QTest::newRow("not a sound") << QStringList{"--best-part", "DIR/notes.mp3"} << 1 << QString();
    QTest::newRow("unknown format") << QStringList{"--best-part", "SONG", "-o", "DIR/a.xyz"} << 1
                                    << QString();
    QTest::newRow("no file") << QStringList{"--best-part"} << 1 << QString();
    QTest::newRow("bad length") << QStringList{"--best-part", "SONG", "--length", "x"} << 1
                                << QString();
    QTest::newRow("bad loudness") << QStringList{"--best-part", "SONG", "--loudness", "3"} << 1
                                  << QString();
}

void TestBestPartCommand::outputAndErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, out);

    arguments.replaceInStrings(QStringLiteral("SONG"), m_song);
    arguments.replaceInStrings(QStringLiteral("DIR"), m_dir.path());
    const Run run = kesmarin(arguments);
    QCOMPARE(run.code, code);
    QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(out)).match(run.out).hasMatch(),
             qPrintable(run.out));
    if (code == 0) {
        QVERIFY(run.err.isEmpty());
    } else {
        // One line that says what went wrong.
        QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY(run.err.startsWith(QStringLiteral("kesmarin: ")));
    }
}

void TestBestPartCommand::loudness_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("target");
    QTest::addColumn<QString>("song");
    QTest::newRow("MP3") << "mp3" << -14.0 << "song.wav";
    QTest::newRow("M4R") << "m4r" << -14.0 << "song.wav";
    QTest::newRow("OGG") << "ogg" << -14.0 << "song.wav";
    QTest::newRow("AMR") << "amr" << -14.0 << "song.wav";
    QTest::newRow("MP3, quieter target") << "mp3" << -20.0 << "song.wav";
    // Its chorus in AMR has peaks too high above its loudness for gain and
    // a limiter alone to reach both goals.
    QTest::newRow("AMR, high codec peaks") << "amr" << -14.0 << "pop.wav";
}

void TestBestPartCommand::loudness()
{
    QFETCH(QString, format);
    QFETCH(double, target);
    QFETCH(QString, song);

    const QString tone = m_dir.filePath(QStringLiteral("loud.") + format);
    const Run run = kesmarin({"--best-part", m_dir.filePath(song), "-o", tone, "--loudness",
                              QString::number(target)});
    QVERIFY2(run.code == 0, qPrintable(run.err));

    QProcess meter;
    meter.setProcessChannelMode(QProcess::MergedChannels);
    meter.start(QStringLiteral("/usr/bin/ffmpeg"),
                {"-nostats", "-hide_banner", "-i", tone, "-af", "ebur128=peak=true", "-f", "null", "-"});
    QVERIFY2(meter.waitForFinished(60000), "ffmpeg did not finish");
    const QString summary = QString::fromUtf8(meter.readAll());
    // The summary comes after the running values.
    const QString tail = summary.mid(summary.lastIndexOf(QStringLiteral("Summary:")));
    const auto integrated = QRegularExpression(QStringLiteral("I:\\s+(-?[0-9.]+) LUFS")).match(tail);
    const auto peak = QRegularExpression(QStringLiteral("Peak:\\s+(-?[0-9.]+) dBFS")).match(tail);
    QVERIFY2(integrated.hasMatch() && peak.hasMatch(), qPrintable(summary.right(400)));
    QVERIFY2(std::abs(integrated.captured(1).toDouble() - target) <= 0.5, qPrintable(integrated.captured(0)));
    QVERIFY2(peak.captured(1).toDouble() <= -1.0, qPrintable(peak.captured(0)));
}

QTEST_GUILESS_MAIN(TestBestPartCommand)
#include "tst_bestpartcommand.moc"
