#pragma once

#include "codercommand.h"
#include "sound/writtenframes.h"
#include "stretchgain.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class DecodedMap;
class Selection;
class SoundCommands;
class TimelineModel;

// The transport row and the 100 ms poll that follows the sound device. It
// speaks to the device only through command strings and shows everything
// through the timeline model. It owns the transport state (Paused,
// PlayingSelection and the polled position, in whole milliseconds) and
// announces each change through transportChanged().
//
// Letting pending events run after each stop/close pair can re-enter the
// controller (a click, a poll tick). Operations therefore run one at a time:
// a poll tick that arrives while an operation or another tick runs is
// dropped (the next one comes 100 ms later), and a user operation that
// arrives meanwhile runs as soon as the current one is over. Each operation
// keeps the order of its steps.
class PlaybackController : public QObject
{
    Q_OBJECT
public:
    // The transport buttons 0 to 6.
    enum Transport { Play = 0, Stop = 1, Pause = 2, SetBegin = 3, SetEnd = 4, PlaySelection = 5, Save = 6 };

    // workFile is the working WAV of this instance.
    PlaybackController(const Selection &selection, TimelineModel &model, SoundCommands &sound,
                       const QString &workFile, QObject *parent = nullptr);
    ~PlaybackController() override;

    void play();
    void stop();
    void pause();
    // Plays from SelBegin; the device itself stops at SelEnd's frame (with no
    // end chosen, at the end of the file).
    void playSelection();

    // One tick of the poll; Timer2 calls it every 100 ms.
    void Timer2_Timer();
    QTimer &Timer2() { return m_timer2; }
    void setPollEnabled(bool on);

    // The pieces the pointer, the export and the decode use.
    void stopAndClose();                 // "stop sound", "close sound", pending events
    void openWorkFile();                 // open the working file under the alias, no existence check
    // "play sound from MS"; while the selection plays and MS lies before its
    // end, "to END" too, so the device stops on the selection's last frame.
    void playFromMs(qint64 milliSeconds);
    // Opens a short sound (the chime after an export) under the alias and
    // plays it. Until the device is next closed the poll leaves the song's
    // length, the pointer and the labels alone: the chime is not the song.
    void playChime(const QString &path);
    // Runs an operation of another rule under the same one-at-a-time guard.
    void exclusive(const std::function<void()> &operation);
    // Runs work once no operation or tick is under way: at once when none
    // is, else right after it. A job started here never runs with the
    // controller marked busy, so the poll goes on during it.
    void whenIdle(const std::function<void()> &work);
    bool isBusy() const { return m_busy; }

    // A decode has just written the working file: the song's length is known
    // from it at once, before anything has been played. While the decode
    // still writes it, the length is the one the decode expects.
    void learnLength();
    // The length is known otherwise (a decode that is still writing the file).
    void learnLength(qint64 ms);
    // What a decode has written of the working file while it grows; the
    // device then plays only inside it. Followed from the first change on.
    void setDecodedMap(const DecodedMap *map) { m_written.map = map; }
    void decodedMapChanged();

    QString workFile() const { return m_workFile; }
    void setWorkFile(const QString &path) { m_workFile = path; }

    // Whether sound is meant to be coming out: after Play, Play selection or a
    // seek, until Pause, Stop, the selection's end or the end of the file.
    // Play selection plays with the export's fades and level, so they are
    // heard before saving; the level of a stretch not heard before follows as
    // soon as it is measured.
    bool isSounding() const { return m_sounding; }
    // Play after Pause resumes; set by Pause, cleared by Stop.
    bool isPaused() const { return m_paused; }
    bool isPlayingSelection() const { return m_playingSelection; }
    // The fades and level Play selection plays with.
    void setPreviewFades(const FadeLevel &fades) { m_fades = fades; }
    // While looping, a selection that reaches its end plays again from its begin.
    bool isLooping() const { return m_looping; }
    void setLooping(bool on);
    // The pointer's place to the millisecond: the device's last polled
    // position (PlayRatio is this over the length).
    qint64 pointerMs() const { return m_positionMs; }
    double playRatio() const;
    // Measures the level of the stretches Play selection plays.
    StretchGain &stretchGain() { return m_gains; }

    // What runs where pending events are let run; tests put nested clicks here.
    void setEventPump(std::function<void()> pump) { m_pump = std::move(pump); }

signals:
    void loopingChanged(bool on);
    // Paused, PlayingSelection or the sounding state changed.
    void transportChanged();

private:
    // The decoded map as the sound device reads it.
    struct DecodedFrames : WrittenFrames {
        bool isGrowing(const QString &path) const override;
        qint64 expectedFrames() const override;
        qint64 readyUntil(qint64 frame) const override;
        const DecodedMap *map = nullptr;
        const QString *file = nullptr;
    };

    void openUnderAlias(const QString &path);
    void doStop();
    void pumpEvents();
    void sendEnvelope();
    void setTransport(bool paused, bool playingSelection, bool sounding);
    void setSounding(bool on) { setTransport(m_paused, m_playingSelection, on); }
    void drainIdle();

    const Selection &m_selection;
    TimelineModel &m_model;
    SoundCommands &m_sound;
    QString m_workFile;
    QTimer m_timer2;
    std::function<void()> m_pump;
    bool m_busy = false;
    bool m_chimeHolds = false; // the chime, not the working file, is open under the alias
    QList<std::function<void()>> m_pending;
    QList<std::function<void()>> m_afterIdle;
    bool m_looping = false;
    bool m_sounding = false;
    StretchGain m_gains;
    bool m_paused = false;
    bool m_playingSelection = false;
    qint64 m_positionMs = 0;
    FadeLevel m_fades;
    DecodedFrames m_written;
    bool m_followsDecode = false; // the device has been handed m_written
};
