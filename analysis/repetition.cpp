#include "repetition.h"

#include <algorithm>
#include <cmath>

namespace Repetition {

std::vector<Chroma> normalised(const std::vector<Chroma> &units)
{
    std::vector<Chroma> out = units;
    for (Chroma &chroma : out) {
        double sum = 0.0;
        for (float value : chroma)
            sum += double(value) * value;
        const double length = std::sqrt(sum);
        for (float &value : chroma)
            value = length > 1e-9 ? static_cast<float>(value / length) : 0.0f;
    }
    return out;
}

namespace {

float dot(const Chroma &a, const Chroma &b, int rotation = 0)
{
    float sum = 0.0f;
    for (int c = 0; c < 12; ++c)
        sum += a[c] * b[(c + rotation) % 12];
    return sum;
}

} // namespace

SelfSimilarity::SelfSimilarity(const std::vector<Chroma> &units)
    : m_size(static_cast<int>(units.size())), m_values(std::size_t(m_size) * m_size)
{
    for (int i = 0; i < m_size; ++i) {
        for (int j = i; j < m_size; ++j) {
            const float value = dot(units[i], units[j]);
            m_values[std::size_t(i) * m_size + j] = value;
            m_values[std::size_t(j) * m_size + i] = value;
        }
    }
}

float SelfSimilarity::along(int i, int j, int length) const
{
    float sum = 0.0f;
    int count = 0;
    for (int k = 0; k < length && i + k < m_size && j + k < m_size; ++k, ++count)
        sum += at(i + k, j + k);
    return count > 0 ? sum / count : 0.0f;
}

void SelfSimilarity::background(int minLag, double &mean, double &deviation) const
{
    double sum = 0.0;
    double squares = 0.0;
    long count = 0;
    for (int i = 0; i < m_size; ++i) {
        for (int j = i + minLag; j < m_size; ++j) {
            const double value = at(i, j);
            sum += value;
            squares += value * value;
            ++count;
        }
    }
    mean = count > 0 ? sum / count : 0.0;
    deviation = count > 0 ? std::sqrt(std::max(0.0, squares / count - mean * mean)) : 0.0;
}

std::vector<float> novelty(const SelfSimilarity &matrix, const std::vector<float> &levelDb,
                           int halfWidth)
{
    const int n = matrix.size();
    std::vector<float> out(n, 0.0f);
    const double sigma = halfWidth / 2.0;
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        double weights = 0.0;
        for (int a = -halfWidth; a < halfWidth; ++a) {
            for (int b = -halfWidth; b < halfWidth; ++b) {
                const int x = i + a;
                const int y = i + b;
                if (x < 0 || y < 0 || x >= n || y >= n)
                    continue;
                // Same side of i: alike is expected; across it: alike counts against.
                const double sign = (a < 0) == (b < 0) ? 1.0 : -1.0;
                const double ca = a + 0.5;
                const double cb = b + 0.5;
                const double weight = std::exp(-(ca * ca + cb * cb) / (2 * sigma * sigma));
                sum += sign * weight * matrix.at(x, y);
                weights += weight;
            }
        }
        double level = 0.0;
        if (i >= halfWidth && i + halfWidth <= n) {
            double before = 0.0;
            double after = 0.0;
            for (int k = 0; k < halfWidth; ++k) {
                before += levelDb[i - 1 - k];
                after += levelDb[i + k];
            }
            // A drum entry or a drop of 6 dB weighs like a change of chords.
            level = std::abs(after - before) / halfWidth / 6.0 * 0.25;
        }
        out[i] = static_cast<float>(std::max(0.0, weights > 0.0 ? sum / weights * 2.0 : 0.0) +
                                    level);
    }
    return out;
}

std::vector<float> structureNovelty(const SelfSimilarity &matrix, int window, int halfWidth,
                                    int reach)
{
    // A passage that starts `shift` units early is half inside what follows.
    const int shift = std::max(0, (window + reach) / 2 - 1);
    const int n = matrix.size();
    std::vector<float> out(n, 0.0f);
    if (n < 2 * window + 2)
        return out;
    double mean = 0.0;
    double deviation = 0.0;
    matrix.background(window, mean, deviation);
    // Passages this alike count as heard again, with a soft edge.
    const double low = mean + 0.4 * (1.0 - mean);
    const double high = mean + 0.75 * (1.0 - mean);
    std::vector<double> diagonal(n + 1);
    std::vector<float> heard(n);
    std::vector<double> prefix(n + 1);
    std::vector<double> sums(n, 0.0);
    // Each lag in turn, so memory stays one row whatever the length.
    auto accumulate = [&](const std::vector<float> &series) {
        prefix[0] = 0.0;
        for (int i = 0; i < n; ++i)
            prefix[i + 1] = prefix[i] + series[i];
        for (int i = 1; i < n; ++i) {
            const int h = std::min({halfWidth, i, n - i});
            const double before = (prefix[i] - prefix[i - h]) / h;
            const double after = (prefix[i + h] - prefix[i]) / h;
            sums[i] += std::abs(after - before);
        }
    };
    std::vector<float> forward(n);
    std::vector<float> backward(n);
    for (int lag = window; lag < n; ++lag) {
        const int count = n - lag;
        diagonal[0] = 0.0;
        for (int i = 0; i < count; ++i)
            diagonal[i + 1] = diagonal[i] + matrix.at(i, i + lag);
        for (int i = 0; i < count; ++i) {
            const int end = std::min(count, i + window);
            const double value = (diagonal[end] - diagonal[i]) / (end - i);
            heard[i] = static_cast<float>(std::clamp((value - low) / (high - low), 0.0, 1.0));
        }
        // Unit i heard again lag later, and unit i + lag heard lag before.
        std::fill(forward.begin(), forward.end(), 0.0f);
        std::fill(backward.begin(), backward.end(), 0.0f);
        for (int i = 0; i + shift < count; ++i) {
            forward[i + shift] = heard[i];
            backward[i + shift + lag] = heard[i];
        }
        accumulate(forward);
        accumulate(backward);
    }
    double largest = 0.0;
    for (double value : sums)
        largest = std::max(largest, value);
    for (int i = 0; i < n; ++i)
        out[i] = largest > 0.0 ? static_cast<float>(sums[i] / largest) : 0.0f;
    return out;
}

std::vector<int> boundaries(const std::vector<float> &novelty, const std::vector<int> &allowed,
                            int minGap)
{
    std::vector<int> out{0};
    if (allowed.empty())
        return out;
    double mean = 0.0;
    for (int unit : allowed)
        mean += novelty[unit];
    mean /= allowed.size();
    // Strongest first, each claiming minGap units around itself.
    std::vector<int> order = allowed;
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return novelty[a] > novelty[b]; });
    std::vector<int> chosen;
    for (int unit : order) {
        if (novelty[unit] <= mean)
            break;
        if (unit < minGap / 2 || unit + minGap / 2 > int(novelty.size()))
            continue;
        const bool clear = std::all_of(chosen.begin(), chosen.end(), [&](int other) {
            return std::abs(other - unit) >= minGap;
        });
        if (clear)
            chosen.push_back(unit);
    }
    std::sort(chosen.begin(), chosen.end());
    for (int unit : chosen) {
        if (unit >= minGap / 2)
            out.push_back(unit);
    }
    return out;
}

std::vector<Repeat> findRepeats(const SelfSimilarity &matrix, int minLength)
{
    const int n = matrix.size();
    std::vector<Repeat> out;
    if (n < 2 * minLength)
        return out;
    double mean = 0.0;
    double deviation = 0.0;
    matrix.background(minLength, mean, deviation);
    // A piece whose every moment is alike (a drone) has no passage that
    // comes back more than any other.
    if (deviation < 0.04)
        return out;
    // A stripe stands well out of the rest of the piece, towards identity.
    const double threshold = mean + 0.8 * (1.0 - mean);
    for (int lag = minLength; lag < n; ++lag) {
        int start = -1;
        double sum = 0.0;
        int windows = 0;
        auto close = [&](int end) {
            // A window holds a few units either side of the stripe: trim
            // them, so the stripe starts where the passage does.
            while (start >= 0 && start < end && matrix.at(start, start + lag) < threshold)
                ++start;
            while (start >= 0 && end > start && matrix.at(end - 1, end - 1 + lag) < threshold)
                --end;
            if (start >= 0 && end - start >= minLength)
                out.push_back({start, start + lag, end - start, static_cast<float>(sum / windows)});
            start = -1;
            sum = 0.0;
            windows = 0;
        };
        for (int i = 0; i + lag < n; ++i) {
            // Judged over a window, so one odd unit does not break a stripe.
            const double value = matrix.along(i, i + lag, minLength);
            // Only the best-aligned lag of a stripe: its neighbours echo it.
            const bool peak = value >= matrix.along(i, i + lag - 1, minLength) &&
                              (i + lag + 1 >= n || value >= matrix.along(i, i + lag + 1, minLength));
            if (value >= threshold && peak) {
                if (start < 0)
                    start = i;
                sum += value;
                ++windows;
            } else if (start >= 0) {
                // The last window that held started one unit back.
                close(std::min(i - 1 + minLength, n - lag));
            }
        }
        close(n - lag);
    }
    return out;
}

double passageSimilarity(const std::vector<Chroma> &units, int a, int b, int length)
{
    double best = -1.0;
    const int n = static_cast<int>(units.size());
    for (int rotation = 0; rotation < 12; ++rotation) {
        double sum = 0.0;
        int count = 0;
        for (int k = 0; k < length && a + k < n && b + k < n; ++k, ++count)
            sum += dot(units[a + k], units[b + k], rotation);
        if (count == 0)
            return 0.0;
        // Transposed matches cost a little, so that the same key wins a tie.
        const double value = sum / count - (rotation == 0 ? 0.0 : 0.03);
        best = std::max(best, value);
    }
    return best;
}

} // namespace Repetition
