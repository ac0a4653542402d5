#pragma once

#include "bestpart.h"

#include <QDateTime>
#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <vector>

// Finds the stretches worth a ringtone in the working file on a worker
// thread, so a long song never holds the window, and keeps the ranked list
// for that file: each ask after the first offers the next one in turn. A
// result for a file rewritten meanwhile (another song decoded over it) is
// dropped.
class BestPartFinder : public QObject
{
    Q_OBJECT
public:
    explicit BestPartFinder(QObject *parent = nullptr);
    ~BestPartFinder() override;

    // The next suggestion for this file, at once when the file is known,
    // else once its analysis is over; an ask while that runs adds nothing.
    void ask(const QString &wavPath, qint64 wantedMs = BestPart::DefaultLengthMs);
    bool isAnalysing() const { return m_watcher.isRunning(); }

signals:
    // rank counts from 1 among count suggestions.
    void found(const Suggestion &suggestion, int rank, int count);
    // The file could not be read.
    void failed();

private:
    struct Identity {
        QString path;
        qint64 size = -1;
        QDateTime modified;
        qint64 wantedMs = 0;
        friend bool operator==(const Identity &, const Identity &) = default;
    };
    static Identity identityOf(const QString &path, qint64 wantedMs);
    void offerNext();
    void finished();

    QFutureWatcher<std::vector<Suggestion>> m_watcher;
    Identity m_analysing;
    Identity m_known;
    std::vector<Suggestion> m_ranked;
    std::size_t m_next = 0;
};
