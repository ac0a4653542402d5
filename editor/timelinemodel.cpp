#include "timelinemodel.h"

#include "formattime.h"
#include "selection.h"
#include "timerow.h"

#include <algorithm>

namespace {
const QString Zero = QStringLiteral("00:00:00");
}

TimelineModel::TimelineModel(int twipsPerPixelX, QObject *parent)
    : QObject(parent), m_geometry(twipsPerPixelX)
{
    m_labels.fill(Zero);
    placeAtStart();
}

void TimelineModel::setLeft(Image image, int left)
{
    ImageState &s = m_images[index(image)];
    if (s.left == left)
        return;
    s.left = left;
    emit imageChanged(image);
}

void TimelineModel::setVisible(Image image, bool visible)
{
    ImageState &s = m_images[index(image)];
    if (s.visible == visible)
        return;
    s.visible = visible;
    emit imageChanged(image);
}

void TimelineModel::placeSet(MarkerSet set, int L)
{
    setLeft(upperOf(set), L);
    setLeft(lineOf(set), L + m_geometry.LineOffset());
    setLeft(lowerOf(set), L);
}

TimelineModel::MarkerSet TimelineModel::setOf(Image image)
{
    switch (image) {
    case Image::imgTopPoint:
    case Image::imgLine:
    case Image::imgBottomPoint:
        return MarkerSet::Pointer;
    case Image::imgSelectBottom2:
    case Image::imgSelectTop2:
    case Image::imgSelectLine2:
        return MarkerSet::End;
    default:
        return MarkerSet::Begin;
    }
}

bool TimelineModel::isMarker(Image image)
{
    return image != Image::imgLine && image != Image::imgSelectLine1 && image != Image::imgSelectLine2;
}

TimelineModel::Image TimelineModel::upperOf(MarkerSet set)
{
    switch (set) {
    case MarkerSet::Pointer: return Image::imgTopPoint;
    case MarkerSet::Begin: return Image::imgSelectTop1;
    case MarkerSet::End: return Image::imgSelectTop2;
    }
    return Image::imgTopPoint;
}

TimelineModel::Image TimelineModel::lowerOf(MarkerSet set)
{
    switch (set) {
    case MarkerSet::Pointer: return Image::imgBottomPoint;
    case MarkerSet::Begin: return Image::imgSelectBottom1;
    case MarkerSet::End: return Image::imgSelectBottom2;
    }
    return Image::imgBottomPoint;
}

TimelineModel::Image TimelineModel::lineOf(MarkerSet set)
{
    switch (set) {
    case MarkerSet::Pointer: return Image::imgLine;
    case MarkerSet::Begin: return Image::imgSelectLine1;
    case MarkerSet::End: return Image::imgSelectLine2;
    }
    return Image::imgLine;
}

QString TimelineModel::objectName(Image image)
{
    static const char *const names[ImageCount] = {
        "imgTopPoint", "imgLine", "imgBottomPoint",
        "imgSelectBottom2", "imgSelectTop2", "imgSelectLine2",
        "imgSelectBottom1", "imgSelectTop1", "imgSelectLine1",
    };
    return QString::fromLatin1(names[index(image)]);
}

QString TimelineModel::objectName(Label label)
{
    static const char *const names[LabelCount] = {
        "lblTime", "lblSelBegin", "lblSelEnd", "lblSelLength", "lblViewBegin", "lblViewEnd", "lblViewLength",
    };
    return QString::fromLatin1(names[index(label)]);
}

void TimelineModel::setText(Label label, const QString &text)
{
    QString &current = m_labels[index(label)];
    if (current == text)
        return;
    current = text;
    emit labelChanged(label, text);
}

void TimelineModel::setFullTime(qint32 seconds)
{
    if (m_fullTime == seconds)
        return;
    m_fullTime = seconds;
    refreshViewRow();
    emit fullTimeChanged(seconds);
}

void TimelineModel::follow(const Selection &selection)
{
    connect(&selection, &Selection::beginChanged, this,
            [this, &selection] { publishBegin(selection.beginMs(), selection.endMs()); });
    connect(&selection, &Selection::endChanged, this,
            [this, &selection] { publishEnd(selection.beginMs(), selection.endMs()); });
}

void TimelineModel::publishBegin(qint64 beginMs, qint64 endMs)
{
    m_selMs[0] = beginMs;
    // With no end chosen yet a length would be meaningless: the length keeps
    // what it shows.
    if (endMs - beginMs > 0)
        m_selMs[2] = endMs - beginMs;
    publishSelRow();
}

void TimelineModel::publishEnd(qint64 beginMs, qint64 endMs)
{
    m_selMs[1] = endMs;
    // An end before the begin cannot be set; a negative length is never shown.
    m_selMs[2] = std::max<qint64>(0, endMs - beginMs);
    publishSelRow();
}

void TimelineModel::previewSel(MarkerSet set, qint64 ms, qint64 beginMs, qint64 endMs)
{
    std::array<qint64, 3> row = m_selMs;
    if (set == MarkerSet::Begin) {
        row[0] = ms;
        if (endMs - ms > 0)
            row[2] = endMs - ms;
    } else {
        row[1] = ms;
        row[2] = std::max<qint64>(0, ms - beginMs);
    }
    writeSelRow(row);
}

void TimelineModel::publishSelRow()
{
    writeSelRow(m_selMs);
}

void TimelineModel::writeSelRow(const std::array<qint64, 3> &ms)
{
    const QStringList row = TimeRow::texts({ms[0], ms[1], ms[2]});
    setText(Label::lblSelBegin, row[0]);
    setText(Label::lblSelEnd, row[1]);
    setText(Label::lblSelLength, row[2]);
}

void TimelineModel::setView(qint64 startMs, qint64 spanMs)
{
    const qint64 whole = qint64(m_fullTime) * 1000;
    if (spanMs <= 0 || spanMs >= whole) {
        startMs = 0;
        spanMs = 0;
    } else {
        spanMs = std::max(spanMs, MinViewSpanMs);
        startMs = std::clamp<qint64>(startMs, 0, whole - spanMs);
    }
    if (startMs == m_viewStartMs && spanMs == m_viewSpanMs)
        return;
    m_viewStartMs = startMs;
    m_viewSpanMs = spanMs;
    refreshViewRow();
    emit viewChanged();
}

void TimelineModel::refreshViewRow()
{
    // Not zoomed, the view is the whole song, so its length shows as soon
    // as it is known.
    const qint64 whole = m_lengthMs > 0 ? m_lengthMs : qint64(m_fullTime) * 1000;
    const qint64 start = isZoomed() ? m_viewStartMs : 0;
    const qint64 span = isZoomed() ? m_viewSpanMs : whole;
    const QStringList row = TimeRow::texts({start, start + span, span});
    setText(Label::lblViewBegin, row[0]);
    setText(Label::lblViewEnd, row[1]);
    setText(Label::lblViewLength, row[2]);
}

qint64 TimelineModel::timeAt(double L) const
{
    if (!isZoomed())
        return qint64(m_geometry.toSeconds(m_fullTime, L)) * 1000;
    return m_viewStartMs + roundSecondsHalfEven(double(m_viewSpanMs) * L / m_geometry.stripWidth());
}

int TimelineModel::leftAt(qint64 ms) const
{
    const qint64 span = viewSpanMs();
    if (span <= 0)
        return 0;
    return static_cast<int>(
        roundSecondsHalfEven(double(m_geometry.stripWidth()) * double(ms - viewStartMs()) / double(span)));
}

int TimelineModel::pointerLeft(qint64 positionMs) const
{
    if (isZoomed())
        return leftAt(positionMs);
    if (m_lengthMs <= 0)
        return 0;
    return static_cast<int>(
        roundSecondsHalfEven(double(m_geometry.stripWidth()) * double(positionMs) / double(m_lengthMs)));
}

void TimelineModel::placeAtStart()
{
    placeSet(MarkerSet::Begin, 0);
    placeSet(MarkerSet::End, m_geometry.stripWidth());
    placeSet(MarkerSet::Pointer, 0);
    for (int i = 0; i < ImageCount; ++i) {
        const auto image = static_cast<Image>(i);
        setVisible(image, setOf(image) == MarkerSet::Pointer);
    }
    m_selMs = {};
    for (int i = 0; i < LabelCount; ++i)
        setText(static_cast<Label>(i), Zero);
}

void TimelineModel::resetForClose()
{
    // The next song's length is its own; until then nothing is open.
    setFullTime(0);
    m_lengthMs = 0;
    const bool wasZoomed = isZoomed();
    m_viewStartMs = 0;
    m_viewSpanMs = 0;
    if (wasZoomed)
        emit viewChanged();
    setText(Label::lblTime, Zero);
    placeSet(MarkerSet::Pointer, 0);
    for (int i = 0; i < ImageCount; ++i) {
        const auto image = static_cast<Image>(i);
        if (setOf(image) != MarkerSet::Pointer)
            setVisible(image, false);
    }
    m_selMs = {};
    for (int i = 1; i < LabelCount; ++i)
        setText(static_cast<Label>(i), Zero);
}

void TimelineModel::setLengthMs(qint64 ms)
{
    if (m_lengthMs == ms)
        return;
    m_lengthMs = ms;
    refreshViewRow();
}
