#pragma once

#include "audiooutput.h"
#include "wavsource.h"

#include <QAudioDevice>
#include <QElapsedTimer>

#include <memory>

class QAudioSink;

// Plays through Qt Multimedia's QAudioSink to the default output. The only
// place that knows Qt Multimedia.
class SinkOutput : public AudioOutput
{
public:
    explicit SinkOutput(const QAudioDevice &device);
    ~SinkOutput() override;

    bool start(WavReader &reader) override;
    void suspend() override;
    void resume() override;
    void stop() override;
    qint64 heardMicroSeconds() const override;
    bool finished() const override;

    // For measurements: microseconds handed to the sink so far.
    qint64 deliveredMicroSeconds() const;
    qint64 processedMicroSeconds() const;

private:
    QAudioDevice m_device;
    void dropDraining();

    std::unique_ptr<QAudioSink> m_sink;
    std::unique_ptr<QAudioSink> m_draining; // played to the end, the server's tail still sounding
    WavSource m_source;
    int m_sampleRate = 0;
    QElapsedTimer m_idleSince; // the sink ran dry (valid only then)
};
