#include "decodesetup.h"

#include "audiosink.h"
#include "codererror.h"
#include "temporaryoutput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

AVFormatContext *openDemuxer(const std::string &path)
{
    AVFormatContext *demuxer = avformat_alloc_context();
    if (!demuxer)
        throw CoderError{path, "out of memory"};
    demuxer->interrupt_callback.callback = &TemporaryOutput::interruptCallback;
    // "file:" keeps libavformat from reading a protocol into a name like "a:b.mp3".
    const std::string url = "file:" + path;
    int ret = avformat_open_input(&demuxer, url.c_str(), nullptr, nullptr);
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
