#pragma once

#include "selection.h"
#include "timelinemodel.h"

#include <QObject>
#include <QString>
#include <QStringView>
#include <functional>

// What the user sees of the selection at one moment: its times, where its
// two handle sets stand and whether they show, and the Sel row's texts.
// Undo and redo put one of these back.
struct SelectionSnapshot
{
    qint64 beginMs = 0;
    qint64 endMs = 0;
    int beginLeft = 0;
    int endLeft = 0;
    bool beginShown = false;
    bool endShown = false;
    // The view the Lefts were taken in; elsewhere the sets go by their times.
    qint64 viewStartMs = 0;
    qint64 viewSpanMs = 0;
    QString beginText;
    QString endText;
    QString lengthText;

    friend bool operator==(const SelectionSnapshot &, const SelectionSnapshot &) = default;
};

// Changes of the selection by time rather than by dragging: a typed time,
// a nudge of the handle last set, a handle set at the pointer's exact place.
// It also keeps the record of changes: every change of the selection,
// whatever made it, is reported once as a before and an after, which the
// window's undo stack keeps; restore() puts either back. The record is taken
// from the selection's own change signal, so a change that arrives late (it
// waited for the transport) is recorded all the same; record() only groups
// the changes of one operation (the random cut's many throws) into one.
class SelectionEditor : public QObject
{
    Q_OBJECT
public:
    using Handle = Selection::Handle;
    enum class Outcome { Done, Unchanged, Unreadable, OutOfRange, BeginAfterEnd, NoSong };
    Q_ENUM(Outcome)

    // Nudge steps.
    static constexpr qint64 FineStepMs = 100;
    static constexpr qint64 CoarseStepMs = 1000;

    SelectionEditor(Selection &selection, TimelineModel &model, QObject *parent = nullptr);

    // The short message shown for a refused change; empty for Done and Unchanged.
    static QString message(Outcome outcome);

    // A typed time for one end: refused when it cannot be read, lies
    // outside 0..the song's length, or puts the begin after the end.
    Outcome typeTime(Handle handle, QStringView text);
    Outcome setTime(Handle handle, qint64 ms);
    // Moves the handle last set by deltaMs, stopping where a drag would stop:
    // a marker's width from the other set, and the ends of the song.
    Outcome nudge(qint64 deltaMs);
    // The handle at the pointer's millisecond; refused as the transport
    // buttons refuse (a begin at or after the end, an end before the begin).
    Outcome setAtPointer(Handle handle, qint64 pointerMs);
    // Both handles, shown, for a stretch chosen elsewhere; kept inside the song.
    Outcome setStretch(qint64 beginMs, qint64 endMs);

    Handle lastHandle() const { return m_selection.lastHandle(); }
    void setLastHandle(Handle handle) { m_selection.setLastHandle(handle); }

    // The length the selection may reach: the device's, else T.
    qint64 songEndMs() const;

    SelectionSnapshot snapshot() const;
    // Puts a snapshot back without recording it.
    void restore(const SelectionSnapshot &snapshot);
    // Runs a change and reports what it changed once, as one step.
    void record(const std::function<void()> &change);

signals:
    void edited(const SelectionSnapshot &before, const SelectionSnapshot &after);

private:
    void apply(Handle handle, qint64 ms);
    void selectionChanged();

    Selection &m_selection;
    TimelineModel &m_model;
    // The selection as the last step left it: the next step's before.
    SelectionSnapshot m_committed;
    int m_grouping = 0;
    bool m_restoring = false;
};
