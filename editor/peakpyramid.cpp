#include "peakpyramid.h"

#include <QFileInfo>
#include <algorithm>

bool PeakPyramid::build(const QString &wavPath, const std::atomic_bool *stop)
{
    clear();
    // Taken before the read: a file rewritten meanwhile no longer matches.
    const QFileInfo info(wavPath);
    const qint64 size = info.size();
    const QDateTime modified = info.lastModified();
    PeakExtractor reader(wavPath);
    if (!reader.open())
        return false;
    std::vector<Peak> base = reader.scanBins(BaseFrames, stop);
    if (base.empty())
        return false;
    m_frames = reader.frames();
    m_sampleRate = reader.sampleRate();
    m_levels.push_back(std::move(base));
    while (m_levels.back().size() > 1) {
        const std::vector<Peak> &below = m_levels.back();
        std::vector<Peak> above((below.size() + Fan - 1) / Fan);
        for (size_t i = 0; i < above.size(); ++i) {
            Peak peak = below[i * Fan];
            for (size_t j = i * Fan + 1; j < std::min(below.size(), (i + 1) * Fan); ++j) {
                peak.min = std::min(peak.min, below[j].min);
                peak.max = std::max(peak.max, below[j].max);
            }
            above[i] = peak;
        }
        m_levels.push_back(std::move(above));
    }
    m_path = wavPath;
    m_size = size;
    m_modified = modified;
    return true;
}

bool PeakPyramid::isCurrent(const QString &wavPath) const
{
    const QFileInfo info(wavPath);
    return !isEmpty() && wavPath == m_path && info.size() == m_size &&
           info.lastModified() == m_modified;
}

bool PeakPyramid::ensure(const QString &wavPath)
{
    return isCurrent(wavPath) || build(wavPath);
}

void PeakPyramid::clear()
{
    m_levels.clear();
    m_raw.reset();
    m_path.clear();
    m_size = -1;
    m_frames = 0;
    m_sampleRate = 0;
}

QList<Peak> PeakPyramid::peaks(qint64 first, qint64 count, int columns)
{
    QList<Peak> out;
    if (isEmpty() || columns <= 0 || count <= 0)
        return out;
    const qint64 perColumn = count / columns;
    if (perColumn < BaseFrames) {
        // Finer than level 0: these few frames are read as they are.
        if (!m_raw) {
            m_raw = std::make_unique<PeakExtractor>(m_path);
            if (!m_raw->open()) {
                m_raw.reset();
                return out;
            }
        }
        return m_raw->extract(columns, first, count);
    }
    int level = 0;
    qint64 binFrames = BaseFrames;
    while (level + 1 < levels() && binFrames * Fan <= perColumn) {
        binFrames *= Fan;
        ++level;
    }
    const std::vector<Peak> &bins = m_levels[size_t(level)];
    const qint64 binCount = qint64(bins.size());
    out.resize(columns);
    for (int c = 0; c < columns; ++c) {
        const qint64 from = first + count * c / columns;
        const qint64 to = first + count * (c + 1) / columns;
        const qint64 b0 = std::clamp<qint64>(from / binFrames, 0, binCount);
        const qint64 b1 = std::clamp<qint64>((to + binFrames - 1) / binFrames, 0, binCount);
        if (b1 <= b0)
            continue;
        Peak peak = bins[size_t(b0)];
        for (qint64 b = b0 + 1; b < b1; ++b) {
            peak.min = std::min(peak.min, bins[size_t(b)].min);
            peak.max = std::max(peak.max, bins[size_t(b)].max);
        }
        out[c] = peak;
    }
    return out;
}

QList<Peak> PeakPyramid::peaksMs(qint64 startMs, qint64 spanMs, int columns)
{
    return peaks(startMs * m_sampleRate / 1000, spanMs * m_sampleRate / 1000, columns);
}
