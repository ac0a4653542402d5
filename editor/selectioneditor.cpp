#include "selectioneditor.h"

#include "typedtime.h"

#include <algorithm>

using MarkerSet = TimelineModel::MarkerSet;
using Label = TimelineModel::Label;

SelectionEditor::SelectionEditor(Selection &selection, TimelineModel &model, QObject *parent)
    : QObject(parent), m_selection(selection), m_model(model), m_committed(snapshot())
{
    connect(&m_selection, &Selection::changed, this, &SelectionEditor::selectionChanged);
    // A closed file leaves nothing to go back to.
    connect(&m_selection, &Selection::cleared, this, [this] { m_committed = snapshot(); });
}

QString SelectionEditor::message(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Unreadable:
        return tr("请按 时:分:秒.毫秒、分:秒.毫秒 或秒数输入时间，例如 00:01:10.250");
    case Outcome::OutOfRange:
        return tr("时间必须在 00:00:00 与歌曲长度之间");
    case Outcome::BeginAfterEnd:
        return tr("开始时间在结束时间之后。");
    case Outcome::NoSong:
        return tr("请先打开一首歌曲。");
    case Outcome::Done:
    case Outcome::Unchanged:
        break;
    }
    return {};
}

qint64 SelectionEditor::songEndMs() const
{
    return m_model.lengthMs() > 0 ? m_model.lengthMs() : qint64(m_model.T()) * 1000;
}

SelectionEditor::Outcome SelectionEditor::typeTime(Handle handle, QStringView text)
{
    const std::optional<qint64> ms = parseTypedTime(text);
    if (!ms)
        return Outcome::Unreadable;
    return setTime(handle, *ms);
}

SelectionEditor::Outcome SelectionEditor::setTime(Handle handle, qint64 ms)
{
    const qint64 end = songEndMs();
    if (end <= 0)
        return Outcome::NoSong;
    if (ms < 0 || ms > end)
        return Outcome::OutOfRange;
    // SelEndMs 0 is "no end chosen": any begin is then welcome.
    // A begin on the end would leave nothing to save.
    if (handle == Handle::Begin && m_selection.endMs() > 0 && ms >= m_selection.endMs())
        return Outcome::BeginAfterEnd;
    if (handle == Handle::End && ms < m_selection.beginMs())
        return Outcome::BeginAfterEnd;
    apply(handle, ms);
    return Outcome::Done;
}

SelectionEditor::Outcome SelectionEditor::nudge(qint64 deltaMs)
{
    const qint64 songEnd = songEndMs();
    if (songEnd <= 0)
        return Outcome::NoSong;
    const int W = m_model.geometry().stripWidth();
    // A marker's width, as a time on the strip as it shows.
    const qint64 gap = W > 0 ? m_model.geometry().markerWidth() * m_model.viewSpanMs() / W : 0;
    const qint64 endNow = m_selection.endMs() > 0 ? m_selection.endMs() : songEnd;
    qint64 current = 0, low = 0, high = 0;
    if (m_selection.lastHandle() == Handle::Begin) {
        current = m_selection.beginMs();
        high = endNow - gap;
    } else {
        current = endNow;
        low = m_selection.beginMs() + gap;
        high = songEnd;
    }
    // A nudge never jumps the other way, even where the handles already
    // stand closer than a drag would let them.
    const qint64 target = deltaMs > 0 ? std::max(current, std::min(current + deltaMs, high))
                                      : std::min(current, std::max(current + deltaMs, low));
    if (target == current && (m_selection.lastHandle() == Handle::Begin || m_selection.endMs() > 0))
        return Outcome::Unchanged;
    apply(m_selection.lastHandle(), target);
    return Outcome::Done;
}

SelectionEditor::Outcome SelectionEditor::setAtPointer(Handle handle, qint64 pointerMs)
{
    if (songEndMs() <= 0)
        return Outcome::NoSong;
    const qint64 p = std::clamp<qint64>(pointerMs, 0, songEndMs());
    if (handle == Handle::Begin && m_selection.endMs() > 0 && p >= m_selection.endMs())
        return Outcome::BeginAfterEnd;
    if (handle == Handle::End && p < m_selection.beginMs())
        return Outcome::BeginAfterEnd;
    apply(handle, p);
    return Outcome::Done;
}

SelectionEditor::Outcome SelectionEditor::setStretch(qint64 beginMs, qint64 endMs)
{
    const qint64 songEnd = songEndMs();
    if (songEnd <= 0)
        return Outcome::NoSong;
    endMs = std::clamp<qint64>(endMs, 0, songEnd);
    beginMs = std::clamp<qint64>(beginMs, 0, endMs);
    // The end first, as the random cut throws it: the begin is the handle last set.
    apply(Handle::End, endMs);
    apply(Handle::Begin, beginMs);
    return Outcome::Done;
}

void SelectionEditor::apply(Handle handle, qint64 ms)
{
    const MarkerSet set = handle == Handle::Begin ? MarkerSet::Begin : MarkerSet::End;
    int L = m_model.leftAt(ms);
    if (!m_model.isZoomed())
        L = std::clamp(L, 0, m_model.geometry().stripWidth());
    m_model.placeSet(set, L);
    m_model.setVisible(TimelineModel::upperOf(set), true);
    m_model.setVisible(TimelineModel::lineOf(set), true);
    m_model.setVisible(TimelineModel::lowerOf(set), true);
    if (handle == Handle::Begin)
        m_selection.setBegin(ms);
    else
        m_selection.setEnd(ms);
}

SelectionSnapshot SelectionEditor::snapshot() const
{
    SelectionSnapshot s;
    s.beginMs = m_selection.beginMs();
    s.endMs = m_selection.endMs();
    s.beginLeft = m_model.left(TimelineModel::Image::imgSelectTop1);
    s.endLeft = m_model.left(TimelineModel::Image::imgSelectTop2);
    s.beginShown = m_model.isVisible(TimelineModel::Image::imgSelectTop1);
    s.endShown = m_model.isVisible(TimelineModel::Image::imgSelectTop2);
    s.viewStartMs = m_model.viewStartMs();
    s.viewSpanMs = m_model.viewSpanMs();
    s.beginText = m_model.text(Label::lblSelBegin);
    s.endText = m_model.text(Label::lblSelEnd);
    s.lengthText = m_model.text(Label::lblSelLength);
    return s;
}

void SelectionEditor::restore(const SelectionSnapshot &s)
{
    m_restoring = true;
    m_selection.set(s.beginMs, s.endMs);
    m_restoring = false;
    const bool sameView = s.viewStartMs == m_model.viewStartMs() && s.viewSpanMs == m_model.viewSpanMs();
    const qint64 endTime = s.endMs > 0 ? s.endMs : qint64(m_model.T()) * 1000;
    m_model.placeSet(MarkerSet::Begin, sameView ? s.beginLeft : m_model.leftAt(s.beginMs));
    m_model.placeSet(MarkerSet::End, sameView ? s.endLeft : m_model.leftAt(endTime));
    for (MarkerSet set : {MarkerSet::Begin, MarkerSet::End}) {
        const bool shown = set == MarkerSet::Begin ? s.beginShown : s.endShown;
        m_model.setVisible(TimelineModel::upperOf(set), shown);
        m_model.setVisible(TimelineModel::lineOf(set), shown);
        m_model.setVisible(TimelineModel::lowerOf(set), shown);
    }
    m_model.setText(Label::lblSelBegin, s.beginText);
    m_model.setText(Label::lblSelEnd, s.endText);
    m_model.setText(Label::lblSelLength, s.lengthText);
    m_model.refreshViewRow();
    m_committed = snapshot();
}

void SelectionEditor::record(const std::function<void()> &change)
{
    ++m_grouping;
    change();
    --m_grouping;
    selectionChanged();
}

void SelectionEditor::selectionChanged()
{
    if (m_restoring || m_grouping > 0)
        return;
    const SelectionSnapshot before = m_committed;
    const SelectionSnapshot after = snapshot();
    if (after == before)
        return;
    m_committed = after;
    emit edited(before, after);
}
