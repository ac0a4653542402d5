#include "silentclock.h"

#include "wavreader.h"

#include <algorithm>
#include <cstdio>

bool SilentClock::start(WavReader &reader)
{
    m_reader = &reader;
    m_startFrame = reader.framePosition();
    m_remaining = reader.sampleRate()
        ? std::max<qint64>(0, reader.stopFrame() - reader.framePosition()) * 1000000 / reader.sampleRate()
        : 0;
    m_heard = 0;
    m_clock.start();
    m_running = true;
    return true;
}

void SilentClock::advance() const
{
    if (!m_running)
        return;
    const qint64 before = m_heard;
    m_heard += m_clock.nsecsElapsed() / 1000;
    m_clock.start();
    if (m_reader && m_reader->sampleRate()) {
        // Up to the end of the written run it stood in, not over a gap.
        const qint64 rate = m_reader->sampleRate();
        const qint64 frame = m_startFrame + before * rate / 1000000;
        const qint64 written = frame + m_reader->readableFrom(frame) - m_startFrame;
        m_heard = std::min(m_heard, std::max(before, written * 1000000 / rate));
    }
}

void SilentClock::suspend()
{
    advance();
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
    m_reader = nullptr;
}

qint64 SilentClock::heardMicroSeconds() const
{
    advance();
    return std::min(m_heard, m_remaining);
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
