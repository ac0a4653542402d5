#pragma once

#include <QFile>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <vector>

// The lowest and highest sample of one pixel column, in -1..1, all channels together.
struct Peak
{
    float min = 0.0f;
    float max = 0.0f;
    friend bool operator==(const Peak &, const Peak &) = default;
};

// Reads the peaks of a PCM WAV for a strip of a given width, for drawing the
// waveform. It streams: a column short enough is read whole; a longer one is
// sampled in evenly spaced blocks, so an hour of audio costs the same few
// megabytes of reading as a few minutes (a short peak between two blocks can
// be missed; the picture stays faithful in shape).
class PeakExtractor
{
public:
    static constexpr int DefaultWidth = 728;
    // A range read whole (no column sampled) up to this size takes one read.
    static constexpr qint64 SmallRangeBytes = 4 << 20;

    explicit PeakExtractor(const QString &path);

    // Reads the header; false for anything but a readable PCM WAV
    // (8/16/24/32-bit integer, 32/64-bit float, extensible form included).
    bool open();
    // One peak per column; empty when the file cannot be read.
    QList<Peak> extract(int width = DefaultWidth);
    // The same for frames [first, first + count) only; columns past the
    // file's end stay empty.
    QList<Peak> extract(int width, qint64 first, qint64 count);
    // Every frame of the file read once, in order: one exact peak per run of
    // binFrames frames (the last run may be short). Empty when unreadable,
    // or as soon as stop is set (it may run on a worker thread).
    std::vector<Peak> scanBins(qint64 binFrames, const std::atomic_bool *stop = nullptr);
    // The same for frames [first, end) alone, whatever the header says of the
    // file's length (a growing file's header does not know it yet): bins[i]
    // is run first / binFrames + i, and the runs cut by either end hold only
    // their frames inside the stretch. Merged by min and max, the stretches
    // of a file give exactly its scanBins(). Empty when unreadable or stopped.
    std::vector<Peak> scanStretch(qint64 first, qint64 end, qint64 binFrames,
                                  const std::atomic_bool *stop = nullptr);

    // At most this many frames are read for one column, in blocks of
    // blockFrames each.
    void setSampling(qint64 framesPerColumn, qint64 blockFrames);

    int channels() const { return m_channels; }
    int sampleRate() const { return m_sampleRate; }
    int bitsPerSample() const { return m_bits; }
    bool isFloat() const { return m_float; }
    qint64 frames() const { return m_frameCount; }
    // Bytes read from the audio data by the last extract().
    qint64 bytesRead() const { return m_bytesRead; }

private:
    void readFrames(qint64 first, qint64 count, Peak &peak);
    void scanBuffer(const char *p, qint64 samples, Peak &peak) const;
    void hint(qint64 first, qint64 count) const;

    QFile m_file;
    int m_channels = 0;
    int m_sampleRate = 0;
    int m_bits = 0;
    int m_bytesPerSample = 0;
    bool m_float = false;
    qint64 m_dataOffset = 0;
    qint64 m_frameCount = 0;
    qint64 m_framesPerColumn = 4096;
    qint64 m_blockFrames = 1024;
    qint64 m_bytesRead = 0;
    QByteArray m_buffer;
};
