#pragma once

#include "audiooutput.h"

#include <QElapsedTimer>

// Keeps time as if the file were playing, with no sound: for machines with no
// sound server, so that everything built on positions behaves the same.
class SilentClock : public AudioOutput
{
public:
    bool start(WavReader &reader) override;
    void suspend() override;
    void resume() override;
    void stop() override;
    qint64 heardMicroSeconds() const override;
    bool finished() const override;
    bool isAudible() const override { return false; }

    // Says once per run, on standard error, that sound is silent and why.
    static void announce(const char *reason);

private:
    QElapsedTimer m_clock;
    qint64 m_banked = 0; // heard before the last suspend
    qint64 m_remaining = 0;
    bool m_running = false;
};
