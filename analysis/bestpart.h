#pragma once

#include "audiofeatures.h"
#include "repetition.h"

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

// A stretch proposed as a ringtone.
struct Suggestion {
    qint64 beginMs = 0;
    qint64 endMs = 0;
    double fitness = 0.0;
    // False for the fallback: nothing repeats, so the stretch is the most
    // eventful one rather than a chorus.
    bool repeated = false;
    int occurrences = 0; // how often its section is heard
};

// A section of the piece: units [first, end), between two changes.
struct Section {
    int first = 0;
    int end = 0;
    double levelDb = 0.0;
    // Sections of one label are the same music (a chorus and its repeats,
    // a step up allowed); -1 before labelling.
    int label = -1;
};

// What the chooser learns of a recording.
struct SongAnalysis {
    double seconds = 0.0;
    double bpm = 0.0;
    std::vector<double> beats;    // seconds
    std::vector<double> bars;     // the beats that start a bar
    // Analysis units: unitStart[i] to unitStart[i + 1] (one more entry than
    // units); beats, merged in groups on long files.
    std::vector<double> unitStart;
    std::vector<Chroma> unitChroma;
    std::vector<float> unitLevelDb;
    std::vector<float> onset;     // normalised onset strength
    double onsetRate = 0.0;
    double onsetOffset = 0.0;
    std::vector<Section> sections;
    // Passages heard again, in units; at least four bars long.
    std::vector<Repetition::Repeat> repeats;
    double songLevelDb = 0.0;     // of the parts that are not silent
};

namespace BestPart {

constexpr qint64 DefaultLengthMs = 30000;
constexpr qint64 MinimumSectionMs = 15000;
// The most units the self-similarity is built on; longer files merge beats.
constexpr int MaxUnits = 1600;

// Beats, bars, units and sections of a recording.
SongAnalysis analyse(const Features &features);
// The same, streamed from a WAV file; nothing when it cannot be read.
std::optional<SongAnalysis> analyseFile(const QString &path);

// Best first: the chorus (the passage heard most, loudest, over at least
// 15 s from its start) and then the next-best passages; when nothing repeats, one stretch, the most
// eventful, marked as not repeated. Each lasts about wantedMs, never more
// than maxMs, starts on a bar line or beat and ends on a beat.
std::vector<Suggestion> suggestions(const SongAnalysis &song, qint64 wantedMs = DefaultLengthMs,
                                    qint64 maxMs = 0);

// Gives alike sections one label: the harmony of their common length,
// compared at every transposition, is at least `alike` (cosine).
void labelSections(std::vector<Section> &sections, const std::vector<Chroma> &normalisedUnits,
                   double alike);

// The bar line within half a bar of t, else the nearest beat; t when there
// are no beats.
double snapToGrid(double t, const std::vector<double> &beats, const std::vector<double> &bars);
// The beat nearest t that is not after limit.
double beatAtOrBefore(double t, double limit, const std::vector<double> &beats);

} // namespace BestPart
