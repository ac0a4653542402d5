#pragma once

#include "playbackcontroller.h"
#include "recordingsound.h"
#include "selection.h"
#include "timelinemodel.h"

// Only the poll writes the duration T; tests teach it the same way, with one
// tick over a device that reports T seconds and position 0.
inline void learnDuration(TimelineModel &model, qint32 T)
{
    RecordingSound sound;
    sound.isOpen = true;
    sound.lengthMs = qint64(T) * 1000;
    Selection selection;
    PlaybackController poll(selection, model, sound, QString());
    poll.setPollEnabled(false);
    poll.Timer2_Timer();
}
