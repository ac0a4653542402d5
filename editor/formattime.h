#pragma once

#include <QString>
#include <QtGlobal>

// Whole seconds as "HH:MM:SS"; hours keep every digit ("100:00:00").
QString FormatTime(qint32 seconds);

// Milliseconds as time text: a whole second exactly as FormatTime gives it,
// any other time with its fraction after a dot, trailing zeros dropped
// ("00:00:10.25", "00:00:10.001").
QString formatTimeMs(qint64 milliSeconds);

// Rounds to the nearest whole number, halves to even (2.5 -> 2, 7.5 -> 8).
qint64 roundSecondsHalfEven(double value);
