#pragma once

#include "decodedmap.h"
#include "peakpyramid.h"
#include "stripart.h"
#include "timelinemodel.h"
#include "timeruler.h"

#include <QElapsedTimer>
#include <QList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <utility>

class MarkerImage;
class QLabel;
class QPainter;
class TimelineEditor;

// The timeline strip: its picture (or a waveform when one is given), the
// time ruler of the view along its top (its ticks also drawn as grid lines
// over the wave and ticks under it), the selection shaded with its fades,
// the loop's lamp, the nine marker images in their stacking order, and the
// two end labels. It
// shows the model and passes mouse events to the editor's rules in twips.
class StripWidget : public QWidget
{
    Q_OBJECT
public:
    // 11195 x 5400 design twips.
    static constexpr QSize DesignSize{746, 360};

    // fontScale: the screen's kx, applied once to the designed point sizes.
    explicit StripWidget(TimelineEditor &editor, QWidget *parent = nullptr, double fontScale = 1.0);

    void setArt(const StripArt &art);
    const StripArt &art() const { return m_art; }
    // A waveform drawn over the strip picture; an empty list shows the picture alone.
    void setPeaks(const QList<Peak> &peaks);
    const QList<Peak> &peaks() const { return m_peaks; }
    // What is drawn now: the song's peaks, or the zoomed view's from the
    // editor's pyramid (the song's own, enlarged, while it is built).
    const QList<Peak> &shownPeaks() const;
    // Columns of waveform: one per pixel of the marker span.
    int columns() const;
    void setWaveformColour(const QColor &colour);
    // Whether column c of the view shown has any waveform yet: while a
    // decode writes the song, the columns it has not reached are drawn as a
    // quiet placeholder.
    bool columnDrawn(int c) const;
    // While a decode grows the song, the strip redraws the columns whose
    // waveform came in at most this often.
    static constexpr int GrowthRepaintMs = 250;
    // The export's fades, drawn as ramps at the ends of the selection.
    void setFades(qint32 fadeInMs, qint32 fadeOutMs);
    // Where the ruler's ticks stand and what they say, for the view shown.
    TimeRuler::Scale rulerScale() const;

    MarkerImage *imageWidget(TimelineModel::Image image) const;
    QLabel *lblTimeLeft() const { return m_timeLeft; }
    QLabel *lblTimeRight() const { return m_timeRight; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    // Home and End play from the song's start and end.
    void keyPressEvent(QKeyEvent *event) override;
    // The wheel scrolls a zoomed strip; with Ctrl it zooms around the mouse.
    void wheelEvent(QWheelEvent *event) override;

private:
    void showImage(TimelineModel::Image image);
    void viewChanged();
    QList<Peak> coarsePeaks() const;
    int pixelsAt(int L) const;
    void paintRuler(QPainter &p);
    void paintSelection(QPainter &p);
    void paintWaveform(QPainter &p);
    void paintLoop(QPainter &p);
    void paintFocus(QPainter &p);
    double twips(double pixels) const;
    void peaksGrown(qint64 first, qint64 end);
    void showGrowth();
    // The first frame and the frames of the view shown; a column's frames;
    // the column a frame falls in.
    std::pair<double, double> viewFrames(const PeakPyramid &pyramid) const;
    std::pair<qint64, qint64> framesOf(int column, const PeakPyramid &pyramid) const;
    int columnOf(qint64 frame, const PeakPyramid &pyramid) const;

    TimelineEditor &m_editor;
    StripArt m_art;
    QList<Peak> m_peaks;
    QList<Peak> m_zoomPeaks;
    qint32 m_fadeInMs = 0;
    qint32 m_fadeOutMs = 0;
    int m_wheelAngle = 0;   // eighths of a degree not yet turned into steps
    QColor m_waveformColour{120, 176, 200};   // lighter than the marker lines
    std::array<MarkerImage *, TimelineModel::ImageCount> m_images{};
    QLabel *m_timeLeft = nullptr;
    QLabel *m_timeRight = nullptr;
    // The waveform a decode fills in: what came in since it was last shown.
    QTimer m_growth;
    QElapsedTimer m_lastGrowth;
    qint64 m_grownFirst = -1;
    qint64 m_grownEnd = -1;
    bool m_followsDecode = false;
    DecodedMap m_shownRead; // the frames whose waveform the columns show
};
