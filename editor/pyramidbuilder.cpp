#include "pyramidbuilder.h"

#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

PyramidBuilder::PyramidBuilder(QObject *parent) : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &PyramidBuilder::finished);
    connect(&m_pieceWatcher, &QFutureWatcherBase::finished, this, &PyramidBuilder::pieceRead);
    connect(&m_roomWatcher, &QFutureWatcherBase::finished, this, [this] {
        QFuture<PeakPyramid::Levels> room = m_roomWatcher.future();
        // The watcher follows the latest decode only, so any pyramid still
        // growing is the one these levels were made for.
        if (m_growing && room.resultCount() > 0)
            m_growing->adoptLevels(room.takeResult());
    });
}

PyramidBuilder::~PyramidBuilder()
{
    // The worker holds only the path and the flag: it ends at its next chunk.
    if (m_stop)
        m_stop->store(true);
    if (m_pieceStop)
        m_pieceStop->store(true);
}

PyramidBuilder::Identity PyramidBuilder::identityOf(const QString &path)
{
    const QFileInfo info(path);
    return {path, info.exists() ? info.size() : -1, info.lastModified()};
}

PeakPyramid *PyramidBuilder::pyramid(const QString &wavPath)
{
    if (m_growing)
        return m_growing.get();
    if (m_pyramid && m_pyramid->isCurrent(wavPath))
        return m_pyramid.get();
    const Identity now = identityOf(wavPath);
    if (now.size < 0 || now == m_unreadable || (m_watcher.isRunning() && now == m_building))
        return nullptr;
    start(now);
    return nullptr;
}

void PyramidBuilder::start(const Identity &file)
{
    if (m_stop)
        m_stop->store(true); // a build of what the file was
    m_stop = std::make_shared<std::atomic_bool>(false);
    m_building = file;
    m_watcher.setFuture(QtConcurrent::run([path = file.path, stop = m_stop] {
        auto built = std::make_shared<PeakPyramid>();
        return built->build(path, stop.get()) ? built : nullptr;
    }));
}

void PyramidBuilder::finished()
{
    const std::shared_ptr<PeakPyramid> built = m_watcher.result();
    const Identity file = m_building;
    m_stop.reset();
    if (!built) {
        if (identityOf(file.path) == file)
            m_unreadable = file;
        return;
    }
    if (!built->isCurrent(file.path))
        return; // rewritten while it was read: the next ask builds again
    m_pyramid = built;
    emit ready();
}

void PyramidBuilder::stopGrowing()
{
    if (m_pieceStop)
        m_pieceStop->store(true); // its piece is dropped when it comes back
    m_pieceStop.reset();
    m_growing.reset();
    m_queued.reset();
    m_toRead.clear();
    m_finishAt = -1;
}

void PyramidBuilder::follow(const QString &wavPath, const DecodedMap &map, qint64 first, qint64 end)
{
    if (map.isEmpty() && !map.isComplete()) {
        // A new decode, or one that starts again: nothing read counts.
        stopGrowing();
        if (map.expectedFrames() < 0)
            return; // no decode grows the file
        if (m_stop)
            m_stop->store(true); // a whole read of what the file was
        m_growing = std::make_shared<PeakPyramid>();
        if (!m_growing->beginGrowing(wavPath, map.expectedFrames())) {
            m_growing.reset();
        } else {
            m_roomWatcher.setFuture(QtConcurrent::run(
                [frames = map.expectedFrames()] { return PeakPyramid::emptyLevels(frames); }));
        }
        emit grown(0, -1);
        return;
    }
    if (!m_growing)
        return; // a decode that was never followed: built whole on demand
    if (end < 0) {
        for (const DecodedMap::Run &run : map.runs())
            queue(run.first, run.end);
    } else {
        queue(first, end);
    }
    if (map.isComplete())
        m_finishAt = map.expectedFrames();
    readNext();
}

void PyramidBuilder::queue(qint64 first, qint64 end)
{
    // Only the parts not asked for yet: nothing is read twice.
    for (qint64 at = first; at < end;) {
        const qint64 had = m_queued.readyUntil(at);
        if (had > at) {
            at = had;
            continue;
        }
        const qint64 next = m_queued.nextWritten(at);
        const qint64 until = next < 0 ? end : std::min(next, end);
        m_toRead.append({at, until});
        m_queued.add(at, until);
        at = until;
    }
}

void PyramidBuilder::readNext()
{
    // Not the watcher's own state: a piece done whose signal is still on its
    // way would be dropped by the next setFuture().
    if (!m_growing || m_readingPiece)
        return;
    if (m_toRead.isEmpty()) {
        if (m_finishAt >= 0) {
            m_growing->finishGrowing(m_finishAt);
            m_pyramid = std::move(m_growing);
            stopGrowing();
            emit grown(0, -1);
            emit ready();
        }
        return;
    }
    DecodedMap::Run &run = m_toRead.first();
    const qint64 first = run.first;
    const qint64 end = std::min(run.end, first + PieceFrames);
    run.first = end;
    if (run.first >= run.end)
        m_toRead.removeFirst();
    m_pieceStop = std::make_shared<std::atomic_bool>(false);
    m_readingPiece = true;
    m_pieceWatcher.setFuture(QtConcurrent::run([path = m_growing->path(), first, end, stop = m_pieceStop] {
        return PeakPyramid::readPiece(path, first, end, stop.get());
    }));
}

void PyramidBuilder::pieceRead()
{
    m_readingPiece = false;
    const PeakPyramid::Piece piece = m_pieceWatcher.result();
    // A piece of a decode given up meanwhile is dropped.
    if (!m_growing || !m_pieceStop || m_pieceStop->load())
        return readNext();
    m_growing->addPiece(piece);
    emit grown(piece.first, piece.end);
    readNext();
}
