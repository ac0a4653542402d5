#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>

// The time ruler over the strip: where its ticks stand for the part of the
// song in view, and what they say. The step is the finest of 1 ms … 500 ms,
// 1 s, 5 s, 10 s, 30 s, 1 min, 5 min, 10 min, 30 min, 1 h (and whole hours
// beyond) whose labels, each written right of its tick, never touch the next.
namespace TimeRuler {

struct Tick {
    qint64 ms = 0;   // time of the song
    int x = 0;       // pixels from the ruler's left edge
    QString label;   // empty where the label would run past the right edge
};

struct Scale {
    qint64 stepMs = 0; // 0: the view is too short or too narrow for any tick
    QList<Tick> ticks;
};

// Pixels kept free between one label's end and the next tick.
inline constexpr int LabelGap = 6;

// The steps tried, finest first.
const QList<qint64> &steps();

// The label of a tick at `ms` on a ruler of `stepMs` over a view ending at
// `viewEndMs`: "1:05" under an hour, "1:00:05" from an hour on, with as many
// decimals as the step needs ("0:01.25").
QString label(qint64 ms, qint64 stepMs, qint64 viewEndMs);

// The ticks for the view [beginMs, endMs] drawn `widthPx` wide, labels
// measured by `textWidth`.
Scale scale(qint64 beginMs, qint64 endMs, int widthPx,
            const std::function<int(const QString &)> &textWidth);

} // namespace TimeRuler
