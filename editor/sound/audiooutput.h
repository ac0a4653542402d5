#pragma once

#include <QtGlobal>

#include <memory>

class WavReader;

// Where the sound channel's samples go: the sound server, or a silent clock
// that only keeps time.
class AudioOutput
{
public:
    virtual ~AudioOutput() = default;
    // Plays reader from its current frame to its end; false when this output
    // cannot play at all. The reader must outlive the playback.
    virtual bool start(WavReader &reader) = 0;
    virtual void suspend() = 0;
    virtual void resume() = 0;
    virtual void stop() = 0;
    // Microseconds of sound the listener has heard since start(), pauses left out.
    virtual qint64 heardMicroSeconds() const = 0;
    // True once everything from start() to the end of the file has been heard.
    virtual bool finished() const = 0;
    // False for the silent clock.
    virtual bool isAudible() const { return true; }
};

// The sound server's output, or the silent clock when there is none, when
// KESMARIN_AUDIO=silent forces it, or when the server's output cannot start.
std::unique_ptr<AudioOutput> createAudioOutput();
std::unique_ptr<AudioOutput> createSilentOutput(const char *reason);
