#include "transcoder.h"

#include "amrnbsink.h"
#include "codererror.h"
#include "decodesetup.h"
#include "encodersink.h"
#include "filtersink.h"
#include "peakmetersink.h"
#include "paralleldecode.h"
#include "probe.h"
#include "temporaryoutput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace
{

// Reading stops after this many damaged packets in a row; a file that is
// nothing but damage should not keep the job busy forever.
constexpr int maxConsecutiveReadErrors = 1000;

bool isPcm(AVCodecID id)
{
    return id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT;
}

} // namespace

Transcoder::Transcoder(const CoderOptions &options, const OutputFormat &format, MeterFactory meter)
    : m_options(options), m_format(format), m_meter(std::move(meter))
{
}

Transcoder::~Transcoder()
{
    m_sink.reset();
    if (m_converted)
        av_freep(&m_converted[0]);
    av_freep(&m_converted);
    av_audio_fifo_free(m_fifo);
    swr_free(&m_resampler);
    av_channel_layout_uninit(&m_inLayout);
    av_frame_free(&m_outFrame);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_decoder);
    avformat_close_input(&m_demuxer);
}

void Transcoder::run()
{
    checkPaths();
    openInput();

    // A measuring run writes no file at all.
    std::optional<TemporaryOutput> output;
    if (m_options.growing && !isWorkingFileDecode())
        throw CoderError{"-growing", "only a whole decode to WAV is written while it is read",
                         ExitUsage};
    if (!m_options.nullOutput)
        output.emplace(m_options.output, m_options.growing);
    std::fprintf(stderr, "Output #0, %s, to '%s':\n", m_format.extension.c_str(),
                 ProgressReport::echoName(m_options.output).c_str());
    openSink(output ? output->path() : std::string());
    if (output)
        checkRoom();
    if (m_options.growing) {
        // The header goes to disk now, so the file can be opened at once.
        m_dataStart = m_sink->rawStart();
        if (m_dataStart < 0)
            throw CoderError{"-growing", "only 16-bit PCM is written while it is read", ExitUsage};
        const int rate = m_sink->sampleRate();
        m_progress.growing(rate, m_sink->channelLayout().nb_channels, m_dataStart,
                           m_inputDuration > 0 ? av_rescale(m_inputDuration, rate, AV_TIME_BASE)
                                               : -1);
    }

    seekToStart();
    if (!output || !decodeOnThreads(output->path()))
        decode();
    checkStop();

    if (m_framesDecoded == 0)
        throw CoderError{m_options.input, m_seeked ? "nothing to write: the start lies past the end"
                                                   : "no audio could be decoded"};
    if (m_resampler) {
        // Whatever the resampler still holds belongs to the end of the stretch.
        convert({}, 0);
    }
    writeFrames(true);
    if (m_samplesWritten == 0)
        throw CoderError{m_options.input, "nothing to write: the start lies past the end"};
    if (m_dataStart >= 0)
        reportDecoded(true);
    m_sink->finish();
    checkStop();
    if (m_packetsSkipped > 0)
        std::fprintf(stderr, "skipped %lld damaged packet(s)\n", m_packetsSkipped);
    m_progress.final(static_cast<double>(m_samplesWritten) / m_sink->sampleRate(),
                     m_sink->bytesWritten());
    const int rate = m_sink->fileRate();
    const long long samples = m_sink->fileSamples(m_samplesWritten);
    m_sink.reset();
    if (output) {
        // An export is read back before it may replace the old file; the
        // working file is not (nothing reads the block, and it may be hours
        // long), and it need not survive a crash of the system.
        if (!isWorkingFileDecode())
            readBack(output->path(), rate, samples);
        output->commit(!isWorkingFileDecode());
        if (m_dataStart >= 0)
            m_progress.complete(samples);
    }
}

void Transcoder::reportDecoded(bool now)
{
    const auto clock = std::chrono::steady_clock::now();
    if (!now && m_reportedEnd > 0 && clock - m_lastReport < std::chrono::milliseconds(100))
        return;
    // Counted from the bytes that reached the file, whatever the muxer still holds.
    m_sink->flush();
    const long long frameBytes = m_sink->channelLayout().nb_channels * 2LL;
    const long long end = (m_sink->bytesWritten() - m_dataStart) / frameBytes;
    m_lastReport = clock;
    if (end <= m_reportedEnd)
        return;
    m_reportedEnd = end;
    m_progress.decoded(0, end);
}

bool Transcoder::isWorkingFileDecode() const
{
    // Exports always cut a stretch; the whole input to WAV is the decode into
    // the private working file.
    return !m_options.length && m_options.start == 0.0 && m_format.extension == "wav";
}

bool Transcoder::decodeOnThreads(const std::string &file)
{
    if (!isWorkingFileDecode() || m_options.threads == 1)
        return false;
    const long long dataStart = m_sink->rawStart();
    const int threads = ParallelDecode::threadCount(m_options.threads);
    if (dataStart < 0 || threads < 2)
        return false;
    // Tests reach run boundaries in short files through a shorter minimum.
    double minimumRun = 30.0;
    if (const char *text = std::getenv("KESMARIN_CODER_MIN_RUN_SECONDS")) {
        const double value = std::atof(text);
        if (value > 0.0)
            minimumRun = value;
    }

    const int fd = open(file.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        throw CoderError{m_options.output, std::strerror(errno)};
    ParallelDecode::Result result;
    try {
        ParallelDecode::Target target;
        target.name = m_options.output;
        target.fd = fd;
        target.dataStart = dataStart;
        target.sampleRate = m_sink->sampleRate();
        target.layout = m_sink->channelLayout();
        target.reportStretches = m_dataStart >= 0;
        ParallelDecode parallel(m_options.input, *m_demuxer->streams[m_streamIndex], *m_codec,
                                target, m_progress);
        result = parallel.run(threads, minimumRun);
        if (result.done)
            m_sink->adoptRaw(fd, result.samples);
    } catch (...) {
        close(fd);
        throw;
    }
    close(fd);
    checkStop();
    if (!result.done) {
        std::fprintf(stderr, "decoding on one thread: %s\n", result.reason.c_str());
        return false;
    }
    m_framesDecoded = result.frames;
    m_samplesWritten = result.samples;
    return true;
}

void Transcoder::readBack(const std::string &file, int rate, long long samples) const
{
    // Before the rename: a file that does not read back as what was written
    // must not replace the old one.
    const ProbeResult back = probeFile(file, m_options.output);
    checkStop();
    if (back.rate != rate ||
        std::llabs(back.samples - samples) > std::max<std::int64_t>(back.frame, 1))
        throw CoderError{m_options.output,
                         "reads back as " + std::to_string(back.samples) + " samples at " +
                             std::to_string(back.rate) + " Hz, but " +
                             std::to_string(samples) + " at " + std::to_string(rate) +
                             " Hz were written"};
    printProbe(back);
}

namespace
{

std::string sizeText(double bytes)
{
    const char *units[] = {"bytes", "KB", "MB", "GB", "TB", "PB", "EB"};
    int unit = 0;
    while (bytes >= 1000.0 && unit < 6) {
        bytes /= 1000.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, units[unit]);
    return text;
}

} // namespace

void Transcoder::checkRoom() const
{
    // Uncompressed samples are the one output that can outgrow the disk:
    // hours of many channels at a high rate come to gigabytes from a file of
    // a few megabytes. Its size is known before the first sample.
    if (m_format.extension != "wav" || m_inputDuration <= 0)
        return;
    double seconds = static_cast<double>(m_inputDuration) / AV_TIME_BASE - m_options.start;
    if (m_options.length)
        seconds = std::min(seconds, *m_options.length);
    if (seconds <= 0.0)
        return;
    const double bytes = seconds * m_sink->sampleRate() * m_sink->channelLayout().nb_channels *
                         av_get_bytes_per_sample(m_sink->sampleFormat());

    double available = 0.0;
    // Test seam: a small disk cannot be had on demand, so tests name the
    // free space here. Nothing else sets it.
    if (const char *forced = std::getenv("KESMARIN_CODER_FREE_BYTES")) {
        available = std::atof(forced);
    } else {
        const auto slash = m_options.output.find_last_of('/');
        const std::string folder = slash == std::string::npos ? std::string(".")
                                   : slash == 0               ? std::string("/")
                                                              : m_options.output.substr(0, slash);
        struct statvfs disk = {};
        if (statvfs(folder.c_str(), &disk) != 0)
            return; // the writes will tell
        available = static_cast<double>(disk.f_bavail) * static_cast<double>(disk.f_frsize);
    }
    if (bytes > available)
        throw CoderError{m_options.output, "needs about " + sizeText(bytes) + " but only " +
                                               sizeText(available) + " are free on its disk"};
}

void Transcoder::checkPaths() const
{
    requireRegularFile(m_options.input);
    struct stat in = {};
    if (stat(m_options.input.c_str(), &in) != 0)
        throw CoderError{m_options.input, std::strerror(errno)};
    if (in.st_size == 0)
        throw CoderError{m_options.input, "the file is empty"};

    struct stat out = {};
    if (!m_options.nullOutput && stat(m_options.output.c_str(), &out) == 0) {
        // Also catches a link or another name of the input.
        if (out.st_dev == in.st_dev && out.st_ino == in.st_ino)
            throw CoderError{m_options.output, "is the input file; it cannot be written over"};
        if (S_ISDIR(out.st_mode))
            throw CoderError{m_options.output, "is a folder"};
        if (!m_options.overwrite)
            throw CoderError{m_options.output, "already exists (-y replaces it)"};
    }
}

void Transcoder::openInput()
{
    const std::string &path = m_options.input;
    m_demuxer = openDemuxer(path);

    const AVCodec *codec = nullptr;
    m_streamIndex = av_find_best_stream(m_demuxer, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (m_streamIndex == AVERROR_STREAM_NOT_FOUND)
        throw CoderError{path, "no audio stream"};
    if (m_streamIndex < 0 || !codec)
        throw CoderError{path, "no decoder for its audio"};
    for (unsigned i = 0; i < m_demuxer->nb_streams; ++i) {
        if (static_cast<int>(i) != m_streamIndex)
            m_demuxer->streams[i]->discard = AVDISCARD_ALL;
    }
    const AVStream *stream = m_demuxer->streams[m_streamIndex];
    m_codec = codec;
    m_decoder = openDecoder(path, *stream, *codec);
    if (m_decoder->sample_rate <= 0 || m_decoder->ch_layout.nb_channels <= 0)
        throw CoderError{path, "its audio has no sample rate or channels"};

    const int rate = m_decoder->sample_rate;
    setStretch(rate);

    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    m_outFrame = av_frame_alloc();
    if (!m_packet || !m_frame || !m_outFrame)
        throw CoderError{path, "out of memory"};

    std::int64_t duration = m_demuxer->duration;
    if (duration == AV_NOPTS_VALUE && stream->duration != AV_NOPTS_VALUE)
        duration = av_rescale_q(stream->duration, stream->time_base, AV_TIME_BASE_Q);
    if (duration == AV_NOPTS_VALUE)
        duration = -1;
    const double start = m_demuxer->start_time == AV_NOPTS_VALUE
                             ? 0.0
                             : static_cast<double>(m_demuxer->start_time) / AV_TIME_BASE;
    std::fprintf(stderr, "Input #0, %s, from '%s':\n", m_demuxer->iformat->name,
                 ProgressReport::echoName(path).c_str());
    m_progress.duration(duration, start, m_demuxer->bit_rate);
    m_inputDuration = duration;
    char layout[64] = {};
    av_channel_layout_describe(&m_decoder->ch_layout, layout, sizeof layout);
    std::fprintf(stderr, "  Stream #0:%d: Audio: %s, %d Hz, %s\n", m_streamIndex, codec->name, rate,
                 layout);
}

void Transcoder::openSink(const std::string &file)
{
    if (m_options.nullOutput && m_meter)
        m_sink = m_meter(m_decoder->sample_rate, m_decoder->ch_layout);
    else if (m_options.nullOutput)
        m_sink = std::make_unique<PeakMeterSink>(m_decoder->sample_rate, m_decoder->ch_layout);
    else if (m_format.amrNb)
        m_sink = std::make_unique<AmrNbSink>(file, m_options.output, m_options);
    else
        m_sink = std::make_unique<EncoderSink>(file, m_options.output, m_format, m_options,
                                               m_decoder->sample_rate, m_decoder->ch_layout,
                                               &TemporaryOutput::interruptCallback);
    if (!m_options.filters.empty())
        m_sink = std::make_unique<FilterSink>(std::move(m_sink), m_options.filters,
                                              m_decoder->sample_rate, m_decoder->ch_layout);
    std::fprintf(stderr, "  Stream #0:0: Audio: %s\n", m_sink->description().c_str());

    m_fifo = av_audio_fifo_alloc(m_sink->sampleFormat(), m_sink->channelLayout().nb_channels, 4096);
    if (!m_fifo)
        throw CoderError{m_options.output, "out of memory"};
}

void Transcoder::setUpConversion(const AVFrame &frame)
{
    const auto inFormat = static_cast<AVSampleFormat>(frame.format);
    AVChannelLayout inLayout = frameLayout(frame, m_decoder->ch_layout.nb_channels);
    const int inRate = frame.sample_rate > 0 ? frame.sample_rate : m_decoder->sample_rate;

    if (m_resampler && inFormat == m_inFormat && inRate == m_inRate &&
        av_channel_layout_compare(&inLayout, &m_inLayout) == 0) {
        av_channel_layout_uninit(&inLayout);
        return;
    }
    // First frame, or the stream changed its shape midway (it happens in MP3s
    // pasted together): start a new converter.
    if (m_resampler)
        convert({}, 0);
    swr_free(&m_resampler);
    av_channel_layout_uninit(&m_inLayout);
    m_inLayout = inLayout;
    m_inFormat = inFormat;
    m_inRate = inRate;
    AVChannelLayout outLayout{};
    av_channel_layout_copy(&outLayout, &m_sink->channelLayout());
    int ret =
        swr_alloc_set_opts2(&m_resampler, &outLayout, m_sink->sampleFormat(), m_sink->sampleRate(),
                            &m_inLayout, m_inFormat, m_inRate, 0, nullptr);
    av_channel_layout_uninit(&outLayout);
    if (ret >= 0)
        ret = swr_init(m_resampler);
    if (ret < 0)
        throw CoderError{m_options.input, "cannot convert its audio: " + avErrorText(ret)};
}

void Transcoder::setStretch(int rate)
{
    m_countRate = rate;
    m_firstSample = std::llround(m_options.start * rate);
    if (m_options.length)
        m_endSample = m_firstSample + std::llround(*m_options.length * rate);
}

void Transcoder::seekToStart()
{
    // A PCM WAV is seeked by byte offset, so a late cut costs what an early
    // one does. Other inputs are decoded from the start: their seeking is
    // not sample-accurate.
    if (m_firstSample <= 0 || std::strcmp(m_demuxer->iformat->name, "wav") != 0 ||
        !isPcm(m_decoder->codec_id))
        return;
    const AVStream *stream = m_demuxer->streams[m_streamIndex];
    std::int64_t target =
        av_rescale_q(m_firstSample, AVRational{1, m_decoder->sample_rate}, stream->time_base);
    if (stream->start_time != AV_NOPTS_VALUE)
        target += stream->start_time;
    if (av_seek_frame(m_demuxer, m_streamIndex, target, AVSEEK_FLAG_BACKWARD) >= 0) {
        avcodec_flush_buffers(m_decoder);
        m_seeked = true;
    }
}

void Transcoder::decode()
{
    int readErrors = 0;
    while (!m_reachedEnd) {
        checkStop();
        const int ret = av_read_frame(m_demuxer, m_packet);
        if (ret == AVERROR_EOF)
            break;
        if (ret < 0) {
            checkStop();
            if (ret != AVERROR_INVALIDDATA)
                throw CoderError{m_options.input, "read error: " + avErrorText(ret)};
            ++m_packetsSkipped;
            if (++readErrors > maxConsecutiveReadErrors)
                break;
            continue;
        }
        readErrors = 0;
        if (m_packet->stream_index != m_streamIndex) {
            av_packet_unref(m_packet);
            continue;
        }
        const int sent = avcodec_send_packet(m_decoder, m_packet);
        av_packet_unref(m_packet);
        if (sent < 0 && sent != AVERROR(EAGAIN)) {
            ++m_packetsSkipped; // damaged: skip it and go on
            continue;
        }
        receiveFrames();
    }
    if (!m_reachedEnd && avcodec_send_packet(m_decoder, nullptr) >= 0)
        receiveFrames();
}

void Transcoder::receiveFrames()
{
    while (!m_reachedEnd) {
        const int ret = avcodec_receive_frame(m_decoder, m_frame);
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return;
        if (ret < 0) {
            ++m_packetsSkipped;
            return;
        }
        takeFrame(*m_frame);
        av_frame_unref(m_frame);
    }
}

void Transcoder::takeFrame(AVFrame &frame)
{
    if (frame.nb_samples <= 0)
        return;
    ++m_framesDecoded;
    const int rate = frame.sample_rate > 0 ? frame.sample_rate : m_decoder->sample_rate;
    if (rate != m_countRate) {
        // The stream changed its rate midway (MP3s pasted together): the
        // place reached and the stretch are counted on at the new rate.
        m_nextSample = av_rescale_rnd(m_nextSample, rate, m_countRate, AV_ROUND_NEAR_INF);
        setStretch(rate);
    }
    if (!m_haveOrigin) {
        // The first frame places the count (after a seek it is not zero);
        // from there samples are counted, which is exact where time stamps
        // are rounded.
        m_nextSample = firstFramePlace(frame, *m_demuxer->streams[m_streamIndex], rate);
        m_haveOrigin = true;
    }
    const std::int64_t first = m_nextSample;
    m_nextSample += frame.nb_samples;

    if (first >= m_endSample) {
        m_reachedEnd = true;
        return;
    }
    const std::int64_t from = std::max(first, m_firstSample);
    const std::int64_t to = std::min(first + frame.nb_samples, m_endSample);
    if (to <= from) {
        // Still decoding up to the start: keep the progress lines coming.
        m_progress.position(0.0, m_sink->bytesWritten());
        return;
    }
    const int skip = static_cast<int>(from - first);
    const int count = static_cast<int>(to - from);

    setUpConversion(frame);
    convert(framePlanes(frame, skip), count);
    writeFrames(false);
    if (to >= m_endSample)
        m_reachedEnd = true;
}

void Transcoder::convert(const std::vector<const std::uint8_t *> &planes, int count)
{
    const int capacity = swr_get_out_samples(m_resampler, count);
    if (capacity < 0)
        throw CoderError{m_options.input, "cannot convert its audio"};
    if (capacity == 0)
        return;
    const AVSampleFormat format = m_sink->sampleFormat();
    const int channels = m_sink->channelLayout().nb_channels;
    if (capacity > m_convertedCapacity) {
        if (m_converted)
            av_freep(&m_converted[0]);
        av_freep(&m_converted);
        if (av_samples_alloc_array_and_samples(&m_converted, nullptr, channels, capacity, format,
                                               0) < 0)
            throw CoderError{m_options.output, "out of memory"};
        m_convertedCapacity = capacity;
    }
    const int got =
        swr_convert(m_resampler, m_converted, capacity,
                    count > 0 ? const_cast<const std::uint8_t **>(planes.data()) : nullptr, count);
    if (got < 0)
        throw CoderError{m_options.input, "cannot convert its audio: " + avErrorText(got)};
    if (got > 0 && av_audio_fifo_write(m_fifo, reinterpret_cast<void **>(m_converted), got) < got)
        throw CoderError{m_options.output, "out of memory"};
}

void Transcoder::writeFrames(bool last)
{
    const int frameSize = m_sink->frameSize() > 0 ? m_sink->frameSize() : 4096;
    while (av_audio_fifo_size(m_fifo) >= frameSize || (last && av_audio_fifo_size(m_fifo) > 0)) {
        checkStop();
        const int count = std::min(frameSize, av_audio_fifo_size(m_fifo));
        av_frame_unref(m_outFrame);
        m_outFrame->nb_samples = count;
        m_outFrame->format = m_sink->sampleFormat();
        m_outFrame->sample_rate = m_sink->sampleRate();
        av_channel_layout_copy(&m_outFrame->ch_layout, &m_sink->channelLayout());
        if (av_frame_get_buffer(m_outFrame, 0) < 0)
            throw CoderError{m_options.output, "out of memory"};
        av_audio_fifo_read(m_fifo, reinterpret_cast<void **>(m_outFrame->extended_data), count);
        m_outFrame->pts = m_samplesWritten;
        m_sink->write(m_outFrame);
        m_samplesWritten += count;
        m_progress.position(static_cast<double>(m_samplesWritten) / m_sink->sampleRate(),
                            m_sink->bytesWritten());
        if (m_dataStart >= 0)
            reportDecoded(false);
    }
}

void Transcoder::checkStop() const
{
    if (TemporaryOutput::stopRequested())
        throw CoderError{m_options.output, "stopped by a signal",
                         128 + TemporaryOutput::stopSignal()};
}
