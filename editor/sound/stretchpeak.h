#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <optional>

// The highest sample of a stretch of a WAV file after its fades, in dB below
// full scale (-inf for silence); nothing when the file cannot be read. What
// "Play selection" needs to sound normalised before the coder measures the
// same stretch for the export. A long stretch takes a while: it may run on a
// worker thread, and gives nothing as soon as stop is set.
std::optional<double> measureStretchPeakDb(const QString &wavPath, qint64 beginMs, qint64 endMs,
                                           qint64 fadeInMs, qint64 fadeOutMs,
                                           const std::atomic_bool *stop = nullptr);
