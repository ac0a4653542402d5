#pragma once

#include "decodedmap.h"
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

    // A file a decode still writes, of expectedFrames frames once written:
    // its peaks arrive in pieces, in any order and cut anywhere, each merged
    // into the runs it touches, so the pieces of a whole file give exactly
    // the pyramid build() reads from it. Views finer than level 0 show level
    // 0 enlarged until it is finished: the file is never read outside the
    // pieces. False when the header cannot be read.
    bool beginGrowing(const QString &wavPath, qint64 expectedFrames);
    struct Piece {
        qint64 first = 0;
        qint64 end = 0;
        std::vector<Peak> bins; // from run first / BaseFrames on
    };
    // Reads frames [first, end) of a file (on any thread); no bins when it
    // cannot be read or stop was set.
    static Piece readPiece(const QString &wavPath, qint64 first, qint64 end,
                           const std::atomic_bool *stop = nullptr);
    void addPiece(const Piece &piece);
    using Levels = std::vector<std::vector<Peak>>;
    // Every level sized for frames, each run holding no sample yet; made on
    // a worker, since hours of runs take tens of milliseconds to fill.
    static Levels emptyLevels(qint64 frames);
    // Takes emptyLevels() of the expected length, keeping every piece added
    // so far: later pieces, wherever they land, then fill no runs of their
    // own. Levels too small for what is held are dropped.
    void adoptLevels(Levels levels);
    // Everything read is dropped: the decode starts again.
    void withdraw();
    // The decode has ended with frames frames, all of them added: from now
    // on the pyramid is that of the file as it is.
    void finishGrowing(qint64 frames);
    bool isGrowing() const { return m_growing; }
    // The frames whose peaks it holds while growing.
    const DecodedMap &piecesRead() const { return m_read; }

    QString path() const { return m_path; }
    qint64 frames() const { return m_frames; }
    int sampleRate() const { return m_sampleRate; }
    int levels() const { return int(m_levels.size()); }
    const std::vector<Peak> &level(int i) const { return m_levels[size_t(i)]; }

    // One peak per column for frames [first, first + count).
    QList<Peak> peaks(qint64 first, qint64 count, int columns);
    // The same for a stretch in milliseconds.
    QList<Peak> peaksMs(qint64 startMs, qint64 spanMs, int columns);

private:
    // Sizes every level for frames, each run holding no sample yet.
    void shapeLevels(qint64 frames);
    // The same, keeping the runs that stay.
    void resizeLevels(qint64 frames);
    // Level 0's runs [first, end) changed: the levels above follow.
    void mergeUp(qint64 first, qint64 end);

    QString m_path;
    qint64 m_size = -1;
    QDateTime m_modified;
    qint64 m_frames = 0;
    int m_sampleRate = 0;
    std::vector<std::vector<Peak>> m_levels;
    // Opened by the first view finer than level 0, on the thread that asks.
    std::unique_ptr<PeakExtractor> m_raw;
    bool m_growing = false;
    qint64 m_reserveFrames = 0; // a growing file's expected length
    DecodedMap m_read;
};
