#pragma once

#include <QList>
#include <QtGlobal>

// Which frames of a working file hold their final samples while a decode
// writes it. A one-thread decode grows one run from frame 0; a parallel
// decode finishes runs anywhere in the file, in any order. Readers (the
// peaks, playback, the commands) ask before they read a sample, so none is
// ever read before the decode has written it.
class DecodedMap
{
public:
    struct Run {
        qint64 first = 0; // first frame
        qint64 end = 0;   // one past the last frame
        friend bool operator==(const Run &, const Run &) = default;
    };

    // Nothing decoded; `frames` is the length expected (-1: not known yet).
    void reset(qint64 frames = -1);
    // Frames [first, end) are written; touching or overlapping runs merge.
    // Empty or negative stretches are ignored.
    void add(qint64 first, qint64 end);
    // The decode ended well with `frames` frames: the whole file is there.
    void complete(qint64 frames);
    // What was claimed is withdrawn (a parallel attempt gave up and the
    // decode starts again on one thread); the expected length stays.
    void withdraw();

    qint64 expectedFrames() const { return m_expected; }
    bool isComplete() const { return m_complete; }
    bool isEmpty() const { return m_runs.isEmpty(); }
    const QList<Run> &runs() const { return m_runs; }
    qint64 decodedFrames() const;

    // Every frame of [first, end) is written (an empty stretch is).
    bool contains(qint64 first, qint64 end) const;
    // The end of the written run holding `frame`; `frame` itself when that
    // frame is not written.
    qint64 readyUntil(qint64 frame) const;
    // The first written frame at or after `frame`; -1 when none is.
    qint64 nextWritten(qint64 frame) const;

private:
    QList<Run> m_runs; // sorted, disjoint, never touching
    qint64 m_expected = -1;
    bool m_complete = false;
};
