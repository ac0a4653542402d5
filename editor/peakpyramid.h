#pragma once

#include "peakextractor.h"

#include <QDateTime>
#include <QList>
#include <QString>
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

    // Reads the whole file. False (and empty) when it cannot be read.
    bool build(const QString &wavPath);
    // Builds unless it already holds this very file (same path, size and time).
    bool ensure(const QString &wavPath);
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
    // Kept open for the views finer than level 0.
    std::unique_ptr<PeakExtractor> m_raw;
};
