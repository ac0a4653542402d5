#pragma once

#include "playbackcontroller.h"
#include "playpointer.h"
#include "randomcut.h"
#include "selectionhandles.h"
#include "timelinemodel.h"

#include <QObject>

struct EditorState;
class SoundCommands;

// The editor's rules wired together, as the main window holds them: the
// model the widgets observe, the playback controller with its poll, the
// handles, the play pointer and the random cut.
class TimelineEditor : public QObject
{
    Q_OBJECT
public:
    TimelineEditor(EditorState &state, SoundCommands &sound, const QString &workFile,
                   int twipsPerPixelX = TimelineGeometry::DesignTwipsPerPixel, QObject *parent = nullptr);

    EditorState &state() { return m_state; }
    TimelineModel &model() { return m_model; }
    PlaybackController &controller() { return m_controller; }
    SelectionHandles &handles() { return m_handles; }
    PlayPointer &pointer() { return m_pointer; }
    RandomCut &randomCut() { return m_randomCut; }

    // Mouse events of the nine strip images and the strip itself, X in twips;
    // each goes to the rule that owns the image.
    void imagePress(TimelineModel::Image image, double X);
    void imageMove(TimelineModel::Image image, double X);
    void imageRelease(TimelineModel::Image image, double X);
    void stripPress(double X);

private:
    EditorState &m_state;
    TimelineModel m_model;
    PlaybackController m_controller;
    SelectionHandles m_handles;
    PlayPointer m_pointer;
    RandomCut m_randomCut;
};
