#pragma once

#include <optional>
#include <string>

// What a target's extension stands for, with the settings used when the
// command line gives none. A zero rate or channel count means "as the source".
struct OutputFormat {
    std::string extension; // lower case, without the dot
    std::string container; // libavformat muxer name; empty for AMR
    std::string codec;     // encoder name
    long bitRate = 0;      // 0: the codec's own choice (lossless, PCM)
    int sampleRate = 0;
    int channels = 0;
    int maxChannels = 2;
    bool amrNb = false;   // written by our own AMR-NB writer
    bool quality = false; // Vorbis: quality-based VBR unless -ab is given
};

// Case-insensitive: "Ring.MP3" is MP3. No value for an unknown extension.
std::optional<OutputFormat> outputFormatFor(const std::string &path);

// The extension as written, for messages ("" when there is none).
std::string extensionOf(const std::string &path);
