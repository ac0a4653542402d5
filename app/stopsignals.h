#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, a closed terminal) into
// a Qt signal on the thread that runs the window, so the program can end its
// jobs, stop the sound and remove its working folder before it goes. Only
// the first such signal is caught: a second one ends the program at once, as
// if none were caught. One instance at a time.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    // The handlers are in place.
    bool isValid() const { return m_notifier != nullptr; }

signals:
    void stopRequested(int signal);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
