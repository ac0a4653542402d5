#pragma once

#include "soundcommands.h"

#include <QStringList>

#include <memory>

class AudioOutput;
class WavReader;

// The string-command sound device: one PCM WAV file at a time under the alias
// "sound". Understands exactly
//   open PATH alias sound        (PATH may be double-quoted; it may hold blanks)
//   play sound | play sound from MS | play sound from MS to END
//   pause sound | resume sound
//   stop sound | close sound | status sound length | status sound position
//   setaudio sound envelope FROM TO FADEIN FADEOUT GAIN | setaudio sound envelope off
// The envelope (milliseconds; GAIN in hundredths of a dB) shapes what plays
// as an export with those fades and that gain would sound; open resets it.
// Status replies are decimal milliseconds; every failure replies with nothing.
// "play sound from" a place past the end fails and leaves the device stopped
// at 0. With "to END" the device plays up to END's frame and stops there by
// itself (the position then reads END), not at the next look from outside.
// Playback needs a running event loop to feed the sound server.
class SoundChannel : public SoundCommands
{
public:
    enum class Mode { NotOpen, Stopped, Playing, Paused };

    SoundChannel();
    ~SoundChannel() override;

    QString send(const QString &command) override;
    void setWrittenFrames(const WrittenFrames *written) override;

    // Whether the last command was carried out; send() itself never says.
    bool lastCommandSucceeded() const { return m_lastSucceeded; }
    Mode mode();
    QString openedPath() const { return m_path; }
    // Whether the last playback reached the sound server (not the silent clock).
    bool isAudible() const;

private:
    QString carryOut(const QString &command);
    bool open(const QString &path);
    bool play();
    // stopMs < 0: to the end of the file.
    bool playFrom(qint64 milliSeconds, qint64 stopMs = -1);
    bool startAt(qint64 milliSeconds, qint64 stopMs = -1);
    bool pause();
    bool setEnvelope(const QStringList &values);
    bool resume();
    bool stop();
    bool close();
    qint64 position();
    qint64 length() const;
    // Playback that has reached the end of the file leaves the device stopped there.
    void settle();

    const WrittenFrames *m_written = nullptr;
    std::unique_ptr<WavReader> m_reader;
    std::unique_ptr<AudioOutput> m_output;
    Mode m_mode = Mode::NotOpen;
    QString m_path;
    qint64 m_startMs = 0;    // where the current playback started
    qint64 m_positionMs = 0; // where a stopped or paused device stands
    qint64 m_stopMs = 0;     // where the current playback stops by itself
    bool m_lastSucceeded = true;
    // The sound server's calls may run pending events, and with them a timer
    // that sends the next command before this one is done.
    bool m_busy = false;
    QString m_lastLengthReply;
    QString m_lastPositionReply;
};
