#include "pyramidbuilder.h"

#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

PyramidBuilder::PyramidBuilder(QObject *parent) : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &PyramidBuilder::finished);
}

PyramidBuilder::~PyramidBuilder()
{
    // The worker holds only the path and the flag: it ends at its next chunk.
    if (m_stop)
        m_stop->store(true);
}

PyramidBuilder::Identity PyramidBuilder::identityOf(const QString &path)
{
    const QFileInfo info(path);
    return {path, info.exists() ? info.size() : -1, info.lastModified()};
}

PeakPyramid *PyramidBuilder::pyramid(const QString &wavPath)
{
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
