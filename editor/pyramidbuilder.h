#pragma once

#include "peakpyramid.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

// Builds the peak pyramid of the working file on a worker thread, so that
// the first zoom on a long song never holds the window (an hour reads for a
// second or more). The view asks; until the pyramid of the file as it is now
// is ready it gets nothing and draws what it has, and ready() tells it to
// ask again. A build of a file that has changed since (a new song decoded
// over it) is stopped and its result dropped.
class PyramidBuilder : public QObject
{
    Q_OBJECT
public:
    explicit PyramidBuilder(QObject *parent = nullptr);
    ~PyramidBuilder() override;

    // The pyramid of this file when it is built and still current; else
    // nothing, and a build is started unless one for this file runs already
    // or this very file could not be read.
    PeakPyramid *pyramid(const QString &wavPath);
    bool isBuilding() const { return m_watcher.isRunning(); }

    // Follows a decode that writes wavPath while it is shown: each stretch
    // the map newly holds ([first, end); 0, -1 for the whole map) is read on
    // the worker once, in pieces of a bounded size, and merged. Until the
    // decode ends, pyramid() is this growing one and no whole read starts.
    void follow(const QString &wavPath, const DecodedMap &map, qint64 first, qint64 end);
    // The pyramid a decode grows; nothing when none grows.
    PeakPyramid *growing() const { return m_growing.get(); }
    // Holds, or grows, the peaks of wavPath as it is; starts nothing.
    bool holds(const QString &wavPath) const
    {
        return m_growing ? m_growing->path() == wavPath : m_pyramid && m_pyramid->isCurrent(wavPath);
    }

signals:
    void ready();
    // The peaks of frames [first, end) of the growing file are in; 0, -1:
    // all of them changed (a new decode, a withdrawn one, the end).
    void grown(qint64 first, qint64 end);

private:
    struct Identity {
        QString path;
        qint64 size = -1;
        QDateTime modified;
        friend bool operator==(const Identity &, const Identity &) = default;
    };
    static Identity identityOf(const QString &path);
    void start(const Identity &file);
    void finished();
    void queue(qint64 first, qint64 end);
    void readNext();
    void pieceRead();
    void stopGrowing();

    // At most this many frames are read and merged at once, so the strip
    // fills in steadily even when the decode hands over long stretches.
    static constexpr qint64 PieceFrames = qint64(1) << 20;

    std::shared_ptr<PeakPyramid> m_pyramid;
    QFutureWatcher<std::shared_ptr<PeakPyramid>> m_watcher;
    std::shared_ptr<std::atomic_bool> m_stop;
    Identity m_building;
    Identity m_unreadable;

    std::shared_ptr<PeakPyramid> m_growing;
    DecodedMap m_queued;             // frames asked for, read or on their way
    QList<DecodedMap::Run> m_toRead;
    qint64 m_finishAt = -1;          // the decode's length once it has ended well
    QFutureWatcher<PeakPyramid::Piece> m_pieceWatcher;
    // The growing pyramid's levels for its whole expected length, made on a
    // worker.
    QFutureWatcher<PeakPyramid::Levels> m_roomWatcher;
    std::shared_ptr<std::atomic_bool> m_pieceStop;
    bool m_readingPiece = false;
};
