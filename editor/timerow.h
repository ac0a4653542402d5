#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

// The texts of one row of times (Begin, End, Length; or the clock beside
// them): one format for the whole row, so a row never mixes "00:01:10" with
// "00:01:03.387". Once any time of the row has a fraction, every cell shows
// milliseconds, always three digits.
namespace TimeRow {

// "HH:MM:SS", or "HH:MM:SS.mmm" with `withMs`; hours keep every digit.
QString format(qint64 milliSeconds, bool withMs);

// The row's texts, in the order given.
QStringList texts(const QList<qint64> &milliSeconds);

// The width a cell needs for any time of a song up to 24 hours with its
// milliseconds, whichever digits it holds, as `textWidth` measures text.
int requiredWidth(const std::function<int(const QString &)> &textWidth);

} // namespace TimeRow
