#include "decodesetup.h"

#include "audiosink.h"
#include "codererror.h"
#include "temporaryoutput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avstring.h>
}

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace
{

// Readers that open further files or addresses named inside the input (play
// lists, stream descriptions, file lists, numbered picture series). A list
// that names itself sends them round without end, and a ringtone is made
// from one sound file only.
constexpr const char *indirections[] = {"hls", "dash", "concat", "sdp",    "rtsp",
                                        "rtp", "sap",  "imf",    "image2", "webm_dash_manifest"};

// Only local files: no reader may reach the network or another protocol.
AVDictionary *fileOnly()
{
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    return options;
}

// The reader for the file, found as libavformat finds it, but refused before
// it reads anything beyond the probe when it is an indirection.
const AVInputFormat *readerFor(const std::string &path, const std::string &url,
                               const AVIOInterruptCB &interrupt)
{
    AVDictionary *options = fileOnly();
    AVIOContext *io = nullptr;
    int ret = avio_open2(&io, url.c_str(), AVIO_FLAG_READ, &interrupt, &options);
    av_dict_free(&options);
    if (ret < 0)
        throw CoderError{path, avErrorText(ret)};
    const AVInputFormat *format = nullptr;
    ret = av_probe_input_buffer2(io, &format, url.c_str(), nullptr, 0, 0);
    avio_closep(&io);
    if (ret < 0 || !format)
        throw CoderError{path, avErrorText(ret < 0 ? ret : AVERROR_INVALIDDATA)};
    for (const char *name : indirections) {
        if (av_match_name(name, format->name))
            throw CoderError{path, std::string("is a playlist or a list of other files (") +
                                       format->name + "), not a sound file"};
    }
    return format;
}

} // namespace

void requireRegularFile(const std::string &path)
{
    // stat does not open, so a pipe or a device cannot keep us waiting.
    struct stat info = {};
    if (stat(path.c_str(), &info) != 0)
        throw CoderError{path, std::strerror(errno)};
    if (S_ISREG(info.st_mode))
        return;
    const char *what = S_ISDIR(info.st_mode)    ? "is a folder"
                       : S_ISFIFO(info.st_mode) ? "is a pipe (FIFO), not a file"
                       : S_ISSOCK(info.st_mode) ? "is a socket, not a file"
                       : S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "is a device, not a file"
                                                                        : "is not a regular file";
    throw CoderError{path, what};
}

AVFormatContext *openDemuxer(const std::string &path)
{
    requireRegularFile(path);
    AVFormatContext *demuxer = avformat_alloc_context();
    if (!demuxer)
        throw CoderError{path, "out of memory"};
    demuxer->interrupt_callback.callback = &TemporaryOutput::interruptCallback;
    // "file:" keeps libavformat from reading a protocol into a name like "a:b.mp3".
    const std::string url = "file:" + path;
    const AVInputFormat *format = nullptr;
    try {
        format = readerFor(path, url, demuxer->interrupt_callback);
    } catch (...) {
        avformat_free_context(demuxer);
        throw;
    }
    AVDictionary *options = fileOnly();
    int ret = avformat_open_input(&demuxer, url.c_str(), format, &options);
    av_dict_free(&options);
    if (ret < 0)
        throw CoderError{path, avErrorText(ret)};
    ret = avformat_find_stream_info(demuxer, nullptr);
    if (ret < 0) {
        avformat_close_input(&demuxer);
        throw CoderError{path, avErrorText(ret)};
    }
    return demuxer;
}

AVCodecContext *openDecoder(const std::string &path, const AVStream &stream, const AVCodec &codec)
{
    AVCodecContext *decoder = avcodec_alloc_context3(&codec);
    if (!decoder)
        throw CoderError{path, "out of memory"};
    int ret = avcodec_parameters_to_context(decoder, stream.codecpar);
    if (ret >= 0) {
        decoder->pkt_timebase = stream.time_base;
        ret = avcodec_open2(decoder, &codec, nullptr);
    }
    if (ret < 0) {
        avcodec_free_context(&decoder);
        throw CoderError{path, "cannot decode its audio: " + avErrorText(ret)};
    }
    if (decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        const int channels = decoder->ch_layout.nb_channels;
        av_channel_layout_uninit(&decoder->ch_layout);
        av_channel_layout_default(&decoder->ch_layout, channels);
    }
    return decoder;
}

AVChannelLayout frameLayout(const AVFrame &frame, int decoderChannels)
{
    AVChannelLayout layout{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame.ch_layout.nb_channels == 0)
        av_channel_layout_default(&layout, frame.ch_layout.nb_channels > 0
                                               ? frame.ch_layout.nb_channels
                                               : decoderChannels);
    else
        av_channel_layout_copy(&layout, &frame.ch_layout);
    return layout;
}

std::vector<const std::uint8_t *> framePlanes(const AVFrame &frame, int skip)
{
    const auto format = static_cast<AVSampleFormat>(frame.format);
    const int channels = frame.ch_layout.nb_channels;
    const bool planar = av_sample_fmt_is_planar(format);
    const int bytes = av_get_bytes_per_sample(format) * (planar ? 1 : channels);
    std::vector<const std::uint8_t *> planes(static_cast<std::size_t>(planar ? channels : 1));
    for (std::size_t p = 0; p < planes.size(); ++p)
        planes[p] = frame.extended_data[p] + static_cast<std::ptrdiff_t>(skip) * bytes;
    return planes;
}

std::int64_t firstFramePlace(const AVFrame &frame, const AVStream &stream, int rate)
{
    std::int64_t pts = frame.pts != AV_NOPTS_VALUE ? frame.pts : frame.best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        return 0;
    if (stream.start_time != AV_NOPTS_VALUE)
        pts -= stream.start_time;
    return av_rescale_q(pts, stream.time_base, AVRational{1, rate});
}
