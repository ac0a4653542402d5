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

#include <QList>
#include <QObject>

#include <utility>

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
    // The waveform of the working file is held or filled in already: a
    // decode that was followed needs no read of its own at the end.
    bool holdsPeaks() const { return m_pyramid.holds(m_controller.workFile()); }

    // Mouse events of the nine strip images and the strip itself, X in twips;
    // each goes to the rule that owns the image.
    void imagePress(TimelineModel::Image image, double X);
    void imageMove(TimelineModel::Image image, double X);
    void imageRelease(TimelineModel::Image image, double X);
    void stripPress(double X);
    // A marker image (a handle set or the play pointer) is pressed.
    bool isDragging() const { return m_handles.isDragging() || m_pointer.isDragging(); }

    // The file was closed: no selection, no length, the pointer at 0, no
    // decoded map.
    void closeFile();

    // A decode writes `workFile` while it is read: its header (sizes not yet
    // final) and first block are on disk, the length is expected from the
    // input's duration (-1: not known). The map starts empty.
    void decodeStarted(const QString &workFile, qint64 expectedFrames, int sampleRate,
                       int channels);
    // Frames [firstFrame, endFrame) of the working file hold their final samples.
    void decodedStretch(qint64 firstFrame, qint64 endFrame);
    // Everything claimed so far is void: the decode starts over.
    void decodeWithdrawn();
    // The decode ended well: the file holds `frames` frames and its header is final.
    void decodeComplete(qint64 frames);
    // Which frames of the working file may be read; complete once a decode
    // ended well, empty while none ran.
    const DecodedMap &decodedMap() const { return m_decoded; }
    // A decode is writing the file that is shown.
    bool isGrowing() const { return m_decodeRate > 0 && !m_decoded.isComplete(); }
    int decodeRate() const { return m_decodeRate; }
    int decodeChannels() const { return m_decodeChannels; }
    // Every millisecond of [beginMs, endMs) is decoded (always, when no
    // decode is writing the file).
    bool isDecoded(qint64 beginMs, qint64 endMs) const;
    // The decoded stretches in milliseconds, each cut inward to whole
    // milliseconds.
    QList<std::pair<qint64, qint64>> decodedMs() const;
    // A random cut (more than 5 whole seconds) fits in what is decoded.
    bool hasCutRoomDecoded() const;
    // The random cut over the whole song (over what is decoded while a
    // decode writes it), recorded as one change.
    RandomCut::Outcome runRandomCut();
    // A stretch chosen for the user, over the whole strip, recorded as one change.
    SelectionEditor::Outcome selectStretch(qint64 beginMs, qint64 endMs);
    // "[" and "]" and the transport's set buttons alike: an end at the
    // pointer's exact millisecond, once the transport operation under way is over.
    SelectionEditor::Outcome setAtPointer(SelectionEditor::Handle handle);
    // Left and Right, with Shift for whole seconds.
    SelectionEditor::Outcome nudge(qint64 deltaMs);
    SelectionEditor::Outcome typeTime(SelectionEditor::Handle handle, const QString &text);

signals:
    void pyramidReady();
    // The decoded map changed over [firstFrame, endFrame); 0, -1 when all of
    // it may have (withdrawn, complete, reset).
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
    DecodedMap m_decoded;
    int m_decodeRate = 0;
    int m_decodeChannels = 0;
};
