#include "bestpartfinder.h"

#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

BestPartFinder::BestPartFinder(QObject *parent) : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &BestPartFinder::finished);
}

BestPartFinder::~BestPartFinder()
{
    // The analysis holds only its own copy of the path; it is waited for,
    // not left writing into a finder that is gone.
    m_watcher.waitForFinished();
}

BestPartFinder::Identity BestPartFinder::identityOf(const QString &path, qint64 wantedMs)
{
    const QFileInfo info(path);
    return {path, info.exists() ? info.size() : -1, info.lastModified(), wantedMs};
}

void BestPartFinder::ask(const QString &wavPath, qint64 wantedMs)
{
    const Identity now = identityOf(wavPath, wantedMs);
    if (now == m_known && !m_ranked.empty()) {
        offerNext();
        return;
    }
    if (m_watcher.isRunning())
        return; // its end answers this ask too, or is dropped if the file changed
    m_analysing = now;
    m_watcher.setFuture(QtConcurrent::run([wavPath, wantedMs] {
        const std::optional<SongAnalysis> song = BestPart::analyseFile(wavPath);
        return song ? BestPart::suggestions(*song, wantedMs) : std::vector<Suggestion>();
    }));
}

void BestPartFinder::offerNext()
{
    const Suggestion suggestion = m_ranked[m_next];
    const int rank = int(m_next) + 1;
    m_next = (m_next + 1) % m_ranked.size();
    emit found(suggestion, rank, int(m_ranked.size()));
}

void BestPartFinder::finished()
{
    const Identity file = m_analysing;
    if (identityOf(file.path, file.wantedMs) != file)
        return; // the song changed while it was read
    m_known = file;
    m_ranked = m_watcher.result();
    m_next = 0;
    if (m_ranked.empty()) {
        emit failed();
        return;
    }
    offerNext();
}
