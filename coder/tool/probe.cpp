#include "probe.h"

#include "audiosink.h"
#include "codererror.h"
#include "decodesetup.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/intreadwrite.h>
}

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{

struct Reading {
    AVFormatContext *format = nullptr;
    AVCodecContext *codec = nullptr;
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    ~Reading()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

const char *titleOf(const AVFormatContext &format, const AVStream &stream)
{
    if (const AVDictionaryEntry *tag = av_dict_get(format.metadata, "title", nullptr, 0))
        return tag->value;
    if (const AVDictionaryEntry *tag = av_dict_get(stream.metadata, "title", nullptr, 0))
        return tag->value;
    return nullptr;
}

} // namespace

std::string escapeTag(const std::string &value)
{
    std::string text;
    for (char c : value) {
        if (c == '\\' || c == '=' || c == ':')
            text += {'\\', c};
        else if (c == '\n')
            text += "\\n";
        else if (c == '\r')
            text += "\\r";
        else
            text += c;
    }
    return text;
}

ProbeResult probeFile(const std::string &path, const std::string &shownAs)
{
    Reading r;
    if (!r.packet || !r.frame)
        throw CoderError{shownAs, "out of memory"};
    try {
        r.format = openDemuxer(path);
    } catch (const CoderError &error) {
        throw CoderError{shownAs, "cannot read it back: " + error.reason, error.exitCode};
    }
    int ret = 0;

    const AVCodec *decoder = nullptr;
    const int index = av_find_best_stream(r.format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (index < 0 || !decoder)
        throw CoderError{shownAs, index == AVERROR_STREAM_NOT_FOUND ? "no audio stream"
                                                                    : "no decoder for its audio"};
    const AVStream &stream = *r.format->streams[index];
    const AVCodecParameters &par = *stream.codecpar;
    if (par.sample_rate <= 0)
        throw CoderError{shownAs, "its audio has no sample rate"};
    r.codec = avcodec_alloc_context3(decoder);
    if (!r.codec || avcodec_parameters_to_context(r.codec, &par) < 0)
        throw CoderError{shownAs, "out of memory"};
    r.codec->pkt_timebase = stream.time_base;
    ret = avcodec_open2(r.codec, decoder, nullptr);
    if (ret < 0)
        throw CoderError{shownAs, "cannot decode its audio: " + avErrorText(ret)};

    // Packet lengths add up where the time base resolves single samples;
    // where it is coarser (ASF counts milliseconds) the time stamps' span is
    // exact and the sum of rounded lengths is not.
    const AVRational perSample{1, par.sample_rate};
    const bool fine = std::int64_t(stream.time_base.num) * par.sample_rate <= stream.time_base.den;
    std::int64_t summed = 0;
    std::int64_t skippedStart = 0;
    std::int64_t skippedEnd = 0;
    std::int64_t first = AV_NOPTS_VALUE;
    std::int64_t end = AV_NOPTS_VALUE;
    std::int64_t longestPacket = 0;
    bool decodedOne = false;
    while ((ret = av_read_frame(r.format, r.packet)) >= 0) {
        if (r.packet->stream_index != index) {
            av_packet_unref(r.packet);
            continue;
        }
        const std::int64_t length =
            r.packet->duration > 0 ? av_rescale_q(r.packet->duration, stream.time_base, perSample)
                                   : av_get_audio_frame_duration2(stream.codecpar, r.packet->size);
        longestPacket = std::max(longestPacket, length);
        summed += length;
        if (r.packet->pts != AV_NOPTS_VALUE) {
            if (first == AV_NOPTS_VALUE)
                first = r.packet->pts;
            end = std::max(end, r.packet->pts + std::max<std::int64_t>(r.packet->duration, 0));
        }
        // Encoder delay and end padding, which a player drops.
        std::size_t size = 0;
        if (const std::uint8_t *skip =
                av_packet_get_side_data(r.packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
            skip && size >= 8) {
            skippedStart += AV_RL32(skip);
            skippedEnd += AV_RL32(skip + 4);
        }
        if (!decodedOne && avcodec_send_packet(r.codec, r.packet) >= 0) {
            const int got = avcodec_receive_frame(r.codec, r.frame);
            if (got >= 0)
                decodedOne = true;
            else if (got != AVERROR(EAGAIN))
                throw CoderError{shownAs, "cannot decode its audio: " + avErrorText(got)};
            av_frame_unref(r.frame);
        }
        av_packet_unref(r.packet);
    }
    if (ret != AVERROR_EOF)
        throw CoderError{shownAs, "cannot read it back: " + avErrorText(ret)};
    // A codec that holds its first frames back gives them up at the end.
    if (!decodedOne && avcodec_send_packet(r.codec, nullptr) >= 0 &&
        avcodec_receive_frame(r.codec, r.frame) >= 0)
        decodedOne = true;

    std::int64_t samples = summed - skippedEnd;
    if (std::strcmp(r.format->iformat->name, "ogg") == 0 && stream.duration > 0 &&
        r.format->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE) {
        // An Ogg page ends at an exact sample position, which gives the
        // length from the last page. The lengths the reader gives the Vorbis
        // packets are estimates, wrong wherever a long block meets a short
        // one (a tenth too short for music with transients), and the last
        // packet's does not hold up where the whole stretch fits one page.
        samples = av_rescale_q(stream.duration, stream.time_base, perSample);
    } else if (!fine && first != AV_NOPTS_VALUE) {
        samples = av_rescale_q(end - first, stream.time_base, perSample) - skippedEnd;
    }
    samples -= std::min(samples, skippedStart);
    if (!decodedOne || samples <= 0)
        throw CoderError{shownAs, "no audio could be read back"};

    ProbeResult result;
    result.container = r.format->iformat->name;
    result.codec = avcodec_get_name(par.codec_id);
    result.rate = par.sample_rate;
    result.channels = par.ch_layout.nb_channels;
    result.samples = samples;
    const bool pcm = av_get_exact_bits_per_sample(par.codec_id) > 0;
    result.frame = pcm ? 1 : par.frame_size > 0 ? par.frame_size : std::max<std::int64_t>(longestPacket, 1);
    if (const char *title = titleOf(*r.format, stream))
        result.title = title;
    return result;
}

void printProbe(const ProbeResult &result)
{
    std::printf("Read back:\n");
    std::printf("container: %s\n", result.container.c_str());
    std::printf("codec: %s\n", result.codec.c_str());
    std::printf("rate: %d\n", result.rate);
    std::printf("channels: %d\n", result.channels);
    std::printf("samples: %lld\n", static_cast<long long>(result.samples));
    std::printf("frame: %lld\n", static_cast<long long>(result.frame));
    if (result.title)
        std::printf("title: %s\n", escapeTag(*result.title).c_str());
    std::fflush(stdout);
}
