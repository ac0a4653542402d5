#pragma once

#include "stretchgain.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

struct EditorState;
class SoundCommands;
class TimelineModel;

// The transport row and the 100 ms poll that follows the sound device. It
// speaks to the device only through command strings and shows everything
// through the timeline model.
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
    enum Transport { Play = 0, Stop = 1, Pause = 2, SetBegin = 3, SetEnd = 4, PlaySelection = 5, Save = 6 };

    // workFile is the working WAV of this instance.
    PlaybackController(EditorState &state, TimelineModel &model, SoundCommands &sound,
                       const QString &workFile, QObject *parent = nullptr);

    // The transport buttons 0 to 6.
    void imgCtrlButton_Click(int index);

    void play();
    void stop();
    void pause();
    void setBeginAtPointer();
    void setEndAtPointer();
    void playSelection();

    // One tick of the poll; Timer2 calls it every 100 ms.
    void Timer2_Timer();
    QTimer &Timer2() { return m_timer2; }
    void setPollEnabled(bool on);

    // The pieces the pointer, the export and the decode use.
    void stopAndClose();                 // "stop sound", "close sound", pending events
    void openWorkFile();                 // open the working file under the alias, no existence check
    void playFromMs(qint64 milliSeconds); // "play sound from MS"
    // Opens a short sound (the chime after an export) under the alias and
    // plays it. Until the device is next closed the poll leaves the song's
    // length, the pointer and the labels alone: the chime is not the song.
    void playChime(const QString &path);
    // Runs an operation of another rule under the same one-at-a-time guard.
    void exclusive(const std::function<void()> &operation);

    // A decode has just written the working file: the song's length is known
    // from it at once, before anything has been played.
    void learnLength();

    QString workFile() const { return m_workFile; }
    void setWorkFile(const QString &path) { m_workFile = path; }

    // Whether sound is meant to be coming out: after Play, Play selection or a
    // seek, until Pause, Stop, the selection's end or the end of the file.
    // Play selection plays with the export's fades and level (EditorState's
    // Fades), so they are heard before saving; the level of a stretch not
    // heard before follows as soon as it is measured.
    bool isSounding() const { return m_sounding; }
    // While looping, a selection that reaches its end plays again from its begin.
    bool isLooping() const { return m_looping; }
    void setLooping(bool on);
    // The pointer's place to the millisecond (the buttons use whole seconds).
    qint64 pointerMs() const;
    // Measures the level of the stretches Play selection plays.
    StretchGain &stretchGain() { return m_gains; }

    // What runs where pending events are let run; tests put nested clicks here.
    void setEventPump(std::function<void()> pump) { m_pump = std::move(pump); }

signals:
    // The transport row's save button: the export command takes over.
    void saveRequested();
    void loopingChanged(bool on);

private:
    void openUnderAlias(const QString &path);
    void doStop();
    void pumpEvents();
    qint64 pointerSecondsMs() const;
    void sendEnvelope();

    EditorState &m_state;
    TimelineModel &m_model;
    SoundCommands &m_sound;
    QString m_workFile;
    QTimer m_timer2;
    std::function<void()> m_pump;
    bool m_busy = false;
    bool m_chimeHolds = false; // the chime, not the working file, is open under the alias
    QList<std::function<void()>> m_pending;
    bool m_looping = false;
    bool m_sounding = false;
    StretchGain m_gains;
};
