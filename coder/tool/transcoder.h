#pragma once

#include "coderoptions.h"
#include "outputformat.h"
#include "progressreport.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

struct AVAudioFifo;
struct AVCodec;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;
class AudioSink;

// One job: the audio of the input, cut to [start, start + length) on decoded
// samples, converted to what the target's encoder takes, written through a
// temporary file, which is read back before it replaces the target. Streams
// from start to end; memory does not grow with the input's length. Throws
// CoderError on failure.
class Transcoder
{
public:
    // Makes the sink of a measuring run ("-f null") from the source's rate
    // and layout; without one the run meters the peak.
    using MeterFactory =
        std::function<std::unique_ptr<AudioSink>(int rate, const AVChannelLayout &layout)>;

    Transcoder(const CoderOptions &options, const OutputFormat &format, MeterFactory meter = {});
    ~Transcoder();
    Transcoder(const Transcoder &) = delete;
    Transcoder &operator=(const Transcoder &) = delete;

    void run();

private:
    void checkPaths() const;
    // Refuses an uncompressed output larger than the free space of its disk.
    void checkRoom() const;
    void openInput();
    void openSink(const std::string &file);
    void setUpConversion(const AVFrame &frame);
    // The stretch in samples at `rate`, the rate samples are counted at.
    void setStretch(int rate);
    void seekToStart();
    bool isWorkingFileDecode() const;
    // Decodes on several threads where the input allows it; false when
    // nothing was decoded and decode() is to run.
    bool decodeOnThreads(const std::string &file);
    void decode();
    void receiveFrames();
    void takeFrame(AVFrame &frame);
    void convert(const std::vector<const std::uint8_t *> &planes, int count);
    void writeFrames(bool last);
    void checkStop() const;
    // Tells readers of a growing output how far its samples reach; at most
    // every tenth of a second unless `now`.
    void reportDecoded(bool now);
    void readBack(const std::string &file, int rate, long long samples) const;

    CoderOptions m_options;
    OutputFormat m_format;
    MeterFactory m_meter;
    ProgressReport m_progress;

    AVFormatContext *m_demuxer = nullptr;
    const AVCodec *m_codec = nullptr;
    AVCodecContext *m_decoder = nullptr;
    int m_streamIndex = -1;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
    AVFrame *m_outFrame = nullptr;
    std::unique_ptr<AudioSink> m_sink;

    SwrContext *m_resampler = nullptr;
    AVSampleFormat m_inFormat = AV_SAMPLE_FMT_NONE;
    int m_inRate = 0;
    AVChannelLayout m_inLayout{};
    AVAudioFifo *m_fifo = nullptr;
    std::uint8_t **m_converted = nullptr;
    int m_convertedCapacity = 0;

    // The stretch in input samples at m_countRate, counted from the
    // stream's start.
    int m_countRate = 0;
    std::int64_t m_firstSample = 0;
    std::int64_t m_endSample = INT64_MAX;
    std::int64_t m_nextSample = 0;
    bool m_haveOrigin = false;
    bool m_seeked = false;
    bool m_reachedEnd = false;

    std::int64_t m_inputDuration = -1; // microseconds; -1 unknown
    long long m_framesDecoded = 0;
    long long m_packetsSkipped = 0;
    std::int64_t m_samplesWritten = 0;

    long long m_dataStart = -1; // of a growing output
    long long m_reportedEnd = 0;
    std::chrono::steady_clock::time_point m_lastReport{};
};
