#include "encodersink.h"

#include "codererror.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>
#include <limits>

namespace
{

int nearestRate(const int *rates, int wanted)
{
    int best = rates[0];
    for (const int *r = rates; *r != 0; ++r) {
        if (std::abs(*r - wanted) < std::abs(best - wanted))
            best = *r;
    }
    return best;
}

bool rateSupported(const int *rates, int rate)
{
    for (const int *r = rates; *r != 0; ++r) {
        if (*r == rate)
            return true;
    }
    return false;
}

// 16-bit samples where the encoder takes them (PCM, FLAC), else its first choice.
AVSampleFormat chooseSampleFormat(const AVCodec *codec)
{
    if (!codec->sample_fmts)
        return AV_SAMPLE_FMT_S16;
    for (const AVSampleFormat *f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
        if (*f == AV_SAMPLE_FMT_S16 || *f == AV_SAMPLE_FMT_S16P)
            return *f;
    }
    return codec->sample_fmts[0];
}

bool isUtf8(const std::string &text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int more = 0;
        if (lead < 0x80)
            more = 0;
        else if (lead >= 0xc2 && lead <= 0xdf)
            more = 1;
        else if (lead >= 0xe0 && lead <= 0xef)
            more = 2;
        else if (lead >= 0xf0 && lead <= 0xf4)
            more = 3;
        else
            return false;
        if (i + static_cast<std::size_t>(more) >= text.size() && more > 0)
            return false;
        for (int k = 1; k <= more; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80)
                return false;
        }
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

} // namespace

std::string titleFor(const std::string &target)
{
    const auto slash = target.find_last_of('/');
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    // A tag holds text; a name in some other encoding is left untagged
    // rather than turned into garbage on the phone's list.
    return isUtf8(name) ? name : std::string();
}

const char *EncoderSink::wavSizeForm(const CoderOptions &options) const
{
    // Tests see the 64-bit form on a short file through this.
    if (const char *forced = std::getenv("KESMARIN_CODER_RF64"); forced && std::strcmp(forced, "always") == 0)
        return "always";
    // Past 4 GB (about 6.7 hours of CD-rate stereo) a WAV's 32-bit sizes
    // overflow and readers stop at 4 GB; RF64 carries 64-bit sizes in a
    // "ds64" chunk at the front. Room for it is kept (a JUNK chunk, turned
    // into "ds64" at the end only when the file did pass 4 GB) whenever the
    // output may grow that far: a decode, or a long cut. A shorter cut keeps
    // the plain 44-byte header.
    if (options.length) {
        const double bytes = *options.length * m_encoder->sample_rate * m_encoder->ch_layout.nb_channels *
                             av_get_bytes_per_sample(m_encoder->sample_fmt);
        if (bytes < double(std::numeric_limits<std::uint32_t>::max() - (1u << 20)))
            return "never";
    }
    return "auto";
}

EncoderSink::EncoderSink(const std::string &file, const std::string &target,
                         const OutputFormat &format, const CoderOptions &options, int sourceRate,
                         const AVChannelLayout &sourceLayout, int (*interrupted)(void *))
    : m_target(target)
{
    try {
        open(file, format, options, sourceRate, sourceLayout, interrupted);
    } catch (...) {
        release();
        throw;
    }
}

void EncoderSink::open(const std::string &file, const OutputFormat &format,
                       const CoderOptions &options, int sourceRate,
                       const AVChannelLayout &sourceLayout, int (*interrupted)(void *))
{
    int ret = avformat_alloc_output_context2(&m_muxer, nullptr, format.container.c_str(), nullptr);
    if (ret < 0 || !m_muxer)
        fail("cannot set up the " + format.container + " container", ret);
    m_muxer->interrupt_callback.callback = interrupted;
    // Plain files: no tool name or time stamps in the headers (a WAV keeps
    // its 44-byte header).
    m_muxer->flags |= AVFMT_FLAG_BITEXACT;

    configure(format, options, sourceRate, sourceLayout);

    // Phones list ringtones by their title tag. A WAV stays a bare 44-byte
    // header: players take its name from the file anyway.
    const std::string title = titleFor(m_target);
    if (format.container != "wav" && !title.empty()) {
        av_dict_set(&m_muxer->metadata, "title", title.c_str(), 0);
        // Ogg keeps its comments per stream.
        av_dict_set(&m_stream->metadata, "title", title.c_str(), 0);
    }

    m_packet = av_packet_alloc();
    if (!m_packet)
        fail("out of memory", AVERROR(ENOMEM));

    // "file:" keeps libavformat from reading a protocol into a name like "a:b.mp3".
    const std::string url = "file:" + file;
    ret = avio_open2(&m_muxer->pb, url.c_str(), AVIO_FLAG_WRITE, &m_muxer->interrupt_callback,
                     nullptr);
    if (ret < 0)
        fail("cannot write", ret);
    AVDictionary *muxerOptions = nullptr;
    if (format.container == "wav")
        av_dict_set(&muxerOptions, "rf64", wavSizeForm(options), 0);
    ret = avformat_write_header(m_muxer, &muxerOptions);
    av_dict_free(&muxerOptions);
    if (ret < 0)
        fail("cannot write the header", ret);
}

void EncoderSink::configure(const OutputFormat &format, const CoderOptions &options, int sourceRate,
                            const AVChannelLayout &sourceLayout)
{
    const std::string codecName = options.codec.value_or(format.codec);
    const AVCodec *codec = avcodec_find_encoder_by_name(codecName.c_str());
    if (!codec || codec->type != AVMEDIA_TYPE_AUDIO)
        throw CoderError{m_target, "no audio encoder named \"" + codecName + "\""};
    // 0 is a firm no; a negative answer means the muxer keeps no list.
    if (avformat_query_codec(m_muxer->oformat, codec->id, FF_COMPLIANCE_NORMAL) == 0)
        throw CoderError{m_target, "a ." + format.extension + " file cannot hold " + codecName};

    int rate = 0;
    if (options.sampleRate) {
        rate = *options.sampleRate;
        if (codec->supported_samplerates && !rateSupported(codec->supported_samplerates, rate))
            throw CoderError{m_target,
                             codecName + " cannot encode at " + std::to_string(rate) + " Hz"};
    } else {
        rate = format.sampleRate != 0 ? format.sampleRate : sourceRate;
        if (codec->supported_samplerates)
            rate = nearestRate(codec->supported_samplerates, rate);
    }

    int channels = 0;
    if (options.channels) {
        channels = *options.channels;
        if (channels > format.maxChannels)
            throw CoderError{m_target, "a ." + format.extension + " file takes at most " +
                                           std::to_string(format.maxChannels) + " channels"};
    } else {
        channels = format.channels != 0 ? format.channels
                                        : std::min(sourceLayout.nb_channels, format.maxChannels);
    }

    m_encoder = avcodec_alloc_context3(codec);
    if (!m_encoder)
        fail("out of memory", AVERROR(ENOMEM));
    m_encoder->sample_rate = rate;
    m_encoder->time_base = AVRational{1, rate};
    m_encoder->sample_fmt = chooseSampleFormat(codec);
    if (sourceLayout.nb_channels == channels && sourceLayout.order == AV_CHANNEL_ORDER_NATIVE)
        av_channel_layout_copy(&m_encoder->ch_layout, &sourceLayout);
    else
        av_channel_layout_default(&m_encoder->ch_layout, channels);
    if (codec->ch_layouts) {
        bool found = false;
        for (const AVChannelLayout *l = codec->ch_layouts; l->nb_channels != 0; ++l) {
            if (av_channel_layout_compare(l, &m_encoder->ch_layout) == 0) {
                found = true;
                break;
            }
        }
        if (!found) {
            for (const AVChannelLayout *l = codec->ch_layouts; l->nb_channels != 0; ++l) {
                if (l->nb_channels == channels) {
                    av_channel_layout_uninit(&m_encoder->ch_layout);
                    av_channel_layout_copy(&m_encoder->ch_layout, l);
                    found = true;
                    break;
                }
            }
        }
        if (!found)
            throw CoderError{m_target, codecName + " cannot encode " + std::to_string(channels) +
                                           " channels"};
    }

    if (options.bitRate)
        m_encoder->bit_rate = *options.bitRate;
    else if (format.quality) {
        // Vorbis quality 4: about 128 kbit/s for CD-rate stereo, less for speech.
        m_encoder->flags |= AV_CODEC_FLAG_QSCALE;
        m_encoder->global_quality = 4 * FF_QP2LAMBDA;
    } else if (format.bitRate != 0)
        m_encoder->bit_rate = format.bitRate;

    if (m_muxer->oformat->flags & AVFMT_GLOBALHEADER)
        m_encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    int ret = avcodec_open2(m_encoder, codec, nullptr);
    if (ret < 0)
        fail("cannot open the " + codecName + " encoder", ret);

    m_stream = avformat_new_stream(m_muxer, nullptr);
    if (!m_stream)
        fail("out of memory", AVERROR(ENOMEM));
    m_stream->time_base = m_encoder->time_base;
    ret = avcodec_parameters_from_context(m_stream->codecpar, m_encoder);
    if (ret < 0)
        fail("cannot set up the stream", ret);
}

EncoderSink::~EncoderSink()
{
    release();
}

void EncoderSink::release()
{
    if (m_muxer && m_muxer->pb)
        avio_closep(&m_muxer->pb);
    avformat_free_context(m_muxer);
    avcodec_free_context(&m_encoder);
    m_muxer = nullptr;
    av_packet_free(&m_packet);
}

AVSampleFormat EncoderSink::sampleFormat() const
{
    return m_encoder->sample_fmt;
}
int EncoderSink::sampleRate() const
{
    return m_encoder->sample_rate;
}
const AVChannelLayout &EncoderSink::channelLayout() const
{
    return m_encoder->ch_layout;
}

int EncoderSink::frameSize() const
{
    if (m_encoder->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE)
        return 0;
    return m_encoder->frame_size;
}

std::string EncoderSink::description() const
{
    std::string text = std::string(m_muxer->oformat->name) + ", " + m_encoder->codec->name + ", " +
                       std::to_string(m_encoder->sample_rate) + " Hz, " +
                       std::to_string(m_encoder->ch_layout.nb_channels) + " channel(s)";
    if (m_encoder->bit_rate > 0)
        text += ", " + std::to_string(m_encoder->bit_rate / 1000) + " kb/s";
    return text;
}

void EncoderSink::write(const AVFrame *frame)
{
    const int ret = avcodec_send_frame(m_encoder, frame);
    if (ret < 0)
        fail("encoding failed", ret);
    drain();
}

void EncoderSink::drain()
{
    for (;;) {
        int ret = avcodec_receive_packet(m_encoder, m_packet);
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return;
        if (ret < 0)
            fail("encoding failed", ret);
        m_packet->stream_index = m_stream->index;
        av_packet_rescale_ts(m_packet, m_encoder->time_base, m_stream->time_base);
        ret = av_interleaved_write_frame(m_muxer, m_packet);
        if (ret < 0)
            fail("write error", ret);
    }
}

void EncoderSink::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    write(nullptr);
    int ret = av_write_trailer(m_muxer);
    if (ret < 0)
        fail("write error", ret);
    avio_flush(m_muxer->pb);
    if (m_muxer->pb->error < 0)
        fail("write error", m_muxer->pb->error);
    m_bytes = avio_tell(m_muxer->pb);
    ret = avio_closep(&m_muxer->pb);
    if (ret < 0)
        fail("write error", ret);
}

void EncoderSink::flush()
{
    if (!m_muxer->pb)
        return;
    avio_flush(m_muxer->pb);
    if (m_muxer->pb->error < 0)
        fail("write error", m_muxer->pb->error);
}

long long EncoderSink::bytesWritten() const
{
    return m_muxer->pb ? avio_tell(m_muxer->pb) : m_bytes;
}

long long EncoderSink::rawStart()
{
    if (m_encoder->codec_id != AV_CODEC_ID_PCM_S16LE || std::string(m_muxer->oformat->name) != "wav")
        return -1;
    if (m_rawStart < 0) {
        avio_flush(m_muxer->pb);
        if (m_muxer->pb->error < 0)
            fail("write error", m_muxer->pb->error);
        m_rawStart = avio_tell(m_muxer->pb);
    }
    return m_rawStart;
}

void EncoderSink::adoptRaw(int fd, std::int64_t frames)
{
    // The muxer counts samples from the packets it sees (RF64 keeps the
    // count): the first and the last block go through it again, the same
    // bytes over themselves, and it ends where the samples end.
    constexpr int block = 4096;
    if (frames <= 0)
        return;
    const int head = static_cast<int>(std::min<std::int64_t>(frames, block));
    writeRaw(fd, 0, head);
    if (frames > head) {
        const int tail = static_cast<int>(std::min<std::int64_t>(frames - head, block));
        const int frameBytes = m_encoder->ch_layout.nb_channels * 2;
        if (avio_seek(m_muxer->pb, m_rawStart + (frames - tail) * frameBytes, SEEK_SET) < 0)
            fail("write error", AVERROR(EIO));
        writeRaw(fd, frames - tail, tail);
    }
}

void EncoderSink::writeRaw(int fd, std::int64_t first, int count)
{
    const int frameBytes = m_encoder->ch_layout.nb_channels * 2;
    std::vector<std::uint8_t> data(static_cast<std::size_t>(count) * frameBytes);
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t got = pread(fd, data.data() + done, data.size() - done,
                                  m_rawStart + first * frameBytes + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            fail("read error", got < 0 ? AVERROR(errno) : AVERROR_EOF);
        done += static_cast<std::size_t>(got);
    }
    m_packet->data = data.data();
    m_packet->size = static_cast<int>(data.size());
    m_packet->stream_index = m_stream->index;
    m_packet->pts = m_packet->dts = av_rescale_q(first, m_encoder->time_base, m_stream->time_base);
    m_packet->duration = av_rescale_q(count, m_encoder->time_base, m_stream->time_base);
    const int ret = av_write_frame(m_muxer, m_packet);
    av_packet_unref(m_packet);
    if (ret < 0)
        fail("write error", ret);
}

void EncoderSink::fail(const std::string &what, int code) const
{
    throw CoderError{m_target, what + ": " + avErrorText(code)};
}
