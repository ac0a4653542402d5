#pragma once

#include <cstdint>
#include <string>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

struct AVCodec;
struct AVStream;
class ProgressReport;

// Decodes the whole input on several threads into 16-bit PCM placed straight
// into the output file, giving exactly the bytes the one-thread decode gives.
//
// One read of the packets (no data kept) finds where runs of at least
// `minimumRunSeconds` can start. Each run has its own reader and decoder; it
// starts a few packets early so the decoder's state is rebuilt, throws those
// samples away, and writes its own at the place the packet sample counts
// give. Whatever does not hold on the way (a damaged packet, a count other
// than the container said, a stream that changes shape, a thread that cannot
// start) ends the attempt with nothing claimed, and the caller decodes on one
// thread. Where the file is read while it grows, each run's written stretch
// is reported as it grows, and a failed attempt withdraws them before its
// samples are cut away.
class ParallelDecode
{
public:
    struct Target {
        std::string name;           // the output, for messages
        int fd = -1;                // the output file, written with pwrite
        std::int64_t dataStart = 0; // byte offset of sample 0
        int sampleRate = 0;
        AVChannelLayout layout{};   // not owned
        bool reportStretches = false; // each run's stretch on disk, for readers
    };
    struct Result {
        bool done = false;  // false: the file holds nothing past dataStart
        std::string reason; // why not, for the log
        int runs = 0;
        std::int64_t samples = 0;
        long long frames = 0;
    };

    ParallelDecode(const std::string &input, const AVStream &stream, const AVCodec &codec,
                   const Target &target, ProgressReport &progress);

    // Decoder warm-up in packets, or -1 when the codec does not qualify.
    static int warmUpPackets(const AVCodec &codec);
    // The thread count for `requested` (0: one per processor).
    static int threadCount(int requested);

    // Throws CoderError only for what would stop a one-thread decode too
    // (a write error, a stop request).
    Result run(int threads, double minimumRunSeconds);

private:
    std::string m_input;
    const AVStream &m_stream;
    const AVCodec &m_codec;
    Target m_target;
    ProgressReport &m_progress;
};
