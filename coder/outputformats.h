#pragma once

// The ringtone formats, in one table shared by the export's command line
// (kescoder) and the coder program itself. Plain C++ with no Qt, so the coder
// can include it.
//
// A row says what the coder writes for a target extension; a zero rate or
// channel count means "as the source". exportOptions is the option text the
// export places between the stretch and the target, blanks included; the
// formats the export does not offer have none.
struct OutputFormatRow {
    const char *extension;   // lower case, without the dot
    const char *container;   // libavformat muxer name; empty for AMR
    const char *codec;       // encoder name
    long bitRate;            // 0: the codec's own choice (lossless, PCM)
    int sampleRate;
    int channels;
    int maxChannels;
    bool amrNb;              // written by the coder's own AMR-NB writer
    bool quality;            // Vorbis: quality-based VBR unless -ab is given
    const char *exportOptions;
};

inline constexpr OutputFormatRow OutputFormats[] = {
    {"mp3", "mp3", "libmp3lame", 128000, 0, 0, 2, false, false, " -y -ab 128k -ar 44100 -ac 1 "},
    {"wma", "asf", "wmav1", 128000, 0, 0, 2, false, false, " -y -acodec wmav1 "},
    {"wav", "wav", "pcm_s16le", 0, 0, 0, 8, false, false, " -y "},
    // AMR-NB knows one rate and one channel; 12.2 kbit/s unless -ab says less.
    {"amr", "", "libopencore_amrnb", 12200, 8000, 1, 1, true, false, " -y -ar 8000 -ab 7.4k -ac 1 "},
    // iPhone ringtones: AAC in an MP4 container at CD rate, stereo.
    {"m4r", "ipod", "aac", 128000, 44100, 2, 2, false, false,
     " -y -acodec aac -ab 128k -ar 44100 -ac 2 "},
    {"m4a", "ipod", "aac", 128000, 44100, 2, 2, false, false, nullptr},
    // Android ringtones: Vorbis at the working file's rate and channels.
    {"ogg", "ogg", "libvorbis", 0, 0, 0, 2, false, true, " -y -acodec libvorbis "},
    {"flac", "flac", "flac", 0, 0, 0, 8, false, false, nullptr},
};
