#include "outputformat.h"

#include <algorithm>
#include <array>

namespace
{

const std::array<OutputFormat, 8> formats = {{
    {"mp3", "mp3", "libmp3lame", 128000, 0, 0, 2, false, false},
    {"wma", "asf", "wmav1", 128000, 0, 0, 2, false, false},
    {"wav", "wav", "pcm_s16le", 0, 0, 0, 8, false, false},
    // AMR-NB knows one rate and one channel; 12.2 kbit/s unless -ab says less.
    {"amr", "", "libopencore_amrnb", 12200, 8000, 1, 1, true, false},
    // iPhone ringtones: AAC in an MP4 container at CD rate, stereo.
    {"m4r", "ipod", "aac", 128000, 44100, 2, 2, false, false},
    {"m4a", "ipod", "aac", 128000, 44100, 2, 2, false, false},
    {"ogg", "ogg", "libvorbis", 0, 0, 0, 2, false, true},
    {"flac", "flac", "flac", 0, 0, 0, 8, false, false},
}};

} // namespace

std::string extensionOf(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return {};
    return name.substr(dot + 1);
}

std::optional<OutputFormat> outputFormatFor(const std::string &path)
{
    std::string ext = extensionOf(path);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    });
    for (const OutputFormat &format : formats) {
        if (format.extension == ext)
            return format;
    }
    return std::nullopt;
}
