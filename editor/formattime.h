#pragma once

#include <QString>
#include <QtGlobal>

// Whole seconds as "HH:MM:SS"; hours keep every digit ("100:00:00").
QString FormatTime(qint32 seconds);

// Rounds to the nearest whole number, halves to even (2.5 -> 2, 7.5 -> 8).
qint64 roundSecondsHalfEven(double value);
