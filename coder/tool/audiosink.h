#pragma once

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include <cstdint>
#include <string>

inline std::string avErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Where the cut and converted audio goes: an encoder and a file. The sink says
// which samples it takes; the transcoder converts to that and hands over
// frames of frameSize() samples (any size when it is 0; the last may be short).
// Every failure is thrown as a CoderError naming the target.
class AudioSink
{
public:
    virtual ~AudioSink() = default;

    virtual AVSampleFormat sampleFormat() const = 0;
    virtual int sampleRate() const = 0;
    virtual const AVChannelLayout &channelLayout() const = 0;
    virtual int frameSize() const = 0;
    virtual std::string description() const = 0;

    virtual void write(const AVFrame *frame) = 0;
    // Drains the encoder and completes the file; it is closed afterwards.
    virtual void finish() = 0;
    // Puts what the sink holds on disk, for readers of a growing file.
    virtual void flush() {}
    // Bytes written so far, for the progress line.
    virtual long long bytesWritten() const = 0;
    // The rate of the file and the samples it got out of `taken` handed in
    // (a filter in front may resample).
    virtual int fileRate() const { return sampleRate(); }
    virtual long long fileSamples(long long taken) const { return taken; }

    // A sink whose file holds the samples as they are (16-bit interleaved
    // PCM) lets other writers place them: rawStart() gives the byte offset
    // of sample 0 with everything before it on disk, or -1 when the sink
    // encodes. After `frames` samples were written there from outside,
    // adoptRaw() takes them as its own (reading back what the container's
    // trailer needs), and finish() completes the file as usual.
    virtual long long rawStart() { return -1; }
    virtual void adoptRaw(int /*fd*/, std::int64_t /*frames*/) {}
};
