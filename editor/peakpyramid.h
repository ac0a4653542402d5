#pragma once

#include "peakextractor.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

// Peaks of a whole song at every zoom, read once: level 0 holds the exact
// peak of each run of BaseFrames frames, each level above one peak per Fan
// of the level below. A view takes the coarsest level still finer than its
// columns, so a step of zoom or scroll on an hour-long song costs a few
// thousand peaks, never a read; only views finer than level 0 read the file,
// and then only their own frames.
class PeakPyramid
{
public:
    static constexpr qint64 BaseFrames = 256;
    static constexpr int Fan = 4;

    // Reads the whole file. False (and empty) when it cannot be read or stop
    // was set. An hour takes a second or more: the editor builds on a worker
    // thread (PyramidBuilder).
    bool build(const QString &wavPath, const std::atomic_bool *stop = nullptr);
    // Builds unless it already holds this very file (same path, size and time).
    bool ensure(const QString &wavPath);
    // Holds this very file, as it is now.
    bool isCurrent(const QString &wavPath) const;
    void clear();
    bool isEmpty() const { return m_levels.empty(); }

    qint64 frames() const { return m_frames; }
    int sampleRate() const { return m_sampleRate; }
    int levels() const { return int(m_levels.size()); }

    // One peak per column for frames [first, first + count).
    QList<Peak> peaks(qint64 first, qint64 count, int columns);
    // The same for a stretch in milliseconds.
    QList<Peak> peaksMs(qint64 startMs, qint64 spanMs, int columns);

private:
    QString m_path;
    qint64 m_size = -1;
    QDateTime m_modified;
    qint64 m_frames = 0;
    int m_sampleRate = 0;
    std::vector<std::vector<Peak>> m_levels;
    // Opened by the first view finer than level 0, on the thread that asks.
    std::unique_ptr<PeakExtractor> m_raw;
};
