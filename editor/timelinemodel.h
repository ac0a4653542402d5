#pragma once

#include "timelinegeometry.h"

#include <QObject>
#include <QString>
#include <array>

class PlaybackController;
class Selection;

// What the strip and the label grid show: the nine marker images (their Left
// in twips inside the strip and whether they are visible), the seven time
// labels, the duration T and the shared grab point. The rules change it; the
// widgets observe it.
class TimelineModel : public QObject
{
    Q_OBJECT
public:
    // Stacking order inside the strip, bottom to top: where visible images
    // overlap, the later one is drawn over the others and takes the press.
    enum class Image {
        imgTopPoint,
        imgLine,
        imgBottomPoint,
        imgSelectBottom2,
        imgSelectTop2,
        imgSelectLine2,
        imgSelectBottom1,
        imgSelectTop1,
        imgSelectLine1,
    };
    Q_ENUM(Image)
    static constexpr int ImageCount = 9;

    // The three logical markers, each with one left edge L.
    enum class MarkerSet { Pointer, Begin, End };
    Q_ENUM(MarkerSet)

    enum class Label { lblTime, lblSelBegin, lblSelEnd, lblSelLength, lblViewBegin, lblViewEnd, lblViewLength };
    Q_ENUM(Label)
    static constexpr int LabelCount = 7;

    explicit TimelineModel(int twipsPerPixelX = TimelineGeometry::DesignTwipsPerPixel,
                           QObject *parent = nullptr);

    const TimelineGeometry &geometry() const { return m_geometry; }

    int left(Image image) const { return m_images[index(image)].left; }
    bool isVisible(Image image) const { return m_images[index(image)].visible; }
    void setLeft(Image image, int left);
    void setVisible(Image image, bool visible);

    // Upper and lower marker at L, the line at L + LineOffset.
    void placeSet(MarkerSet set, int L);
    static MarkerSet setOf(Image image);
    static bool isMarker(Image image);   // the marker images take the mouse; lines do not
    static Image upperOf(MarkerSet set);
    static Image lowerOf(MarkerSet set);
    static Image lineOf(MarkerSet set);
    static QString objectName(Image image);
    static QString objectName(Label label);

    QString text(Label label) const { return m_labels[index(label)]; }
    void setText(Label label, const QString &text);

    // The duration T in whole seconds of the open song: learnt from the
    // working file when a decode succeeds and followed by the poll while the
    // device holds that file; kept when the device closes, 0 with no song.
    qint32 T() const { return m_fullTime; }
    // The device's length to the millisecond, learnt with T.
    qint64 lengthMs() const { return m_lengthMs; }

    // The stretch the strip shows. The whole song is 0..T whole seconds, the
    // strip's meaning from the start; zoomed, any stretch of at least
    // MinViewSpanMs. Marker Lefts are always twips on the strip as it shows.
    static constexpr qint64 MinViewSpanMs = 1000;
    bool isZoomed() const { return m_viewSpanMs > 0; }
    qint64 viewStartMs() const { return isZoomed() ? m_viewStartMs : 0; }
    qint64 viewSpanMs() const { return isZoomed() ? m_viewSpanMs : qint64(m_fullTime) * 1000; }
    // A span of 0 (or the whole song) shows the whole song. Writes the View
    // row: the visible range (begin, end, length), the whole song when not zoomed.
    void setView(qint64 startMs, qint64 spanMs);
    // The View row again from the view and the Sel row.
    void refreshViewRow();

    // A place on the strip as a time: T x L / W in whole seconds at the
    // whole song (halves to even), to the millisecond while zoomed.
    qint64 timeAt(double L) const;
    // The Left of a marker standing at a time, on the strip as it shows.
    int leftAt(qint64 ms) const;
    // The play pointer's Left for a device position: W x position / length
    // at the whole song.
    int pointerLeft(qint64 positionMs) const;

    // X inside the pressed image at the last real press, shared by all nine images.
    int GrabX() const { return m_grabX; }
    void setGrabX(int x) { m_grabX = x; }

    // The Sel row (and, at the whole song, the View row) follows the
    // selection's changes from now on.
    void follow(const Selection &selection);

    // While a handle set is dragged the Sel row shows where it would land
    // (`ms` for that set, the selection being beginMs..endMs); the row
    // shows the selection itself again by publishSelRow.
    void previewSel(MarkerSet set, qint64 ms, qint64 beginMs, qint64 endMs);
    void publishSelRow();

    // Start of the program: begin set at 0, end set at W, handles hidden,
    // pointer at 0, labels "00:00:00".
    void placeAtStart();
    // The open file was closed: selection cleared, pointer at 0, handles
    // hidden where they stand, labels "00:00:00", no length. The selection
    // is cleared by its owner.
    void resetForClose();

signals:
    void imageChanged(TimelineModel::Image image);
    void viewChanged();
    void labelChanged(TimelineModel::Label label, const QString &text);
    void fullTimeChanged(qint32 T);

private:
    friend class PlaybackController;
    void setFullTime(qint32 seconds);
    void setLengthMs(qint64 ms);
    void publishBegin(qint64 beginMs, qint64 endMs);
    void publishEnd(qint64 beginMs, qint64 endMs);
    void writeSelRow(const std::array<qint64, 3> &ms);

    struct ImageState {
        int left = 0;
        bool visible = false;
    };
    static int index(Image image) { return static_cast<int>(image); }
    static int index(Label label) { return static_cast<int>(label); }

    TimelineGeometry m_geometry;
    std::array<ImageState, ImageCount> m_images{};
    std::array<QString, LabelCount> m_labels;
    qint32 m_fullTime = 0;
    qint64 m_lengthMs = 0;
    std::array<qint64, 3> m_selMs{};   // the Sel row: begin, end, length
    qint64 m_viewStartMs = 0;
    qint64 m_viewSpanMs = 0;   // 0: the whole song
    int m_grabX = 0;
};
