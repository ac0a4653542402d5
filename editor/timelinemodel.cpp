#include "timelinemodel.h"

#include "formattime.h"
#include "selection.h"

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
    setText(Label::lblSelBegin, formatTimeMs(beginMs));
    if (!isZoomed())
        setText(Label::lblViewBegin, text(Label::lblSelBegin));
    // With no end chosen yet a length would be meaningless: the length labels
    // keep what they show.
    if (endMs - beginMs > 0)
        setText(Label::lblSelLength, formatTimeMs(endMs - beginMs));
    if (!isZoomed())
        setText(Label::lblViewLength, text(Label::lblSelLength));
}

void TimelineModel::publishEnd(qint64 beginMs, qint64 endMs)
{
    setText(Label::lblSelEnd, formatTimeMs(endMs));
    if (!isZoomed())
        setText(Label::lblViewEnd, text(Label::lblSelEnd));
    // An end before the begin cannot be set; a negative length is never shown.
    setText(Label::lblSelLength, formatTimeMs(std::max<qint64>(0, endMs - beginMs)));
    if (!isZoomed())
        setText(Label::lblViewLength, text(Label::lblSelLength));
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
    if (isZoomed()) {
        setText(Label::lblViewBegin, formatTimeMs(m_viewStartMs));
        setText(Label::lblViewEnd, formatTimeMs(m_viewStartMs + m_viewSpanMs));
        setText(Label::lblViewLength, formatTimeMs(m_viewSpanMs));
    } else {
        setText(Label::lblViewBegin, text(Label::lblSelBegin));
        setText(Label::lblViewEnd, text(Label::lblSelEnd));
        setText(Label::lblViewLength, text(Label::lblSelLength));
    }
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
    for (int i = 1; i < LabelCount; ++i)
        setText(static_cast<Label>(i), Zero);
}
