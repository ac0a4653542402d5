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
    // Moves the heard time on by the time passed, never past what a writer
    // has written of the file: caught up with it, the clock waits.
    void advance() const;

    const WavReader *m_reader = nullptr;
    qint64 m_startFrame = 0;
    mutable QElapsedTimer m_clock; // since the last advance
    mutable qint64 m_heard = 0;
    qint64 m_remaining = 0;
    bool m_running = false;
};
