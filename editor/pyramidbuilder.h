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

signals:
    void ready();

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

    std::shared_ptr<PeakPyramid> m_pyramid;
    QFutureWatcher<std::shared_ptr<PeakPyramid>> m_watcher;
    std::shared_ptr<std::atomic_bool> m_stop;
    Identity m_building;
    Identity m_unreadable;
};
