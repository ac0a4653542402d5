#include "stripwidget.h"

#include "looks.h"
#include "markerimage.h"
#include "opentrace.h"
#include "playbackcontroller.h"
#include "timelineeditor.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// Design layout in pixels (twips / 15); vertical positions do not scale.
constexpr int MarkerTop = 52;      // 780
constexpr int LineTop = 58;        // 870
constexpr int BottomTop = 342;     // 5130
constexpr int EndLabelTop = 320;   // 4800
constexpr int BandHeight = 284;    // the audio band under the upper markers
// The ruler stands in the free room above the upper markers.
constexpr int RulerBase = 48;      // the ticks stand on this row
constexpr int TickHeight = 5;
constexpr double RulerPoints = 7.0;
// The ruler's ticks go on as faint lines over the wave's area of the strip
// picture and as short ticks under it, so all three agree.
constexpr int GridTop = 63;
constexpr int GridBottom = 316;
constexpr int FootTickTop = 317;
constexpr int FootTickHeight = 6;

int topOf(TimelineModel::Image image)
{
    using Image = TimelineModel::Image;
    switch (image) {
    case Image::imgTopPoint:
    case Image::imgSelectTop1:
    case Image::imgSelectTop2:
        return MarkerTop;
    case Image::imgBottomPoint:
    case Image::imgSelectBottom1:
    case Image::imgSelectBottom2:
        return BottomTop;
    default:
        return LineTop;
    }
}

} // namespace

StripWidget::StripWidget(TimelineEditor &editor, QWidget *parent, double fontScale)
    : QWidget(parent), m_editor(editor)
{
    setObjectName(QStringLiteral("picOpened"));
    resize(DesignSize);

    auto endLabel = [this, fontScale](const QString &name, const QString &text, int left) {
        auto *label = new QLabel(text, this);
        label->setObjectName(name);
        label->setFont(Looks::tahoma(8.25 * fontScale));
        Looks::setTextColor(label, Looks::DimTextColor);
        label->adjustSize();
        label->move(left, EndLabelTop);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        return label;
    };
    m_timeLeft = endLabel(QStringLiteral("lblTimeLeft"), tr("Start"), 5);      // 70
    m_timeRight = endLabel(QStringLiteral("lblTimeRight"), tr("End"), 718);    // 10770

    // Created in stacking order, so each image lies over the ones before it.
    for (int i = 0; i < TimelineModel::ImageCount; ++i) {
        const auto image = static_cast<TimelineModel::Image>(i);
        auto *widget = new MarkerImage(image, this);
        m_images[i] = widget;
        connect(widget, &MarkerImage::pressed, this,
                [this](TimelineModel::Image im, double x) { m_editor.imagePress(im, twips(x)); });
        connect(widget, &MarkerImage::moved, this,
                [this](TimelineModel::Image im, double x) { m_editor.imageMove(im, twips(x)); });
        connect(widget, &MarkerImage::released, this,
                [this](TimelineModel::Image im, double x) { m_editor.imageRelease(im, twips(x)); });
    }
    setArt(StripArt::drawn());
    connect(&m_editor.model(), &TimelineModel::imageChanged, this, &StripWidget::showImage);
    connect(&m_editor.model(), &TimelineModel::viewChanged, this, &StripWidget::viewChanged);
    connect(&m_editor, &TimelineEditor::pyramidReady, this, &StripWidget::viewChanged);
    // The shading follows the handles as they are dragged.
    connect(&m_editor.model(), &TimelineModel::imageChanged, this, qOverload<>(&StripWidget::update));
    connect(&m_editor.model(), &TimelineModel::fullTimeChanged, this, qOverload<>(&StripWidget::update));
    connect(&m_editor.controller(), &PlaybackController::loopingChanged, this, qOverload<>(&StripWidget::update));
    setFont(Looks::tahoma(RulerPoints * fontScale));
    m_growth.setSingleShot(true);
    connect(&m_growth, &QTimer::timeout, this, &StripWidget::showGrowth);
    connect(&m_editor, &TimelineEditor::peaksGrown, this, &StripWidget::peaksGrown);
}

void StripWidget::peaksGrown(qint64 first, qint64 end)
{
    if (end < 0)
        m_shownRead.reset(); // a new decode, or one that starts again
    if (end < 0 || m_grownEnd == -2) {
        m_grownFirst = 0;
        m_grownEnd = -2; // everything
    } else if (m_grownFirst < 0) {
        m_grownFirst = first;
        m_grownEnd = end;
    } else {
        m_grownFirst = std::min(m_grownFirst, first);
        m_grownEnd = std::max(m_grownEnd, end);
    }
    if (m_growth.isActive())
        return;
    // The first columns at once, then a few times a second.
    const qint64 since = m_lastGrowth.isValid() ? m_lastGrowth.elapsed() : GrowthRepaintMs;
    m_growth.start(int(std::max<qint64>(0, GrowthRepaintMs - since)));
}

void StripWidget::showGrowth()
{
    const qint64 first = m_grownFirst, end = m_grownEnd;
    m_grownFirst = m_grownEnd = -1;
    PeakPyramid *pyramid = m_editor.growingPyramid();
    if (pyramid) {
        m_followsDecode = true;
    } else if (m_followsDecode) {
        // The decode has ended: the finished waveform, read once, stays.
        m_followsDecode = false;
        pyramid = m_editor.pyramid();
    }
    if (!pyramid || pyramid->frames() <= 0) {
        update();
        return;
    }
    m_shownRead = pyramid->piecesRead();
    // The pace counts from the first waveform shown: a start that drew
    // nothing must not hold the first columns back.
    if (m_shownRead.isEmpty())
        m_lastGrowth.invalidate();
    else
        m_lastGrowth.start();
    m_peaks = pyramid->peaks(0, pyramid->frames(), columns());
    if (m_editor.model().isZoomed())
        m_zoomPeaks = pyramid->peaksMs(m_editor.model().viewStartMs(), m_editor.model().viewSpanMs(), columns());
    const int offset = pixelsAt(0);
    if (end == -2 || first < 0) {
        update(QRect(offset, LineTop, columns(), BandHeight));
        return;
    }
    // Only the columns whose waveform came in.
    const int from = std::clamp(columnOf(first, *pyramid), 0, columns());
    const int to = std::clamp(columnOf(end - 1, *pyramid) + 1, 0, columns());
    if (to > from)
        update(QRect(offset + from, LineTop, to - from, BandHeight));
}

std::pair<double, double> StripWidget::viewFrames(const PeakPyramid &pyramid) const
{
    // The whole song's columns are those of the pyramid's own frames.
    const TimelineModel &model = m_editor.model();
    if (!model.isZoomed())
        return {0.0, double(pyramid.frames())};
    const double perMs = pyramid.sampleRate() / 1000.0;
    return {model.viewStartMs() * perMs, model.viewSpanMs() * perMs};
}

std::pair<qint64, qint64> StripWidget::framesOf(int column, const PeakPyramid &pyramid) const
{
    const auto [start, span] = viewFrames(pyramid);
    const int count = std::max(1, columns());
    return {qint64(start + span * column / count), qint64(start + span * (column + 1) / count)};
}

int StripWidget::columnOf(qint64 frame, const PeakPyramid &pyramid) const
{
    const auto [start, span] = viewFrames(pyramid);
    return span > 0 ? int(std::floor((frame - start) * columns() / span)) : 0;
}

bool StripWidget::columnDrawn(int c) const
{
    const PeakPyramid *pyramid = m_editor.growingPyramid();
    if (!pyramid)
        return c >= 0 && c < shownPeaks().size();
    const auto [first, end] = framesOf(c, *pyramid);
    const qint64 at = m_shownRead.nextWritten(first);
    return at >= 0 && at < std::max(end, first + 1);
}

void StripWidget::setFades(qint32 fadeInMs, qint32 fadeOutMs)
{
    m_fadeInMs = std::max(fadeInMs, 0);
    m_fadeOutMs = std::max(fadeOutMs, 0);
    update();
}

int StripWidget::pixelsAt(int L) const
{
    const TimelineGeometry &geometry = m_editor.model().geometry();
    return static_cast<int>(std::lround(geometry.toPixels(L + geometry.LineOffset())));
}

TimeRuler::Scale StripWidget::rulerScale() const
{
    const TimelineModel &model = m_editor.model();
    const QFontMetrics metrics(font());
    return TimeRuler::scale(model.viewStartMs(), model.viewStartMs() + model.viewSpanMs(), columns(),
                            [&metrics](const QString &text) { return metrics.horizontalAdvance(text); });
}

void StripWidget::paintRuler(QPainter &p)
{
    const int left = pixelsAt(0);
    const QColor ink = QColor::fromRgb(Looks::DimTextColor);
    const QColor gridInk(226, 236, 241), footInk(181, 205, 216);
    p.setPen(ink);
    p.drawLine(left, RulerBase, left + columns(), RulerBase);
    const QFontMetrics metrics(font());
    // The foot ticks stay clear of the "Start" and "End" labels.
    const QRect ends[] = {m_timeLeft->geometry().adjusted(-2, 0, 2, 0),
                          m_timeRight->geometry().adjusted(-2, 0, 2, 0)};
    for (const TimeRuler::Tick &tick : rulerScale().ticks) {
        const int x = left + tick.x;
        p.setPen(gridInk);
        p.drawLine(x, GridTop, x, GridBottom);
        p.setPen(footInk);
        if (std::none_of(std::begin(ends), std::end(ends),
                         [x](const QRect &end) { return x >= end.left() && x <= end.right(); }))
            p.drawLine(x, FootTickTop, x, FootTickTop + FootTickHeight - 1);
        p.setPen(ink);
        p.drawLine(x, RulerBase - TickHeight, x, RulerBase);
        if (!tick.label.isEmpty())
            p.drawText(x + 2, RulerBase - 2 - metrics.descent(), tick.label);
    }
}

void StripWidget::paintSelection(QPainter &p)
{
    const TimelineModel &model = m_editor.model();
    if (!model.isVisible(TimelineModel::Image::imgSelectLine1)
        || !model.isVisible(TimelineModel::Image::imgSelectLine2))
        return;
    const int left = pixelsAt(0), right = left + columns();
    const int begin = pixelsAt(model.left(TimelineModel::Image::imgSelectTop1));
    const int end = pixelsAt(model.left(TimelineModel::Image::imgSelectTop2));
    const int from = std::clamp(begin, left, right), to = std::clamp(end, left, right);
    if (to <= from)
        return;
    QColor shade = StripArt::handleColour();
    shade.setAlpha(36);
    p.fillRect(QRect(from, LineTop, to - from, BandHeight), shade);
    if (m_fadeInMs <= 0 && m_fadeOutMs <= 0)
        return;
    // Each ramp rises from the band's foot at its handle to full height
    // where the fade ends; fades longer than the stretch meet in it.
    const double pxPerMs = model.viewSpanMs() > 0 ? double(columns()) / double(model.viewSpanMs()) : 0.0;
    const double width = end - begin;
    const double in = std::min(m_fadeInMs * pxPerMs, width), out = std::min(m_fadeOutMs * pxPerMs, width);
    const double top = LineTop + 1, foot = LineTop + BandHeight - 1;
    QPolygonF ramps{{double(begin), foot}, {begin + in, top}, {end - out, top}, {double(end), foot}};
    if (in + out > width) {
        const double meet = begin + width * in / (in + out);
        const double height = (foot - top) * std::min(1.0, (meet - begin) / std::max(in, 1.0));
        ramps = QPolygonF{{double(begin), foot}, {meet, foot - height}, {double(end), foot}};
    }
    p.save();
    p.setClipRect(QRect(from, LineTop, to - from, BandHeight));
    p.setRenderHint(QPainter::Antialiasing);
    QColor edge = StripArt::handleColour();
    edge.setAlpha(170);
    p.setPen(QPen(edge, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(ramps);
    p.restore();
}

void StripWidget::paintLoop(QPainter &p)
{
    // A lamp at the strip's top right: lit while the selection plays round.
    const bool on = m_editor.controller().isLooping();
    const QString text = tr("循环");
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(text) + 12, height = metrics.height() + 2;
    const QRect lamp(pixelsAt(0) + columns() - width, 4, width, height);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QColor lit = StripArt::handleColour();
    p.setPen(on ? lit : QColor(190, 208, 218));
    p.setBrush(on ? lit : Qt::transparent);
    p.drawRoundedRect(QRectF(lamp).adjusted(0.5, 0.5, -0.5, -0.5), height / 2.0, height / 2.0);
    p.setPen(on ? QColor(Qt::white) : QColor(170, 190, 200));
    p.drawText(lamp, Qt::AlignCenter, text);
    p.restore();
}

const QList<Peak> &StripWidget::shownPeaks() const
{
    return m_editor.model().isZoomed() ? m_zoomPeaks : m_peaks;
}

int StripWidget::columns() const
{
    const TimelineGeometry &geometry = m_editor.model().geometry();
    return static_cast<int>(std::lround(geometry.toPixels(geometry.stripWidth())));
}

void StripWidget::viewChanged()
{
    const TimelineModel &model = m_editor.model();
    m_zoomPeaks.clear();
    if (model.isZoomed()) {
        if (PeakPyramid *pyramid = m_editor.pyramid())
            m_zoomPeaks = pyramid->peaksMs(model.viewStartMs(), model.viewSpanMs(), columns());
        else
            m_zoomPeaks = coarsePeaks();
    }
    update();
}

QList<Peak> StripWidget::coarsePeaks() const
{
    // Each column repeats the whole song's column it falls in: the waveform
    // the strip has, enlarged, until the pyramid is built.
    const TimelineModel &model = m_editor.model();
    const qint64 length = model.lengthMs();
    const int columnCount = columns();
    QList<Peak> out;
    if (m_peaks.isEmpty() || length <= 0 || columnCount <= 0)
        return out;
    out.resize(columnCount);
    const qsizetype whole = m_peaks.size();
    for (int c = 0; c < columnCount; ++c) {
        const double ms =
            model.viewStartMs() + (c + 0.5) * double(model.viewSpanMs()) / columnCount;
        const auto at = static_cast<qsizetype>(std::floor(ms * double(whole) / double(length)));
        if (at >= 0 && at < whole)
            out[c] = m_peaks[at];
    }
    return out;
}

void StripWidget::wheelEvent(QWheelEvent *event)
{
    const bool zoom = event->modifiers() & Qt::ControlModifier;
    if (!zoom && !m_editor.model().isZoomed()) {
        event->ignore();
        return;
    }
    event->accept();
    // One notch is 120; touchpads send less at a time.
    m_wheelAngle += event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    const int steps = m_wheelAngle / 120;
    if (steps == 0)
        return;
    m_wheelAngle -= steps * 120;
    TimelineModel &model = m_editor.model();
    if (zoom) {
        const double L = twips(event->position().x()) - model.geometry().LineOffset();
        const double fraction = std::clamp(L / model.geometry().stripWidth(), 0.0, 1.0);
        const qint64 at = model.viewStartMs() + static_cast<qint64>(fraction * double(model.viewSpanMs()));
        m_editor.zoom().zoomAround(at, fraction, steps);
    } else {
        // Turning the wheel towards oneself moves on through the song.
        m_editor.zoom().scroll(-steps);
    }
}

double StripWidget::twips(double pixels) const
{
    return m_editor.model().geometry().toTwips(pixels);
}

MarkerImage *StripWidget::imageWidget(TimelineModel::Image image) const
{
    return m_images[static_cast<int>(image)];
}

void StripWidget::setArt(const StripArt &art)
{
    m_art = art;
    for (int i = 0; i < TimelineModel::ImageCount; ++i) {
        const auto image = static_cast<TimelineModel::Image>(i);
        MarkerImage *widget = m_images[i];
        widget->setPicture(art.images[i]);
        widget->resize(art.images[i].isNull() ? (TimelineModel::isMarker(image) ? StripArt::MarkerSize
                                                                              : StripArt::LineSize)
                                              : art.images[i].deviceIndependentSize().toSize());
        widget->setCursor(TimelineModel::isMarker(image) ? art.markerCursor : QCursor());
        showImage(image);
    }
    update();
}

void StripWidget::showImage(TimelineModel::Image image)
{
    const TimelineModel &model = m_editor.model();
    MarkerImage *widget = m_images[static_cast<int>(image)];
    const int x = static_cast<int>(std::lround(model.geometry().toPixels(model.left(image))));
    widget->move(x, topOf(image));
    widget->setVisible(model.isVisible(image));
}

void StripWidget::setPeaks(const QList<Peak> &peaks)
{
    m_peaks = peaks;
    update();
}

void StripWidget::setWaveformColour(const QColor &colour)
{
    m_waveformColour = colour;
    update();
}

void StripWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_art.strip.isNull())
        p.fillRect(rect(), palette().window());
    else
        p.drawPixmap(0, 0, m_art.strip);
    paintRuler(p);
    paintLoop(p);
    paintWaveform(p);
    // Over the waveform, so the selected stretch is tinted and its ramps show.
    paintSelection(p);
    paintFocus(p);
}

void StripWidget::paintFocus(QPainter &p)
{
    if (!hasFocus())
        return;
    // A ring in the highlight colour just inside the border, where nothing
    // of the song is drawn.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawRect(QRectF(rect()).adjusted(2, 2, -2, -2));
}

void StripWidget::paintWaveform(QPainter &p)
{
    const QList<Peak> &peaks = shownPeaks();
    const bool growing = m_editor.growingPyramid() != nullptr;
    if (peaks.isEmpty() && !growing)
        return;
    // Column c stands under the line of a marker at L = c pixels, so the
    // waveform runs from the line at time 0 to the line at time T.
    const int offset = pixelsAt(0);
    const double centre = LineTop + BandHeight / 2.0;
    const double half = BandHeight / 2.0 - 4;
    const QColor placeholder(206, 216, 222);
    const int count = growing ? columns() : int(peaks.size());
    int drawn = 0;
    for (int c = 0; c < count; ++c) {
        if (growing && (c >= peaks.size() || !columnDrawn(c))) {
            // Not decoded yet: a quiet line where the waveform will be.
            p.setPen(placeholder);
            p.drawLine(offset + c, int(centre) - 1, offset + c, int(centre) + 1);
            continue;
        }
        const Peak &peak = peaks[c];
        const int top = static_cast<int>(std::lround(centre - std::clamp(peak.max, -1.0f, 1.0f) * half));
        const int bottom = static_cast<int>(std::lround(centre - std::clamp(peak.min, -1.0f, 1.0f) * half));
        p.setPen(m_waveformColour);
        p.drawLine(offset + c, top, offset + c, std::max(top, bottom));
        ++drawn;
    }
    if (drawn > 0)
        OpenTrace::mark("first-column");
    if (drawn > 0 && drawn == columns() && !growing)
        OpenTrace::mark("whole-waveform");
}

void StripWidget::mousePressEvent(QMouseEvent *event)
{
    // Presses on the marker images never reach here: they take them.
    event->accept();
    m_editor.stripPress(twips(event->position().x()));
}

void StripWidget::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Home || key == Qt::Key_End) && event->modifiers() == Qt::NoModifier) {
        m_editor.pointer().seek(key == Qt::Key_Home ? 0 : m_editor.model().lengthMs());
        return;
    }
    QWidget::keyPressEvent(event);
}
