#pragma once

#include "audiosink.h"
#include "coderoptions.h"
#include "outputformat.h"

#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVPacket;
struct AVStream;

// The title a ringtone is tagged with: its file name without the folder and
// the last extension; empty when the name is not UTF-8.
std::string titleFor(const std::string &target);

// Encodes through a libavcodec encoder into a libavformat container.
class EncoderSink : public AudioSink
{
public:
    // `file` is the path written (the temporary file), `target` the name
    // used in messages.
    EncoderSink(const std::string &file, const std::string &target, const OutputFormat &format,
                const CoderOptions &options, int sourceRate, const AVChannelLayout &sourceLayout,
                int (*interrupted)(void *));
    ~EncoderSink() override;
    EncoderSink(const EncoderSink &) = delete;
    EncoderSink &operator=(const EncoderSink &) = delete;

    AVSampleFormat sampleFormat() const override;
    int sampleRate() const override;
    const AVChannelLayout &channelLayout() const override;
    int frameSize() const override;
    std::string description() const override;

    void write(const AVFrame *frame) override;
    void finish() override;
    void flush() override;
    long long bytesWritten() const override;
    long long rawStart() override;
    void adoptRaw(int fd, std::int64_t frames) override;

private:
    void open(const std::string &file, const OutputFormat &format, const CoderOptions &options,
              int sourceRate, const AVChannelLayout &sourceLayout, int (*interrupted)(void *));
    void release();
    void configure(const OutputFormat &format, const CoderOptions &options, int sourceRate,
                   const AVChannelLayout &sourceLayout);
    void drain();
    [[noreturn]] void fail(const std::string &what, int code) const;
    void writeRaw(int fd, std::int64_t first, int count);
    // The wav muxer's "rf64" option for this output.
    const char *wavSizeForm(const CoderOptions &options) const;

    std::string m_target;
    AVFormatContext *m_muxer = nullptr;
    AVCodecContext *m_encoder = nullptr;
    AVStream *m_stream = nullptr;
    AVPacket *m_packet = nullptr;
    bool m_finished = false;
    long long m_bytes = 0;
    long long m_rawStart = -1;
};
