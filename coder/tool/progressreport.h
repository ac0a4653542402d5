#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// The lines callers parse, on standard error:
//   "  Duration: HH:MM:SS.cc, start: ..., bitrate: ..."   once, before progress
//   "size=...kB time=12.34 "                              every quarter second
//                                                         and once at the end
// and, for a -growing decode, whole lines in frames (samples per channel):
//   "growing rate=R channels=C data=D frames=N"  once: the WAV header is on
//        disk, frame 0 starts at byte D, 16-bit interleaved; N is expected
//        from the input's duration (-1: unknown). Until the end the header's
//        RIFF and data sizes are placeholders: a reader takes the data to
//        run on past the end of the file and reads only what the map says.
//   "decoded=F-E"        frames [F, E) are on disk and final (a one-thread
//                        decode grows its prefix; parallel runs report
//                        their own stretches, in any order)
//   "decoded=withdrawn"  everything reported so far is void (a parallel
//                        attempt gave up; one thread starts over)
//   "decoded=all N"      the file is whole: N frames, the header final
class ProgressReport
{
public:
    // A file name as it is echoed on those lines: a name may hold any byte,
    // and one holding a line break could pass for a line of its own, so
    // control characters show as "?".
    static std::string echoName(const std::string &name);

    // Duration in microseconds, or a negative value when unknown.
    static std::string formatDuration(std::int64_t microseconds);

    void duration(std::int64_t microseconds, double startSeconds, std::int64_t bitRate);
    // Reports the position when enough wall time has passed since the last line.
    void position(double seconds, long long bytes);
    void final(double seconds, long long bytes);

    void growing(int rate, int channels, long long dataStart, long long expectedFrames);
    void decoded(long long first, long long end);
    void withdrawn();
    void complete(long long frames);

private:
    void print(double seconds, long long bytes);

    std::chrono::steady_clock::time_point m_last{};
    bool m_printed = false;
    double m_reached = 0.0; // the highest position printed
};
