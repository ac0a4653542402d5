#pragma once

#include "envelope.h"
#include "writtenframes.h"

#include <QFile>
#include <QString>

// Streams the frames of a PCM WAV file (8-bit unsigned, 16/24/32-bit signed,
// 32-bit float; plain or WAVE_FORMAT_EXTENSIBLE) as interleaved signed 16-bit
// samples, mono or stereo. Files with more channels are mixed down to stereo.
// Only the header is read at open; frames are read as they are asked for.
class WavReader
{
public:
    enum class SampleType { UInt8, Int16, Int24, Int32, Float32 };

    // False, with nothing open, when the file is not a WAV file we can play.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_file.isOpen(); }

    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }
    // Channels of the samples readFrames() gives: 1 or 2.
    int outputChannels() const { return m_channels == 1 ? 1 : 2; }
    SampleType sampleType() const { return m_type; }
    qint64 frameCount() const;
    qint64 lengthMilliSeconds() const;

    // Where reading ends: the end of the file, or an earlier frame set by
    // setStopFrame(). The player stops there on its own.
    qint64 stopFrame() const;
    // -1: read to the end of the file.
    void setStopFrame(qint64 frame) { m_stopFrame = frame; }

    qint64 framePosition() const { return m_frame; }
    // Moves to a frame, clamped to the end.
    void seekFrame(qint64 frame);
    // Reads up to maxFrames frames into out (outputChannels() little-endian
    // 16-bit samples each, no alignment needed);
    // returns the number of frames read, 0 at the end.
    qint64 readFrames(char *out, qint64 maxFrames);
    // A file still being written: its length and what may be read of it
    // come from written (nullptr: from the header). readFrames() then stops
    // at the first frame not written yet and goes on once it is.
    void setWrittenFrames(const WrittenFrames *written) { m_written = written; }
    // Frames from frame on that can be read now without waiting for a writer.
    qint64 readableFrom(qint64 frame) const;
    // Shapes every frame read from now on (see Envelope); inactive by default.
    void setEnvelope(const Envelope &envelope) { m_envelope = envelope; }

private:
    bool parse();

    QFile m_file;
    SampleType m_type = SampleType::Int16;
    int m_sampleRate = 0;
    int m_channels = 0;
    int m_bytesPerSample = 0;
    qint64 m_dataOffset = 0;
    qint64 m_frameCount = 0;
    qint64 m_frame = 0;
    qint64 m_stopFrame = -1;
    QByteArray m_buffer;
    Envelope m_envelope;
    const WrittenFrames *m_written = nullptr;
};
