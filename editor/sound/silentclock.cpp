#include "silentclock.h"

#include "wavreader.h"

#include <algorithm>
#include <cstdio>

bool SilentClock::start(WavReader &reader)
{
    m_remaining = reader.sampleRate()
        ? std::max<qint64>(0, reader.stopFrame() - reader.framePosition()) * 1000000 / reader.sampleRate()
        : 0;
    m_banked = 0;
    m_clock.start();
    m_running = true;
    return true;
}

void SilentClock::suspend()
{
    if (!m_running)
        return;
    m_banked += m_clock.nsecsElapsed() / 1000;
    m_running = false;
}

void SilentClock::resume()
{
    if (m_running)
        return;
    m_clock.start();
    m_running = true;
}

void SilentClock::stop()
{
    suspend();
}

qint64 SilentClock::heardMicroSeconds() const
{
    const qint64 heard = m_banked + (m_running ? m_clock.nsecsElapsed() / 1000 : 0);
    return std::min(heard, m_remaining);
}

bool SilentClock::finished() const
{
    return heardMicroSeconds() >= m_remaining;
}

void SilentClock::announce(const char *reason)
{
    static bool said = false;
    if (said)
        return;
    said = true;
    std::fprintf(stderr, "kesmarin: %s; sound plays on a silent clock\n", reason);
}

std::unique_ptr<AudioOutput> createSilentOutput(const char *reason)
{
    SilentClock::announce(reason);
    return std::make_unique<SilentClock>();
}
