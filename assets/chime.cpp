#include "chime.h"

#include <QtEndian>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace Chime {

namespace {

struct Partial {
    double ratio;     // of the stroke's pitch
    double amplitude;
    double decay;     // per second
};

// A bell's partials sit above a plain harmonic series; these few keep it soft.
constexpr std::array kPartials{
    Partial{1.0, 1.0, 4.2},
    Partial{2.0, 0.36, 6.5},
    Partial{2.76, 0.18, 9.0},
    Partial{5.4, 0.05, 14.0},
};

struct Stroke {
    double start; // seconds
    double pitch; // Hz
    double gain;
};

// A rising fourth, G5 then C6.
constexpr std::array kStrokes{
    Stroke{0.0, 783.99, 0.55},
    Stroke{0.16, 1046.50, 0.6},
};

void appendLe32(QByteArray &b, quint32 v)
{
    char raw[4];
    qToLittleEndian(v, raw);
    b.append(raw, 4);
}

void appendLe16(QByteArray &b, quint16 v)
{
    char raw[2];
    qToLittleEndian(v, raw);
    b.append(raw, 2);
}

} // namespace

QByteArray wav()
{
    const int frames = int(kSeconds * kSampleRate);
    std::vector<double> mix(frames, 0.0);
    for (const Stroke &s : kStrokes) {
        for (int i = int(s.start * kSampleRate); i < frames; ++i) {
            const double t = double(i) / kSampleRate - s.start;
            const double attack = std::min(1.0, t / 0.004); // no click at the onset
            double v = 0;
            for (const Partial &p : kPartials)
                v += p.amplitude * std::exp(-p.decay * t) *
                     std::sin(2 * std::numbers::pi * s.pitch * p.ratio * t);
            mix[i] += s.gain * attack * v;
        }
    }
    double peak = 0;
    for (double v : mix)
        peak = std::max(peak, std::abs(v));
    const double scale = peak > 0 ? 0.5 / peak : 0; // -6 dBFS: pleasant, not loud
    const int fadeFrames = kSampleRate / 20;         // a gentle end instead of a cut

    QByteArray data;
    data.reserve(frames * 2);
    for (int i = 0; i < frames; ++i) {
        double v = mix[i] * scale;
        if (const int left = frames - 1 - i; left < fadeFrames)
            v *= double(left) / fadeFrames;
        appendLe16(data, quint16(qint16(std::lround(v * 32767))));
    }

    QByteArray out;
    out.append("RIFF");
    appendLe32(out, 36 + data.size());
    out.append("WAVEfmt ");
    appendLe32(out, 16);
    appendLe16(out, 1); // PCM
    appendLe16(out, 1); // mono
    appendLe32(out, kSampleRate);
    appendLe32(out, kSampleRate * 2);
    appendLe16(out, 2);
    appendLe16(out, 16);
    out.append("data");
    appendLe32(out, data.size());
    out.append(data);
    return out;
}

} // namespace Chime
