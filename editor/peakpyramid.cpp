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
    shapeLevels(m_frames);
    m_levels[0] = std::move(base);
    mergeUp(0, qint64(m_levels[0].size()));
    m_path = wavPath;
    m_size = size;
    m_modified = modified;
    return true;
}

void PeakPyramid::shapeLevels(qint64 frames)
{
    m_levels.clear();
    resizeLevels(frames);
}

void PeakPyramid::resizeLevels(qint64 frames)
{
    qint64 bins = std::max<qint64>(1, (frames + BaseFrames - 1) / BaseFrames);
    qint64 binFrames = BaseFrames;
    size_t level = 0;
    for (;; ++level) {
        if (level == m_levels.size())
            m_levels.emplace_back();
        // Room for the whole expected length at once, its pages untouched
        // until runs are filled: hours of levels filled up front would hold
        // the window.
        const qint64 room = m_reserveFrames / binFrames + 1;
        if (qint64(m_levels[level].capacity()) < room)
            m_levels[level].reserve(size_t(room));
        m_levels[level].resize(size_t(bins), Peak{1.0f, -1.0f});
        if (bins <= 1)
            break;
        bins = (bins + Fan - 1) / Fan;
        binFrames *= Fan;
    }
    m_levels.resize(level + 1);
}

void PeakPyramid::mergeUp(qint64 first, qint64 end)
{
    for (size_t level = 1; level < m_levels.size() && end > first; ++level) {
        const std::vector<Peak> &below = m_levels[level - 1];
        std::vector<Peak> &above = m_levels[level];
        first /= Fan;
        end = std::min<qint64>((end + Fan - 1) / Fan, qint64(above.size()));
        for (qint64 i = first; i < end; ++i) {
            Peak peak{1.0f, -1.0f};
            for (size_t j = size_t(i * Fan); j < std::min(below.size(), size_t((i + 1) * Fan)); ++j) {
                peak.min = std::min(peak.min, below[j].min);
                peak.max = std::max(peak.max, below[j].max);
            }
            above[size_t(i)] = peak;
        }
    }
}

bool PeakPyramid::beginGrowing(const QString &wavPath, qint64 expectedFrames)
{
    clear();
    PeakExtractor reader(wavPath);
    if (!reader.open())
        return false;
    m_path = wavPath;
    m_sampleRate = reader.sampleRate();
    m_frames = std::max<qint64>(0, expectedFrames);
    // The levels grow with the pieces, in room made for the whole.
    m_reserveFrames = m_frames;
    shapeLevels(0);
    m_growing = true;
    return true;
}

PeakPyramid::Piece PeakPyramid::readPiece(const QString &wavPath, qint64 first, qint64 end,
                                          const std::atomic_bool *stop)
{
    PeakExtractor reader(wavPath);
    return {first, end, reader.scanStretch(first, end, BaseFrames, stop)};
}

void PeakPyramid::addPiece(const Piece &piece)
{
    if (!m_growing || piece.bins.empty())
        return;
    // Past the length the decode expected: the levels make room.
    if (piece.end > qint64(m_levels[0].size()) * BaseFrames)
        resizeLevels(piece.end);
    std::vector<Peak> &base = m_levels[0];
    const qint64 firstBin = piece.first / BaseFrames;
    const qint64 end = std::min<qint64>(firstBin + qint64(piece.bins.size()), qint64(base.size()));
    for (qint64 b = firstBin; b < end; ++b) {
        Peak &peak = base[size_t(b)];
        peak.min = std::min(peak.min, piece.bins[size_t(b - firstBin)].min);
        peak.max = std::max(peak.max, piece.bins[size_t(b - firstBin)].max);
    }
    mergeUp(firstBin, end);
    m_read.add(piece.first, piece.end);
}

PeakPyramid::Levels PeakPyramid::emptyLevels(qint64 frames)
{
    PeakPyramid shape;
    shape.resizeLevels(frames);
    return std::move(shape.m_levels);
}

void PeakPyramid::adoptLevels(Levels levels)
{
    if (!m_growing || levels.empty() || levels[0].size() < m_levels[0].size())
        return;
    const qint64 used = qint64(m_levels[0].size());
    std::copy(m_levels[0].begin(), m_levels[0].end(), levels[0].begin());
    m_levels = std::move(levels);
    mergeUp(0, used);
}

void PeakPyramid::withdraw()
{
    shapeLevels(0);
    m_read.withdraw();
}

void PeakPyramid::finishGrowing(qint64 frames)
{
    if (!m_growing)
        return;
    // A length that differs from the expected one: runs past either end
    // hold nothing, so only the runs about the new end are merged again
    // (hours of levels rebuilt would hold the window).
    const qint64 had = qint64(m_levels[0].size());
    m_frames = frames;
    resizeLevels(frames);
    const qint64 bins = qint64(m_levels[0].size());
    mergeUp(std::max<qint64>(0, std::min(had, bins) - 1), bins);
    m_growing = false;
    m_reserveFrames = 0;
    m_read.complete(frames);
    const QFileInfo info(m_path);
    m_size = info.size();
    m_modified = info.lastModified();
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
    m_growing = false;
    m_reserveFrames = 0;
    m_read.reset();
}

QList<Peak> PeakPyramid::peaks(qint64 first, qint64 count, int columns)
{
    QList<Peak> out;
    if (isEmpty() || columns <= 0 || count <= 0)
        return out;
    const qint64 perColumn = count / columns;
    if (perColumn < BaseFrames && !m_growing) {
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
