#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// The lines callers parse, on standard error:
//   "  Duration: HH:MM:SS.cc, start: ..., bitrate: ..."   once, before progress
//   "size=...kB time=12.34 "                              every quarter second
//                                                         and once at the end
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

private:
    void print(double seconds, long long bytes);

    std::chrono::steady_clock::time_point m_last{};
    bool m_printed = false;
    double m_reached = 0.0; // the highest position printed
};
