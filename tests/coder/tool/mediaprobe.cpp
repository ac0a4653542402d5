#include "mediaprobe.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <cmath>
#include <numbers>

namespace
{

QString avText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

struct Decoding {
    AVFormatContext *format = nullptr;
    AVCodecContext *codec = nullptr;
    SwrContext *mixer = nullptr;
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    ~Decoding()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&mixer);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

bool mixDown(Decoding &d, const AVFrame *frame, MediaInfo &info)
{
    if (!d.mixer) {
        AVChannelLayout in{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&in, frame->ch_layout.nb_channels);
        else
            av_channel_layout_copy(&in, &frame->ch_layout);
        AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
        const int ret =
            swr_alloc_set_opts2(&d.mixer, &mono, AV_SAMPLE_FMT_FLT, frame->sample_rate, &in,
                                AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        if (ret < 0 || swr_init(d.mixer) < 0)
            return false;
    }
    const int count = frame ? frame->nb_samples : 0;
    const int room = swr_get_out_samples(d.mixer, count) + 16;
    const std::size_t before = info.samples.size();
    info.samples.resize(before + std::size_t(room));
    auto *out = reinterpret_cast<std::uint8_t *>(info.samples.data() + before);
    const int got = swr_convert(
        d.mixer, &out, room,
        frame ? const_cast<const std::uint8_t **>(frame->extended_data) : nullptr, count);
    info.samples.resize(before + std::size_t(std::max(got, 0)));
    return got >= 0;
}

} // namespace

double MediaInfo::frequency(double from, double length) const
{
    const auto first = std::size_t(std::max(0.0, from) * sampleRate);
    const auto last = std::min(samples.size(), std::size_t((from + length) * sampleRate));
    int crossings = 0;
    for (std::size_t i = first + 1; i < last; ++i) {
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f)
            ++crossings;
    }
    return last > first ? crossings * double(sampleRate) / double(last - first) : 0.0;
}

MediaInfo probeMedia(const QString &path)
{
    MediaInfo info;
    Decoding d;
    const QByteArray url = "file:" + QFile::encodeName(path);
    int ret = avformat_open_input(&d.format, url.constData(), nullptr, nullptr);
    if (ret >= 0)
        ret = avformat_find_stream_info(d.format, nullptr);
    if (ret < 0) {
        info.error = avText(ret);
        return info;
    }
    info.container = QString::fromLatin1(d.format->iformat->name);
    info.hasVideo = av_find_best_stream(d.format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0) >= 0;
    const AVCodec *decoder = nullptr;
    const int index = av_find_best_stream(d.format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (index < 0) {
        info.error = QStringLiteral("no audio stream");
        return info;
    }
    const AVCodecParameters *par = d.format->streams[index]->codecpar;
    for (const AVDictionary *tags : {d.format->metadata, d.format->streams[index]->metadata}) {
        if (const AVDictionaryEntry *tag = av_dict_get(tags, "title", nullptr, 0);
            tag && info.title.isEmpty())
            info.title = QString::fromUtf8(tag->value);
    }
    info.codec = QString::fromLatin1(avcodec_get_name(par->codec_id));
    info.sampleRate = par->sample_rate;
    info.channels = par->ch_layout.nb_channels;
    info.bitRate = par->bit_rate;

    d.codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(d.codec, par);
    d.codec->pkt_timebase = d.format->streams[index]->time_base;
    if ((ret = avcodec_open2(d.codec, decoder, nullptr)) < 0) {
        info.error = avText(ret);
        return info;
    }
    auto drain = [&]() {
        while (avcodec_receive_frame(d.codec, d.frame) >= 0) {
            if (!mixDown(d, d.frame, info))
                return false;
            av_frame_unref(d.frame);
        }
        return true;
    };
    while (av_read_frame(d.format, d.packet) >= 0) {
        if (d.packet->stream_index == index)
            avcodec_send_packet(d.codec, d.packet);
        av_packet_unref(d.packet);
        if (!drain()) {
            info.error = QStringLiteral("cannot mix the audio down");
            return info;
        }
    }
    avcodec_send_packet(d.codec, nullptr);
    drain();
    if (d.mixer)
        mixDown(d, nullptr, info);
    return info;
}

bool writeWav(const QString &path, int rate, int channels, std::int64_t frames,
              const std::function<std::int16_t(std::int64_t, int)> &sample)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const auto dataBytes = std::uint32_t(frames * channels * 2);
    QByteArray header;
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            header.append(char(v >> (8 * i)));
    };
    auto put16 = [&](std::uint16_t v) {
        header.append(char(v));
        header.append(char(v >> 8));
    };
    header.append("RIFF");
    put32(36 + dataBytes);
    header.append("WAVEfmt ");
    put32(16);
    put16(1);
    put16(std::uint16_t(channels));
    put32(std::uint32_t(rate));
    put32(std::uint32_t(rate * channels * 2));
    put16(std::uint16_t(channels * 2));
    put16(16);
    header.append("data");
    put32(dataBytes);
    file.write(header);

    QByteArray block;
    for (std::int64_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const std::int16_t v = sample(i, c);
            block.append(char(v & 0xff));
            block.append(char((v >> 8) & 0xff));
        }
        if (block.size() >= 1 << 16) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
    return file.error() == QFile::NoError;
}

bool writeToneWav(const QString &path, int rate, int channels, double seconds,
                  const std::function<double(double)> &frequencyAt)
{
    double phase = 0.0;
    std::int64_t lastIndex = -1;
    std::int16_t value = 0;
    return writeWav(path, rate, channels, std::llround(seconds * rate), [&](std::int64_t i, int) {
        if (i != lastIndex) {
            value = std::int16_t(std::lround(16383.0 * std::sin(phase)));
            phase += 2.0 * std::numbers::pi * frequencyAt(double(i) / rate) / rate;
            lastIndex = i;
        }
        return value;
    });
}
