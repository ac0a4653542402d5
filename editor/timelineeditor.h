#pragma once

#include "decodedmap.h"
#include "playbackcontroller.h"
#include "playpointer.h"
#include "pyramidbuilder.h"
#include "randomcut.h"
#include "selection.h"
#include "selectioneditor.h"
#include "selectionhandles.h"
#include "timelinemodel.h"
#include "timelinezoom.h"

#include <QObject>

class SoundCommands;

// The editor's rules wired together, as the main window holds them: the
// selection, the model the widgets observe, the playback controller with its
// poll, the handles, the play pointer and the random cut.
class TimelineEditor : public QObject
{
    Q_OBJECT
public:
    TimelineEditor(SoundCommands &sound, const QString &workFile,
                   int twipsPerPixelX = TimelineGeometry::DesignTwipsPerPixel, QObject *parent = nullptr);

    Selection &selectionState() { return m_selectionState; }
    const Selection &selectionState() const { return m_selectionState; }
    TimelineModel &model() { return m_model; }
    PlaybackController &controller() { return m_controller; }
    SelectionHandles &handles() { return m_handles; }
    PlayPointer &pointer() { return m_pointer; }
    RandomCut &randomCut() { return m_randomCut; }
    SelectionEditor &selection() { return m_selection; }
    TimelineZoom &zoom() { return m_zoom; }
    // The waveform at any zoom, built on a worker thread from the working
    // file the first time a zoomed view asks and again only when that file
    // changes. Nothing until it is ready; pyramidReady() then follows.
    PeakPyramid *pyramid();
    // The waveform a decode fills in while it writes the working file;
    // nothing when no decode grows it.
    PeakPyramid *growingPyramid() const { return m_pyramid.growing(); }

    // Mouse events of the nine strip images and the strip itself, X in twips;
    // each goes to the rule that owns the image.
    void imagePress(TimelineModel::Image image, double X);
    void imageMove(TimelineModel::Image image, double X);
    void imageRelease(TimelineModel::Image image, double X);
    void stripPress(double X);
    // A marker image (a handle set or the play pointer) is pressed.
    bool isDragging() const { return m_handles.isDragging() || m_pointer.isDragging(); }

    // The file was closed: no selection, no length, the pointer at 0.
    void closeFile();
    // The random cut over the whole song, recorded as one change.
    RandomCut::Outcome runRandomCut();
    // A stretch chosen for the user, over the whole strip, recorded as one change.
    SelectionEditor::Outcome selectStretch(qint64 beginMs, qint64 endMs);
    // "[" and "]" and the transport's set buttons alike: an end at the
    // pointer's exact millisecond, once the transport operation under way is over.
    SelectionEditor::Outcome setAtPointer(SelectionEditor::Handle handle);
    // Left and Right, with Shift for whole seconds.
    SelectionEditor::Outcome nudge(qint64 deltaMs);
    SelectionEditor::Outcome typeTime(SelectionEditor::Handle handle, const QString &text);

    // A decode writes the working file while it is shown: what it has written
    // so far, in frames. Readers never read outside decodedMap().
    void decodeStarted(const QString &workFile, qint64 expectedFrames, int sampleRate, int channels);
    void decodedStretch(qint64 firstFrame, qint64 endFrame);
    void decodeWithdrawn();
    void decodeComplete(qint64 frames);
    const DecodedMap &decodedMap() const;

signals:
    void pyramidReady();
    // Frames [firstFrame, endFrame) are newly decoded; 0, -1: everything changed.
    void decodedMapChanged(qint64 firstFrame, qint64 endFrame);
    // The waveform of frames [firstFrame, endFrame) has been read while the
    // decode grows; 0, -1: all of it changed.
    void peaksGrown(qint64 firstFrame, qint64 endFrame);

private:
    Selection m_selectionState;
    TimelineModel m_model;
    PlaybackController m_controller;
    SelectionHandles m_handles;
    PlayPointer m_pointer;
    RandomCut m_randomCut;
    SelectionEditor m_selection;
    TimelineZoom m_zoom;
    PyramidBuilder m_pyramid;
    DecodedMap m_decodedMap;
};
