#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// Songs of known structure for the chooser's checks and benchmark: each
// section kind has its own chords, melody and drums; a section heard again is
// played again with small variations.
namespace SongSynth {

struct SectionPlan {
    char kind;      // 'I'ntro, 'V'erse, 'P're-chorus, 'C'horus, 'B'ridge, 'S'olo, 'O'utro
    int bars;
    int transpose = 0; // semitones (a last chorus a step up)
};

struct Song {
    int sampleRate = 22050;
    std::vector<float> samples;       // mono
    std::vector<double> chorusStarts; // seconds
    std::vector<double> chorusEnds;
    double bpm = 0.0;
};

// A song of the given sections; seed picks chords, melodies and sounds.
Song make(const std::vector<SectionPlan> &plan, double bpm, std::uint32_t seed,
          int sampleRate = 22050);
// One of a family of pop-like forms, picked and varied by seed.
Song popSong(std::uint32_t seed, int sampleRate = 22050);
// Clicks at a steady tempo.
std::vector<float> clickTrack(double bpm, double seconds, int sampleRate);
// A slowly changing drone with noise: nothing repeats, nothing beats.
std::vector<float> ambient(double seconds, std::uint32_t seed, int sampleRate);
// Voiced syllables in phrases and pauses.
std::vector<float> speechLike(double seconds, std::uint32_t seed, int sampleRate);
// Writes 16-bit PCM WAV (mono, or stereo with both channels alike).
bool writeWav(const QString &path, const std::vector<float> &samples, int sampleRate,
              int channels = 1);

} // namespace SongSynth
