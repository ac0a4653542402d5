#pragma once

#include <QByteArray>

// The after-export chime: two soft bell strokes, 16-bit PCM mono, 44100 Hz,
// about 0.8 s, as a complete WAV file.
namespace Chime {

inline constexpr int kSampleRate = 44100;
inline constexpr double kSeconds = 0.8;

QByteArray wav();

} // namespace Chime
