// The strip on screen: mouse presses reach the topmost visible image, a set
// moves as one, the bare strip seeks, and the pictures and labels follow.
#include "markerimage.h"
#include "peakpyramid.h"
#include "recordingsound.h"
#include "sound/wavwriter.h"
#include "stripwidget.h"
#include "timelabels.h"
#include "playbackcontroller.h"
#include "timelineeditor.h"
#include "timelinezoom.h"

#include <QFile>
#include <QHash>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

using Image = TimelineModel::Image;
using Label = TimelineModel::Label;
using MarkerSet = TimelineModel::MarkerSet;

class TestStripWidget : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void dragMovesTheWholeSet_data();
    void dragMovesTheWholeSet();
    void stackingDecidesWhoTakesThePress_data();
    void stackingDecidesWhoTakesThePress();
    void bareStripSeeks_data();
    void bareStripSeeks();
    void pointerDragSeeks();
    void labelsFollowTheModel_data();
    void labelsFollowTheModel();
    void paintsRulerSelectionFadesAndLoop();
    void gridStandsAtTheRulersTicks_data();
    void gridStandsAtTheRulersTicks();
    void artAndWaveform();
    void zoomWaitsForThePyramid();
    void decodedColumnsFillIn();

private:
    QPoint markerCentre(Image image) const
    {
        const MarkerImage *w = m_strip->imageWidget(image);
        return w->geometry().center();
    }
    QPoint windowPoint(const QPoint &stripPoint) const { return m_strip->mapTo(m_window.get(), stripPoint); }
    void press(const QPoint &p) { QTest::mousePress(m_window->windowHandle(), Qt::LeftButton, {}, windowPoint(p)); }
    void moveTo(const QPoint &p) { QTest::mouseMove(m_window->windowHandle(), windowPoint(p)); }
    void release(const QPoint &p) { QTest::mouseRelease(m_window->windowHandle(), Qt::LeftButton, {}, windowPoint(p)); }
    void learnDuration(qint64 lengthMs)
    {
        m_sound.isOpen = true;
        m_sound.lengthMs = lengthMs;
        m_sound.positionMs = 0;
        m_editor->controller().Timer2_Timer();
        m_sound.isOpen = false;
        m_sound.take();
    }

    QTemporaryDir m_dir;
    RecordingSound m_sound;
    std::unique_ptr<QWidget> m_window;
    TimelineEditor *m_editor = nullptr;
    StripWidget *m_strip = nullptr;
};

void TestStripWidget::init()
{
    const QString work = m_dir.filePath("open.wav");
    QFile(work).open(QIODevice::WriteOnly);
    m_sound = RecordingSound();
    m_window = std::make_unique<QWidget>();
    m_window->resize(1000, 565);
    m_editor = new TimelineEditor(m_sound, work, 15, m_window.get());
    m_editor->controller().setPollEnabled(false);
    m_editor->controller().setEventPump([] {});
    m_strip = new StripWidget(*m_editor, m_window.get());
    m_strip->move(10, 104);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestStripWidget::cleanup()
{
    m_window.reset();
}

void TestStripWidget::dragMovesTheWholeSet_data()
{
    QTest::addColumn<int>("pressed");
    QTest::addColumn<int>("startL");
    QTest::addColumn<int>("dxPixels");
    QTest::addColumn<int>("endL");
    QTest::newRow("begin by its upper marker") << int(Image::imgSelectTop1) << 1500 << 100 << 3000;
    QTest::newRow("begin by its lower marker") << int(Image::imgSelectBottom1) << 1500 << -60 << 600;
    QTest::newRow("end by its upper marker") << int(Image::imgSelectTop2) << 6000 << 200 << 9000;
    QTest::newRow("end by its lower marker, past W") << int(Image::imgSelectBottom2) << 9000 << 300 << 10920;
}

void TestStripWidget::dragMovesTheWholeSet()
{
    QFETCH(int, pressed);
    QFETCH(int, startL);
    QFETCH(int, dxPixels);
    QFETCH(int, endL);
    learnDuration(218000);
    const auto image = static_cast<Image>(pressed);
    const MarkerSet set = TimelineModel::setOf(image);
    TimelineModel &model = m_editor->model();
    model.placeSet(set, startL);
    for (Image i : {TimelineModel::upperOf(set), TimelineModel::lineOf(set), TimelineModel::lowerOf(set)})
        model.setVisible(i, true);

    const QPoint from = markerCentre(image);
    press(from);
    QVERIFY(m_editor->isDragging());
    moveTo(from + QPoint(dxPixels / 2, 0));
    moveTo(from + QPoint(dxPixels, 3));   // vertical drift does not matter
    release(from + QPoint(dxPixels, 3));

    QVERIFY(!m_editor->isDragging());
    QCOMPARE(model.left(TimelineModel::upperOf(set)), endL);
    QCOMPARE(m_strip->imageWidget(TimelineModel::upperOf(set))->x(), endL / 15);
    QCOMPARE(m_strip->imageWidget(TimelineModel::lowerOf(set))->x(), endL / 15);
    QCOMPARE(m_strip->imageWidget(TimelineModel::lineOf(set))->x(), endL / 15 + 6);
    const qint32 seconds = qint32(std::nearbyint(218.0 * endL / 10920));
    if (set == MarkerSet::Begin)
        QCOMPARE(m_editor->selectionState().beginMs(), qint64(seconds) * 1000);
    else
        QCOMPARE(m_editor->selectionState().endMs(), qint64(seconds) * 1000);
    QVERIFY(m_sound.commands.isEmpty());   // dragging a handle never touches playback
}

void TestStripWidget::stackingDecidesWhoTakesThePress_data()
{
    QTest::addColumn<bool>("pointerShown");
    QTest::addColumn<bool>("endShown");
    QTest::addColumn<bool>("beginShown");
    QTest::addColumn<QString>("taker");
    QTest::newRow("begin over end over pointer") << true << true << true << "begin";
    QTest::newRow("end over pointer") << true << true << false << "end";
    QTest::newRow("pointer alone") << true << false << false << "pointer";
    QTest::newRow("hidden handles cannot be pressed") << false << false << false << "strip";
}

void TestStripWidget::stackingDecidesWhoTakesThePress()
{
    QFETCH(bool, pointerShown);
    QFETCH(bool, endShown);
    QFETCH(bool, beginShown);
    QFETCH(QString, taker);
    learnDuration(100000);
    TimelineModel &model = m_editor->model();
    // All three sets on the same spot.
    for (MarkerSet set : {MarkerSet::Pointer, MarkerSet::End, MarkerSet::Begin}) {
        model.placeSet(set, 3000);
        const bool shown = set == MarkerSet::Pointer ? pointerShown : set == MarkerSet::End ? endShown : beginShown;
        for (Image i : {TimelineModel::upperOf(set), TimelineModel::lineOf(set), TimelineModel::lowerOf(set)})
            model.setVisible(i, shown);
    }
    const QPoint at = QPoint(3000 / 15 + 2, 52 + 2);
    press(at);
    release(at);
    if (taker == "strip") {
        QCOMPARE(m_sound.take().last(), "play sound from 28000");   // 100 s x 3030 / 10920
    } else {
        // Pressed and released in place: the set taking the press writes its
        // own end of the selection; a pointer press seeks.
        const QStringList commands = m_sound.take();
        QCOMPARE(m_editor->selectionState().beginMs(), qint64(taker == "begin" ? 27 : 0) * 1000);
        QCOMPARE(m_editor->selectionState().endMs(), qint64(taker == "end" ? 27 : 0) * 1000);
        QCOMPARE(commands.isEmpty(), taker != "pointer");
    }
}

void TestStripWidget::bareStripSeeks_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QString>("command");
    QTest::newRow("a quarter of the strip") << QPoint(182, 200) << "play sound from 30000";
    QTest::newRow("left end") << QPoint(0, 10) << "play sound from 0";
    QTest::newRow("right of W") << QPoint(740, 10) << "play sound from 122000";
}

void TestStripWidget::bareStripSeeks()
{
    QFETCH(QPoint, at);
    QFETCH(QString, command);
    learnDuration(120000);
    press(at);
    release(at);
    const QStringList expected{"stop sound", "close sound",
                               "open " + m_editor->controller().workFile() + " alias sound", command};
    QCOMPARE(m_sound.take(), expected);
}

void TestStripWidget::pointerDragSeeks()
{
    learnDuration(120000);
    m_editor->controller().setPollEnabled(true);
    const QPoint from = markerCentre(Image::imgBottomPoint);
    press(from);
    QVERIFY(!m_editor->controller().Timer2().isActive());
    moveTo(from + QPoint(364, 0));
    QCOMPARE(m_strip->imageWidget(Image::imgTopPoint)->x(), 364);
    QCOMPARE(m_strip->imageWidget(Image::imgLine)->x(), 370);
    release(from + QPoint(364, 0));
    QVERIFY(m_editor->controller().Timer2().isActive());
    QCOMPARE(m_sound.take().last(), "play sound from 60000");
    // A press on a line is neither a drag nor a press on the strip.
    const QPoint onLine = m_strip->imageWidget(Image::imgLine)->geometry().center();
    press(onLine);
    release(onLine);
    QVERIFY(m_sound.take().isEmpty());
    QVERIFY(!m_editor->isDragging());
}

void TestStripWidget::labelsFollowTheModel_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<qint64>("lengthMs");
    QTest::addColumn<qint64>("beginMs");
    QTest::addColumn<qint64>("endMs");
    QTest::addColumn<QStringList>("selRow");
    QTest::addColumn<QStringList>("viewRow");
    QTest::newRow("whole seconds") << 1.0 << qint64(3725000) << qint64(5000) << qint64(3725000)
                                   << QStringList{"00:00:05", "01:02:05", "01:02:00"}
                                   << QStringList{"00:00:00", "01:02:05", "01:02:05"};
    QTest::newRow("a fraction gives the row milliseconds")
        << 1.0 << qint64(213140) << qint64(1000) << qint64(63387)
        << QStringList{"00:00:01.000", "00:01:03.387", "00:01:02.387"}
        << QStringList{"00:00:00.000", "00:03:33.140", "00:03:33.140"};
    for (const double scale : {1.0, 2.0})
        QTest::addRow("the longest song at %gx", scale)
            << scale << qint64(86399999) << qint64(0) << qint64(86399999)
            << QStringList{"00:00:00.000", "23:59:59.999", "23:59:59.999"}
            << QStringList{"00:00:00.000", "23:59:59.999", "23:59:59.999"};
}

void TestStripWidget::labelsFollowTheModel()
{
    QFETCH(double, scale);
    QFETCH(qint64, lengthMs);
    TimeLabels labels(m_editor->model(), m_window.get(), scale);
    QCOMPARE(labels.label(Label::lblSelEnd)->objectName(), "lblSelEnd");
    QCOMPARE(labels.label(Label::lblSelEnd)->text(), "00:00:00");
    learnDuration(lengthMs);
    QFETCH(qint64, beginMs);
    QFETCH(qint64, endMs);
    m_editor->selectionState().set(beginMs, endMs);
    const QList<Label> grid{Label::lblSelBegin, Label::lblSelEnd, Label::lblSelLength,
                            Label::lblViewBegin, Label::lblViewEnd, Label::lblViewLength};
    QStringList texts;
    const int cell = int(std::lround(TimeLabels::ColumnWidth * scale));
    for (Label which : grid) {
        const QLabel *label = labels.label(which);
        texts << label->text();
        // One size for the grid, and every text inside its cell.
        QCOMPARE(label->font(), labels.label(Label::lblSelBegin)->font());
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) < label->width());
        QVERIFY(label->width() <= cell);
    }
    QTEST(texts.mid(0, 3), "selRow");
    QTEST(texts.mid(3), "viewRow");
    QCOMPARE(labels.label(Label::lblViewLength)->palette().color(QPalette::WindowText), QColor(11, 77, 109));
}

void TestStripWidget::paintsRulerSelectionFadesAndLoop()
{
    learnDuration(120000);
    m_editor->selectionState().set(30000, 90000);
    TimelineModel &model = m_editor->model();
    model.placeSet(MarkerSet::Begin, model.leftAt(30000));
    model.placeSet(MarkerSet::End, model.leftAt(90000));
    for (MarkerSet set : {MarkerSet::Begin, MarkerSet::End}) {
        for (Image image : {TimelineModel::upperOf(set), TimelineModel::lowerOf(set), TimelineModel::lineOf(set)})
            model.setVisible(image, true);
    }
    const auto shot = [this] {
        QImage image(m_strip->size(), QImage::Format_RGB32);
        m_strip->render(&image);
        return image;
    };
    // x of a time on the strip, and a row inside the band away from any ramp.
    const auto xAt = [&model](qint64 ms) { return 6 + int(std::lround(model.leftAt(ms) / 15.0)); };
    QImage plain = shot();
    QVERIFY(plain.pixel(xAt(60000), 120) != plain.pixel(xAt(100000), 120));   // shaded between the handles
    QCOMPARE(plain.pixel(xAt(20000), 120), plain.pixel(xAt(100000), 120));    // not outside

    // The ruler: a tick on each step, none between, over the whole song and zoomed.
    for (const bool zoomed : {false, true}) {
        if (zoomed)
            m_editor->zoom().zoomIn();
        const TimeRuler::Scale ruler = m_strip->rulerScale();
        QVERIFY(ruler.ticks.size() >= 2);
        const QImage image = shot();
        const int x = 6 + ruler.ticks[1].x;
        const int between = 6 + (ruler.ticks[0].x + ruler.ticks[1].x) / 2;
        QVERIFY(image.pixel(x, 46) != image.pixel(between, 46));
    }
    m_editor->zoom().showWhole();

    // A 10 s fade-in: the ramp crosses the band's middle 5 s in.
    m_strip->setFades(10000, 0);
    const QImage faded = shot();
    const int middle = 58 + 142;
    bool ramp = false;
    for (int y = middle - 4; y <= middle + 4; ++y)
        ramp = ramp || faded.pixel(xAt(35000), y) != plain.pixel(xAt(35000), y);
    QVERIFY(ramp);

    // The loop's lamp lights.
    m_editor->controller().setLooping(true);
    QVERIFY(shot() != faded);
}

void TestStripWidget::gridStandsAtTheRulersTicks_data()
{
    QTest::addColumn<qint64>("lengthMs");
    QTest::addColumn<int>("zoomSteps");
    QTest::newRow("3:33 song") << qint64(213140) << 0;
    QTest::newRow("zoomed in") << qint64(213140) << 1;
    QTest::newRow("zoomed in three times") << qint64(213140) << 3;
    QTest::newRow("an hour") << qint64(3600000) << 0;
    QTest::newRow("24 hours") << qint64(86399999) << 0;
    QTest::newRow("ten seconds, zoomed in twice") << qint64(10000) << 2;
}

void TestStripWidget::gridStandsAtTheRulersTicks()
{
    QFETCH(qint64, lengthMs);
    QFETCH(int, zoomSteps);
    learnDuration(lengthMs);
    for (int i = 0; i < zoomSteps; ++i)
        QVERIFY(m_editor->zoom().zoomIn());
    QImage image(m_strip->size(), QImage::Format_RGB32);
    m_strip->render(&image);
    // The columns of a row, over the ruler's width, that stand out from its commonest colour.
    const int left = 6, right = left + m_strip->columns();
    const auto marked = [&](int y) {
        QHash<QRgb, int> counts;
        for (int x = left; x <= right; ++x)
            ++counts[image.pixel(x, y)];
        const QRgb ground = std::max_element(counts.cbegin(), counts.cend()).key();
        QList<int> columns;
        for (int x = left; x <= right; ++x)
            if (image.pixel(x, y) != ground)
                columns << x;
        return columns;
    };
    // Under the wave the ticks keep clear of "Start" and "End"; the pointer's line crosses both rows.
    QList<int> ticks, foot, pointer;
    for (const TimeRuler::Tick &tick : m_strip->rulerScale().ticks) {
        ticks << left + tick.x;
        if (ticks.last() > m_strip->lblTimeLeft()->geometry().right() + 2
            && ticks.last() < m_strip->lblTimeRight()->x() - 2)
            foot << ticks.last();
    }
    QVERIFY(ticks.size() >= 2);
    const MarkerImage *line = m_strip->imageWidget(Image::imgLine);
    if (line->isVisibleTo(m_strip) && line->x() >= left && line->x() <= right)
        pointer << line->x();
    const auto with = [](QList<int> columns, const QList<int> &more) {
        for (int x : more)
            if (!columns.contains(x))
                columns << x;
        std::sort(columns.begin(), columns.end());
        return columns;
    };
    QCOMPARE(marked(47), ticks);                 // the ruler over the markers
    QCOMPARE(marked(150), with(ticks, pointer)); // the grid over the wave
    QCOMPARE(marked(318), with(foot, pointer));  // the ticks under it
}

void TestStripWidget::artAndWaveform()
{
    const StripArt drawn = StripArt::drawn();
    QCOMPARE(drawn.markerCursor.hotSpot(), QPoint(6, 0));
    QCOMPARE(drawn.images[int(Image::imgSelectTop1)].size(), QSize(13, 8));
    QCOMPARE(drawn.images[int(Image::imgLine)].size(), QSize(1, 284));
    // Pointer and handles are told apart by colour.
    const QRgb pointerLine = drawn.images[int(Image::imgLine)].toImage().pixel(0, 100);
    const QRgb handleLine = drawn.images[int(Image::imgSelectLine1)].toImage().pixel(0, 100);
    QVERIFY(pointerLine != handleLine);
    // Each marker's tip sits on the set's line, at column 6.
    const QImage top = drawn.images[int(Image::imgTopPoint)].toImage();
    QVERIFY(qAlpha(top.pixel(6, 7)) > 0);
    QCOMPARE(qAlpha(top.pixel(0, 7)), 0);
    QCOMPARE(m_strip->imageWidget(Image::imgTopPoint)->cursor().hotSpot(), QPoint(6, 0));

    // A skin replaces the pictures.
    StripArt skin = drawn;
    QPixmap wide(13, 8);
    wide.fill(Qt::green);
    skin.images[int(Image::imgTopPoint)] = wide;
    m_strip->setArt(skin);
    QCOMPARE(m_strip->grab().toImage().pixel(3, 53), QColor(Qt::green).rgb());

    // A waveform draws each column's min..max around the middle of the band.
    const QColor colour(200, 0, 0);
    m_strip->setWaveformColour(colour);
    QList<Peak> peaks(728, Peak{-0.1f, 0.1f});
    peaks[300] = Peak{-1.0f, 1.0f};
    m_strip->setPeaks(peaks);
    const QImage shot = m_strip->grab().toImage();
    QCOMPARE(shot.pixel(306, 200), colour.rgb());
    QCOMPARE(shot.pixel(306, 70), colour.rgb());     // a full-scale column
    QVERIFY(shot.pixel(305, 70) != colour.rgb());    // a quiet one stays near the middle
    m_strip->setPeaks({});
    QVERIFY(m_strip->grab().toImage().pixel(306, 70) != colour.rgb());
}

void TestStripWidget::zoomWaitsForThePyramid()
{
    const QString work = m_editor->controller().workFile();
    const auto song = [&](qint64 seconds, double amplitude) {
        WavSpec spec;
        spec.frames = seconds * spec.rate;
        spec.amplitude = amplitude;
        QVERIFY(writeFile(work, wavBytes(spec)));
        m_editor->controller().learnLength();
        PeakExtractor whole(work);
        QVERIFY(whole.open());
        m_strip->setPeaks(whole.extract(m_strip->columns()));
    };
    song(20, 0.5);
    QSignalSpy ready(m_editor, &TimelineEditor::pyramidReady);
    QVERIFY(m_editor->zoom().zoomIn());
    // Until the worker is done the song's own peaks stand in, enlarged.
    QVERIFY(!m_editor->pyramid());
    QCOMPARE(m_strip->shownPeaks().size(), m_strip->columns());
    QCOMPARE(m_strip->shownPeaks().first(), m_strip->peaks().first());
    QVERIFY(ready.wait());
    const TimelineModel &model = m_editor->model();
    QCOMPARE(m_strip->shownPeaks(),
             m_editor->pyramid()->peaksMs(model.viewStartMs(), model.viewSpanMs(), m_strip->columns()));

    // A new song over the working file while its pyramid is read: the
    // result for the old one is dropped, the new one's shown.
    song(30, 0.25);
    QVERIFY(m_editor->zoom().zoomIn());
    QVERIFY(!m_editor->pyramid());
    song(12, 0.125);
    QVERIFY(m_editor->zoom().zoomOut());
    QVERIFY(ready.wait());
    QCOMPARE(ready.count(), 2);
    QCOMPARE(m_editor->pyramid()->frames(), 12 * 44100);
    QVERIFY(std::abs(m_strip->shownPeaks().value(10).max - 0.125f) < 0.01f);
}

void TestStripWidget::decodedColumnsFillIn()
{
    // A song the decode has written a quarter of, the rest of the file
    // already there but not reported: only that quarter is drawn.
    const QString work = m_editor->controller().workFile();
    WavSpec spec;
    spec.frames = 40 * spec.rate;
    QVERIFY(writeFile(work, wavBytes(spec)));
    const QColor colour(200, 0, 0);
    m_strip->setWaveformColour(colour);
    m_editor->decodeStarted(work, spec.frames, spec.rate, spec.channels);
    m_editor->controller().learnLength();
    m_editor->decodedStretch(0, spec.frames / 4);
    QTRY_VERIFY(m_strip->columnDrawn(10));
    QVERIFY(!m_strip->columnDrawn(m_strip->columns() - 10));
    const QImage image = m_strip->grab().toImage();
    const int waveTop = 58 + 142 - 50; // inside a half-scale tone's column, off the centre
    QCOMPARE(image.pixel(6 + 10, waveTop), colour.rgb());
    QCOMPARE(image.pixel(6 + 10, 200), colour.rgb());
    const int late = 6 + m_strip->columns() - 10;
    QVERIFY(image.pixel(late, waveTop) != colour.rgb());
    QVERIFY(image.pixel(late, 200) != colour.rgb());
    QVERIFY(image.pixel(late, 200) != image.pixel(late, waveTop)); // the placeholder's line

    // The rest in two stretches, the later one first; then the decode's end.
    m_editor->decodedStretch(spec.frames / 2, spec.frames);
    m_editor->decodedStretch(spec.frames / 4, spec.frames / 2);
    m_editor->decodeComplete(spec.frames);
    QSignalSpy ready(m_editor, &TimelineEditor::pyramidReady);
    QVERIFY(ready.wait());
    QTRY_COMPARE(m_strip->grab().toImage().pixel(late, waveTop), colour.rgb());
    QVERIFY(m_strip->columnDrawn(m_strip->columns() - 1));
    QCOMPARE(m_editor->pyramid()->frames(), spec.frames);
}

QTEST_MAIN(TestStripWidget)
#include "tst_stripwidget.moc"
