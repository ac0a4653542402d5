#include "beattracker.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace BeatTracker {

std::vector<float> normalisedOnsets(const std::vector<float> &onset, double rate)
{
    const std::size_t n = onset.size();
    std::vector<float> out(n, 0.0f);
    if (n == 0)
        return out;
    // A running mean over about a second, taken away: what is left is the
    // events, not the loudness of the passage.
    const std::size_t half = std::max<std::size_t>(1, static_cast<std::size_t>(rate / 2));
    std::vector<double> prefix(n + 1, 0.0);
    for (std::size_t i = 0; i < n; ++i)
        prefix[i + 1] = prefix[i] + onset[i];
    double sumSquares = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t a = i > half ? i - half : 0;
        const std::size_t b = std::min(n, i + half + 1);
        const double mean = (prefix[b] - prefix[a]) / double(b - a);
        out[i] = static_cast<float>(std::max(0.0, onset[i] - mean));
        sumSquares += double(out[i]) * out[i];
    }
    const double deviation = std::sqrt(sumSquares / n);
    if (deviation > 0.0) {
        for (float &value : out)
            value = static_cast<float>(value / deviation);
    }
    return out;
}

namespace {

// Autocorrelation for lags 0..maxLag.
std::vector<double> autocorrelation(const std::vector<float> &x, std::size_t maxLag)
{
    std::vector<double> r(maxLag + 1, 0.0);
    const std::size_t n = x.size();
    for (std::size_t lag = 0; lag <= maxLag && lag < n; ++lag) {
        double sum = 0.0;
        const float *a = x.data();
        const float *b = x.data() + lag;
        const std::size_t count = n - lag;
        for (std::size_t i = 0; i < count; ++i)
            sum += a[i] * b[i];
        r[lag] = sum / double(count);
    }
    return r;
}

double interpolated(const std::vector<double> &r, double lag)
{
    const auto i = static_cast<std::size_t>(lag);
    if (i + 1 >= r.size())
        return 0.0;
    const double f = lag - double(i);
    return r[i] * (1.0 - f) + r[i + 1] * f;
}

} // namespace

double tempo(const std::vector<float> &onset, double rate)
{
    const std::vector<float> x = normalisedOnsets(onset, rate);
    // Periodicity within four seconds: enough multiples of the slowest beat
    // for a fine estimate, and cheap on files of hours.
    const double window = 4.0 * rate;
    const auto maxLag = static_cast<std::size_t>(window) + 2;
    const std::vector<double> r = autocorrelation(x, maxLag);
    const double shortest = 60.0 * rate / FastestBpm;
    const double longest = 60.0 * rate / SlowestBpm;
    double bestScore = -1.0;
    double bestLag = 60.0 * rate / 120.0;
    for (double lag = shortest; lag <= longest; lag += 0.02) {
        // The mean of the comb over every multiple in the window, times the
        // square root of how many there are: a train of clicks scores best
        // at its own period, above both its half and its double.
        double sum = 0.0;
        int count = 0;
        for (double at = lag; at <= window; at += lag, ++count)
            sum += interpolated(r, at);
        if (count == 0)
            continue;
        // A gentle preference for moderate tempi settles near-ties.
        const double octaves = std::log2(lag / (60.0 * rate / 120.0));
        const double prior = std::exp(-0.5 * octaves * octaves / (1.5 * 1.5));
        const double score = sum / count * std::sqrt(double(count)) * prior;
        if (score > bestScore) {
            bestScore = score;
            bestLag = lag;
        }
    }
    return 60.0 * rate / bestLag;
}

std::vector<double> beats(const std::vector<float> &onset, double rate, double bpm,
                          double onsetOffset)
{
    const std::vector<float> x = normalisedOnsets(onset, rate);
    const std::size_t n = x.size();
    std::vector<double> out;
    if (n == 0 || bpm <= 0.0)
        return out;
    const double period = 60.0 * rate / bpm;
    const auto shortest = std::max<long>(1, std::lround(period / 2));
    const auto longest = std::max<long>(shortest + 1, std::lround(period * 2));
    // How much a gap off the period costs, against onset strengths of unit
    // deviation.
    constexpr double Tightness = 6.0;
    std::vector<double> penalty(longest + 1, 0.0);
    for (long gap = shortest; gap <= longest; ++gap) {
        const double off = std::log(gap / period);
        penalty[gap] = Tightness * off * off;
    }
    std::vector<double> score(n);
    std::vector<long> previous(n, -1);
    for (std::size_t t = 0; t < n; ++t) {
        double best = 0.0;
        long from = -1;
        for (long gap = shortest; gap <= longest && gap <= long(t); ++gap) {
            const double value = score[t - gap] - penalty[gap];
            if (from < 0 || value > best) {
                best = value;
                from = long(t) - gap;
            }
        }
        score[t] = x[t] + (from >= 0 ? std::max(0.0, best) : 0.0);
        previous[t] = from >= 0 && best > 0.0 ? from : -1;
    }
    // The chain ends at the best score within the last period.
    std::size_t end = n - 1;
    const std::size_t tail = std::min<std::size_t>(n, static_cast<std::size_t>(period) + 1);
    for (std::size_t t = n - tail; t < n; ++t) {
        if (score[t] > score[end])
            end = t;
    }
    for (long t = long(end); t >= 0; t = previous[t])
        out.push_back(onsetOffset + double(t) / rate);
    std::reverse(out.begin(), out.end());
    // A chain broken by a long silence restarts; fill its gaps on the grid so
    // every stretch of the file has beats to cut on.
    std::vector<double> filled;
    const double step = 60.0 / bpm;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i > 0) {
            for (double t = filled.back() + step; t < out[i] - step / 2; t += step)
                filled.push_back(t);
        }
        filled.push_back(out[i]);
    }
    if (filled.empty())
        filled.push_back(onsetOffset);
    for (double t = filled.front() - step; t > 0.0; t -= step)
        filled.insert(filled.begin(), t);
    const double last = onsetOffset + double(n) / rate;
    for (double t = filled.back() + step; t < last; t += step)
        filled.push_back(t);
    return filled;
}

} // namespace BeatTracker
