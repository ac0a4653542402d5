#include "beattracker.h"
#include "bestpart.h"
#include "repetition.h"
#include "songsynth.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <random>

using PitchClasses = QList<int>;
Q_DECLARE_METATYPE(SongSynth::Song)

namespace {

constexpr int Rate = 22050;

std::vector<float> tones(const QList<double> &hz, double seconds)
{
    std::vector<float> out(std::size_t(seconds * Rate));
    for (std::size_t i = 0; i < out.size(); ++i) {
        for (double f : hz)
            out[i] += float(0.3 * std::sin(2 * M_PI * f * double(i) / Rate));
    }
    return out;
}

double midiHz(int midi)
{
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

} // namespace

class TestBestPart : public QObject
{
    Q_OBJECT
private slots:
    void chromaBins_data();
    void chromaBins();
    void repeatedBlocks();
    void clickTempo_data();
    void clickTempo();
    void chooser_data();
    void chooser();
    void nothingRepeats_data();
    void nothingRepeats();
    void unreadableFile();
};

void TestBestPart::chromaBins_data()
{
    QTest::addColumn<QList<double>>("hz");
    QTest::addColumn<PitchClasses>("classes"); // the strongest, C = 0

    QTest::newRow("A4") << QList<double>{440.0} << PitchClasses{9};
    QTest::newRow("middle C") << QList<double>{midiHz(60)} << PitchClasses{0};
    QTest::newRow("low E") << QList<double>{midiHz(40)} << PitchClasses{4};
    QTest::newRow("high F sharp") << QList<double>{midiHz(90)} << PitchClasses{6};
    QTest::newRow("C major") << QList<double>{midiHz(60), midiHz(64), midiHz(67)}
                             << PitchClasses{0, 4, 7};
    QTest::newRow("A minor, spread") << QList<double>{midiHz(45), midiHz(60), midiHz(76)}
                                     << PitchClasses{0, 4, 9};
    QTest::newRow("B flat seventh")
        << QList<double>{midiHz(58), midiHz(62), midiHz(65), midiHz(68)}
        << PitchClasses{2, 5, 8, 10};
}

void TestBestPart::chromaBins()
{
    QFETCH(QList<double>, hz);
    QFETCH(PitchClasses, classes);

    const Features features = featuresOf(tones(hz, 3.0), Rate);
    const Chroma mean = meanChroma(features.chroma, 0, features.chroma.size());
    PitchClasses order{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    std::sort(order.begin(), order.end(), [&](int a, int b) { return mean[a] > mean[b]; });
    PitchClasses strongest = order.mid(0, classes.size());
    std::sort(strongest.begin(), strongest.end());
    QCOMPARE(strongest, classes);
    // Each note stands well above the loudest class that holds none.
    QVERIFY2(mean[order[classes.size()]] < 0.5f * mean[order[classes.size() - 1]],
             qPrintable(QString::number(mean[order[classes.size()]])));
}

void TestBestPart::repeatedBlocks()
{
    // Blocks of 16 units, each of its own random chroma: A B A C A B.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    std::vector<std::vector<Chroma>> blocks(3, std::vector<Chroma>(16));
    for (auto &block : blocks)
        for (Chroma &c : block)
            for (float &v : c)
                v = value(random) < 0.3f ? value(random) : 0.0f;
    const std::vector<int> order{0, 1, 0, 2, 0, 1};
    std::vector<Chroma> units;
    for (int b : order)
        for (Chroma c : blocks[b]) {
            for (float &v : c)
                v += 0.05f * value(random); // a repeat is never quite the same
            units.push_back(c);
        }
    const Repetition::SelfSimilarity matrix(Repetition::normalised(units));
    const std::vector<Repetition::Repeat> repeats = Repetition::findRepeats(matrix, 8);

    // A stripe at the lag between two hearings that covers the block, give
    // or take two units at either end.
    auto found = [&](int first, int copy, int length) {
        return std::any_of(repeats.begin(), repeats.end(), [&](const Repetition::Repeat &r) {
            return r.copy - r.first == copy - first && r.first <= first + 2 &&
                   r.first + r.length >= first + length - 2;
        });
    };
    // Every pair of hearings of a block, and A B heard twice as one stripe.
    QVERIFY(found(0, 32, 16));
    QVERIFY(found(32, 64, 16));
    QVERIFY(found(0, 64, 32));
    QVERIFY(found(16, 80, 16));
    // Nothing pairs blocks that differ: every stripe's lag joins equal blocks.
    for (const Repetition::Repeat &r : repeats) {
        const int middle = r.first + r.length / 2;
        QCOMPARE(order[middle / 16], order[(middle + r.copy - r.first) / 16]);
    }
}

void TestBestPart::clickTempo_data()
{
    QTest::addColumn<double>("bpm");
    for (double bpm : {60.0, 75.0, 90.0, 100.0, 120.0, 128.0, 140.0, 155.0, 174.0, 200.0})
        QTest::addRow("%g bpm", bpm) << bpm;
}

void TestBestPart::clickTempo()
{
    QFETCH(double, bpm);
    const Features features = featuresOf(SongSynth::clickTrack(bpm, 30.0, Rate), Rate);
    const double found = BeatTracker::tempo(features.onset, features.onsetRate);
    QVERIFY2(std::abs(found - bpm) <= 0.02 * bpm, qPrintable(QString::number(found)));
    // The beats fall on the clicks (one every 60/bpm s from 0.1 s).
    const std::vector<double> beats =
        BeatTracker::beats(features.onset, features.onsetRate, found, features.onsetTime(0));
    const double period = 60.0 / bpm;
    int onClick = 0;
    for (double t : beats) {
        const double phase = std::fmod(t - 0.1 + period, period);
        onClick += std::min(phase, period - phase) < 0.03;
    }
    QVERIFY2(onClick >= int(beats.size()) * 9 / 10, qPrintable(QString::number(onClick)));
}

void TestBestPart::chooser_data()
{
    QTest::addColumn<SongSynth::Song>("song");
    using P = SongSynth::SectionPlan;
    QTest::newRow("verse chorus, chorus doubled at the end")
        << SongSynth::make({{'V', 8}, {'C', 8}, {'V', 8}, {'C', 8}, {'C', 8}}, 100, 3);
    QTest::newRow("intro and outro alike, bridge")
        << SongSynth::make({{'I', 4}, {'V', 8}, {'C', 8}, {'V', 8}, {'C', 8}, {'B', 8},
                            {'C', 8}, {'O', 4}}, 120, 11);
    QTest::newRow("chorus first, last one a step up")
        << SongSynth::make({{'I', 4}, {'C', 8}, {'V', 8}, {'C', 8}, {'S', 8}, P{'C', 8, 2}},
                           92, 5);
}

void TestBestPart::chooser()
{
    QFETCH(SongSynth::Song, song);
    const SongAnalysis analysis = BestPart::analyse(featuresOf(song.samples, song.sampleRate));
    const std::vector<Suggestion> found = BestPart::suggestions(analysis, 30000);
    QVERIFY(!found.empty());
    const Suggestion &best = found.front();
    QVERIFY(best.repeated);
    const double begin = best.beginMs / 1000.0;
    QVERIFY2(std::any_of(song.chorusStarts.begin(), song.chorusStarts.end(),
                         [&](double start) { return std::abs(start - begin) <= 3.0; }),
             qPrintable(QString::number(begin)));
    // Cut on the grid: it starts on a beat and ends on one, about 30 s later.
    auto onBeat = [&](qint64 ms) {
        return std::any_of(analysis.beats.begin(), analysis.beats.end(),
                           [&](double t) { return std::abs(t * 1000.0 - double(ms)) <= 1.0; });
    };
    QVERIFY(onBeat(best.beginMs));
    QVERIFY(onBeat(best.endMs));
    QVERIFY(std::abs(best.endMs - best.beginMs - 30000) <= 1000);
    // A second press offers another stretch.
    QVERIFY(found.size() >= 2);
    QVERIFY(std::abs(found[1].beginMs - best.beginMs) >= 3000);
}

void TestBestPart::nothingRepeats_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("speech") << 0;
    QTest::newRow("ambient drone") << 1;
}

void TestBestPart::nothingRepeats()
{
    QFETCH(int, kind);
    const double seconds = 75.0;
    const auto samples =
        kind == 0 ? SongSynth::speechLike(seconds, 2, Rate) : SongSynth::ambient(seconds, 2, Rate);
    const std::vector<Suggestion> found =
        BestPart::suggestions(BestPart::analyse(featuresOf(samples, Rate)), 30000);
    QCOMPARE(found.size(), std::size_t(1));
    QVERIFY(!found[0].repeated);
    QVERIFY(found[0].beginMs >= 0);
    QVERIFY(found[0].endMs <= qint64(seconds * 1000));
    QVERIFY(found[0].endMs - found[0].beginMs >= 5000);
}

void TestBestPart::unreadableFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("text.wav"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a sound file at all");
    file.close();
    QVERIFY(!BestPart::analyseFile(path));
    QVERIFY(!BestPart::analyseFile(dir.filePath(QStringLiteral("missing.wav"))));
}

QTEST_GUILESS_MAIN(TestBestPart)
#include "tst_bestpart.moc"
