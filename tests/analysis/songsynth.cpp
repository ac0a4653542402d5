#include "songsynth.h"

#include "../editor/sound/wavwriter.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <random>

namespace SongSynth {

namespace {

constexpr double Pi = std::numbers::pi;

double midiHz(double midi)
{
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

// A note of a few harmonics with a short attack and an exponential decay.
void addNote(std::vector<float> &out, int rate, double at, double seconds, double midi,
             double gain, int harmonics, double decay)
{
    const auto first = static_cast<std::size_t>(at * rate);
    const auto count = static_cast<std::size_t>(seconds * rate);
    const double hz = midiHz(midi);
    for (std::size_t i = 0; i < count && first + i < out.size(); ++i) {
        const double t = double(i) / rate;
        const double envelope = std::min(1.0, t / 0.01) * std::exp(-t * decay) *
                                std::min(1.0, (seconds - t) / 0.02);
        double value = 0.0;
        for (int h = 1; h <= harmonics; ++h)
            value += std::sin(2 * Pi * hz * h * t) / h;
        out[first + i] += static_cast<float>(gain * envelope * value);
    }
}

void addKick(std::vector<float> &out, int rate, double at, double gain)
{
    const auto first = static_cast<std::size_t>(at * rate);
    double phase = 0.0;
    for (std::size_t i = 0; i < std::size_t(0.25 * rate) && first + i < out.size(); ++i) {
        const double t = double(i) / rate;
        phase += 2 * Pi * (50.0 + 100.0 * std::exp(-t * 30)) / rate;
        out[first + i] += static_cast<float>(gain * std::sin(phase) * std::exp(-t * 12));
    }
}

void addNoise(std::vector<float> &out, int rate, double at, double seconds, double gain,
              double decay, bool bright, std::mt19937 &random)
{
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    const auto first = static_cast<std::size_t>(at * rate);
    double last = 0.0;
    for (std::size_t i = 0; i < std::size_t(seconds * rate) && first + i < out.size(); ++i) {
        const double t = double(i) / rate;
        const double value = noise(random);
        const double shaped = bright ? value - last : value;
        last = value;
        out[first + i] += static_cast<float>(gain * shaped * std::exp(-t * decay));
    }
}

// Chord roots as scale degrees (0 = I) of common progressions.
const int Progressions[][4] = {
    {0, 4, 5, 3}, {5, 3, 0, 4}, {1, 4, 0, 5}, {0, 3, 4, 3},
    {3, 4, 2, 5}, {0, 5, 3, 4}, {3, 0, 4, 5}, {5, 4, 3, 4},
};
const int Major[] = {0, 2, 4, 5, 7, 9, 11};

struct Voice {
    int progression;
    std::vector<int> melody; // scale steps per eighth note over 4 bars; -1 rest
    int drums;               // 0 none, 1 hats, 2 kick+snare, 3 full
    double level;
    int harmonics;
};

} // namespace

Song make(const std::vector<SectionPlan> &plan, double bpm, std::uint32_t seed, int sampleRate)
{
    std::mt19937 random(seed);
    const double beat = 60.0 / bpm;
    int totalBars = 0;
    for (const SectionPlan &section : plan)
        totalBars += section.bars;
    Song song;
    song.sampleRate = sampleRate;
    song.bpm = bpm;
    song.samples.assign(std::size_t((totalBars * 4 * beat + 1.0) * sampleRate), 0.0f);
    const int key = 48 + int(random() % 12) - 6;

    // Each kind of section gets its own chords and tune, kept for its repeats.
    std::map<char, Voice> voices;
    std::vector<int> used;
    for (char kind : std::string("IVPCBSO")) {
        Voice voice;
        do {
            voice.progression = int(random() % std::size(Progressions));
        } while (std::find(used.begin(), used.end(), voice.progression) != used.end() &&
                 used.size() < std::size(Progressions));
        used.push_back(voice.progression);
        for (int i = 0; i < 32; ++i)
            voice.melody.push_back(random() % 5 == 0 ? -1 : int(random() % 10));
        voice.drums = kind == 'I' || kind == 'O' ? 0 : kind == 'V' ? 2 : kind == 'P' ? 1 : 3;
        voice.level = kind == 'C' ? 1.0 : kind == 'S' ? 0.9 : kind == 'I' || kind == 'O' ? 0.45 : 0.7;
        voice.harmonics = kind == 'S' ? 6 : 3;
        voices[kind] = voice;
    }
    // How much louder the chorus is than the verse varies as it does on
    // records: in some songs not at all, and some verses are as busy as the
    // chorus. Drawn apart, so the tunes stay.
    std::mt19937 mix(seed ^ 0x9e3779b9u);
    std::uniform_real_distribution<double> share(0.0, 1.0);
    const double verseLevel = 0.6 + 0.5 * share(mix);
    voices['V'].level = verseLevel;
    voices['P'].level = std::min(1.0, verseLevel * 1.05);
    if (share(mix) < 0.3)
        voices['V'].drums = 3;
    // The outro plays the intro again, quietly: a repeat that is no chorus.
    voices['O'].progression = voices['I'].progression;

    double at = 0.0;
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (const SectionPlan &section : plan) {
        const Voice &voice = voices[section.kind];
        if (section.kind == 'C') {
            song.chorusStarts.push_back(at);
            song.chorusEnds.push_back(at + section.bars * 4 * beat);
        }
        for (int bar = 0; bar < section.bars; ++bar) {
            const double barStart = at + bar * 4 * beat;
            const int degree = Progressions[voice.progression][bar % 4];
            const int root = key + section.transpose + Major[degree];
            // Triad from the scale, bass an octave down.
            for (int step : {0, 2, 4}) {
                const int note = key + section.transpose + Major[(degree + step) % 7] +
                                 ((degree + step) >= 7 ? 12 : 0) + 12;
                addNote(song.samples, sampleRate, barStart, 4 * beat, note,
                        0.06 * voice.level, voice.harmonics, 0.4);
            }
            for (int b = 0; b < 4; b += 2)
                addNote(song.samples, sampleRate, barStart + b * beat, 2 * beat, root - 12,
                        0.12 * voice.level, 2, 1.5);
            // Melody in eighths; a repeat changes a few notes.
            for (int e = 0; e < 8; ++e) {
                int step = voice.melody[(bar % 4) * 8 + e];
                if (unit(random) < 0.1)
                    step = int(random() % 10);
                if (step < 0 || section.kind == 'I' || section.kind == 'O')
                    continue;
                const int note = key + section.transpose + 24 + Major[step % 7] + (step / 7) * 12;
                addNote(song.samples, sampleRate, barStart + e * beat / 2, beat / 2, note,
                        0.08 * voice.level, voice.harmonics + 1, 3.0);
            }
            for (int b = 0; b < 4; ++b) {
                const double t = barStart + b * beat;
                if (voice.drums >= 1)
                    addNoise(song.samples, sampleRate, t + beat / 2, 0.05, 0.05 * voice.level, 60,
                             true, random);
                if (voice.drums >= 2) {
                    if (b % 2 == 0)
                        addKick(song.samples, sampleRate, t, 0.5 * voice.level);
                    else
                        addNoise(song.samples, sampleRate, t, 0.15, 0.25 * voice.level, 20, false,
                                 random);
                }
                if (voice.drums >= 3) {
                    addNoise(song.samples, sampleRate, t, 0.05, 0.05 * voice.level, 60, true,
                             random);
                    if (b == 3 && unit(random) < 0.5)
                        addKick(song.samples, sampleRate, t + beat / 2, 0.4 * voice.level);
                }
            }
        }
        at += section.bars * 4 * beat;
    }
    float peak = 1e-6f;
    for (float value : song.samples)
        peak = std::max(peak, std::abs(value));
    for (float &value : song.samples)
        value = value / peak * 0.9f;
    return song;
}

Song popSong(std::uint32_t seed, int sampleRate)
{
    std::mt19937 random(seed * 7919u + 13u);
    const int chorusBars = random() % 3 == 0 ? 16 : 8;
    const int verseBars = random() % 2 == 0 ? 16 : 8;
    const bool keyChange = random() % 4 == 0;
    std::vector<SectionPlan> plan;
    switch (random() % 5) {
    case 0:
        plan = {{'I', 4}, {'V', verseBars}, {'C', chorusBars}, {'V', verseBars},
                {'C', chorusBars}, {'B', 8}, {'C', chorusBars}, {'O', 4}};
        break;
    case 1:
        plan = {{'I', 4}, {'V', verseBars}, {'P', 4}, {'C', chorusBars}, {'V', verseBars},
                {'P', 4}, {'C', chorusBars}, {'S', 8}, {'C', chorusBars}, {'O', 4}};
        break;
    case 2:
        plan = {{'V', verseBars}, {'C', chorusBars}, {'V', verseBars}, {'C', chorusBars},
                {'C', chorusBars}};
        break;
    case 3:
        plan = {{'I', 8}, {'C', chorusBars}, {'V', verseBars}, {'C', chorusBars},
                {'V', verseBars}, {'C', chorusBars}, {'O', 4}};
        break;
    default:
        plan = {{'I', 4}, {'V', verseBars}, {'C', chorusBars}, {'V', verseBars},
                {'C', chorusBars}, {'S', 8}, {'B', 4}, {'C', chorusBars}, {'C', chorusBars}};
        break;
    }
    if (keyChange) {
        for (auto it = plan.rbegin(); it != plan.rend(); ++it) {
            if (it->kind == 'C') {
                it->transpose = 2;
                break;
            }
        }
    }
    // The first forty keep the tempi they were made with; later ones reach
    // from ballads to fast dance tempi.
    const double bpm = seed <= 40 ? 80.0 + double(random() % 61) : 70.0 + double(random() % 111);
    return make(plan, bpm, seed, sampleRate);
}

std::vector<float> clickTrack(double bpm, double seconds, int sampleRate)
{
    std::vector<float> out(std::size_t(seconds * sampleRate), 0.0f);
    for (double t = 0.1; t < seconds; t += 60.0 / bpm) {
        const auto first = static_cast<std::size_t>(t * sampleRate);
        for (std::size_t i = 0; i < std::size_t(0.02 * sampleRate) && first + i < out.size(); ++i)
            out[first + i] = static_cast<float>(0.8 * std::sin(2 * Pi * 1000.0 * i / sampleRate) *
                                                std::exp(-double(i) / sampleRate * 200));
    }
    return out;
}

std::vector<float> ambient(double seconds, std::uint32_t seed, int sampleRate)
{
    std::mt19937 random(seed);
    std::vector<float> out(std::size_t(seconds * sampleRate), 0.0f);
    std::normal_distribution<double> noise(0.0, 0.02);
    double drift = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / sampleRate;
        drift += 0.00001 * std::sin(t * 0.05 + seed);
        const double value = 0.2 * std::sin(2 * Pi * (110.0 + 5 * std::sin(t * 0.03)) * t) +
                             0.1 * std::sin(2 * Pi * (165.0 + drift) * t) *
                                 (0.5 + 0.5 * std::sin(t * 0.21)) +
                             noise(random);
        out[i] = static_cast<float>(value);
    }
    return out;
}

std::vector<float> speechLike(double seconds, std::uint32_t seed, int sampleRate)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<float> out(std::size_t(seconds * sampleRate), 0.0f);
    double t = 0.3;
    while (t < seconds) {
        // A phrase of syllables, then a pause.
        const int syllables = 3 + int(random() % 8);
        for (int s = 0; s < syllables && t < seconds; ++s) {
            const double length = 0.12 + 0.2 * unit(random);
            const double pitch = 45 + 6 * unit(random);
            addNote(out, sampleRate, t, length, pitch, 0.15, 12, 4.0);
            addNoise(out, sampleRate, t, 0.04, 0.05, 40, true, random);
            t += length + 0.05 * unit(random);
        }
        t += 0.3 + 0.8 * unit(random);
    }
    return out;
}

bool writeWav(const QString &path, const std::vector<float> &samples, int sampleRate, int channels)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    WavSpec spec;
    spec.channels = channels;
    spec.rate = sampleRate;
    const quint32 dataBytes = quint32(samples.size() * 2 * channels);
    file.write("RIFF" + le32(36 + dataBytes) + "WAVE" + fmtChunk(spec) + "data" + le32(dataBytes));
    // Written in blocks: a benchmark's file of hours never sits in memory.
    constexpr std::size_t Chunk = 65536;
    std::vector<qint16> block;
    for (std::size_t i = 0; i < samples.size(); i += Chunk) {
        const std::size_t count = std::min(Chunk, samples.size() - i);
        block.resize(count * channels);
        for (std::size_t k = 0; k < count; ++k) {
            const auto value = qToLittleEndian(static_cast<qint16>(
                std::lround(std::clamp(samples[i + k], -1.0f, 1.0f) * 32767.0f)));
            std::fill_n(block.begin() + long(k * channels), channels, value);
        }
        const auto bytes = qint64(block.size() * 2);
        if (file.write(reinterpret_cast<const char *>(block.data()), bytes) != bytes)
            return false;
    }
    return true;
}

} // namespace SongSynth
