#include "progressreport.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

std::string ProgressReport::echoName(const std::string &name)
{
    std::string shown = name;
    for (char &c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            c = '?';
    }
    return shown;
}

std::string ProgressReport::formatDuration(std::int64_t microseconds)
{
    if (microseconds < 0)
        return "N/A";
    // Rounded to hundredths first, so 59.999 s shows as 00:01:00.00.
    const std::int64_t hundredths = (microseconds + 5000) / 10000;
    const std::int64_t seconds = hundredths / 100;
    char text[64];
    std::snprintf(text, sizeof text, "%02" PRId64 ":%02" PRId64 ":%02" PRId64 ".%02" PRId64,
                  seconds / 3600, seconds / 60 % 60, seconds % 60, hundredths % 100);
    return text;
}

void ProgressReport::duration(std::int64_t microseconds, double startSeconds, std::int64_t bitRate)
{
    std::string rate = bitRate > 0 ? std::to_string(bitRate / 1000) + " kb/s" : "N/A";
    std::fprintf(stderr, "  Duration: %s, start: %.6f, bitrate: %s\n",
                 formatDuration(microseconds).c_str(), startSeconds, rate.c_str());
    std::fflush(stderr);
}

void ProgressReport::position(double seconds, long long bytes)
{
    // A decode begun again on one thread starts its count over; the
    // reader sees the position hold until the new count passes it.
    seconds = std::max(seconds, m_reached);
    const auto now = std::chrono::steady_clock::now();
    if (m_printed && now - m_last < std::chrono::milliseconds(250))
        return;
    print(seconds, bytes);
}

void ProgressReport::final(double seconds, long long bytes)
{
    print(seconds, bytes);
}

void ProgressReport::print(double seconds, long long bytes)
{
    m_last = std::chrono::steady_clock::now();
    m_printed = true;
    m_reached = std::max(m_reached, seconds);
    std::fprintf(stderr, "size=%8lldkB time=%.2f \n", (bytes + 1023) / 1024, seconds);
    std::fflush(stderr);
}

void ProgressReport::growing(int rate, int channels, long long dataStart, long long expectedFrames)
{
    std::fprintf(stderr, "growing rate=%d channels=%d data=%lld frames=%lld\n", rate, channels,
                 dataStart, expectedFrames);
    std::fflush(stderr);
}

void ProgressReport::decoded(long long first, long long end)
{
    std::fprintf(stderr, "decoded=%lld-%lld\n", first, end);
    std::fflush(stderr);
}

void ProgressReport::withdrawn()
{
    std::fprintf(stderr, "decoded=withdrawn\n");
    std::fflush(stderr);
}

void ProgressReport::complete(long long frames)
{
    std::fprintf(stderr, "decoded=all %lld\n", frames);
    std::fflush(stderr);
}
