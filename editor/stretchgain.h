#pragma once

#include <QDateTime>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

// The level Play selection gives a stretch so that it sounds as the
// normalised export will: the gain that brings its peak after the fades to
// the export's level. Finding the peak reads the whole stretch (an hour takes
// a second), so it is measured on a worker thread, once per stretch of the
// working file as it is now; a seek inside the same stretch finds it known.
class StretchGain : public QObject
{
    Q_OBJECT
public:
    struct Stretch {
        qint64 beginMs = 0;
        qint64 endMs = 0;
        qint64 fadeInMs = 0;
        qint64 fadeOutMs = 0;
        friend bool operator==(const Stretch &, const Stretch &) = default;
    };

    explicit StretchGain(QObject *parent = nullptr);
    ~StretchGain() override;

    // The gain in dB when this stretch of the file has been measured (0 for
    // silence or an unreadable file); otherwise nothing, and it is measured
    // in the background, replacing any other measure still running.
    std::optional<double> gainDb(const QString &wavPath, const Stretch &stretch);
    bool isMeasuring() const { return m_watcher.isRunning(); }

signals:
    // A gain asked for is known now.
    void measured();

private:
    struct Key {
        QString path;
        qint64 size = -1;
        QDateTime modified;
        Stretch stretch;
        friend bool operator==(const Key &, const Key &) = default;
    };
    struct Known {
        Key key;
        double gainDb = 0.0;
    };
    static constexpr int KeptStretches = 16;
    void finished();

    QList<Known> m_known; // the latest first
    QFutureWatcher<std::optional<double>> m_watcher;
    std::shared_ptr<std::atomic_bool> m_stop;
    Key m_measuring;
};
