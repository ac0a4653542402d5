// Usage: kes_benchbestpart [SONGS (60)] [--long] [--verbose] [--sections] [--write DIR]
// Synthesised pop songs of known structure: the share whose suggestion starts
// within 3 s of a chorus start (or lies at least 75 % inside choruses), for
// the chooser and for two baselines (the first 30 s, the loudest 30 s); the
// analysis time per song on a 44.1 kHz stereo working file; a sensible
// stretch for speech and ambient sound; with --long, a 90-minute file.

#include "../../tests/analysis/songsynth.h"
#include "bestpart.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

bool isHit(const SongSynth::Song &song, double begin, double end)
{
    for (double start : song.chorusStarts) {
        if (std::abs(begin - start) <= 3.0)
            return true;
    }
    double inside = 0.0;
    for (std::size_t i = 0; i < song.chorusStarts.size(); ++i)
        inside += std::max(0.0, std::min(end, song.chorusEnds[i]) -
                                    std::max(begin, song.chorusStarts[i]));
    return end > begin && inside >= 0.75 * (end - begin);
}

double loudestStart(const std::vector<float> &samples, int rate, double length)
{
    const auto window = static_cast<std::size_t>(length * rate);
    if (samples.size() <= window)
        return 0.0;
    double energy = 0.0;
    for (std::size_t i = 0; i < window; ++i)
        energy += double(samples[i]) * samples[i];
    double best = energy;
    std::size_t bestAt = 0;
    for (std::size_t i = window; i < samples.size(); ++i) {
        energy += double(samples[i]) * samples[i] - double(samples[i - window]) * samples[i - window];
        if (energy > best && (i - window + 1) % rate == 0) {
            best = energy;
            bestAt = i - window + 1;
        }
    }
    return double(bestAt) / rate;
}

// The working file the coder makes: 44.1 kHz stereo.
std::vector<float> toWorkingRate(const std::vector<float> &samples, int rate)
{
    const int factor = 44100 / rate;
    std::vector<float> out(samples.size() * factor);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = samples[i / factor];
    return out;
}

bool showSections = false;
double foundBpm = 0.0; // of the last analysis

double timedAnalysis(const QString &path, std::vector<Suggestion> &found, qint64 wantedMs = 30000)
{
    QElapsedTimer timer;
    timer.start();
    const auto song = BestPart::analyseFile(path);
    if (song)
        found = BestPart::suggestions(*song, wantedMs);
    const double seconds = timer.nsecsElapsed() / 1e9;
    foundBpm = song ? song->bpm : 0.0;
    if (song && showSections) {
        std::printf("    %.1f bpm; first %.3f; sections:", song->bpm, found.empty() ? 0.0 : found[0].fitness);
        for (const Section &section : song->sections)
            std::printf(" %.1f[%.0fdB]", song->unitStart[section.first], section.levelDb);
        std::printf("\n    repeats:");
        for (const Repetition::Repeat &r : song->repeats)
            std::printf(" %.1f>%.1f(%.1fs)", song->unitStart[r.first], song->unitStart[r.copy],
                        song->unitStart[r.first + r.length] - song->unitStart[r.first]);
        std::printf("\n");
    }
    return seconds;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int count = args.size() > 1 && args[1].toInt() > 0 ? args[1].toInt() : 60;
    const bool verbose = args.contains(QStringLiteral("--verbose"));
    showSections = args.contains(QStringLiteral("--sections"));
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("song.wav"));
    // --write DIR: only writes the songs (44.1 kHz stereo) for other benchmarks.
    const qsizetype writeAt = args.indexOf(QStringLiteral("--write"));
    if (writeAt > 0 && writeAt + 1 < args.size()) {
        for (int i = 0; i < count; ++i) {
            const SongSynth::Song song = SongSynth::popSong(std::uint32_t(i + 1));
            SongSynth::writeWav(QStringLiteral("%1/song%2.wav").arg(args[writeAt + 1]).arg(i + 1),
                                toWorkingRate(song.samples, song.sampleRate), 44100, 2);
        }
        return 0;
    }

    int hits = 0, firstHits = 0, loudHits = 0;
    double totalTime = 0.0, worstTime = 0.0, totalSeconds = 0.0;
    for (int i = 0; i < count; ++i) {
        const SongSynth::Song song = SongSynth::popSong(std::uint32_t(i + 1));
        SongSynth::writeWav(wav, toWorkingRate(song.samples, song.sampleRate), 44100, 2);
        std::vector<Suggestion> found;
        const double time = timedAnalysis(wav, found);
        const double seconds = double(song.samples.size()) / song.sampleRate;
        totalTime += time;
        worstTime = std::max(worstTime, time);
        totalSeconds += seconds;
        const double begin = found.empty() ? -1 : found[0].beginMs / 1000.0;
        const double end = found.empty() ? -1 : found[0].endMs / 1000.0;
        const bool hit = !found.empty() && isHit(song, begin, end);
        const bool first = isHit(song, 0.0, std::min(30.0, seconds));
        const double loud = loudestStart(song.samples, song.sampleRate, 30.0);
        const bool loudHit = isHit(song, loud, loud + 30.0);
        hits += hit;
        firstHits += first;
        loudHits += loudHit;
        if (verbose || !hit) {
            std::printf("song %2d  %5.1f s  %3.0f bpm (found %3.0f)  suggestion %6.1f-%6.1f %s  "
                        "choruses", i + 1, seconds, song.bpm, foundBpm, begin, end,
                        hit ? "hit " : "MISS");
            for (double start : song.chorusStarts)
                std::printf(" %.1f", start);
            std::printf("  (%.3f s)\n", time);
            if (showSections)
                for (std::size_t k = 1; k < std::min<std::size_t>(found.size(), 5); ++k)
                    std::printf("      next %6.1f fitness %.3f\n", found[k].beginMs / 1000.0, found[k].fitness);
        }
    }
    std::printf("\npop-like songs: %d\n", count);
    std::printf("  chooser       %3d/%d hits (%.0f %%), %.3f s per song (worst %.3f s), "
                "mean length %.0f s\n",
                hits, count, 100.0 * hits / count, totalTime / count, worstTime,
                totalSeconds / count);
    std::printf("  first 30 s    %3d/%d hits (%.0f %%)\n", firstHits, count,
                100.0 * firstHits / count);
    std::printf("  loudest 30 s  %3d/%d hits (%.0f %%)\n", loudHits, count,
                100.0 * loudHits / count);

    std::printf("\nno repeats:\n");
    for (int kind = 0; kind < 2; ++kind) {
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            const double seconds = 40.0 + 50.0 * seed;
            const auto samples = kind == 0 ? SongSynth::speechLike(seconds, seed, 22050)
                                           : SongSynth::ambient(seconds, seed, 22050);
            SongSynth::writeWav(wav, samples, 22050);
            std::vector<Suggestion> found;
            const double time = timedAnalysis(wav, found);
            if (found.empty()) {
                std::printf("  %s %u: no suggestion\n", kind == 0 ? "speech " : "ambient", seed);
                continue;
            }
            const Suggestion &s = found[0];
            const bool sensible = s.beginMs >= 0 && s.endMs <= qint64(seconds * 1000) + 1 &&
                                  s.endMs - s.beginMs >= 5000;
            std::printf("  %s %u (%3.0f s): %6.1f-%6.1f %s, %s (%.3f s)\n",
                        kind == 0 ? "speech " : "ambient", seed, seconds, s.beginMs / 1000.0,
                        s.endMs / 1000.0, s.repeated ? "repeated" : "most eventful",
                        sensible ? "sensible" : "NOT SENSIBLE", time);
        }
    }

    if (args.contains(QStringLiteral("--long"))) {
        // Ninety minutes of songs one after another, written in pieces.
        const QString longWav = dir.filePath(QStringLiteral("long.wav"));
        std::vector<float> all;
        std::uint32_t seed = 100;
        while (all.size() < std::size_t(90 * 60 * 22050)) {
            const auto song = SongSynth::popSong(seed++);
            all.insert(all.end(), song.samples.begin(), song.samples.end());
        }
        all.resize(std::size_t(90 * 60 * 22050));
        SongSynth::writeWav(longWav, toWorkingRate(all, 22050), 44100, 2);
        std::vector<float>().swap(all);
        std::vector<Suggestion> found;
        const double time = timedAnalysis(longWav, found);
        long peakKb = 0;
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmHWM:", 0) == 0)
                peakKb = std::stol(line.substr(6));
        }
        std::printf("\n90-minute file (44.1 kHz stereo): %.2f s, %zu suggestions, "
                    "peak memory of the whole benchmark %ld MB\n",
                    time, found.size(), peakKb / 1024);
    }
    return 0;
}
