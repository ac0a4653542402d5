#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What a written file holds, read back from the file itself.
struct ProbeResult {
    std::string container; // libavformat's name for it
    std::string codec;
    int rate = 0;
    int channels = 0;
    std::int64_t samples = 0; // the audio's length as a player plays it
    std::int64_t frame = 1;   // one codec frame in samples (1 for PCM)
    std::optional<std::string> title;
};

// Reads `path` back: opens it, decodes its first frame to prove the codec
// reads it, and counts the length from the packets rather than decoding
// them all, so the check costs little. Throws CoderError naming `shownAs`
// when the file holds no readable audio.
ProbeResult probeFile(const std::string &path, const std::string &shownAs);

// Prints the result on standard output, the lines callers parse:
//   Read back:
//   container: mp3
//   codec: mp3
//   rate: 44100
//   channels: 1
//   samples: 1323000
//   frame: 1152
//   title: tone          (missing when the file has no title)
void printProbe(const ProbeResult &result);

// A tag's backslashes, line breaks, "=" and ":" as "\\", "\n", "\r", "\=" and
// "\:", so each value stays on its line and never reads as a progress text.
std::string escapeTag(const std::string &value);
