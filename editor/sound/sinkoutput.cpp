#include "sinkoutput.h"

#include "silentclock.h"
#include "wavreader.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <QTimer>

#include <algorithm>

SinkOutput::SinkOutput(const QAudioDevice &device) : m_device(device)
{
    m_source.open(QIODevice::ReadOnly);
}

SinkOutput::~SinkOutput()
{
    stop();
    dropDraining();
}

void SinkOutput::dropDraining()
{
    if (m_draining) {
        m_draining->stop();
        m_draining.reset();
    }
}

bool SinkOutput::start(WavReader &reader)
{
    stop();
    dropDraining();
    QAudioFormat format;
    format.setSampleRate(reader.sampleRate());
    format.setChannelCount(reader.outputChannels());
    format.setSampleFormat(QAudioFormat::Int16);
    m_sampleRate = reader.sampleRate();
    m_source.setReader(&reader);
    m_sink = std::make_unique<QAudioSink>(m_device, format);
    m_idleSince.invalidate();
    QObject::connect(m_sink.get(), &QAudioSink::stateChanged, m_sink.get(), [this](QAudio::State state) {
        if (state == QAudio::IdleState)
            m_idleSince.start();
        else
            m_idleSince.invalidate();
    });
    m_sink->start(&m_source);
    if (m_sink->state() == QAudio::StoppedState && m_sink->error() != QAudio::NoError) {
        m_sink.reset();
        m_source.setReader(nullptr);
        return false;
    }
    return true;
}

void SinkOutput::suspend()
{
    if (m_sink)
        m_sink->suspend();
}

void SinkOutput::resume()
{
    if (m_sink)
        m_sink->resume();
}

void SinkOutput::stop()
{
    dropDraining();
    if (m_sink && finished()) {
        // Everything is handed over, but the server may still be sounding the
        // last of it: stopping now would cut the end off.
        constexpr int TailMilliSeconds = 300;
        m_draining = std::move(m_sink);
        // Only the playing sink's idle time counts; a draining one must never
        // reach back into this object, which it may outlive.
        QObject::disconnect(m_draining.get(), &QAudioSink::stateChanged, nullptr, nullptr);
        // QAudioSink's destructor runs pending events, so this may fire while
        // m_draining is being reset: then there is nothing left to do.
        QTimer::singleShot(TailMilliSeconds, m_draining.get(), [this] {
            if (QAudioSink *sink = m_draining.release()) {
                sink->stop();
                sink->deleteLater();
            }
        });
    } else if (m_sink) {
        m_sink->stop();
        m_sink.reset();
    }
    m_source.setReader(nullptr);
}

qint64 SinkOutput::deliveredMicroSeconds() const
{
    return m_sampleRate ? m_source.deliveredFrames() * 1000000 / m_sampleRate : 0;
}

qint64 SinkOutput::processedMicroSeconds() const
{
    return m_sink ? m_sink->processedUSecs() : 0;
}

// On PulseAudio the sink's processed time is the stream's playback clock: it
// already leaves out what still waits in the buffers, so it is what the
// listener has heard. It can never be more than we handed over.
qint64 SinkOutput::heardMicroSeconds() const
{
    return std::min(processedMicroSeconds(), deliveredMicroSeconds());
}

bool SinkOutput::finished() const
{
    if (!m_sink)
        return true;
    if (!m_source.exhausted())
        return false;
    // The sink goes idle while the server still holds the tail of the sound:
    // the end is when the clock has caught up, or the sink has been dry for a
    // while (a clock that stops a hair short must not hold the device).
    constexpr qint64 SlackMicroSeconds = 2000;
    constexpr qint64 DryMilliSeconds = 1000;
    return heardMicroSeconds() + SlackMicroSeconds >= deliveredMicroSeconds() ||
           (m_idleSince.isValid() && m_idleSince.hasExpired(DryMilliSeconds));
}

std::unique_ptr<AudioOutput> createAudioOutput()
{
    if (qEnvironmentVariable("KESMARIN_AUDIO") == QLatin1String("silent"))
        return createSilentOutput("KESMARIN_AUDIO=silent");
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return createSilentOutput("no audio output device");
    return std::make_unique<SinkOutput>(device);
}
