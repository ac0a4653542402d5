#pragma once

#include <string>

struct AVCodec;
struct AVCodecContext;
struct AVFormatContext;
struct AVStream;

// Opens `path` for reading as the job does everywhere: through "file:" (so a
// name like "a:b.mp3" is no protocol), with the stop request as interrupt,
// its streams probed. Throws CoderError naming the path.
AVFormatContext *openDemuxer(const std::string &path);

// A decoder for `stream`, opened; a channel layout of unknown order becomes
// the default one for its count. Throws CoderError naming the path.
AVCodecContext *openDecoder(const std::string &path, const AVStream &stream, const AVCodec &codec);
