#include "paralleldecode.h"

#include "audiosink.h"
#include "codererror.h"
#include "decodesetup.h"
#include "progressreport.h"
#include "temporaryoutput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/intreadwrite.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <sched.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{

// Packets per index entry: the index holds one entry per group, so its size
// is a small fraction of the input's packet count.
constexpr std::int64_t groupPackets = 16;
// Packets the container marks (samples to skip or discard) are kept whole;
// a real file has them at its start and end only.
constexpr std::size_t maxMarkedPackets = 64;
// Bytes of samples a run gathers before it writes them.
constexpr std::size_t writeBlock = 256 * 1024;
// Each run costs about half a megabyte (its reader, decoder and buffer):
// sixteen keep the whole job well under 64 MB.
constexpr int maxRuns = 16;

struct MarkedPacket {
    std::int64_t number = 0;
    int flags = 0;
    std::vector<std::pair<AVPacketSideDataType, std::vector<std::uint8_t>>> sideData;
};

struct Group {
    std::int64_t firstPacket = 0;
    std::int64_t pos = -1; // of its first packet
    int size = 0;          // of its first packet
    std::uint64_t hash = 0;
    std::int64_t start = 0; // samples the decode gives before the group
    bool marked = false;
};

struct PacketIndex {
    std::vector<Group> groups;
    std::vector<MarkedPacket> marked;
    std::int64_t packets = 0;
    std::int64_t samples = 0;
    std::string failure; // set when no exact plan can be made
};

struct Run {
    std::size_t warmGroup = 0;
    std::size_t firstGroup = 0;
    std::size_t endGroup = 0; // exclusive
    std::int64_t outStart = 0;
    std::int64_t outEnd = -1; // -1: to the end of the input
};

std::uint64_t mix(std::uint64_t x)
{
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// Summed over a group, so any packet out of place, missing or changed in
// size shows.
std::uint64_t packetHash(std::int64_t number, std::int64_t pos, int size)
{
    return mix(static_cast<std::uint64_t>(number) * 0x9e3779b97f4a7c15ULL ^
               mix(static_cast<std::uint64_t>(pos)) ^ (static_cast<std::uint64_t>(size) << 1));
}

// What libavcodec keeps of a packet's decoded samples, given the packet's
// skip and discard marks; followed packet by packet, it predicts where each
// packet's samples land.
class SkipModel
{
public:
    std::int64_t kept(std::int64_t samples, const AVPacket &packet)
    {
        std::int64_t padding = 0;
        std::size_t size = 0;
        if (const std::uint8_t *side =
                av_packet_get_side_data(&packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
            side && size >= 10) {
            m_skip = AV_RL32(side);
            padding = AV_RL32(side + 4);
        }
        if (packet.flags & AV_PKT_FLAG_DISCARD) {
            m_skip = std::max<std::int64_t>(0, m_skip - samples);
            return 0;
        }
        std::int64_t out = samples;
        if (m_skip > 0) {
            if (out <= m_skip) {
                m_skip -= out;
                return 0;
            }
            out -= m_skip;
            m_skip = 0;
        }
        if (padding > 0 && padding <= out)
            out -= padding;
        return out;
    }

private:
    std::int64_t m_skip = 0;
};

// Owners for the libraries' objects, each freed by its own function.
template <typename T, void (*release)(T **)> struct Releaser {
    void operator()(T *object) const { release(&object); }
};
using Demuxer = std::unique_ptr<AVFormatContext, Releaser<AVFormatContext, avformat_close_input>>;
using Decoder = std::unique_ptr<AVCodecContext, Releaser<AVCodecContext, avcodec_free_context>>;
using Packet = std::unique_ptr<AVPacket, Releaser<AVPacket, av_packet_free>>;
using Frame = std::unique_ptr<AVFrame, Releaser<AVFrame, av_frame_free>>;
using Resampler = std::unique_ptr<SwrContext, Releaser<SwrContext, swr_free>>;

Demuxer openStream(const std::string &path, const AVStream &stream)
{
    Demuxer demuxer(openDemuxer(path));
    if (static_cast<unsigned>(stream.index) >= demuxer->nb_streams ||
        demuxer->streams[stream.index]->codecpar->codec_id != stream.codecpar->codec_id)
        return nullptr;
    for (unsigned i = 0; i < demuxer->nb_streams; ++i) {
        if (static_cast<int>(i) != stream.index)
            demuxer->streams[i]->discard = AVDISCARD_ALL;
    }
    return demuxer;
}

// Containers whose reader finds its footing again after a jump to a packet's
// byte offset and then gives the packets a read from the start gives. Other
// readers are taken from the start (reading packets costs little next to
// decoding them).
bool jumpsByByte(const AVFormatContext &demuxer)
{
    const char *name = demuxer.iformat->name;
    return std::strcmp(name, "mp3") == 0 || std::strcmp(name, "flac") == 0 ||
           std::strcmp(name, "wav") == 0;
}

// What the runs share with the thread that waits for them.
struct Shared {
    std::atomic<bool> abort{false};
    std::mutex mutex;
    std::condition_variable changed;
    std::string failure;
    std::exception_ptr error;

    // The first run may start before the index is read. It goes as far as
    // the packets read so far prove it may, and learns its end when the runs
    // are planned.
    std::atomic<std::int64_t> indexed{0}; // packets the index has read
    std::atomic<bool> indexDone{false};
    std::atomic<bool> planned{false};
    Run firstRun; // written before `planned`
    std::condition_variable indexGrew;
    std::int64_t mostRuns = 2; // the most runs a plan may make

    void fail(const std::string &why)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            if (failure.empty())
                failure = why;
        }
        abort = true;
        changed.notify_all();
        indexGrew.notify_all();
    }

    void publishIndexed(std::int64_t packets, bool done)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            indexed = packets;
            indexDone = done;
        }
        indexGrew.notify_all();
        if (done)
            changed.notify_all();
    }
};

// Packets between two reports of the index's progress to a waiting first run.
constexpr std::int64_t indexReportPackets = 64 * groupPackets;

void readIndex(const std::string &path, const AVStream &stream, int rate, PacketIndex &index,
               Shared &shared)
{
    Demuxer demuxer = openStream(path, stream);
    Packet packet(av_packet_alloc());
    if (!demuxer || !packet) {
        index.failure = "its streams read differently a second time";
        return;
    }
    const AVRational base = demuxer->streams[stream.index]->time_base;
    SkipModel model;
    std::int64_t samples = 0;
    for (;;) {
        if (TemporaryOutput::stopRequested() || shared.abort) {
            index.failure = "stopped";
            return;
        }
        const int ret = av_read_frame(demuxer.get(), packet.get());
        if (ret == AVERROR_EOF)
            break;
        if (ret < 0) {
            index.failure = "its container has damaged stretches";
            return;
        }
        if (packet->stream_index != stream.index) {
            av_packet_unref(packet.get());
            continue;
        }
        const std::int64_t number = index.packets++;
        if (number % indexReportPackets == 0)
            shared.publishIndexed(number, false);
        // Exact places need whole sample counts for every packet.
        const std::int64_t scaled = packet->duration * base.num * rate;
        if (packet->duration <= 0 || scaled % base.den != 0) {
            index.failure = "its container gives no exact packet durations";
            return;
        }
        if (number % groupPackets == 0) {
            Group group;
            group.firstPacket = number;
            group.pos = packet->pos;
            group.size = packet->size;
            group.start = samples;
            index.groups.push_back(group);
        }
        Group &group = index.groups.back();
        group.hash += packetHash(number, packet->pos, packet->size);
        if (packet->side_data_elems > 0 || (packet->flags & AV_PKT_FLAG_DISCARD)) {
            if (index.marked.size() == maxMarkedPackets) {
                index.failure = "too many of its packets carry skip marks";
                return;
            }
            group.marked = true;
            MarkedPacket mark;
            mark.number = number;
            mark.flags = packet->flags & AV_PKT_FLAG_DISCARD;
            for (int i = 0; i < packet->side_data_elems; ++i) {
                const AVPacketSideData &side = packet->side_data[i];
                mark.sideData.emplace_back(side.type,
                                           std::vector<std::uint8_t>(side.data, side.data + side.size));
            }
            index.marked.push_back(std::move(mark));
        }
        // A Vorbis decoder gives nothing for the first packet: its block
        // only starts the overlap.
        const bool priming = number == 0 && stream.codecpar->codec_id == AV_CODEC_ID_VORBIS;
        samples += model.kept(priming ? 0 : scaled / base.den, *packet);
        av_packet_unref(packet.get());
    }
    index.samples = samples;
    if (index.groups.empty())
        index.failure = "it has no audio packets";
}

// Boundaries at group starts, the runs as even as the groups allow; a first
// run already `aheadGroups` into the input shares out only what is left. A
// marked packet may lie in the first run before the second one's warm-up,
// or in the last run: nowhere else can its effect be foreseen.
std::vector<Run> plan(const PacketIndex &index, int threads, std::int64_t minimumRun, int warmUp,
                      std::int64_t aheadGroups = 0)
{
    const auto groups = static_cast<std::int64_t>(index.groups.size());
    const std::int64_t warmGroups = (warmUp + groupPackets - 1) / groupPackets + 1;
    const std::int64_t longest = minimumRun > 0 ? index.samples / minimumRun : threads;
    for (std::int64_t count = std::min<std::int64_t>(threads, longest); count >= 2; --count) {
        std::vector<std::int64_t> starts(static_cast<std::size_t>(count) + 1);
        for (std::int64_t k = 0; k <= count; ++k)
            starts[static_cast<std::size_t>(k)] =
                k == 0 ? 0 : aheadGroups + k * (groups - aheadGroups) / count;
        bool fits = starts[1] > warmGroups;
        for (std::int64_t k = 1; fits && k < count; ++k)
            fits = starts[static_cast<std::size_t>(k)] > starts[static_cast<std::size_t>(k) - 1];
        for (std::int64_t g = 0; fits && g < groups; ++g) {
            if (index.groups[static_cast<std::size_t>(g)].marked)
                fits = g < starts[1] - warmGroups || g >= starts[static_cast<std::size_t>(count) - 1];
        }
        if (!fits)
            continue;
        std::vector<Run> runs(static_cast<std::size_t>(count));
        for (std::size_t k = 0; k < runs.size(); ++k) {
            Run &run = runs[k];
            run.firstGroup = static_cast<std::size_t>(starts[k]);
            run.endGroup = static_cast<std::size_t>(starts[k + 1]);
            run.warmGroup = k == 0 ? 0 : static_cast<std::size_t>(starts[k] - warmGroups);
            run.outStart = index.groups[run.firstGroup].start;
            run.outEnd = k + 1 < runs.size() ? index.groups[run.endGroup].start : -1;
        }
        return runs;
    }
    return {};
}

struct RunState {
    std::atomic<std::int64_t> written{0}; // samples on disk, from the run's start
    std::atomic<std::int64_t> packet{0};  // the packet the run has reached
    std::atomic<bool> finished{false};
    long long frames = 0;
};

// One run: its own reader, decoder and converter.
class RunDecoder
{
public:
    RunDecoder(const std::string &input, const AVStream &stream, const AVCodec &codec,
               const ParallelDecode::Target &target, const PacketIndex &index, const Run &run,
               bool first, bool endOpen, Shared &shared, RunState &state)
        : m_input(input), m_stream(stream), m_codec(codec), m_target(target), m_index(index),
          m_run(run), m_first(first), m_endOpen(endOpen), m_shared(shared), m_state(state)
    {
    }

    ~RunDecoder() { av_channel_layout_uninit(&m_inLayout); }
    RunDecoder(RunDecoder &&) = default;

    void operator()()
    {
        try {
            const std::string failure = decode();
            if (!failure.empty())
                m_shared.fail(failure);
        } catch (const CoderError &error) {
            // The input opened once already; one thread may yet read it.
            m_shared.fail(error.reason);
        } catch (const std::exception &error) {
            m_shared.fail(error.what());
        }
        m_state.finished = true;
        m_shared.changed.notify_all();
    }

private:
    std::string decode();
    std::string findStart(std::int64_t &number);
    std::string awaitRoom(std::int64_t number, std::int64_t &end);
    std::string checkOpenHashes(const std::vector<std::uint64_t> &hashes) const;
    std::string take(AVFrame &frame);
    std::string flush();

    const std::string &m_input;
    const AVStream &m_stream;
    const AVCodec &m_codec;
    const ParallelDecode::Target &m_target;
    const PacketIndex &m_index;
    Run m_run;
    const bool m_first;
    // Started before the index was read: the index is not touched until the
    // runs are planned, and the packets keep the marks of this read from
    // the start, which are the index's.
    const bool m_endOpen;
    Shared &m_shared;
    RunState &m_state;

    Demuxer m_demuxer;
    Decoder m_decoder;
    Packet m_packet;
    Frame m_frame;
    Resampler m_resampler;
    AVSampleFormat m_inFormat = AV_SAMPLE_FMT_NONE;
    AVChannelLayout m_inLayout{};
    std::vector<std::uint8_t> m_buffer;
    std::int64_t m_kept = 0;      // samples taken so far
    std::int64_t m_nextSample = 0; // the first run's count, placed as one thread places it
    bool m_haveOrigin = false;
};

std::string RunDecoder::decode()
{
    m_demuxer = openStream(m_input, m_stream);
    if (!m_demuxer)
        return "its streams read differently a second time";
    m_decoder.reset(openDecoder(m_input, m_stream, m_codec));
    m_packet.reset(av_packet_alloc());
    m_frame.reset(av_frame_alloc());
    if (!m_packet || !m_frame)
        return "out of memory";
    m_buffer.reserve(writeBlock);

    std::int64_t firstOut = 0;
    std::int64_t end = std::numeric_limits<std::int64_t>::max();
    std::int64_t number = 0;
    std::vector<MarkedPacket>::const_iterator marks;
    if (!m_endOpen) {
        firstOut = m_index.groups[m_run.firstGroup].firstPacket;
        end = m_run.endGroup < m_index.groups.size() ? m_index.groups[m_run.endGroup].firstPacket
                                                     : m_index.packets;
        if (std::string failure = findStart(number); !failure.empty())
            return failure;
        marks = std::lower_bound(
            m_index.marked.begin(), m_index.marked.end(), number,
            [](const MarkedPacket &mark, std::int64_t n) { return mark.number < n; });
    }
    std::uint64_t hash = 0;
    std::vector<std::uint64_t> openHashes; // per group, checked once the index is there
    bool pending = !m_endOpen; // m_packet holds the run's first packet
    while (number < end) {
        if (m_shared.abort || TemporaryOutput::stopRequested())
            return "stopped";
        if (m_endOpen && end == std::numeric_limits<std::int64_t>::max()) {
            if (std::string failure = awaitRoom(number, end); !failure.empty())
                return failure;
            if (number >= end)
                break;
        }
        if (!pending) {
            const int ret = av_read_frame(m_demuxer.get(), m_packet.get());
            if (ret < 0)
                return "its packets read differently a second time";
            if (m_packet->stream_index != m_stream.index) {
                av_packet_unref(m_packet.get());
                continue;
            }
        }
        pending = false;
        hash += packetHash(number, m_packet->pos, m_packet->size);
        // The marks are the ones a read from the start gives, whatever this
        // reader made of its own place.
        // (A read from the start has them already.)
        if (!m_endOpen) {
            av_packet_free_side_data(m_packet.get());
            m_packet->flags &= ~AV_PKT_FLAG_DISCARD;
        }
        if (!m_endOpen && marks != m_index.marked.end() && marks->number == number) {
            m_packet->flags |= marks->flags;
            for (const auto &[type, data] : marks->sideData) {
                std::uint8_t *side = av_packet_new_side_data(m_packet.get(), type, data.size());
                if (!side)
                    return "out of memory";
                std::memcpy(side, data.data(), data.size());
            }
            ++marks;
        }
        const int sent = avcodec_send_packet(m_decoder.get(), m_packet.get());
        av_packet_unref(m_packet.get());
        if (sent < 0)
            return "a damaged packet";
        for (;;) {
            const int ret = avcodec_receive_frame(m_decoder.get(), m_frame.get());
            if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
                break;
            if (ret < 0)
                return "a damaged packet";
            std::string failure = number >= firstOut ? take(*m_frame) : std::string();
            av_frame_unref(m_frame.get());
            if (!failure.empty())
                return failure;
        }
        ++number;
        m_state.packet.store(number, std::memory_order_relaxed);
        if (m_endOpen) {
            if (number % groupPackets == 0) {
                openHashes.push_back(hash);
                hash = 0;
            }
        } else if (number % groupPackets == 0 || number == m_index.packets) {
            const Group &group = m_index.groups[static_cast<std::size_t>((number - 1) / groupPackets)];
            if (group.hash != hash)
                return "its packets read differently a second time";
            hash = 0;
        }
    }
    if (m_endOpen) {
        if (std::string failure = checkOpenHashes(openHashes); !failure.empty())
            return failure;
    }
    if (m_run.outEnd < 0) {
        // The last run: the input must end where the index ended, then
        // the decoder gives what it still holds, as with one thread.
        while (av_read_frame(m_demuxer.get(), m_packet.get()) >= 0) {
            const bool ours = m_packet->stream_index == m_stream.index;
            av_packet_unref(m_packet.get());
            if (ours)
                return "its packets read differently a second time";
        }
        if (avcodec_send_packet(m_decoder.get(), nullptr) >= 0) {
            while (avcodec_receive_frame(m_decoder.get(), m_frame.get()) >= 0) {
                std::string failure = take(*m_frame);
                av_frame_unref(m_frame.get());
                if (!failure.empty())
                    return failure;
            }
        }
    }
    if (std::string failure = flush(); !failure.empty())
        return failure;
    if (m_run.outEnd >= 0 && m_run.outStart + m_kept != m_run.outEnd)
        return "its packets gave other sample counts than its container said";
    return {};
}

// Waits while the packets read so far leave it open whether `number` is
// still the first run's; sets `end` once the runs are planned.
std::string RunDecoder::awaitRoom(std::int64_t number, std::int64_t &end)
{
    // However many runs the plan makes and however long the input proves,
    // the first one ends no earlier than this.
    const auto room = [this] {
        const std::int64_t groups = m_shared.indexed / groupPackets;
        return groups / m_shared.mostRuns * groupPackets;
    };
    if (!m_shared.planned && number < room())
        return {};
    std::unique_lock<std::mutex> lock(m_shared.mutex);
    for (;;) {
        if (m_shared.planned) {
            m_run = m_shared.firstRun;
            end = m_index.groups[m_run.endGroup].firstPacket;
            return {};
        }
        if (m_shared.abort)
            return "stopped";
        if (number < room())
            return {};
        m_shared.indexGrew.wait(lock);
    }
}

std::string RunDecoder::checkOpenHashes(const std::vector<std::uint64_t> &hashes) const
{
    if (hashes.size() != m_run.endGroup)
        return "its packets read differently a second time";
    for (std::size_t g = 0; g < hashes.size(); ++g) {
        if (hashes[g] != m_index.groups[g].hash)
            return "its packets read differently a second time";
    }
    return {};
}

std::string RunDecoder::findStart(std::int64_t &number)
{
    const Group &warm = m_index.groups[m_run.warmGroup];
    if (m_run.warmGroup > 0 && jumpsByByte(*m_demuxer) && warm.pos >= 0 &&
        m_index.groups[m_run.warmGroup - 1].pos >= 0) {
        // Land a group early: a reader may drop what it finds first.
        const std::int64_t landing = m_index.groups[m_run.warmGroup - 1].pos;
        if (av_seek_frame(m_demuxer.get(), -1, landing, AVSEEK_FLAG_BYTE) >= 0) {
            while (av_read_frame(m_demuxer.get(), m_packet.get()) >= 0) {
                if (m_packet->stream_index == m_stream.index) {
                    if (m_packet->pos == warm.pos && m_packet->size == warm.size) {
                        number = warm.firstPacket;
                        return {};
                    }
                    if (m_packet->pos > warm.pos)
                        break;
                }
                av_packet_unref(m_packet.get());
            }
        }
        return "no reader landed on its packets";
    }
    // Read from the start up to the run's first packet.
    std::int64_t count = 0;
    while (av_read_frame(m_demuxer.get(), m_packet.get()) >= 0) {
        if (m_packet->stream_index == m_stream.index) {
            if (count == warm.firstPacket) {
                number = count;
                return {};
            }
            ++count;
        }
        av_packet_unref(m_packet.get());
        if (m_shared.abort)
            return "stopped";
    }
    return "its packets read differently a second time";
}

std::string RunDecoder::take(AVFrame &frame)
{
    if (frame.nb_samples <= 0)
        return {};
    ++m_state.frames;
    const int rate = frame.sample_rate > 0 ? frame.sample_rate : m_decoder->sample_rate;
    if (rate != m_target.sampleRate)
        return "its sample rate changes (converting the rate carries state over)";
    int skip = 0;
    int count = frame.nb_samples;
    if (m_first) {
        if (!m_haveOrigin) {
            // As one thread places the first frame.
            m_nextSample = firstFramePlace(frame, m_stream, rate);
            m_haveOrigin = true;
        }
        const std::int64_t first = m_nextSample;
        m_nextSample += frame.nb_samples;
        const std::int64_t from = std::max<std::int64_t>(first, 0);
        const std::int64_t to = first + frame.nb_samples;
        if (to <= from)
            return {};
        skip = static_cast<int>(from - first);
        count = static_cast<int>(to - from);
    }

    AVChannelLayout layout = frameLayout(frame, m_decoder->ch_layout.nb_channels);
    const auto format = static_cast<AVSampleFormat>(frame.format);
    if (!m_resampler) {
        SwrContext *resampler = nullptr;
        AVChannelLayout outLayout{};
        av_channel_layout_copy(&outLayout, &m_target.layout);
        int ret = swr_alloc_set_opts2(&resampler, &outLayout, AV_SAMPLE_FMT_S16,
                                      m_target.sampleRate, &layout, format, rate, 0, nullptr);
        av_channel_layout_uninit(&outLayout);
        m_resampler.reset(resampler);
        if (ret >= 0)
            ret = swr_init(m_resampler.get());
        if (ret < 0) {
            av_channel_layout_uninit(&layout);
            return "its audio cannot be converted";
        }
        m_inFormat = format;
        m_inLayout = layout;
    } else {
        const bool same = format == m_inFormat && av_channel_layout_compare(&layout, &m_inLayout) == 0;
        av_channel_layout_uninit(&layout);
        if (!same)
            return "its stream changes shape";
    }

    if (m_run.outEnd >= 0 && m_run.outStart + m_kept + count > m_run.outEnd)
        return "its packets gave other sample counts than its container said";
    const std::vector<const std::uint8_t *> planes = framePlanes(frame, skip);

    const std::size_t frameBytes = static_cast<std::size_t>(m_target.layout.nb_channels) * 2;
    const std::size_t used = m_buffer.size();
    m_buffer.resize(used + static_cast<std::size_t>(count) * frameBytes);
    std::uint8_t *out = m_buffer.data() + used;
    const int got = swr_convert(m_resampler.get(), &out, count,
                                const_cast<const std::uint8_t **>(planes.data()), count);
    if (got != count)
        return "its audio cannot be converted";
    m_kept += count;
    return m_buffer.size() >= writeBlock ? flush() : std::string();
}

std::string RunDecoder::flush()
{
    const std::size_t frameBytes = static_cast<std::size_t>(m_target.layout.nb_channels) * 2;
    const std::int64_t written = m_state.written;
    off_t at = static_cast<off_t>(m_target.dataStart +
                                  (m_run.outStart + written) * static_cast<std::int64_t>(frameBytes));
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t put = pwrite(m_target.fd, m_buffer.data() + done, m_buffer.size() - done, at);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            // It would stop one thread as well: the job fails with it.
            const CoderError error{m_target.name, std::string("write error: ") +
                                                      std::strerror(put < 0 ? errno : ENOSPC)};
            const std::lock_guard<std::mutex> lock(m_shared.mutex);
            if (!m_shared.error)
                m_shared.error = std::make_exception_ptr(error);
            return "a write failed";
        }
        done += static_cast<std::size_t>(put);
        at += put;
    }
    m_state.written = written + static_cast<std::int64_t>(m_buffer.size() / frameBytes);
    m_buffer.clear();
    // A reader of the growing file hears of a run's first block at once.
    if (written == 0)
        m_shared.changed.notify_all();
    return {};
}

} // namespace

ParallelDecode::ParallelDecode(const std::string &input, const AVStream &stream,
                               const AVCodec &codec, const Target &target,
                               ProgressReport &progress)
    : m_input(input), m_stream(stream), m_codec(codec), m_target(target), m_progress(progress)
{
}

int ParallelDecode::warmUpPackets(const AVCodec &codec)
{
    const AVCodecID id = codec.id;
    // Plain PCM: every sample stands alone.
    if (id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT)
        return 0;
    switch (id) {
    case AV_CODEC_ID_FLAC:
        return 0; // every frame stands alone
    case AV_CODEC_ID_MP3:
        // The bit reservoir reaches up to 511 bytes back, nine frames at the
        // lowest rates; the overlap and the synthesis filter one more. Only
        // the floating-point decoder: the fixed-point one carries its
        // rounding remainder from the first frame on.
        return std::strcmp(codec.name, "mp3float") == 0 ? 24 : -1;
    case AV_CODEC_ID_VORBIS:
        return 4; // a packet overlaps the one before it only
    default:
        // Not MP1 or MP2: libavcodec picks their fixed-point decoders. Not
        // AAC: its noise substitution draws from a generator that runs from
        // the first frame. Not WMA: its noise coding walks a table from the
        // first frame. Not Opus: its CELT layer folds in noise from a
        // running seed, and its SILK layer and de-emphasis feed back without
        // end. From a point in the middle their output differs.
        return -1;
    }
}

int ParallelDecode::threadCount(int requested)
{
    if (requested > 0)
        return requested;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

ParallelDecode::Result ParallelDecode::run(int threads, double minimumRunSeconds)
{
    Result result;
    const int warmUp = warmUpPackets(m_codec);
    if (warmUp < 0) {
        result.reason = std::string(m_codec.name) + " is decoded from its start only";
        return result;
    }
    const int most = std::max(2, std::min(threads, maxRuns));
    const auto minimumRun =
        static_cast<std::int64_t>(minimumRunSeconds * m_target.sampleRate);

    // Reading the index of hours of packets takes a good part of a second:
    // meanwhile the first run decodes the song's start, for a reader of the
    // growing file to show and play. Only where the container's duration
    // leaves room for runs, so that a short input is not shown and withdrawn.
    const std::int64_t expected =
        m_stream.duration > 0 && m_stream.duration != AV_NOPTS_VALUE
            ? av_rescale_q(m_stream.duration, m_stream.time_base, AVRational{1, m_target.sampleRate})
            : 0;
    const bool early = expected >= 4 * minimumRun;
    Shared shared;
    shared.mostRuns = most;
    PacketIndex index;
    std::vector<Run> runs;
    std::vector<RunState> states(static_cast<std::size_t>(most));
    std::vector<std::thread> workers;
    workers.reserve(states.size());
    std::thread indexer;
    // Out of threads or memory for their stacks: the runs already going
    // stop, and one thread decodes it all.
    auto cannotStart = [&](const std::system_error &error) {
        shared.fail(std::string("a thread could not be started (") + error.what() + ")");
    };
    auto startRuns = [&](std::size_t from, bool endOpen) {
        try {
            for (std::size_t k = from; k < runs.size(); ++k)
                workers.emplace_back(RunDecoder(m_input, m_stream, m_codec, m_target, index,
                                                runs[k], k == 0, endOpen, shared, states[k]));
        } catch (const std::system_error &error) {
            cannotStart(error);
        }
    };
    auto planRuns = [&]() -> std::string {
        if (!index.failure.empty())
            return index.failure;
        // The first run is well ahead when the index is read; the rest is
        // shared out evenly among all of them.
        runs = plan(index, most, minimumRun, warmUp, early ? states[0].packet / groupPackets : 0);
        if (runs.empty())
            return "too short for runs of " + std::to_string(minimumRunSeconds) + " s";
        return {};
    };

    bool planned = !early;
    if (early) {
        std::fprintf(stderr, "decoding on %d threads\n", most);
        runs.resize(1);
        startRuns(0, true);
        try {
            indexer = std::thread([&] {
                readIndex(m_input, m_stream, m_target.sampleRate, index, shared);
                shared.publishIndexed(index.packets, true);
            });
        } catch (const std::system_error &error) {
            cannotStart(error);
        }
    } else {
        readIndex(m_input, m_stream, m_target.sampleRate, index, shared);
        if (std::string why = planRuns(); !why.empty()) {
            result.reason = why;
            return result;
        }
        std::fprintf(stderr, "decoding on %zu threads\n", runs.size());
        startRuns(0, false);
    }

    // "time=" counts what is decoded without a gap from the start.
    const std::int64_t frameBytes = m_target.layout.nb_channels * 2;
    auto reached = [&] {
        std::int64_t samples = 0;
        for (std::size_t k = 0; k < runs.size(); ++k) {
            samples = runs[k].outStart + states[k].written;
            if (!states[k].finished || k + 1 == runs.size() ||
                samples != runs[k + 1].outStart)
                break;
        }
        return samples;
    };
    std::vector<std::int64_t> reported(states.size(), 0);
    auto reportStretches = [&] {
        if (!m_target.reportStretches)
            return;
        for (std::size_t k = 0; k < runs.size(); ++k) {
            const std::int64_t written = states[k].written;
            if (written <= reported[k])
                continue;
            reported[k] = written;
            m_progress.decoded(runs[k].outStart, runs[k].outStart + written);
        }
    };
    {
        std::unique_lock<std::mutex> lock(shared.mutex);
        for (;;) {
            if (!planned && shared.indexDone && !shared.abort) {
                planned = true;
                lock.unlock();
                if (std::string why = planRuns(); !why.empty()) {
                    shared.fail(why);
                } else {
                    if (runs.size() != states.size())
                        std::fprintf(stderr, "decoding on %zu threads\n", runs.size());
                    {
                        const std::lock_guard<std::mutex> first(shared.mutex);
                        shared.firstRun = runs.front();
                        shared.planned = true;
                    }
                    shared.indexGrew.notify_all();
                    startRuns(1, false);
                }
                lock.lock();
                continue;
            }
            const auto started = states.begin() + static_cast<std::ptrdiff_t>(workers.size());
            const bool all = std::all_of(states.begin(), started,
                                         [](const RunState &s) { return s.finished.load(); });
            if (all && (!indexer.joinable() || shared.indexDone))
                break;
            lock.unlock();
            if (TemporaryOutput::stopRequested())
                shared.fail("stopped");
            const std::int64_t samples = reached();
            m_progress.position(static_cast<double>(samples) / m_target.sampleRate,
                                m_target.dataStart + samples * frameBytes);
            if (!shared.abort)
                reportStretches();
            lock.lock();
            shared.changed.wait_for(lock, std::chrono::milliseconds(250));
        }
    }
    for (std::thread &worker : workers)
        worker.join();
    if (indexer.joinable())
        indexer.join();

    if (shared.error)
        std::rethrow_exception(shared.error);
    if (!shared.failure.empty()) {
        // Nothing of the attempt may stay for the one-thread decode to find,
        // nor for a reader to take as decoded.
        if (m_target.reportStretches)
            m_progress.withdrawn();
        if (ftruncate(m_target.fd, static_cast<off_t>(m_target.dataStart)) != 0)
            throw CoderError{m_target.name, std::string("write error: ") + std::strerror(errno)};
        result.reason = shared.failure;
        return result;
    }
    reportStretches();
    result.done = true;
    result.runs = static_cast<int>(runs.size());
    result.samples = runs.back().outStart + states[runs.size() - 1].written;
    for (const RunState &state : states)
        result.frames += state.frames;
    return result;
}
