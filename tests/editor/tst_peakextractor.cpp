// Peaks of real WAV files written here: every sample format, the header
// forms writers produce, long files read by sampling, and files to refuse.
#include "peakextractor.h"
#include "peakpyramid.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cmath>
#include <cstring>

namespace {

struct Format
{
    quint16 tag = 1;   // 1 PCM, 3 float
    int bits = 16;
    int channels = 1;
    bool extensible = false;
};

void put16(QByteArray &b, quint16 v) { char c[2]; qToLittleEndian(v, c); b.append(c, 2); }
void put32(QByteArray &b, quint32 v) { char c[4]; qToLittleEndian(v, c); b.append(c, 4); }

QByteArray encode(const Format &f, double v)
{
    QByteArray b;
    if (f.tag == 3 && f.bits == 32) {
        float x = float(v);
        quint32 raw;
        std::memcpy(&raw, &x, 4);
        put32(b, raw);
    } else if (f.tag == 3) {
        quint64 raw;
        std::memcpy(&raw, &v, 8);
        char c[8];
        qToLittleEndian(raw, c);
        b.append(c, 8);
    } else if (f.bits == 8) {
        b.append(char(quint8(std::lround(128 + v * 127))));
    } else {
        const qint64 full = (qint64(1) << (f.bits - 1)) - 1;
        const qint64 s = std::llround(v * full);
        for (int i = 0; i < f.bits / 8; ++i)
            b.append(char((s >> (8 * i)) & 0xFF));
    }
    return b;
}

QByteArray fmtChunk(const Format &f)
{
    QByteArray b;
    const int blockAlign = f.channels * f.bits / 8;
    put16(b, f.extensible ? 0xFFFE : f.tag);
    put16(b, quint16(f.channels));
    put32(b, 8000);
    put32(b, quint32(8000 * blockAlign));
    put16(b, quint16(blockAlign));
    put16(b, quint16(f.bits));
    if (f.extensible) {
        put16(b, 22);
        put16(b, quint16(f.bits));
        put32(b, f.channels == 2 ? 3 : 4);
        put16(b, f.tag);   // the sub-format GUID begins with the plain tag
        b.append("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    return b;
}

QByteArray chunk(const char *id, const QByteArray &payload, qint64 declared = -1)
{
    QByteArray b(id, 4);
    put32(b, quint32(declared < 0 ? payload.size() : declared));
    b.append(payload);
    if (payload.size() & 1)
        b.append('\0');
    return b;
}

QByteArray wav(const QByteArray &body)
{
    QByteArray b("RIFF");
    put32(b, quint32(4 + body.size()));
    b.append("WAVE");
    b.append(body);
    return b;
}

// Frames of the given values (every channel the same but the last, which is halved).
QByteArray samples(const Format &f, const QList<double> &values)
{
    QByteArray b;
    for (double v : values)
        for (int c = 0; c < f.channels; ++c)
            b.append(encode(f, c == f.channels - 1 && f.channels > 1 ? v / 2 : v));
    return b;
}

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

} // namespace

Q_DECLARE_METATYPE(Format)

class TestPeakExtractor : public QObject
{
    Q_OBJECT
private slots:
    void formats_data();
    void formats();
    void headerForms_data();
    void headerForms();
    void longFileIsSampled();
    void moreColumnsThanFrames();
    void pyramidViews_data();
    void pyramidViews();
    void piecesEqualTheWhole_data();
    void piecesEqualTheWhole();
    void badFiles_data();
    void badFiles();

private:
    QTemporaryDir m_dir;
};

void TestPeakExtractor::formats_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<float>("tolerance");
    QTest::newRow("8-bit unsigned mono") << Format{1, 8, 1, false} << 0.02f;
    QTest::newRow("16-bit mono") << Format{1, 16, 1, false} << 0.001f;
    QTest::newRow("16-bit stereo") << Format{1, 16, 2, false} << 0.001f;
    QTest::newRow("24-bit stereo") << Format{1, 24, 2, false} << 0.0001f;
    QTest::newRow("32-bit integer mono") << Format{1, 32, 1, false} << 0.0001f;
    QTest::newRow("32-bit float stereo") << Format{3, 32, 2, false} << 0.0001f;
    QTest::newRow("64-bit float mono") << Format{3, 64, 1, false} << 0.0001f;
    QTest::newRow("extensible 16-bit stereo") << Format{1, 16, 2, true} << 0.001f;
    QTest::newRow("extensible 24-bit mono") << Format{1, 24, 1, true} << 0.0001f;
    QTest::newRow("extensible float stereo") << Format{3, 32, 2, true} << 0.0001f;
}

void TestPeakExtractor::formats()
{
    QFETCH(Format, format);
    QFETCH(float, tolerance);
    // 8 columns of 10 frames; column c peaks at +c/8 and dips to -c/16.
    QList<double> values;
    for (int c = 0; c < 8; ++c)
        for (int i = 0; i < 10; ++i)
            values.append(i == 3 ? c / 8.0 : i == 7 ? -c / 16.0 : 0.0);
    const QString path = write(m_dir, QTest::currentDataTag() + QStringLiteral(".wav"),
                               wav(chunk("fmt ", fmtChunk(format)) + chunk("data", samples(format, values))));
    PeakExtractor extractor(path);
    QVERIFY(extractor.open());
    QCOMPARE(extractor.frames(), 80);
    QCOMPARE(extractor.channels(), format.channels);
    QCOMPARE(extractor.bitsPerSample(), format.bits);
    const QList<Peak> peaks = extractor.extract(8);
    QCOMPARE(peaks.size(), 8);
    for (int c = 0; c < 8; ++c) {
        QVERIFY2(std::abs(peaks[c].max - c / 8.0f) <= tolerance, qPrintable(QString::number(c)));
        QVERIFY2(std::abs(peaks[c].min + c / 16.0f) <= tolerance, qPrintable(QString::number(c)));
    }
}

void TestPeakExtractor::headerForms_data()
{
    const Format f{1, 16, 1, false};
    const QByteArray data = samples(f, {0.5, -0.25, 0.0, 0.0});
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("frames");
    QTest::newRow("plain") << wav(chunk("fmt ", fmtChunk(f)) + chunk("data", data)) << qint64(4);
    QTest::newRow("odd-sized chunk before the data is padded")
        << wav(chunk("fmt ", fmtChunk(f)) + chunk("LIST", "abc") + chunk("data", data)) << qint64(4);
    QTest::newRow("data size 0 from a streaming writer")
        << wav(chunk("fmt ", fmtChunk(f)) + chunk("data", data, 0)) << qint64(4);
    QTest::newRow("data size 0xFFFFFFFF") << wav(chunk("fmt ", fmtChunk(f)) + chunk("data", data, 0xFFFFFFFF))
                                          << qint64(4);
    QTest::newRow("truncated data counts what is there")
        << wav(chunk("fmt ", fmtChunk(f)) + chunk("data", data + data, 16)).left(44 + 5) << qint64(2);
}

void TestPeakExtractor::headerForms()
{
    QFETCH(QByteArray, file);
    PeakExtractor extractor(write(m_dir, "header.wav", file));
    QVERIFY(extractor.open());
    QTEST(extractor.frames(), "frames");
    const QList<Peak> peaks = extractor.extract(1);
    QVERIFY(std::abs(peaks.at(0).max - 0.5f) < 0.001f);
    QVERIFY(std::abs(peaks.at(0).min + 0.25f) < 0.001f);
}

void TestPeakExtractor::longFileIsSampled()
{
    // 728 columns of 1000 frames, a full-scale square wave whose amplitude
    // grows with the column; the extractor may read only 64 frames of each.
    const Format f{1, 16, 1, false};
    QByteArray data;
    for (int c = 0; c < 728; ++c) {
        const QByteArray high = encode(f, c / 728.0), low = encode(f, -c / 728.0);
        for (int i = 0; i < 1000; ++i)
            data.append(i % 2 ? high : low);
    }
    const QString path = write(m_dir, "long.wav", wav(chunk("fmt ", fmtChunk(f)) + chunk("data", data)));
    PeakExtractor extractor(path);
    extractor.setSampling(64, 16);
    const QList<Peak> peaks = extractor.extract();
    QCOMPARE(peaks.size(), PeakExtractor::DefaultWidth);
    for (int c = 0; c < 728; c += 91) {
        QVERIFY(std::abs(peaks[c].max - c / 728.0f) < 0.001f);
        QVERIFY(std::abs(peaks[c].min + c / 728.0f) < 0.001f);
    }
    QCOMPARE(extractor.bytesRead(), qint64(728) * 64 * 2);
    // Read whole, the same file gives the same picture.
    extractor.setSampling(1000, 1000);
    const QList<Peak> whole = extractor.extract();
    QCOMPARE(extractor.bytesRead(), qint64(data.size()));
    for (int c = 0; c < 728; ++c)
        QVERIFY(std::abs(whole[c].max - peaks[c].max) < 0.001f);
}

void TestPeakExtractor::pyramidViews_data()
{
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<int>("columns");

    // 200000 frames of a saw whose height is the frame's own place in the file.
    QTest::newRow("the whole song") << 0LL << 200000LL << 728;
    QTest::newRow("a middle stretch, coarse levels") << 51234LL << 100000LL << 728;
    QTest::newRow("just level 0") << 1000LL << 256LL * 300 << 300;
    QTest::newRow("finer than level 0: read as it is") << 150001LL << 5000LL << 728;
    QTest::newRow("running past the end") << 190000LL << 20000LL << 100;
}

void TestPeakExtractor::pyramidViews()
{
    QFETCH(qint64, first);
    QFETCH(qint64, count);
    QFETCH(int, columns);

    const Format f{1, 16, 1, false};
    constexpr qint64 Frames = 200000;
    // Frame i holds +-(i / Frames): every column's true peak is known.
    QByteArray data;
    data.reserve(Frames * 2);
    auto value = [](qint64 i) { return (i % 2 ? 1.0 : -1.0) * double(i) / Frames; };
    for (qint64 i = 0; i < Frames; ++i)
        data.append(encode(f, value(i)));
    const QString path = write(m_dir, "pyramid.wav", wav(chunk("fmt ", fmtChunk(f)) + chunk("data", data)));
    PeakPyramid pyramid;
    QVERIFY(pyramid.build(path));
    QCOMPARE(pyramid.frames(), Frames);
    const QList<Peak> peaks = pyramid.peaks(first, count, columns);
    QCOMPARE(peaks.size(), columns);
    // A column's peak holds its own frames' extremes, and nothing from
    // further away than one bin of the level it came from.
    const qint64 slack = count / columns < PeakPyramid::BaseFrames ? 0 : count / columns * PeakPyramid::Fan;
    for (int c = 0; c < columns; ++c) {
        const qint64 from = first + count * c / columns;
        const qint64 to = std::min(Frames, first + count * (c + 1) / columns);
        if (to <= from)
            continue;
        const float trueMax = float(std::abs(value(to - 1)));
        const float reach = float(std::min(Frames - 1, to - 1 + slack)) / Frames;
        QVERIFY2(peaks[c].max >= trueMax - 0.0001f && peaks[c].max <= reach + 0.0001f,
                 qPrintable(QString("column %1: %2 for %3").arg(c).arg(peaks[c].max).arg(trueMax)));
        QVERIFY(peaks[c].min <= -float(std::abs(value(to - 2 >= from ? to - 2 : from))) + 0.0001f);
    }
    // Built once: asking again for the same file reads nothing more.
    QVERIFY(pyramid.ensure(path));
    QCOMPARE(pyramid.frames(), Frames);
}

void TestPeakExtractor::piecesEqualTheWhole_data()
{
    // Stretches of the file in the order a decode reports them: sizes, the
    // last one taking the rest, or the explicit list of first frames.
    QTest::addColumn<QList<qint64>>("sizes");
    QTest::addColumn<bool>("reversed");
    // The length the decode expected, in frames of the file's 70001: its
    // estimate may be off either way (a level more or less).
    QTest::addColumn<qint64>("expected");
    // Levels for the whole expected length, made aside, taken after this
    // many pieces (-1: never).
    QTest::addColumn<int>("adoptAfter");
    QTest::newRow("one piece") << QList<qint64>{} << false << 70001LL << -1;
    QTest::newRow("whole runs of the pyramid") << QList<qint64>{256 * 40, 256 * 7, 256} << false << 70001LL << -1;
    QTest::newRow("cut inside runs") << QList<qint64>{1, 255, 257, 1000, 3} << false << 70001LL << -1;
    QTest::newRow("single frames, then the rest") << QList<qint64>{1, 1, 1, 1, 1} << false << 70001LL << -1;
    QTest::newRow("out of order") << QList<qint64>{7777, 12345, 1, 40000} << true << 70001LL << -1;
    QTest::newRow("many small, backwards") << QList<qint64>(60, 999) << true << 70001LL << -1;
    QTest::newRow("expected four times longer") << QList<qint64>{30000} << false << 280000LL << -1;
    QTest::newRow("expected a fifth, out of order") << QList<qint64>{7777, 12345, 1} << true << 14000LL << -1;
    QTest::newRow("expected a run short") << QList<qint64>{69000} << false << 69888LL << -1;
    QTest::newRow("whole levels taken midway") << QList<qint64>{7777, 12345, 1, 40000} << true << 70001LL << 1;
    QTest::newRow("whole levels too small for what is held")
        << QList<qint64>{40000, 20000} << false << 14000LL << 2;
}

void TestPeakExtractor::piecesEqualTheWhole()
{
    QFETCH(QList<qint64>, sizes);
    QFETCH(bool, reversed);
    QFETCH(qint64, expected);
    QFETCH(int, adoptAfter);
    const Format f{1, 16, 2, false};
    constexpr qint64 Frames = 70001;
    QByteArray data;
    quint32 seed = 12345;
    for (qint64 i = 0; i < Frames; ++i) {
        seed = seed * 1664525u + 1013904223u;
        // Noise whose loudness swells, so every run's extremes differ.
        data.append(samples(f, {(int(seed >> 16) / 32768.0 - 1.0) * double(i % 9000) / 9000.0}));
    }
    const QString path = write(m_dir, "pieces.wav", wav(chunk("fmt ", fmtChunk(f)) + chunk("data", data)));
    PeakPyramid whole;
    QVERIFY(whole.build(path));

    QList<std::pair<qint64, qint64>> pieces;
    qint64 at = 0;
    for (qint64 size : sizes) {
        pieces.append({at, std::min(Frames, at + size)});
        at = pieces.last().second;
    }
    if (at < Frames)
        pieces.append({at, Frames});
    if (reversed)
        std::reverse(pieces.begin(), pieces.end());
    PeakPyramid grown;
    QVERIFY(grown.beginGrowing(path, expected));
    for (const auto &[first, end] : pieces) {
        PeakPyramid::Piece piece = PeakPyramid::readPiece(path, first, end);
        QVERIFY(!piece.bins.empty());
        grown.addPiece(piece);
        if (--adoptAfter == 0)
            grown.adoptLevels(PeakPyramid::emptyLevels(expected));
    }
    QVERIFY(grown.piecesRead().contains(0, Frames));
    grown.finishGrowing(Frames);
    QCOMPARE(grown.levels(), whole.levels());
    for (int level = 0; level < whole.levels(); ++level)
        QVERIFY2(grown.level(level) == whole.level(level), qPrintable(QString("level %1").arg(level)));
    QVERIFY(grown.isCurrent(path));
}

void TestPeakExtractor::moreColumnsThanFrames()
{
    const Format f{1, 16, 1, false};
    PeakExtractor extractor(write(m_dir, "tiny.wav",
                                  wav(chunk("fmt ", fmtChunk(f)) + chunk("data", samples(f, {0.5, -0.5, 0.25})))));
    const QList<Peak> peaks = extractor.extract(728);
    QCOMPARE(peaks.size(), 728);
    float highest = 0, lowest = 0;
    int silent = 0;
    for (const Peak &p : peaks) {
        highest = std::max(highest, p.max);
        lowest = std::min(lowest, p.min);
        silent += p == Peak{};
    }
    QVERIFY(std::abs(highest - 0.5f) < 0.001f);
    QVERIFY(std::abs(lowest + 0.5f) < 0.001f);
    QCOMPARE(silent, 725);
}

void TestPeakExtractor::badFiles_data()
{
    const Format pcm{1, 16, 1, false};
    const QByteArray data = chunk("data", samples(pcm, {0.5, 0.5}));
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("text") << QByteArray("this is not a sound file at all\n");
    QTest::newRow("RIFF but not WAVE") << QByteArray("RIFF\x10\0\0\0AVI LIST\0\0\0\0", 20);
    QTest::newRow("no format chunk") << wav(data);
    QTest::newRow("data before format") << wav(data + chunk("fmt ", fmtChunk(pcm)));
    QTest::newRow("no data chunk") << wav(chunk("fmt ", fmtChunk(pcm)));
    QTest::newRow("compressed (ADPCM)") << wav(chunk("fmt ", fmtChunk({2, 4, 1, false})) + data);
    QTest::newRow("12-bit samples") << wav(chunk("fmt ", fmtChunk({1, 12, 1, false})) + data);
    QTest::newRow("16-bit float") << wav(chunk("fmt ", fmtChunk({3, 16, 1, false})) + data);
    QTest::newRow("zero channels") << wav(chunk("fmt ", fmtChunk({1, 16, 0, false})) + data);
    QTest::newRow("format chunk too short") << wav(chunk("fmt ", fmtChunk(pcm).left(12)) + data);
    QTest::newRow("header cut in the format chunk") << wav(chunk("fmt ", fmtChunk(pcm))).left(30);
}

void TestPeakExtractor::badFiles()
{
    QFETCH(QByteArray, file);
    PeakExtractor extractor(write(m_dir, "bad.wav", file));
    QVERIFY(!extractor.open());
    QVERIFY(extractor.extract().isEmpty());
    // A missing file is refused the same way.
    PeakExtractor missing(m_dir.filePath("nowhere.wav"));
    QVERIFY(missing.extract().isEmpty());
}

QTEST_GUILESS_MAIN(TestPeakExtractor)
#include "tst_peakextractor.moc"
