#include "filtersink.h"

#include "codererror.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
}

namespace
{

std::string layoutText(const AVChannelLayout &layout)
{
    char text[128] = {};
    av_channel_layout_describe(&layout, text, sizeof text);
    return text;
}

} // namespace

FilterSink::FilterSink(std::unique_ptr<AudioSink> inner, const std::string &graph, int sourceRate,
                       const AVChannelLayout &sourceLayout)
    : m_inner(std::move(inner)), m_graphText(graph), m_rate(sourceRate)
{
    // A graph that does not parse ends the constructor with a throw, which
    // skips the destructor: what was allocated so far is freed here.
    try {
        open(sourceLayout);
    } catch (...) {
        release();
        throw;
    }
}

void FilterSink::open(const AVChannelLayout &sourceLayout)
{
    const std::string &graph = m_graphText;
    av_channel_layout_copy(&m_layout, &sourceLayout);
    m_graph = avfilter_graph_alloc();
    m_out = av_frame_alloc();
    if (!m_graph || !m_out)
        throw CoderError{"-af", "out of memory"};
    // One thread: the stretch is short, and the job already has the core it needs.
    m_graph->nb_threads = 1;

    const std::string sourceArgs = "time_base=1/" + std::to_string(m_rate) +
                                   ":sample_rate=" + std::to_string(m_rate) +
                                   ":sample_fmt=flt:channel_layout=" + layoutText(m_layout);
    int ret = avfilter_graph_create_filter(&m_source, avfilter_get_by_name("abuffer"), "in",
                                           sourceArgs.c_str(), nullptr, m_graph);
    if (ret < 0)
        fail("cannot feed the filter graph", ret);
    ret = avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("abuffersink"), "out",
                                       nullptr, nullptr, m_graph);
    if (ret < 0)
        fail("cannot read the filter graph", ret);

    // The graph ends in exactly what the real sink takes.
    const std::string tail = ",aformat=sample_fmts=" +
                             std::string(av_get_sample_fmt_name(m_inner->sampleFormat())) +
                             ":sample_rates=" + std::to_string(m_inner->sampleRate()) +
                             ":channel_layouts=" + layoutText(m_inner->channelLayout());
    AVFilterInOut *outputs = avfilter_inout_alloc();
    AVFilterInOut *inputs = avfilter_inout_alloc();
    if (!outputs || !inputs) {
        avfilter_inout_free(&outputs);
        avfilter_inout_free(&inputs);
        throw CoderError{"-af", "out of memory"};
    }
    outputs->name = av_strdup("in");
    outputs->filter_ctx = m_source;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = m_sink;
    ret = avfilter_graph_parse_ptr(m_graph, (graph + tail).c_str(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&outputs);
    avfilter_inout_free(&inputs);
    if (ret < 0)
        throw CoderError{"-af " + graph, "not a filter graph this coder can run: " + avErrorText(ret),
                         ExitUsage};
    ret = avfilter_graph_config(m_graph, nullptr);
    if (ret < 0)
        throw CoderError{"-af " + graph, "the filter graph does not fit together: " + avErrorText(ret),
                         ExitUsage};
    if (m_inner->frameSize() > 0)
        av_buffersink_set_frame_size(m_sink, static_cast<unsigned>(m_inner->frameSize()));
}

FilterSink::~FilterSink()
{
    release();
}

void FilterSink::release()
{
    avfilter_graph_free(&m_graph);
    av_frame_free(&m_out);
    av_channel_layout_uninit(&m_layout);
}

std::string FilterSink::description() const
{
    return m_inner->description() + ", filtered by \"" + m_graphText + "\"";
}

void FilterSink::write(const AVFrame *frame)
{
    const int ret = av_buffersrc_add_frame_flags(m_source, const_cast<AVFrame *>(frame),
                                                 AV_BUFFERSRC_FLAG_KEEP_REF);
    if (ret < 0)
        fail("filtering failed", ret);
    pull();
}

void FilterSink::pull()
{
    for (;;) {
        const int ret = av_buffersink_get_frame(m_sink, m_out);
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return;
        if (ret < 0)
            fail("filtering failed", ret);
        // Counted in the real sink's samples, as the transcoder does.
        m_out->pts = m_outSamples;
        m_outSamples += m_out->nb_samples;
        m_inner->write(m_out);
        av_frame_unref(m_out);
    }
}

void FilterSink::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    const int ret = av_buffersrc_add_frame_flags(m_source, nullptr, 0);
    if (ret < 0)
        fail("filtering failed", ret);
    pull();
    m_inner->finish();
}

void FilterSink::fail(const std::string &what, int code) const
{
    throw CoderError{"-af " + m_graphText, what + ": " + avErrorText(code)};
}
