#include "outputformat.h"

#include "outputformats.h"

#include <algorithm>


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
    for (const OutputFormatRow &row : OutputFormats) {
        if (ext == row.extension)
            return OutputFormat{row.extension, row.container,  row.codec,
                                row.bitRate,   row.sampleRate, row.channels,
                                row.maxChannels, row.amrNb,    row.quality};
    }
    return std::nullopt;
}
