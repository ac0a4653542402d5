#pragma once

#include <vector>

// An onset-based beat tracker: the tempo from the periodicity of the onset
// curve, the beats by dynamic programming that trades onset strength
// against steady spacing.
namespace BeatTracker {

// Lower and upper tempo looked for, in beats per minute.
constexpr double SlowestBpm = 50.0;
constexpr double FastestBpm = 220.0;

// The onset curve with its slow drift removed, scaled to unit deviation.
std::vector<float> normalisedOnsets(const std::vector<float> &onset, double rate);
// The beat period, in beats per minute, of a curve sampled rate times a second.
double tempo(const std::vector<float> &onset, double rate);
// Beat instants in seconds; onsetOffset is the time of value 0.
std::vector<double> beats(const std::vector<float> &onset, double rate, double bpm,
                          double onsetOffset);

} // namespace BeatTracker
