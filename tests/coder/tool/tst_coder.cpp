// Black-box tests of the transcoder: the built program runs on media made
// here, and its outputs are probed with libavformat.

#include "codercommand.h"
#include "coderprogress.h"
#include "decodedmap.h"
#include "mediaprobe.h"
#include "outputformats.h"
#include "savedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString coderPath = QStringLiteral(KESMARIN_CODER);

// Options exactly as the program passes them for each ringtone format.
const QStringList mp3Options = {"-y", "-ab", "128k", "-ar", "44100", "-ac", "1"};
const QStringList wmaOptions = {"-y", "-acodec", "wmav1"};
const QStringList wavOptions = {"-y"};
const QStringList amrOptions = {"-y", "-ar", "8000", "-ab", "7.4k", "-ac", "1"};

struct Run {
    int exitCode = -1;
    bool crashed = false;
    QString errors;
    QString output; // standard output: the read-back block
    QStringList errorLines() const { return errors.split('\n', Qt::SkipEmptyParts); }
};

Run runCoder(const QStringList &args, const QString &workDir = {}, int timeoutMs = 60000,
             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
             const std::function<void()> &inChild = {})
{
    QProcess process;
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.setProcessEnvironment(environment);
    process.setProgram(coderPath);
    process.setArguments(args);
    if (!workDir.isEmpty())
        process.setWorkingDirectory(workDir);
    process.start();
    process.closeWriteChannel();
    Run run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.errors = QString::fromUtf8(process.readAllStandardError());
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    return run;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList strayTemporaries(const QString &folder)
{
    return QDir(folder).entryList({".*.part"}, QDir::Files | QDir::Hidden);
}

// Reads a growing decode's reports as the session does, in reads of 7
// characters, and follows its map; says what does not hold, or nothing.
QString checkMap(const QString &errors, qint64 fileBytes, bool prefixOnly, bool fellBack)
{
    using Kind = CoderProgress::DecodeReport::Kind;
    CoderJobProgress reader(CoderJobProgress::Kind::Decode, 5415);
    QList<CoderProgress::DecodeReport> reports;
    for (qsizetype at = 0; at < errors.size(); at += 7) {
        reader.take(errors.mid(at, 7));
        reports += reader.takeReports();
    }
    reader.finish();
    reports += reader.takeReports();
    if (reports.size() < 3 || reports.first().kind != Kind::Growing ||
        reports.last().kind != Kind::Complete)
        return "no growing, stretches, complete";
    const auto &growing = reports.first();
    const qint64 frames = reports.last().end;
    if (growing.dataStart + frames * growing.channels * 2 != fileBytes ||
        std::abs(growing.end - frames) > frames / 20 + 4410) // the duration is an estimate
        return "the header line does not match the file";
    DecodedMap map;
    qint64 lastEnd = 0;
    int withdrawn = 0;
    bool laterRun = false;
    for (const auto &report : reports.mid(1, reports.size() - 2)) {
        if (report.kind == Kind::Withdrawn) {
            ++withdrawn;
            map.withdraw();
            lastEnd = 0;
            continue;
        }
        if (report.kind != Kind::Stretch)
            return "a stray report";
        laterRun = laterRun || report.first > 0;
        if (prefixOnly && (report.first != 0 || report.end <= lastEnd))
            return "a one-thread decode reports anything but a growing prefix";
        lastEnd = report.end;
        map.add(report.first, report.end);
    }
    if (!map.contains(0, frames) || map.decodedFrames() != frames)
        return "the stretches do not make the whole file";
    if (withdrawn != (fellBack ? 1 : 0))
        return "withdrawn not exactly when the decode fell back";
    if (!prefixOnly && !fellBack && !laterRun)
        return "the runs after the first report nothing";
    return {};
}

} // namespace

class TestCoder : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_tone;  // 12 s, 44100 Hz stereo, 440 Hz
    QString m_steps; // 45 s, 8000 Hz mono: 400 Hz, 800 Hz from 10 s, 400 Hz from 40 s
    QString m_ramp;  // 60 s, 8000 Hz mono: sample i holds (i mod 30000) - 15000
    QString m_beats; // 20 s, 44100 Hz stereo: a tone and a sudden noise every half second
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString makeVideo(const QString &name, const QStringList &audioArgs);
    QString makeByCoder(const QString &name, const QStringList &options);

private slots:
    void initTestCase();

    void exportFormats_data();
    void exportFormats();
    void everyFormatReadsBackEveryStretch_data();
    void everyFormatReadsBackEveryStretch();
    void amrUsesTheRequestedMode();
    void readBackCatchesTruncation_data();
    void readBackCatchesTruncation();

    void decodeInputs_data();
    void decodeInputs();

    void cutIsSampleAccurate_data();
    void cutIsSampleAccurate();
    void cutStartsAtTheRightPlace_data();
    void cutStartsAtTheRightPlace();
    void stretchPastTheEndStopsAtTheEnd();
    void cutFollowsARateChange();
    void fadesAndLevel_data();
    void fadesAndLevel();

    void progressText();

    void errors_data();
    void errors();
    void existingTargetSurvivesErrors();
    void workingFileMustFitTheDisk();

    void fullDiskFailsTheJob_data();
    void fullDiskFailsTheJob();
    void stoppedJobLeavesTargetUntouched_data();
    void stoppedJobLeavesTargetUntouched();

    void unusualPaths_data();
    void unusualPaths();

    void damagedInputIsSkipped();

    void threadsGiveTheOneThreadBytes_data();
    void threadsGiveTheOneThreadBytes();
};

void TestCoder::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(QFileInfo(coderPath).isExecutable(), qPrintable(coderPath));
    m_tone = path("tone.wav");
    QVERIFY(writeToneWav(m_tone, 44100, 2, 12.0, [](double) { return 440.0; }));
    m_steps = path("steps.wav");
    QVERIFY(writeToneWav(m_steps, 8000, 1, 45.0,
                         [](double t) { return t >= 10.0 && t < 40.0 ? 800.0 : 400.0; }));
    m_ramp = path("ramp.wav");
    QVERIFY(writeWav(m_ramp, 8000, 1, 60 * 8000,
                     [](std::int64_t i, int) { return std::int16_t(i % 30000 - 15000); }));
    m_beats = path("beats.wav"); // Vorbis and AAC switch to short blocks at each attack
    QVERIFY(writeWav(m_beats, 44100, 2, 20 * 44100, [](std::int64_t i, int c) {
        const double tone = 6000.0 * std::sin(i * (c + 1) * 0.0627);
        const auto noise = std::int16_t((i * 2654435761u >> 7) & 0x3fff) - 8192;
        return std::int16_t(i % 22050 < 2205 ? tone + 2 * noise : tone);
    }));
}

QString TestCoder::makeVideo(const QString &name, const QStringList &audioArgs)
{
    const QString ffmpeg = QStringLiteral("/usr/bin/ffmpeg");
    if (!QFileInfo(ffmpeg).isExecutable())
        return {};
    const QString out = path(name);
    if (QFileInfo::exists(out))
        return out;
    QStringList args = {
        "-hide_banner", "-loglevel", "error", "-y",
        "-f",           "lavfi",     "-i",    "testsrc=size=160x120:rate=25:duration=4"};
    if (!audioArgs.isEmpty())
        args << "-f"
             << "lavfi"
             << "-i"
             << "sine=frequency=440:duration=4:sample_rate=22050";
    args << audioArgs << out;
    QProcess process;
    process.start(ffmpeg, args);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return out;
}

QString TestCoder::makeByCoder(const QString &name, const QStringList &options)
{
    const QString out = path(name);
    if (!QFileInfo::exists(out) &&
        runCoder(QStringList{"-i", m_tone} + options + QStringList{out}).exitCode != 0)
        return {};
    return out;
}

void TestCoder::exportFormats_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("frameSamples"); // one codec frame: the length tolerance

    QTest::addColumn<bool>("titled"); // the container holds a title tag

    QTest::newRow("mp3") << "mp3" << mp3Options << "mp3" << 44100 << 1 << 1152 << true;
    QTest::newRow("wma") << "wma" << wmaOptions << "wmav1" << 44100 << 2 << 2048 << true;
    QTest::newRow("wav") << "wav" << wavOptions << "pcm_s16le" << 44100 << 2 << 1 << false;
    QTest::newRow("amr") << "amr" << amrOptions << "amr_nb" << 8000 << 1 << 160 << false;
    QTest::newRow("upper-case extension")
        << "MP3" << mp3Options << "mp3" << 44100 << 1 << 1152 << true;
    QTest::newRow("m4r") << "m4r" << wavOptions << "aac" << 44100 << 2 << 1024 << true;
    QTest::newRow("m4a") << "m4a" << wavOptions << "aac" << 44100 << 2 << 1024 << true;
    QTest::newRow("ogg") << "ogg" << wavOptions << "vorbis" << 44100 << 2 << 2048 << true;
    QTest::newRow("flac") << "flac" << wavOptions << "flac" << 44100 << 2 << 4608 << true;
    QTest::newRow("wma, wmav2 asked") << "wma" << QStringList{"-y", "-acodec", "wmav2"} << "wmav2"
                                      << 44100 << 2 << 2048 << true;
    QTest::newRow("wav at 22050 mono") << "wav" << QStringList{"-y", "-ar", "22050", "-ac", "1"}
                                       << "pcm_s16le" << 22050 << 1 << 1 << false;
}

void TestCoder::exportFormats()
{
    QFETCH(QString, extension);
    QFETCH(QStringList, options);
    QFETCH(QString, codec);
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(int, frameSamples);
    QFETCH(bool, titled);

    // Phones list ringtones by title: the file's base name, whatever it holds.
    const QString title = QStringLiteral("Ring 铃声 time=5: a.b");
    const QString target = path(title + "." + extension);
    const Run run = runCoder(QStringList{"-i", m_tone, "-ss", "2", "-t", "5"} + options +
                             QStringList{"--", target});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));

    const MediaInfo info = probeMedia(target);
    QVERIFY2(info.error.isEmpty(), qPrintable(info.error));
    QCOMPARE(info.codec, codec);
    QCOMPARE(info.sampleRate, rate);
    QCOMPARE(info.channels, channels);
    QVERIFY2(std::abs(info.seconds() - 5.0) <= double(frameSamples) / rate,
             qPrintable(QString::number(info.seconds(), 'f', 4)));
    // Real sound, not silence or noise: the tone survives the codec.
    QVERIFY2(std::abs(info.frequency(1.0, 3.0) - 440.0) < 5.0,
             qPrintable(QString::number(info.frequency(1.0, 3.0))));
    if (extension.compare("mp3", Qt::CaseInsensitive) == 0)
        QCOMPARE(info.bitRate, std::int64_t(128000));
    QCOMPARE(info.title, titled ? title : QString());

    // The job read its output back and says what it found: the codec and a
    // length within a frame of what a decoder finds.
    const std::optional<SavedFile> back = SavedFile::fromOutput(run.output);
    QVERIFY2(back, qPrintable(run.output));
    QCOMPARE(back->codec, codec);
    QCOMPARE(back->rate, rate);
    QCOMPARE(back->channels, channels);
    QVERIFY2(std::abs(back->seconds() - info.seconds()) <= double(frameSamples) / rate,
             qPrintable(QString::number(back->seconds(), 'f', 4)));
    QCOMPARE(back->title.value_or(QString()), titled ? title : QString());
    QFile::remove(target);
}

void TestCoder::everyFormatReadsBackEveryStretch_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<double>("seconds");
    const std::tuple<const char *, const char *, const char *, double> stretches[] = {
        {"start", "0", "5", 5.0},
        {"middle", "7.5", "5", 5.0},
        {"end", "15", "5", 5.0},
        {"fractions", "3.25", "6.55", 6.55},
        {"past the end", "18.5", "5", 1.5}};
    for (const OutputFormatRow &format : OutputFormats) {
        const QString options = format.exportOptions ? format.exportOptions : " -y ";
        for (const auto &[name, start, length, seconds] : stretches)
            QTest::addRow("%s, %s", format.extension, name)
                << QStringList{"-i", m_beats, "-ss", start, "-t", length} +
                       options.split(' ', Qt::SkipEmptyParts) +
                       QStringList{path(QString("stretch.") + format.extension)}
                << seconds;
    }
}

// The job itself reads its output back; a full decode must agree with it.
void TestCoder::everyFormatReadsBackEveryStretch()
{
    QFETCH(QStringList, args);
    QFETCH(double, seconds);
    const Run run = runCoder(args);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors.right(300)));
    const std::optional<SavedFile> back = SavedFile::fromOutput(run.output);
    QVERIFY2(back && back->lasts(seconds), qPrintable(run.output));
    const MediaInfo info = probeMedia(args.last());
    QVERIFY2(std::abs(info.seconds() - seconds) <= double(back->frame) / back->rate,
             qPrintable(QString::number(info.seconds(), 'f', 5)));
}

void TestCoder::amrUsesTheRequestedMode()
{
    const QString target = path("mode.amr");
    QCOMPARE(
        runCoder(QStringList{"-i", m_tone, "-t", "1"} + amrOptions + QStringList{target}).exitCode,
        0);
    const QByteArray data = contents(target);
    QVERIFY(data.startsWith("#!AMR\n"));
    // Each 20 ms frame starts with its mode; 7.4 kbit/s is mode 4: 0x24 and
    // 19 bytes of speech data, 50 frames a second.
    QCOMPARE(quint8(data.at(6)), quint8(0x24));
    QCOMPARE(data.size(), 6 + 50 * 20);
}

void TestCoder::readBackCatchesTruncation_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("mp3") << "mp3" << mp3Options;
    QTest::newRow("wma") << "wma" << wmaOptions;
    QTest::newRow("wav") << "wav" << wavOptions;
    QTest::newRow("amr") << "amr" << amrOptions;
    QTest::newRow("m4r") << "m4r" << wavOptions;
    QTest::newRow("ogg") << "ogg" << wavOptions;
    QTest::newRow("flac") << "flac" << wavOptions;
}

void TestCoder::readBackCatchesTruncation()
{
    QFETCH(QString, extension);
    QFETCH(QStringList, options);

    const QString whole = path("whole5." + extension);
    QCOMPARE(runCoder(QStringList{"-i", m_tone, "-t", "5"} + options + QStringList{whole}).exitCode,
             0);
    Run run = runCoder({"-probe", whole});
    QCOMPARE(run.exitCode, 0);
    std::optional<SavedFile> back = SavedFile::fromOutput(run.output);
    QVERIFY2(back && back->lasts(5.0), qPrintable(run.output));

    // Cut off as a full disk or a pulled stick would leave it: either it
    // does not read back at all, or it is found short.
    const QString cut = path("cut5." + extension);
    QByteArray data = contents(whole);
    data.truncate(data.size() * 6 / 10);
    QFile file(cut);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
    file.close();
    run = runCoder({"-probe", cut});
    back = SavedFile::fromOutput(run.output);
    if (run.exitCode == 0) {
        QVERIFY2(back, qPrintable(run.output));
        QVERIFY2(!back->lasts(5.0), qPrintable(QString::number(back->seconds())));
    } else {
        QCOMPARE(run.exitCode, 1);
        QVERIFY(!back);
        QVERIFY2(run.errors.startsWith("coder: " + cut + ": "), qPrintable(run.errors));
    }
}

void TestCoder::decodeInputs_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<double>("seconds");

    QTest::newRow("wav") << m_steps << 8000 << 1 << 45.0;
    QTest::newRow("mp3") << makeByCoder("in.mp3", mp3Options) << 44100 << 1 << 12.0;
    QTest::newRow("wma") << makeByCoder("in.wma", wmaOptions) << 44100 << 2 << 12.0;
    QTest::newRow("amr") << makeByCoder("in.amr", amrOptions) << 8000 << 1 << 12.0;
    QTest::newRow("avi") << makeVideo("in.avi", {"-c:a", "libmp3lame", "-ac", "2"}) << 22050 << 2
                         << 4.0;
    QTest::newRow("mpg") << makeVideo("in.mpg", {"-c:a", "mp2", "-ar", "44100", "-ac", "2"})
                         << 44100 << 2 << 4.0;
    QTest::newRow("wmv") << makeVideo("in.wmv", {"-c:a", "wmav2", "-ac", "1"}) << 22050 << 1 << 4.0;
}

void TestCoder::decodeInputs()
{
    QFETCH(QString, source);
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(double, seconds);
    if (source.isEmpty())
        QSKIP("the fixture could not be made (is /usr/bin/ffmpeg installed?)");
    if (QFileInfo(source).suffix() != "wav")
        QVERIFY(probeMedia(source).error.isEmpty());

    const QString workFile = path("open.wav");
    const Run run = runCoder({"-i", source, "-y", "-vn", workFile});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));

    const MediaInfo info = probeMedia(workFile);
    QVERIFY2(info.error.isEmpty(), qPrintable(info.error));
    QCOMPARE(info.container, QString("wav"));
    QCOMPARE(info.codec, QString("pcm_s16le"));
    QVERIFY(!info.hasVideo);
    QCOMPARE(info.sampleRate, rate);
    QCOMPARE(info.channels, channels);
    QVERIFY2(std::abs(info.seconds() - seconds) < 0.1, qPrintable(QString::number(info.seconds())));
    const double expected = QFileInfo(source).fileName() == "steps.wav" ? 400.0 : 440.0;
    QVERIFY2(std::abs(info.frequency(0.5, 2.0) - expected) < 5.0,
             qPrintable(QString::number(info.frequency(0.5, 2.0))));
}

void TestCoder::cutIsSampleAccurate_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("length");
    QTest::addColumn<qint64>("firstIndex");
    QTest::addColumn<qint64>("count");

    QTest::newRow("10 s for 30 s") << "10"
                                   << "30" << qint64(80000) << qint64(240000);
    QTest::newRow("from the start") << "0"
                                    << "5" << qint64(0) << qint64(40000);
    QTest::newRow("decimal seconds") << "12.3456"
                                     << "1.5" << qint64(98765) << qint64(12000);
    QTest::newRow("near the end") << "58"
                                  << "1" << qint64(464000) << qint64(8000);
    QTest::newRow("past the end") << "55"
                                  << "30" << qint64(440000) << qint64(40000);
    QTest::newRow("milliseconds") << "10.25"
                                  << "10.5" << qint64(82000) << qint64(84000);
    QTest::newRow("neutral filter keeps every sample") << "10.25"
                                                       << "10.5 -af volume=0dB" << qint64(82000)
                                                       << qint64(84000);
}

void TestCoder::cutIsSampleAccurate()
{
    QFETCH(QString, start);
    QFETCH(QString, length);
    QFETCH(qint64, firstIndex);
    QFETCH(qint64, count);

    const QString target = path("cut.wav");
    const QStringList lengthAndMore = length.split(' ');
    const Run run = runCoder(QStringList{"-i", m_ramp, "-ss", start, "-t"} + lengthAndMore +
                             QStringList{"-y", target});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    const QByteArray data = contents(target);
    const int offset = data.indexOf("data") + 8;
    QVERIFY(offset >= 44);
    const qint64 samples = (data.size() - offset) / 2;
    QCOMPARE(samples, count);
    auto at = [&](qint64 k) {
        return qint16(quint8(data.at(offset + 2 * k)) | (quint8(data.at(offset + 1 + 2 * k)) << 8));
    };
    QCOMPARE(at(0), qint16(firstIndex % 30000 - 15000));
    QCOMPARE(at(samples - 1), qint16((firstIndex + count - 1) % 30000 - 15000));
}

void TestCoder::cutStartsAtTheRightPlace_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("frameSamples");
    QTest::newRow("mp3") << "mp3" << mp3Options << 1152;
    QTest::newRow("wma") << "wma" << wmaOptions << 2048;
    QTest::newRow("wav") << "wav" << wavOptions << 1;
    QTest::newRow("amr") << "amr" << amrOptions << 160;
}

void TestCoder::cutStartsAtTheRightPlace()
{
    QFETCH(QString, extension);
    QFETCH(QStringList, options);
    QFETCH(int, frameSamples);

    // The 800 Hz stretch runs from 10 s to 40 s: a cut of exactly that
    // stretch holds 800 Hz from its first to its last tenth of a second.
    const QString target = path("stretch." + extension);
    const Run run = runCoder(QStringList{"-i", m_steps, "-ss", "10", "-t", "30"} + options +
                             QStringList{target});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    const MediaInfo info = probeMedia(target);
    QVERIFY2(info.error.isEmpty(), qPrintable(info.error));
    QVERIFY2(std::abs(info.seconds() - 30.0) <= double(frameSamples) / info.sampleRate,
             qPrintable(QString::number(info.seconds(), 'f', 4)));
    const double head = info.frequency(0.06, 0.1);
    const double tail = info.frequency(info.seconds() - 0.16, 0.1);
    QVERIFY2(std::abs(head - 800.0) < 30.0, qPrintable(QString::number(head)));
    QVERIFY2(std::abs(tail - 800.0) < 30.0, qPrintable(QString::number(tail)));
}

void TestCoder::stretchPastTheEndStopsAtTheEnd()
{
    const QString target = path("pastend.mp3");
    const Run run = runCoder(QStringList{"-i", m_tone, "-ss", "8", "-t", "100"} + mp3Options +
                             QStringList{target});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    const MediaInfo info = probeMedia(target);
    QVERIFY2(std::abs(info.seconds() - 4.0) <= 1152.0 / 44100,
             qPrintable(QString::number(info.seconds())));
}

void TestCoder::cutFollowsARateChange()
{
    // Two MP3s pasted together, at 44.1 kHz and then at 22.05 kHz.
    const QByteArray joined = contents(makeByCoder("cd.mp3", mp3Options)) +
                              contents(makeByCoder("half.mp3", {"-y", "-ar", "22050", "-ac", "1"}));
    QFile file(path("joined.mp3"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(joined) > 100000);
    file.close();
    const Run run =
        runCoder({"-i", file.fileName(), "-ss", "10", "-t", "4", "-y", path("joined.wav")});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    // Within a sample or two: the place is carried over to the new rate.
    QVERIFY(std::abs(probeMedia(path("joined.wav")).seconds() - 4.0) < 3.0 / 44100);
}

void TestCoder::fadesAndLevel_data()
{
    QTest::addColumn<int>("fadeInMs");
    QTest::addColumn<int>("fadeOutMs");
    QTest::addColumn<bool>("normalise");
    QTest::addColumn<QString>("extension");

    QTest::newRow("level alone") << 0 << 0 << true << "wav";
    QTest::newRow("fade in") << 1000 << 0 << false << "wav";
    QTest::newRow("fade out") << 0 << 1500 << false << "wav";
    QTest::newRow("both fades and level") << 1000 << 2000 << true << "wav";
    QTest::newRow("fades longer than the stretch") << 10000 << 10000 << false << "wav";
    QTest::newRow("both fades and level as mp3") << 1000 << 2000 << true << "mp3";
}

// The export as the program runs it: the normaliser measures the faded
// stretch through the coder, then the coder cuts it with fades and gain.
void TestCoder::fadesAndLevel()
{
    QFETCH(int, fadeInMs);
    QFETCH(int, fadeOutMs);
    QFETCH(bool, normalise);
    QFETCH(QString, extension);

    const Stretch stretch{2250, 6500};
    const FadeLevel fades{fadeInMs, fadeOutMs, normalise};
    const QString appFolder = QFileInfo(coderPath).absolutePath() + "/..";
    std::optional<double> gain;
    if (normalise) {
        const CoderCommand measure = CoderCommand::measurePeak(
            appFolder, m_tone, stretch, CoderCommand::filterGraph(fades, stretch.lengthMs));
        const Run run = runCoder(measure.arguments);
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        const auto peak = CoderCommand::maxVolume(run.errors);
        QVERIFY2(peak, qPrintable(run.errors));
        // The tone is a sine of amplitude 0.5: -6 dBFS.
        QVERIFY2(std::abs(*peak - -6.02) < 0.05, qPrintable(QString::number(*peak)));
        gain = CoderCommand::normalisingGain(*peak);
    }
    const QString target = path("shaped." + extension);
    const auto command = CoderCommand::exportRingtone(
        appFolder, m_tone, stretch, target, CoderCommand::filterGraph(fades, stretch.lengthMs, gain));
    QVERIFY(command);
    QStringList args = command->arguments;
    if (extension == "mp3")
        args = QStringList{"-i", m_tone, "-ss", "2.25", "-t", "6.5", "-y", "-af",
                           CoderCommand::filterGraph(fades, stretch.lengthMs, gain), target};
    const Run run = runCoder(args);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));

    const MediaInfo info = probeMedia(target);
    QVERIFY2(info.error.isEmpty(), qPrintable(info.error));
    // The probe mixes to mono; two equal channels come out louder than each.
    const MediaInfo source = probeMedia(m_tone);
    const float sourcePeak = *std::max_element(source.samples.begin(), source.samples.end());
    const double mix = 20.0 * std::log10(sourcePeak) - -6.02;
    const double rate = info.sampleRate;
    auto peakDb = [&](double from, double length) {
        float peak = 0.0f;
        const auto first = std::size_t(std::max(0.0, from * rate));
        const auto last = std::min(info.samples.size(), std::size_t((from + length) * rate));
        for (std::size_t i = first; i < last; ++i)
            peak = std::max(peak, std::abs(info.samples[i]));
        return peak > 0.0f ? 20.0 * std::log10(peak) - mix : -200.0;
    };
    const double full = normalise ? -1.0 : -6.02;
    if (extension == "wav")
        QCOMPARE(qint64(info.samples.size()), qint64(6.5 * 44100));
    if (extension == "wav" && fadeInMs + fadeOutMs <= 6500) {
        QVERIFY2(std::abs(peakDb(0, 6.5) - full) < 0.1, qPrintable(QString::number(peakDb(0, 6.5))));
    }
    // Silence at a faded edge, full level in the middle.
    if (fadeInMs > 0)
        QVERIFY2(peakDb(0, 0.002) < -40.0, qPrintable(QString::number(peakDb(0, 0.002))));
    if (fadeOutMs > 0)
        QVERIFY2(peakDb(info.seconds() - 0.002, 0.002) < -40.0,
                 qPrintable(QString::number(peakDb(info.seconds() - 0.002, 0.002))));
    const double clampedIn = std::min(fadeInMs, 6500) / 1000.0;
    const double middleLevel = peakDb(3.0, 0.1);
    if (fadeInMs + fadeOutMs <= 6500)
        // A lossy codec moves a peak by a fraction of a dB.
        QVERIFY2(std::abs(middleLevel - full) < (extension == "wav" ? 0.2 : 0.6), qPrintable(QString::number(middleLevel)));
    if (fadeInMs > 0 && fadeInMs < 6500) {
        // Halfway through a linear fade: half the level, 6 dB down.
        const double half = peakDb(clampedIn / 2 - 0.01, 0.02);
        QVERIFY2(std::abs(half - (full - 6.02)) < 0.5, qPrintable(QString::number(half)));
    }
}

void TestCoder::progressText()
{
    const QString target = path("progress.mp3");
    const Run run = runCoder(QStringList{"-i", m_steps, "-ss", "2", "-t", "50"} + mp3Options +
                             QStringList{target});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));

    // "Duration: " once, with the input's length, before any progress.
    QCOMPARE(run.errors.count("Duration: "), 1);
    const QRegularExpression duration("Duration: (\\d\\d):(\\d\\d):(\\d\\d)\\.(\\d\\d)[, ]");
    const auto d = duration.match(run.errors);
    QVERIFY2(d.hasMatch(), qPrintable(run.errors));
    QCOMPARE(d.captured(1) + d.captured(2) + d.captured(3) + d.captured(4), QString("00004500"));
    QVERIFY(d.capturedStart() < run.errors.indexOf("time="));

    // "time=" with decimal seconds and a blank, rising, last the output's length.
    const QRegularExpression time("time=([0-9]+\\.[0-9]+) ");
    QStringList values;
    for (auto it = time.globalMatch(run.errors); it.hasNext();)
        values << it.next().captured(1);
    QCOMPARE(values.size(), run.errors.count("time="));
    QVERIFY(values.size() >= 2);
    for (int i = 1; i < values.size(); ++i)
        QVERIFY(values[i].toDouble() >= values[i - 1].toDouble());
    QCOMPARE(values.last(), QString("43.00"));
    QVERIFY(run.errors.lastIndexOf("time=") > run.errors.lastIndexOf("Duration: "));
}

void TestCoder::errors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("named");  // the path or argument the message names
    QTest::addColumn<QString>("reason"); // a piece of the reason

    const QString out = path("never.mp3");
    QFile text(path("letter.mp3"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("Dear friend,\nthis is not a song at all, only words in a file.\n");
    text.close();
    QFile empty(path("empty.mp3"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    const QString silentVideo = makeVideo("silent.avi", {});
    QFile::copy(m_tone, path("taken.wav"));

    // Bad inputs: exit 1, the input named.
    QTest::newRow("missing file") << QStringList{"-i", path("nothere.wav"), "-y", out} << 1
                                  << path("nothere.wav") << "No such file";
    QTest::newRow("text file named .mp3")
        << QStringList{"-i", path("letter.mp3"), "-y", out} << 1 << path("letter.mp3") << "";
    QTest::newRow("zero-byte file")
        << QStringList{"-i", path("empty.mp3"), "-y", out} << 1 << path("empty.mp3") << "empty";
    QTest::newRow("a folder as input")
        << QStringList{"-i", m_dir.path(), "-y", out} << 1 << m_dir.path() << "folder";
    for (const auto &[name, playlist] :
         {std::pair{path("loop.mp3"), "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nloop.mp3\n"},
          {path("list.mp3"), "ffconcat version 1.0\nfile 'tone.wav'\n"},
          {path("sdp.mp3"), "v=0\nc=IN IP4 127.0.0.1\nm=audio 5004 RTP/AVP 0\n"}}) {
        QFile list(name);
        QVERIFY(list.open(QIODevice::WriteOnly) && list.write(playlist) > 0);
        QTest::addRow("playlist %s", qPrintable(QFileInfo(name).fileName()))
            << QStringList{"-i", name, "-y", out} << 1 << name << "playlist";
    }
    const QString fifo = path("fifo.mp3");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QTest::newRow("FIFO") << QStringList{"-i", fifo, "-y", out} << 1 << fifo << "pipe";
    QTest::newRow("device") << QStringList{"-i", "/dev/zero", "-y", out} << 1 << "/dev/zero"
                            << "device";
    // An RF64 header, 8 channels at 192 kHz, claiming an exabyte of samples.
    QFile huge(path("huge.wav"));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    huge.write(
        QByteArray::fromHex("52463634ffffffff57415645647336341c000000000000000000001000000000"
                            "00000010000000000000000100000000666d7420100000000100080000ee0200"
                            "00e02e001000100064617461ffffffff") +
        QByteArray(16000, 0));
    huge.close();
    QTest::newRow("working file larger than the disk")
        << QStringList{"-i", huge.fileName(), "-y", path("never.wav")} << 1 << path("never.wav")
        << "are free on its disk";
    if (!silentVideo.isEmpty())
        QTest::newRow("video without sound")
            << QStringList{"-i", silentVideo, "-y", out} << 1 << silentVideo << "no audio stream";
    QTest::newRow("start past the end")
        << QStringList{"-i", m_tone, "-ss", "13", "-t", "5", "-y", out} << 1 << m_tone
        << "past the end";

    // Bad targets: exit 1, the target named.
    QTest::newRow("unknown extension") << QStringList{"-i", m_tone, "-y", path("x.xyz")} << 1
                                       << path("x.xyz") << "unknown output format";
    QTest::newRow("no extension") << QStringList{"-i", m_tone, "-y", path("noext")} << 1
                                  << path("noext") << "extension";
    QTest::newRow("existing output without -y")
        << QStringList{"-i", m_ramp, path("taken.wav")} << 1 << path("taken.wav") << "exists";
    QTest::newRow("output over its own input")
        << QStringList{"-i", m_tone, "-y", m_tone} << 1 << m_tone << "input";
    QTest::newRow("own input by another name")
        << QStringList{"-i", m_tone, "-y", m_dir.path() + "/./tone.wav"} << 1
        << m_dir.path() + "/./tone.wav"
        << "input";
    QTest::newRow("missing folder") << QStringList{"-i", m_tone, "-y", path("nofolder/x.wav")} << 1
                                    << path("nofolder/x.wav") << "No such file";
    // As root a mode does not stop a write; /proc refuses everyone.
    const QString locked = geteuid() == 0 ? QString("/proc/ring.wav") : path("locked/ring.wav");
    QDir().mkpath(path("locked"));
    QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::ExeOwner);
    QTest::newRow("unwritable folder")
        << QStringList{"-i", m_tone, "-y", locked} << 1 << locked << "";
    QTest::newRow("AMR at another rate")
        << QStringList{"-i", m_tone, "-ar", "16000", "-y", path("x.amr")} << 1 << path("x.amr")
        << "8000";
    QTest::newRow("codec the container cannot hold")
        << QStringList{"-i", m_tone, "-acodec", "wmav1", "-y", path("x.m4a")} << 1 << path("x.m4a")
        << "wmav1";
    QTest::newRow("unknown codec")
        << QStringList{"-i", m_tone, "-acodec", "nosuch", "-y", out} << 1 << out << "nosuch";

    // Bad command lines: exit 2, the argument named.
    QTest::newRow("unknown option") << QStringList{"-i", m_tone, "-foo", out} << 2 << "-foo"
                                    << "unknown option";
    QTest::newRow("option without value") << QStringList{"-i", m_tone, out, "-ss"} << 2 << "-ss"
                                          << "value";
    QTest::newRow("start not a number")
        << QStringList{"-i", m_tone, "-ss", "ten", out} << 2 << "-ss ten"
        << "";
    QTest::newRow("negative start") << QStringList{"-i", m_tone, "-ss", "-5", out} << 2 << "-ss -5"
                                    << "";
    QTest::newRow("zero length") << QStringList{"-i", m_tone, "-t", "0", out} << 2 << "-t 0"
                                 << "";
    QTest::newRow("exponent length") << QStringList{"-i", m_tone, "-t", "1e3", out} << 2 << "-t 1e3"
                                     << "";
    QTest::newRow("bad bit rate") << QStringList{"-i", m_tone, "-ab", "fast", out} << 2
                                  << "-ab fast"
                                  << "";
    QTest::newRow("bad thread count") << QStringList{"-i", m_tone, "-threads", "many", out} << 2
                                      << "-threads many"
                                      << "";
    QTest::newRow("bad channels") << QStringList{"-i", m_tone, "-ac", "0", out} << 2 << "-ac 0"
                                  << "";
    QTest::newRow("no input") << QStringList{"-y", out} << 2 << "-i"
                              << "no input";
    QTest::newRow("no output") << QStringList{"-i", m_tone, "-y"} << 2 << "OUTPUT"
                               << "no output";
    QTest::newRow("two outputs") << QStringList{"-i", m_tone, out, path("b.mp3")} << 2
                                 << path("b.mp3") << "one output";
    QTest::newRow("argument after --") << QStringList{"-i", m_tone, "--", out, "-y"} << 2 << "-y"
                                       << "";
    QTest::newRow("no arguments") << QStringList{} << 2 << "-i"
                                  << "";
    QTest::newRow("read back two files")
        << QStringList{"-probe", m_tone, m_ramp} << 2 << "-probe" << "one file";
    QTest::newRow("read back a text file")
        << QStringList{"-probe", path("letter.mp3")} << 1 << path("letter.mp3") << "";
    QTest::newRow("filter graph that is no graph")
        << QStringList{"-i", m_tone, "-af", "afade=t=in:d=", "-y", out} << 2 << "-af afade=t=in:d="
        << "";
    QTest::newRow("unknown filter") << QStringList{"-i", m_tone, "-af", "nosuch", "-y", out} << 2
                                    << "-af nosuch"
                                    << "";
    QTest::newRow("empty filter graph") << QStringList{"-i", m_tone, "-af", "", "-y", out} << 2
                                        << "-af"
                                        << "";
    QTest::newRow("-f other than null") << QStringList{"-i", m_tone, "-f", "wav", out} << 2
                                        << "-f wav"
                                        << "extension";
    QTest::newRow("-f null with a file") << QStringList{"-i", m_tone, "-f", "null", out} << 2 << out
                                         << "-f null";
    QTest::newRow("\"-\" without -f null") << QStringList{"-i", m_tone, "-"} << 2 << "-"
                                           << "-f null";
}

void TestCoder::errors()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, named);
    QFETCH(QString, reason);

    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    const Run run = runCoder(args);
    QVERIFY(!run.crashed);
    QCOMPARE(run.exitCode, exitCode);
    const QStringList lines = run.errorLines().filter(QRegularExpression("^coder: "));
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith("coder: " + named + ": "), qPrintable(lines.first()));
    QVERIFY2(lines.first().size() > QString("coder: " + named + ": ").size(),
             qPrintable(lines.first()));
    QVERIFY2(lines.first().contains(reason), qPrintable(lines.first()));
    // Nothing written, nothing left behind.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), before);
}

void TestCoder::existingTargetSurvivesErrors()
{
    const QString target = path("precious.mp3");
    QFile file(target);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("the old ringtone");
    file.close();
    // Without -y; then with -y but an input that fails halfway through opening.
    QCOMPARE(runCoder({"-i", m_tone, target}).exitCode, 1);
    QCOMPARE(runCoder({"-i", path("letter.mp3"), "-y", target}).exitCode, 1);
    QCOMPARE(runCoder({"-i", m_tone, "-ss", "20", "-y", target}).exitCode, 1);
    QCOMPARE(contents(target), QByteArray("the old ringtone"));
    QVERIFY(strayTemporaries(m_dir.path()).isEmpty());
    // And a good job replaces it.
    QCOMPARE(runCoder({"-i", m_tone, "-t", "1", "-y", target}).exitCode, 0);
    QCOMPARE(probeMedia(target).codec, QString("mp3"));
}

void TestCoder::workingFileMustFitTheDisk()
{
    // With 1.5 MB free: the whole 12 s of CD-rate stereo need 2.1 MB, a stretch of 5 s 0.9 MB.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("KESMARIN_CODER_FREE_BYTES", "1500000");
    const QString target = path("fits.wav");
    Run run = runCoder({"-i", m_tone, "-y", target}, {}, 60000, environment);
    QCOMPARE(run.errorLines().last(),
             "coder: " + target + ": needs about 2.1 MB but only 1.5 MB are free on its disk");
    QVERIFY(!QFileInfo::exists(target) && strayTemporaries(m_dir.path()).isEmpty());
    run = runCoder({"-i", m_tone, "-ss", "2", "-t", "5", "-y", target}, {}, 60000, environment);
    QVERIFY2(run.exitCode == 0 && QFile::remove(target), qPrintable(run.errors));
}

void TestCoder::fullDiskFailsTheJob_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("wav") << "wav" << wavOptions;
    QTest::newRow("mp3") << "mp3" << mp3Options;
    QTest::newRow("amr") << "amr" << amrOptions;
    // Written in place: a half file goes, rather than pass for the whole.
    QTest::newRow("growing wav") << "wav" << QStringList{"-y", "-vn", "-growing"};
}

void TestCoder::fullDiskFailsTheJob()
{
    QFETCH(QString, extension);
    QFETCH(QStringList, options);

    // A file-size limit on the child stands in for a full disk: writes
    // beyond 8 KB fail.
    const QString target = path("full." + extension);
    const QByteArray old = "the old file";
    QFile file(target);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(old);
    file.close();

    QProcess process;
    process.setChildProcessModifier([] {
        const rlimit limit = {8192, 8192};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start(coderPath, QStringList{"-i", m_steps} + options + QStringList{target});
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(60000));
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(errors.contains("coder: " + target + ": "), qPrintable(errors.right(300)));
    if (options.contains("-growing"))
        QVERIFY(!QFileInfo::exists(target));
    else
        QCOMPARE(contents(target), old);
    QVERIFY(strayTemporaries(m_dir.path()).isEmpty());
}

void TestCoder::stoppedJobLeavesTargetUntouched_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGKILL") << int(SIGKILL);
}

void TestCoder::stoppedJobLeavesTargetUntouched()
{
    QFETCH(int, signal);

    // A long input (40 minutes of 8 kHz mono), so the job is surely midway.
    const QString longInput = path("long.wav");
    if (!QFileInfo::exists(longInput))
        QVERIFY(writeToneWav(longInput, 8000, 1, 40 * 60.0, [](double) { return 500.0; }));
    const QString folder = path("kill");
    QDir().mkpath(folder);
    const QString target = folder + "/ring.mp3";
    const QByteArray old = "an old ringtone, to be kept byte for byte";
    QFile file(target);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(old);
    file.close();

    QProcess process;
    process.start(coderPath, QStringList{"-i", longInput} + mp3Options + QStringList{target});
    process.closeWriteChannel();
    QVERIFY(process.waitForStarted());
    QByteArray seen;
    while (!seen.contains("time=") && process.state() == QProcess::Running) {
        process.waitForReadyRead(5000);
        seen += process.readAllStandardError();
    }
    QVERIFY2(process.state() == QProcess::Running, "the job ended before it could be stopped");
    QVERIFY(!strayTemporaries(folder).isEmpty()); // it is writing beside the target
    ::kill(pid_t(process.processId()), signal);
    QVERIFY(process.waitForFinished(10000));

    QCOMPARE(contents(target), old);
    if (signal == SIGKILL) {
        // Nothing can clean up after SIGKILL; the target is still safe.
        for (const QString &stray : strayTemporaries(folder))
            QFile::remove(folder + "/" + stray);
    } else {
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 128 + signal);
        QVERIFY(strayTemporaries(folder).isEmpty());
        const QString rest = QString::fromUtf8(seen + process.readAllStandardError());
        QVERIFY2(rest.contains("coder: " + target + ": "), qPrintable(rest.right(200)));
    }
}

void TestCoder::unusualPaths_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks") << "my  ring tone";
    QTest::newRow("quotes") << "it's \"the\" one";
    QTest::newRow("dollar") << "$HOME and $(ls) `x`";
    QTest::newRow("non-ASCII") << "Bösendorfer 铃声 ♪";
    QTest::newRow("leading dash") << "-y";
    QTest::newRow("colon") << "file:ring";
    QTest::newRow("semicolon and ampersand") << "a;b&c|d";
    QTest::newRow("name near the length limit") << QString(240, QChar('n'));
}

void TestCoder::unusualPaths()
{
    QFETCH(QString, name);

    // Relative names from the folder itself, so a leading '-' really leads.
    const QString folder = path("names");
    QDir().mkpath(folder);
    const QString source = name + ".wav";
    QFile::remove(folder + "/" + source);
    QVERIFY(QFile::copy(m_tone, folder + "/" + source));

    const QString decoded = name + " decoded.wav";
    Run run = runCoder({"-i", source, "-y", "-vn", "--", decoded}, folder);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    QVERIFY(QFileInfo::exists(folder + "/" + decoded));

    const QString target = name + ".mp3";
    run = runCoder(QStringList{"-i", decoded, "-ss", "1", "-t", "2"} + mp3Options +
                       QStringList{"--", target},
                   folder);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    const MediaInfo info = probeMedia(folder + "/" + target);
    QCOMPARE(info.codec, QString("mp3"));
    QVERIFY(std::abs(info.seconds() - 2.0) < 0.03);
    QVERIFY(strayTemporaries(folder).isEmpty());
}

void TestCoder::damagedInputIsSkipped()
{
    const QString good = makeByCoder("whole.mp3", mp3Options);
    QVERIFY(!good.isEmpty());
    QByteArray data = contents(good);
    // Scribble over a stretch in the middle, frame headers and all.
    for (int i = data.size() / 2; i < data.size() / 2 + 3000; ++i)
        data[i] = char((i * 7919) & 0xff);
    const QString damaged = path("damaged.mp3");
    QFile file(damaged);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
    file.close();

    const QString workFile = path("damaged.wav");
    const Run run = runCoder({"-i", damaged, "-y", workFile});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    const MediaInfo info = probeMedia(workFile);
    // Most of the 12 s survive, the tone with them.
    QVERIFY2(info.seconds() > 10.0 && info.seconds() < 12.1,
             qPrintable(QString::number(info.seconds())));
    QVERIFY(std::abs(info.frequency(8.0, 2.0) - 440.0) < 5.0);
}

void TestCoder::threadsGiveTheOneThreadBytes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("encode"); // ffmpeg options after the source
    QTest::addColumn<int>("threaded");       // 1: must decode on threads, 0: on one, -1: either

    // A stereo mix with noise in it, so every coding tool has work.
    const QStringList lame = {"-c:a", "libmp3lame"};
    QTest::newRow("mp3 cbr") << "cbr.mp3" << lame + QStringList{"-b:a", "128k"} << 1;
    QTest::newRow("mp3 vbr") << "vbr.mp3" << lame + QStringList{"-q:a", "4"} << 1;
    // At 32 kbit/s the bit reservoir reaches back over many frames.
    QTest::newRow("mp3 low rate mono")
        << "low.mp3" << lame + QStringList{"-b:a", "32k", "-ac", "1", "-ar", "22050"} << 1;
    QTest::newRow("vorbis") << "v.ogg" << QStringList{"-c:a", "libvorbis"} << 1;
    QTest::newRow("vorbis, short blocks at a low quality")
        << "vlow.ogg" << QStringList{"-c:a", "libvorbis", "-q:a", "0"} << 1;
    QTest::newRow("flac") << "f.flac" << QStringList{"-c:a", "flac"} << 1;
    QTest::newRow("pcm 16-bit") << "s16.wav" << QStringList{"-c:a", "pcm_s16le"} << 1;
    QTest::newRow("pcm 24-bit") << "s24.wav" << QStringList{"-c:a", "pcm_s24le"} << 1;
    QTest::newRow("mp3 in avi") << "a.avi" << lame + QStringList{"-b:a", "128k"} << 1;
    QTest::newRow("aac in mp4") << "a.m4a" << QStringList{"-c:a", "aac"} << 0;
    QTest::newRow("opus") << "o.opus" << QStringList{"-c:a", "libopus"} << 0;
    QTest::newRow("wma") << "w.wma" << QStringList{"-c:a", "wmav2"} << 0;
    QTest::newRow("mp2 in mpg") << "a.mpg" << QStringList{"-c:a", "mp2"} << 0;
    QTest::newRow("wma in wmv") << "a.wmv" << QStringList{"-c:a", "wmav2"} << 0;
    // Scribbled over in the middle, frame headers and all.
    QTest::newRow("mp3 with a damaged middle") << "damaged.mp3" << lame << -1;
    QTest::newRow("flac, threads that cannot start")
        << "nothreads.flac" << QStringList{"-c:a", "flac"} << 0;
    // The 64-bit header counts the samples the muxer saw.
    QTest::newRow("flac to an RF64 working file") << "rf64.flac" << QStringList{"-c:a", "flac"} << 1;
}

void TestCoder::threadsGiveTheOneThreadBytes()
{
    QFETCH(QString, name);
    QFETCH(QStringList, encode);
    QFETCH(int, threaded);

    const QString ffmpeg = QStringLiteral("/usr/bin/ffmpeg");
    if (!QFileInfo(ffmpeg).isExecutable())
        QSKIP("/usr/bin/ffmpeg is needed to make the sources");
    const QString folder = path("threads");
    QDir().mkpath(folder);
    const QString source = folder + "/" + name;
    QStringList args = {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                        "aevalsrc=0.3*sin(2*PI*440*t)+0.2*sin(2*PI*554*t+sin(3*t))+0.1*random(0)"
                        ":s=44100:c=stereo:d=20"};
    if (name.endsWith(".avi") || name.endsWith(".mpg") || name.endsWith(".wmv"))
        args << "-f" << "lavfi" << "-i" << "testsrc=size=64x48:rate=25:duration=20" << "-shortest";
    QProcess make;
    make.start(ffmpeg, args + encode + QStringList{source});
    make.closeWriteChannel();
    QVERIFY(make.waitForFinished(120000));
    QCOMPARE(make.exitCode(), 0);
    if (name.startsWith("damaged")) {
        QFile file(source);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray data = file.readAll();
        for (int i = data.size() / 2; i < data.size() / 2 + 3000; ++i)
            data[i] = char((i * 7919) & 0xff);
        file.seek(0);
        file.write(data);
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (name.startsWith("rf64"))
        environment.insert("KESMARIN_CODER_RF64", "always");
    const QString single = folder + "/one.wav";
    const Run one =
        runCoder({"-i", source, "-y", "-vn", "-threads", "1", single}, {}, 60000, environment);
    QVERIFY2(one.exitCode == 0, qPrintable(one.errors));
    QVERIFY(!one.errors.contains("decoding on"));
    const QByteArray expected = contents(single);
    QVERIFY(expected.size() > 100000);
    // Written while it is read: the same bytes, a growing prefix reported.
    const Run growing = runCoder({"-i", source, "-y", "-vn", "-threads", "1", "-growing", single},
                                 {}, 60000, environment);
    QVERIFY2(growing.exitCode == 0 && contents(single) == expected, qPrintable(growing.errors));
    const QString prefix = checkMap(growing.errors, expected.size(), true, false);
    QVERIFY2(prefix.isEmpty(), qPrintable(prefix + "\n" + growing.errors));
    const QRegularExpression time("time=([0-9]+\\.[0-9]+) ");
    QString end;
    for (auto it = time.globalMatch(one.errors); it.hasNext();)
        end = it.next().captured(1);

    // Runs as short as a fifth of a second put boundaries on every kind of
    // packet the stream has; two threads put one in the middle.
    environment.insert("KESMARIN_CODER_MIN_RUN_SECONDS", "0.2");
    std::function<void()> inChild;
    if (name.startsWith("nothreads")) {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("AddressSanitizer cannot run within a limit on the address space");
#endif
        // Thread stacks of 4 GB in 6 GB of address space: the first run's
        // thread starts, the next cannot.
        inChild = [] {
            const rlimit stack = {4ull << 30, RLIM_INFINITY}, space = {6ull << 30, 6ull << 30};
            setrlimit(RLIMIT_STACK, &stack);
            setrlimit(RLIMIT_AS, &space);
        };
    }
    for (const QString threads : {"2", "16"}) {
        const QString many = folder + "/many.wav";
        const Run run = runCoder({"-i", source, "-y", "-vn", "-threads", threads, "-growing", many},
                                 {}, 60000, environment, inChild);
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QVERIFY2(contents(many) == expected, qPrintable(threads + " threads\n" + run.errors));
        const bool onThreads = run.errors.contains(QRegularExpression("decoding on [0-9]+ threads")) &&
                               !run.errors.contains("decoding on one thread");
        if (threaded >= 0)
            QVERIFY2(onThreads == bool(threaded), qPrintable(run.errors));
        const bool fellBack = run.errors.contains(QRegularExpression("decoding on [0-9]+ threads")) &&
                              run.errors.contains("decoding on one thread");
        const QString map = checkMap(run.errors, expected.size(), !onThreads && !fellBack, fellBack);
        QVERIFY2(map.isEmpty(), qPrintable(map + "\n" + run.errors));

        // The position only grows, also when a decode begins again on one
        // thread, and ends where one thread's ends.
        QString last;
        for (auto it = time.globalMatch(run.errors); it.hasNext();) {
            const QString value = it.next().captured(1);
            QVERIFY2(last.isEmpty() || value.toDouble() >= last.toDouble(), qPrintable(run.errors));
            last = value;
        }
        QCOMPARE(last, end);
    }
}

QTEST_GUILESS_MAIN(TestCoder)
#include "tst_coder.moc"
