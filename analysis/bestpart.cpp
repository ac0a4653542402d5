#include "bestpart.h"

#include "beattracker.h"
#include "repetition.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace BestPart {

namespace {

// Below this a stretch counts as silence, whatever the rest of the song does.
constexpr double SilenceDb = -60.0;
// A section this far under the song's level is a pause, not a candidate.
constexpr double QuietBelowSongDb = 20.0;
constexpr int BeatsPerBar = 4;

double powerMeanDb(double powerSum, int count)
{
    return count > 0 ? 10.0 * std::log10(powerSum / count + 1e-12) : SilenceDb * 2;
}

// Units from beats, merged `merge` at a time, with their chroma and level.
void buildUnits(const Features &features, SongAnalysis &song, int merge)
{
    song.unitStart.clear();
    for (std::size_t i = 0; i < song.beats.size(); i += merge)
        song.unitStart.push_back(song.beats[i]);
    if (song.unitStart.empty() || song.unitStart.front() > 0.0)
        song.unitStart.insert(song.unitStart.begin(), 0.0);
    song.unitStart.push_back(std::max(song.unitStart.back() + 1e-3, features.seconds));
    const std::size_t units = song.unitStart.size() - 1;
    song.unitChroma.assign(units, Chroma{});
    std::vector<double> power(units, 0.0);
    std::vector<int> counts(units, 0);
    std::size_t unit = 0;
    for (std::size_t k = 0; k < features.chroma.size(); ++k) {
        const double t = features.chromaTime(k);
        while (unit + 1 < units && song.unitStart[unit + 1] <= t)
            ++unit;
        for (int c = 0; c < 12; ++c)
            song.unitChroma[unit][c] += features.chroma[k][c];
        power[unit] += std::pow(10.0, features.levelDb[k] / 10.0);
        ++counts[unit];
    }
    song.unitLevelDb.assign(units, static_cast<float>(SilenceDb * 2));
    for (std::size_t u = 0; u < units; ++u) {
        if (counts[u] == 0 && !features.chroma.empty()) {
            // A beat shorter than a frame takes the frame nearest its middle.
            const double middle = (song.unitStart[u] + song.unitStart[u + 1]) / 2;
            const auto k = std::min<std::size_t>(
                features.chroma.size() - 1,
                static_cast<std::size_t>(std::max(0.0, middle * features.chromaRate - 1.0)));
            song.unitChroma[u] = features.chroma[k];
            power[u] = std::pow(10.0, features.levelDb[k] / 10.0);
            counts[u] = 1;
        }
        song.unitLevelDb[u] = static_cast<float>(powerMeanDb(power[u], counts[u]));
    }
}

// The beat of the bar that starts bars: where the harmony changes most.
int downbeatPhase(const std::vector<Chroma> &units, const std::vector<float> &levelDb)
{
    double best = -1.0;
    int phase = 0;
    for (int p = 0; p < BeatsPerBar; ++p) {
        double sum = 0.0;
        int count = 0;
        for (std::size_t i = std::max(1, p); i < units.size(); i += BeatsPerBar, ++count) {
            float dot = 0.0f;
            for (int c = 0; c < 12; ++c)
                dot += units[i - 1][c] * units[i][c];
            sum += 1.0 - dot + std::max(0.0f, levelDb[i] - levelDb[i - 1]) / 12.0;
        }
        if (count > 0 && sum / count > best) {
            best = sum / count;
            phase = p;
        }
    }
    return phase;
}

// The slowest tempo a halved beat may give.
constexpr double MinimumBarBpm = 60.0;

// The phase (0 to 7) of the units where the harmony changes when it changes
// every eighth unit and not every fourth; -1 when it does not.
int eighthBeatChanges(const std::vector<Chroma> &units)
{
    double change[8] = {};
    int counts[8] = {};
    for (std::size_t i = 1; i < units.size(); ++i) {
        float dot = 0.0f;
        for (int c = 0; c < 12; ++c)
            dot += units[i - 1][c] * units[i][c];
        change[i % 8] += 1.0 - dot;
        ++counts[i % 8];
    }
    for (int p = 0; p < 8; ++p)
        change[p] /= std::max(1, counts[p]);
    const int peak = int(std::max_element(change, change + 8) - change);
    std::vector<double> sorted(change, change + 8);
    std::sort(sorted.begin(), sorted.end());
    const double floor = (sorted[3] + sorted[4]) / 2;
    const double halfway = change[(peak + 4) % 8] - floor;
    return change[peak] - floor > 4.0 * std::max(0.0, halfway) ? peak : -1;
}

Suggestion stretchFrom(const SongAnalysis &song, double begin, qint64 wantedMs, qint64 capMs)
{
    const double wanted = wantedMs / 1000.0;
    const double limit = std::min(song.seconds, begin + capMs / 1000.0);
    double end = beatAtOrBefore(begin + wanted, limit, song.beats);
    if (end - begin < std::min(wanted, limit - begin) / 2)
        end = limit; // no beat to end on (or too few): the wanted length
    Suggestion out;
    out.beginMs = std::llround(begin * 1000.0);
    out.endMs = std::llround(std::min(end, song.seconds) * 1000.0);
    return out;
}

Suggestion mostEventful(const SongAnalysis &song, qint64 wantedMs, qint64 capMs)
{
    const double length = std::min(wantedMs / 1000.0, song.seconds);
    const double guard = std::min(8.0, song.seconds / 10.0);
    const double firstAllowed = song.seconds - guard >= length ? guard : 0.0;
    // Prefix sums of onset strength and of loud-enough time.
    const std::size_t n = song.onset.size();
    std::vector<double> events(n + 1, 0.0);
    for (std::size_t j = 0; j < n; ++j)
        events[j + 1] = events[j] + song.onset[j];
    auto eventsIn = [&](double from, double to) {
        auto index = [&](double t) {
            return std::clamp<long>(std::lround((t - song.onsetOffset) * song.onsetRate), 0,
                                    long(n));
        };
        return events[index(to)] - events[index(from)];
    };
    auto levelIn = [&](double from, double to) {
        double power = 0.0;
        int count = 0;
        for (std::size_t u = 0; u + 1 < song.unitStart.size(); ++u) {
            if (song.unitStart[u] >= from && song.unitStart[u + 1] <= to) {
                power += std::pow(10.0, song.unitLevelDb[u] / 10.0);
                ++count;
            }
        }
        return powerMeanDb(power, count);
    };
    std::vector<double> starts;
    for (double t : song.beats) {
        if (t >= firstAllowed && t + length <= song.seconds + 1e-6)
            starts.push_back(t);
    }
    for (double t = firstAllowed; t + length <= song.seconds + 1e-6; t += 0.5)
        if (song.beats.size() < 8)
            starts.push_back(t);
    if (starts.empty())
        starts.push_back(std::max(0.0, song.seconds - length));
    double best = -1e300;
    double bestStart = starts.front();
    // Steps of about a second keep the level sums cheap on long files.
    const std::size_t stride = std::max<std::size_t>(1, starts.size() / 4000);
    for (std::size_t i = 0; i < starts.size(); i += stride) {
        const double t = starts[i];
        const double level = levelIn(t, t + length);
        if (level < SilenceDb || level < song.songLevelDb - QuietBelowSongDb)
            continue;
        const double score = eventsIn(t, t + length) + level / 10.0;
        if (score > best) {
            best = score;
            bestStart = t;
        }
    }
    Suggestion out = stretchFrom(song, bestStart, std::llround(length * 1000.0), capMs);
    out.repeated = false;
    out.occurrences = 1;
    return out;
}

struct Candidate {
    double begin;
    double fitness;
    int occurrences;
};

double levelOf(const SongAnalysis &song, int first, int end)
{
    double power = 0.0;
    for (int u = first; u < end; ++u)
        power += std::pow(10.0, song.unitLevelDb[u] / 10.0);
    return powerMeanDb(power, end - first);
}

// The sections heard again, whole: consecutive sections of one label are
// one passage (a chorus split where its phrase starts over, or sung twice
// in a row). A label scores by how often its music is heard, by how loud it
// is and by being long enough to be a section rather than a riff; of its
// passages the loudest with room for the ringtone comes first, a later one
// before an earlier (the song has built up) but not the last when there
// are three or more (it fades, or is cut short).
std::vector<Candidate> sectionCandidates(const SongAnalysis &song, qint64 wantedMs, double guard,
                                         double quiet)
{
    struct Run {
        int first;
        int end;
        int label;
    };
    std::vector<Run> runs;
    for (const Section &section : song.sections) {
        if (!runs.empty() && runs.back().label == section.label && runs.back().end == section.first)
            runs.back().end = section.end;
        else
            runs.push_back({section.first, section.end, section.label});
    }
    auto secondsOf = [&](const Run &run) {
        return song.unitStart[run.end] - song.unitStart[run.first];
    };
    std::vector<int> labels;
    for (const Run &run : runs) {
        if (std::find(labels.begin(), labels.end(), run.label) == labels.end())
            labels.push_back(run.label);
    }
    std::vector<Candidate> out;
    for (int label : labels) {
        std::vector<const Run *> members;
        std::vector<double> lengths;
        double total = 0.0;
        double power = 0.0;
        int units = 0;
        for (const Run &run : runs) {
            if (run.label != label)
                continue;
            members.push_back(&run);
            lengths.push_back(secondsOf(run));
            total += lengths.back();
            for (int u = run.first; u < run.end; ++u)
                power += std::pow(10.0, song.unitLevelDb[u] / 10.0);
            units += run.end - run.first;
        }
        std::sort(lengths.begin(), lengths.end());
        const double typical = lengths[(lengths.size() - 1) / 2];
        const double heard = total / std::max(typical, 1e-3);
        const double level = powerMeanDb(power, units);
        if (heard < 1.8 || level < quiet)
            continue;
        const double fitness = heard * std::exp((level - song.songLevelDb) / 4.0) *
                               std::min(1.0, typical * 1000.0 / (0.8 * MinimumSectionMs));
        struct Member {
            double begin;
            double score;
        };
        std::vector<Member> ranked;
        for (std::size_t k = 0; k < members.size(); ++k) {
            const Run &run = *members[k];
            const double begin = snapToGrid(song.unitStart[run.first], song.beats, song.bars);
            if (begin < guard || song.seconds - begin < 5.0)
                continue;
            const double room = std::min(1.0, (song.seconds - begin) * 1000.0 / wantedMs);
            const bool last = k + 1 == members.size() && members.size() >= 3;
            ranked.push_back({begin, levelOf(song, run.first, run.end) - 6.0 * (1.0 - room) +
                                         0.3 * double(k) - (last ? 1.0 : 0.0)});
        }
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const Member &a, const Member &b) { return a.score > b.score; });
        double share = 1.0;
        for (const Member &member : ranked) {
            out.push_back({member.begin, fitness * share, int(std::lround(heard))});
            share *= 0.5;
        }
    }
    return out;
}

} // namespace

SongAnalysis analyse(const Features &features)
{
    SongAnalysis song;
    song.seconds = features.seconds;
    song.onsetRate = features.onsetRate;
    song.onsetOffset = features.onsetTime(0);
    song.onset = BeatTracker::normalisedOnsets(features.onset, features.onsetRate);
    if (features.onset.size() > 4) {
        song.bpm = BeatTracker::tempo(features.onset, features.onsetRate);
        song.beats = BeatTracker::beats(features.onset, features.onsetRate, song.bpm,
                                        song.onsetOffset);
    }
    if (song.bpm >= 2 * MinimumBarBpm && song.beats.size() >= 64) {
        // Beats tracked at twice the pulse (the eighths of a slow song) put
        // the chord changes on every eighth beat rather than every fourth:
        // then every other beat is the pulse.
        buildUnits(features, song, 1);
        const int offset = song.unitStart.front() < song.beats.front() ? 1 : 0;
        const int phase = eighthBeatChanges(Repetition::normalised(song.unitChroma));
        if (phase >= 0) {
            std::vector<double> pulse;
            for (std::size_t i = (phase + 8 - offset) % 2; i < song.beats.size(); i += 2)
                pulse.push_back(song.beats[i]);
            song.beats = std::move(pulse);
            song.bpm /= 2;
        }
    }
    const int merge = std::max<int>(1, int((song.beats.size() + MaxUnits - 1) / MaxUnits));
    buildUnits(features, song, merge);
    const std::vector<Chroma> units = Repetition::normalised(song.unitChroma);
    const int n = static_cast<int>(units.size());

    // Bar lines: every fourth beat from the phase that changes most.
    std::vector<int> barUnits;
    if (merge == 1 && !song.beats.empty()) {
        const int offset = song.unitStart.front() < song.beats.front() ? 1 : 0;
        const int phase = downbeatPhase(units, song.unitLevelDb);
        for (int u = phase; u < n; u += BeatsPerBar) {
            barUnits.push_back(u);
            if (u - offset >= 0 && std::size_t(u - offset) < song.beats.size())
                song.bars.push_back(song.beats[u - offset]);
        }
    } else {
        const int step = std::max(1, BeatsPerBar / merge);
        for (int u = 0; u < n; u += step) {
            barUnits.push_back(u);
            song.bars.push_back(song.unitStart[u]);
        }
    }

    double power = 0.0;
    int loud = 0;
    for (float level : song.unitLevelDb) {
        if (level > SilenceDb) {
            power += std::pow(10.0, level / 10.0);
            ++loud;
        }
    }
    song.songLevelDb = powerMeanDb(power, loud);
    if (n < 8)
        return song;

    // Harmony over a bar rather than a beat: the melody's passing notes and
    // the drums blur, the chords stay.
    std::vector<Chroma> bars(units.size(), Chroma{});
    const int span = std::max(1, BeatsPerBar / merge);
    for (int u = 0; u < n; ++u) {
        for (int k = u; k < std::min(n, u + span); ++k) {
            for (int c = 0; c < 12; ++c)
                bars[u][c] += units[k][c];
        }
    }
    const Repetition::SelfSimilarity matrix(Repetition::normalised(bars));
    const int width = std::max(2, 8 / merge);
    std::vector<float> novelty = Repetition::novelty(matrix, song.unitLevelDb, width);
    const std::vector<float> structure =
        Repetition::structureNovelty(matrix, std::max(2, 8 / merge), std::max(2, 16 / merge),
                                     span - 1);
    for (int u = 0; u < n; ++u)
        novelty[u] = structure[u] + 0.2f * novelty[u];
    const std::vector<int> starts =
        Repetition::boundaries(novelty, barUnits, std::max(2, 4 * BeatsPerBar / merge));
    for (std::size_t s = 0; s < starts.size(); ++s) {
        Section section;
        section.first = starts[s];
        section.end = s + 1 < starts.size() ? starts[s + 1] : n;
        double sectionPower = 0.0;
        for (int u = section.first; u < section.end; ++u)
            sectionPower += std::pow(10.0, song.unitLevelDb[u] / 10.0);
        section.levelDb = powerMeanDb(sectionPower, section.end - section.first);
        song.sections.push_back(section);
    }

    song.repeats = Repetition::findRepeats(matrix, std::max(2, 4 * BeatsPerBar / merge));
    double mean = 0.0;
    double deviation = 0.0;
    matrix.background(std::max(2, 4 * BeatsPerBar / merge), mean, deviation);
    labelSections(song.sections, Repetition::normalised(bars), mean + 0.7 * (1.0 - mean));
    return song;
}

std::optional<SongAnalysis> analyseFile(const QString &path)
{
    const std::optional<Features> features = featuresOfFile(path);
    if (!features)
        return std::nullopt;
    return analyse(*features);
}

std::vector<Suggestion> suggestions(const SongAnalysis &song, qint64 wantedMs, qint64 maxMs)
{
    const qint64 capMs = maxMs > 0 ? maxMs : std::max(wantedMs, qint64(1));
    wantedMs = std::min(wantedMs, capMs);
    const double guard = std::min(8.0, song.seconds / 10.0);
    const double quiet = std::max(SilenceDb, song.songLevelDb - QuietBelowSongDb);
    const int units = static_cast<int>(song.unitLevelDb.size());

    // How often each moment is heard elsewhere, a long and close repeat
    // counting most.
    auto seconds = [&](const Repetition::Repeat &repeat) {
        return song.unitStart[std::min(units, repeat.first + repeat.length)] -
               song.unitStart[repeat.first];
    };
    std::vector<float> heard(units, 0.0f);
    for (const Repetition::Repeat &repeat : song.repeats) {
        const float weight = float(std::min(1.0, seconds(repeat) * 1000.0 / MinimumSectionMs) *
                                   repeat.strength);
        for (int k = 0; k < repeat.length; ++k) {
            heard[repeat.first + k] += weight;
            if (repeat.copy + k < units)
                heard[repeat.copy + k] += weight;
        }
    }
    // Where a passage of a chorus's length comes back, it starts; a section
    // change near there is where it truly does.
    std::vector<int> starts;
    for (const Repetition::Repeat &repeat : song.repeats) {
        if (seconds(repeat) * 1000.0 < MinimumSectionMs * 0.8)
            continue;
        starts.push_back(repeat.first);
        starts.push_back(repeat.copy);
    }
    auto unitAt = [&](double t) {
        const auto it = std::upper_bound(song.unitStart.begin(), song.unitStart.end(), t);
        return std::clamp(int(it - song.unitStart.begin()) - 1, 0, std::max(0, units - 1));
    };
    std::vector<Candidate> candidates;
    // A passage sung twice in a row repeats itself one length later: the
    // second half is no start of its own, the run starts at the first.
    auto runStart = [&](int start) {
        for (bool moved = true; moved;) {
            moved = false;
            for (const Repetition::Repeat &repeat : song.repeats) {
                if (std::abs(repeat.copy - start) <= 1 && repeat.first < start &&
                    repeat.copy - repeat.first <= repeat.length + 1 &&
                    seconds(repeat) * 1000.0 >= MinimumSectionMs * 0.8) {
                    start = repeat.first;
                    moved = true;
                    break;
                }
            }
        }
        return start;
    };
    for (int start : starts) {
        start = runStart(start);
        double begin = song.unitStart[start];
        const double barLength = song.bars.size() >= 2
                                     ? (song.bars.back() - song.bars.front()) / (song.bars.size() - 1)
                                     : 2.0;
        for (const Section &section : song.sections) {
            if (std::abs(song.unitStart[section.first] - begin) <= barLength)
                begin = song.unitStart[section.first];
        }
        begin = snapToGrid(begin, song.beats, song.bars);
        if (begin < guard || song.seconds - begin < 5.0)
            continue;
        // Judged over the chorus's least length from its start.
        const int first = unitAt(begin);
        const int end = std::max(first + 1, unitAt(begin + MinimumSectionMs / 1000.0));
        double count = 0.0;
        double power = 0.0;
        for (int u = first; u < end; ++u) {
            count += heard[u];
            power += std::pow(10.0, song.unitLevelDb[u] / 10.0);
        }
        const double level = powerMeanDb(power, end - first);
        if (level < quiet)
            continue;
        const double room = std::min(1.0, (song.seconds - begin) * 1000.0 / wantedMs);
        const double fitness = count / (end - first) *
                               std::exp((level - song.songLevelDb) / 1.5) * std::sqrt(room);
        candidates.push_back({begin, fitness, int(std::lround(count / (end - first))) + 1});
    }
    // Those come after the whole sections heard again: a stripe of the
    // matrix starts wherever a passage recurs, a section where the music does.
    for (Candidate &candidate : candidates)
        candidate.fitness *= 1e-3;
    for (const Candidate &candidate : sectionCandidates(song, wantedMs, guard, quiet))
        candidates.push_back(candidate);
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate &a, const Candidate &b) { return a.fitness > b.fitness; });
    std::vector<Suggestion> out;
    for (const Candidate &candidate : candidates) {
        const bool near = std::any_of(out.begin(), out.end(), [&](const Suggestion &taken) {
            return std::abs(taken.beginMs / 1000.0 - candidate.begin) < 3.0;
        });
        if (near || candidate.fitness <= 0.0)
            continue;
        Suggestion suggestion = stretchFrom(song, candidate.begin, wantedMs, capMs);
        suggestion.fitness = candidate.fitness;
        suggestion.repeated = true;
        suggestion.occurrences = candidate.occurrences;
        out.push_back(suggestion);
    }
    if (out.empty() && song.seconds > 0.0)
        out.push_back(mostEventful(song, wantedMs, capMs));
    return out;
}

void labelSections(std::vector<Section> &sections, const std::vector<Chroma> &units,
                   double alike)
{
    const int count = static_cast<int>(sections.size());
    std::vector<int> parent(count);
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](int k) {
        while (parent[k] != k)
            k = parent[k] = parent[parent[k]];
        return k;
    };
    for (int a = 0; a < count; ++a) {
        for (int b = a + 1; b < count; ++b) {
            // Already of one label: comparing again cannot change it.
            if (root(a) == root(b))
                continue;
            const int length = std::min(sections[a].end - sections[a].first,
                                        sections[b].end - sections[b].first);
            if (length > 0 && Repetition::passageSimilarity(units, sections[a].first,
                                                            sections[b].first, length) >= alike)
                parent[root(b)] = root(a);
        }
    }
    for (int k = 0; k < count; ++k)
        sections[k].label = root(k);
}

double snapToGrid(double t, const std::vector<double> &beats, const std::vector<double> &bars)
{
    auto nearest = [t](const std::vector<double> &grid) {
        const auto it = std::lower_bound(grid.begin(), grid.end(), t);
        double best = it != grid.end() ? *it : grid.back();
        if (it != grid.begin() && std::abs(*(it - 1) - t) < std::abs(best - t))
            best = *(it - 1);
        return best;
    };
    if (beats.empty())
        return t;
    const double beat = nearest(beats);
    if (bars.size() >= 2) {
        const double bar = nearest(bars);
        const double barLength = (bars.back() - bars.front()) / double(bars.size() - 1);
        if (std::abs(bar - t) <= barLength / 2)
            return bar;
    }
    return beat;
}

double beatAtOrBefore(double t, double limit, const std::vector<double> &beats)
{
    const double target = std::min(t, limit);
    auto it = std::upper_bound(beats.begin(), beats.end(), limit + 1e-9);
    // Nearest to the target among the beats not after the limit.
    double best = -1.0;
    for (auto at = beats.begin(); at != it; ++at) {
        if (best < 0.0 || std::abs(*at - target) < std::abs(best - target))
            best = *at;
    }
    return best < 0.0 ? target : best;
}

} // namespace BestPart
