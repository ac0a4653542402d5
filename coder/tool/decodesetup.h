#pragma once

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
}

struct AVCodec;
struct AVFrame;
struct AVCodecContext;
struct AVFormatContext;
struct AVStream;

// Throws CoderError naming the path unless it names a regular file (not a
// folder, pipe, socket or device); looks without opening it.
void requireRegularFile(const std::string &path);

// Opens `path` for reading as the job does everywhere: a regular file only,
// through "file:" (so a name like "a:b.mp3" is no protocol) and no other
// protocol, never as a playlist or a list of other files, with the stop
// request as interrupt, its streams probed. Throws CoderError naming the path.
AVFormatContext *openDemuxer(const std::string &path);

// A decoder for `stream`, opened; a channel layout of unknown order becomes
// the default one for its count. Throws CoderError naming the path.
AVCodecContext *openDecoder(const std::string &path, const AVStream &stream, const AVCodec &codec);

// The frame's channel layout, a default one of its count where the decoder
// left the order unknown. The caller uninits it.
AVChannelLayout frameLayout(const AVFrame &frame, int decoderChannels);

// Pointers to the frame's samples from sample `skip` on, one per plane.
std::vector<const std::uint8_t *> framePlanes(const AVFrame &frame, int skip);

// Where the first decoded frame lies, in samples from the stream's start:
// from its time stamp, so a decode begun after a seek counts from there.
std::int64_t firstFramePlace(const AVFrame &frame, const AVStream &stream, int rate);
