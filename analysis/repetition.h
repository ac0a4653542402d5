#pragma once

#include "audiofeatures.h"

#include <vector>

// Repetition in a sequence of analysis units (beats, or groups of beats in
// long files): a self-similarity matrix of their chroma, the novelty along
// its diagonal where one section gives way to the next, and the diagonal
// stripes where a passage comes back.
namespace Repetition {

// Unit chroma scaled to length 1 (silence stays zero).
std::vector<Chroma> normalised(const std::vector<Chroma> &units);

// The cosine similarity of every pair of units. The caller keeps the number
// of units bounded (a few thousand at most): the matrix is held whole.
class SelfSimilarity
{
public:
    explicit SelfSimilarity(const std::vector<Chroma> &normalisedUnits);
    int size() const { return m_size; }
    float at(int i, int j) const { return m_values[std::size_t(i) * m_size + j]; }
    // The mean of at(i + k, j + k) for k in [0, length), cut at the end.
    float along(int i, int j, int length) const;
    // Mean and deviation of the pairs at least minLag apart.
    void background(int minLag, double &mean, double &deviation) const;

private:
    int m_size;
    std::vector<float> m_values;
};

// How strongly a new section starts at each unit: a checkerboard kernel of
// halfWidth units slid along the diagonal, plus the change of level.
std::vector<float> novelty(const SelfSimilarity &matrix, const std::vector<float> &levelDb,
                           int halfWidth);

// How strongly a new section starts at each unit, judged by what repeats
// rather than by what sounds: each unit's passage of `window` units is
// compared with the passages at every lag, and a section starts where the
// lags at which the music comes back change (a chorus keeps its lags to the
// other choruses, a verse has its own). Chords shared between sections do
// not blur it. Each unit's chroma may reach `reach` units ahead (summed
// over a bar); the passages are centred to make up for it.
std::vector<float> structureNovelty(const SelfSimilarity &matrix, int window, int halfWidth,
                                    int reach);

// Section starts among the allowed units (bar lines): peaks of the novelty
// at least minGap units apart. Always holds 0; never holds the end.
std::vector<int> boundaries(const std::vector<float> &novelty, const std::vector<int> &allowed,
                            int minGap);

// A passage [first, first + length) that comes back at copy (copy > first).
struct Repeat {
    int first = 0;
    int copy = 0;
    int length = 0;
    float strength = 0.0f; // mean similarity along the stripe
};

// Diagonal stripes at least minLength units long whose mean similarity over
// a window of minLength stands out from the matrix's background.
std::vector<Repeat> findRepeats(const SelfSimilarity &matrix, int minLength);

// How alike two passages of length units are, allowing the second to be
// transposed (a last chorus a step up is still the chorus).
double passageSimilarity(const std::vector<Chroma> &normalisedUnits, int a, int b, int length);

} // namespace Repetition
