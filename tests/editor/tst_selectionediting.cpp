// Editing the selection by time: typed times, nudges, the pointer's exact
// place; undo and redo of every kind of change on Qt's undo stack; zoomed
// views; looping and the preview of fades and level while the selection plays.
#include "formattime.h"
#include "recordingsound.h"
#include "selectionundo.h"
#include "sound/wavwriter.h"
#include "timelineeditor.h"
#include "timerow.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Handle = SelectionEditor::Handle;
using Outcome = SelectionEditor::Outcome;
using Image = TimelineModel::Image;
using Label = TimelineModel::Label;

namespace {

struct Rig
{
    explicit Rig(qint64 lengthMs, const QString &workFile = QString())
        : editor(sound, workFile), undo(editor.selection())
    {
        editor.controller().setPollEnabled(false);
        editor.controller().setEventPump([] {});
        tick(lengthMs, 0);
        sound.take();
    }
    void tick(qint64 lengthMs, qint64 positionMs)
    {
        sound.isOpen = true;
        sound.lengthMs = lengthMs;
        sound.positionMs = positionMs;
        editor.controller().Timer2_Timer();
    }
    QStringList selRow()
    {
        const TimelineModel &m = editor.model();
        return {m.text(Label::lblSelBegin), m.text(Label::lblSelEnd), m.text(Label::lblSelLength)};
    }
    QStringList viewRow()
    {
        const TimelineModel &m = editor.model();
        return {m.text(Label::lblViewBegin), m.text(Label::lblViewEnd), m.text(Label::lblViewLength)};
    }
    RecordingSound sound;
    TimelineEditor editor;
    SelectionUndo undo;
};

} // namespace

class TestSelectionEditing : public QObject
{
    Q_OBJECT
private slots:
    void typedTimes_data();
    void typedTimes();
    void nudgeStopsWhereADragStops_data();
    void nudgeStopsWhereADragStops();
    void undoRedoEveryKindOfChange_data();
    void undoRedoEveryKindOfChange();
    void zoomedView_data();
    void zoomedView();
    void zoomedDragIsExact();
    void loopAndPreview_data();
    void loopAndPreview();
};

void TestSelectionEditing::typedTimes_data()
{
    QTest::addColumn<qint64>("beginBefore");
    QTest::addColumn<qint64>("endBefore");
    QTest::addColumn<bool>("typeEnd");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("selRow");   // empty: as before

    // A song of 120.4 s.
    QTest::newRow("begin, full form") << 0LL << 0LL << false << "00:00:10.250" << int(Outcome::Done)
                                      << QStringList{"00:00:10.250", "00:00:00.000", "00:00:00.000"};
    QTest::newRow("end, minutes form") << 10250LL << 0LL << true << "00:20.75" << int(Outcome::Done)
                                       << QStringList{"00:00:10.250", "00:00:20.750", "00:00:10.500"};
    QTest::newRow("whole seconds look as ever") << 10000LL << 0LL << true << "40" << int(Outcome::Done)
                                                << QStringList{"00:00:10", "00:00:40", "00:00:30"};
    QTest::newRow("the song's last millisecond") << 0LL << 0LL << true << "120.4" << int(Outcome::Done)
                                                 << QStringList{"00:00:00.000", "00:02:00.400", "00:02:00.400"};
    QTest::newRow("begin equal to the end") << 0LL << 30000LL << false << "30" << int(Outcome::BeginAfterEnd)
                                            << QStringList{};
    QTest::newRow("past the song") << 0LL << 0LL << true << "120.401" << int(Outcome::OutOfRange) << QStringList{};
    QTest::newRow("begin after the end") << 0LL << 30000LL << false << "30.001" << int(Outcome::BeginAfterEnd)
                                         << QStringList{};
    QTest::newRow("end before the begin") << 20000LL << 30000LL << true << "19.999"
                                          << int(Outcome::BeginAfterEnd) << QStringList{};
    QTest::newRow("junk") << 0LL << 0LL << false << "ten" << int(Outcome::Unreadable) << QStringList{};
    QTest::newRow("sixty seconds") << 0LL << 0LL << false << "0:60" << int(Outcome::Unreadable) << QStringList{};
}

void TestSelectionEditing::typedTimes()
{
    QFETCH(qint64, beginBefore);
    QFETCH(qint64, endBefore);
    QFETCH(bool, typeEnd);
    QFETCH(QString, text);
    QFETCH(int, outcome);
    QFETCH(QStringList, selRow);

    Rig rig(120400);
    if (endBefore > 0)
        QCOMPARE(rig.editor.selection().setTime(Handle::End, endBefore), Outcome::Done);
    if (beginBefore > 0)
        QCOMPARE(rig.editor.selection().setTime(Handle::Begin, beginBefore), Outcome::Done);
    const SelectionSnapshot before = rig.editor.selection().snapshot();
    const int steps = rig.undo.stack().count();
    QSignalSpy labels(&rig.editor.model(), &TimelineModel::labelChanged);
    QSignalSpy edited(&rig.editor.selection(), &SelectionEditor::edited);

    QCOMPARE(int(rig.editor.typeTime(typeEnd ? Handle::End : Handle::Begin, text)), outcome);
    if (selRow.isEmpty()) {
        // Refused: not a label, not a handle, nothing to undo.
        QCOMPARE(rig.editor.selection().snapshot(), before);
        QCOMPARE(labels.count(), 0);
        QCOMPARE(edited.count(), 0);
        QVERIFY(!SelectionEditor::message(Outcome(outcome)).isEmpty());
        return;
    }
    QCOMPARE(rig.selRow(), selRow);
    // At the whole song the View row is the song: 0, its length, its length.
    QCOMPARE(rig.viewRow(), (QStringList{"00:00:00.000", "00:02:00.400", "00:02:00.400"}));
    QCOMPARE(edited.count(), 1);
    QCOMPARE(rig.undo.stack().count(), steps + 1);
    // The handle shows, where its time lies on the strip.
    const Image upper = typeEnd ? Image::imgSelectTop2 : Image::imgSelectTop1;
    QVERIFY(rig.editor.model().isVisible(upper));
    const qint64 ms = typeEnd ? rig.editor.selectionState().endMs() : rig.editor.selectionState().beginMs();
    QCOMPARE(rig.editor.model().left(upper),
             std::min(rig.editor.model().leftAt(ms), rig.editor.model().geometry().stripWidth()));
}

void TestSelectionEditing::nudgeStopsWhereADragStops_data()
{
    QTest::addColumn<qint64>("begin");
    QTest::addColumn<qint64>("end");   // 0: no end chosen
    QTest::addColumn<bool>("endLast");
    QTest::addColumn<qint64>("delta");
    QTest::addColumn<qint64>("beginAfter");
    QTest::addColumn<qint64>("endAfter");
    QTest::addColumn<bool>("atLimit");

    // T = 120 s over 10920 twips: a marker's 195 twips are 2142 ms.
    QTest::newRow("begin on by a tenth") << 10000LL << 60000LL << false << 100LL << 10100LL << 60000LL << false;
    QTest::newRow("begin back by a second") << 10000LL << 60000LL << false << -1000LL << 9000LL << 60000LL << false;
    QTest::newRow("begin stops at 0") << 50LL << 60000LL << false << -100LL << 0LL << 60000LL << true;
    QTest::newRow("begin stops a marker before the end") << 57800LL << 60000LL << false << 1000LL << 57858LL
                                                         << 60000LL << true;
    QTest::newRow("end on by a second") << 10000LL << 60000LL << true << 1000LL << 10000LL << 61000LL << false;
    QTest::newRow("end stops at the song's end") << 10000LL << 119950LL << true << 100LL << 10000LL << 120000LL << true;
    QTest::newRow("end stops a marker after the begin") << 10000LL << 12500LL << true << -1000LL << 10000LL
                                                        << 12142LL << true;
    QTest::newRow("no end chosen: begin runs to the song's end less a marker")
        << 117800LL << 0LL << false << 1000LL << 117858LL << 0LL << true;
}

void TestSelectionEditing::nudgeStopsWhereADragStops()
{
    QFETCH(qint64, begin);
    QFETCH(qint64, end);
    QFETCH(bool, endLast);
    QFETCH(qint64, delta);
    QFETCH(qint64, beginAfter);
    QFETCH(qint64, endAfter);
    QFETCH(bool, atLimit);

    Rig rig(120000);
    if (end > 0)
        QCOMPARE(rig.editor.selection().setTime(Handle::End, end), Outcome::Done);
    QCOMPARE(rig.editor.selection().setTime(Handle::Begin, begin), Outcome::Done);
    rig.editor.selection().setLastHandle(endLast ? Handle::End : Handle::Begin);
    rig.editor.nudge(delta);
    QCOMPARE(rig.editor.selectionState().beginMs(), beginAfter);
    QCOMPARE(rig.editor.selectionState().endMs(), endAfter);
    // At its limit a nudge changes nothing and records nothing.
    const int changes = rig.undo.stack().count();
    QCOMPARE(rig.editor.nudge(delta), atLimit ? Outcome::Unchanged : Outcome::Done);
    QCOMPARE(rig.undo.stack().count(), changes + (atLimit ? 0 : 1));
}

void TestSelectionEditing::undoRedoEveryKindOfChange_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("drag") << "drag";
    QTest::newRow("typed time") << "typed";
    QTest::newRow("nudge") << "nudge";
    QTest::newRow("key or button at the pointer") << "key";
    QTest::newRow("random cut") << "random";
}

void TestSelectionEditing::undoRedoEveryKindOfChange()
{
    QFETCH(QString, kind);

    Rig rig(218000);
    // A selection to start from, made by typing.
    QCOMPARE(rig.editor.typeTime(Handle::End, "100"), Outcome::Done);
    QCOMPARE(rig.editor.typeTime(Handle::Begin, "20.5"), Outcome::Done);
    rig.tick(218000, 54321);   // the pointer at 54.321 s
    const SelectionSnapshot before = rig.editor.selection().snapshot();
    const QStringList rowBefore = rig.selRow();
    const int count = rig.undo.stack().count();

    if (kind == "drag") {
        rig.editor.imagePress(Image::imgSelectTop2, 45);
        rig.editor.imageMove(Image::imgSelectTop2, 45 + 1000);
        rig.editor.imageRelease(Image::imgSelectTop2, 45 + 1000);
    } else if (kind == "typed") {
        QCOMPARE(rig.editor.typeTime(Handle::Begin, "00:00:30.125"), Outcome::Done);
    } else if (kind == "nudge") {
        QCOMPARE(rig.editor.nudge(-1000), Outcome::Done);
    } else if (kind == "key") {
        QCOMPARE(rig.editor.setAtPointer(Handle::End), Outcome::Done);
        QCOMPARE(rig.editor.selectionState().endMs(), 54321LL);
    } else {
        rig.editor.randomCut().setDraw([] { return 0.3; });
        QCOMPARE(rig.editor.runRandomCut(), RandomCut::Outcome::Chosen);
    }
    const SelectionSnapshot after = rig.editor.selection().snapshot();
    const QStringList rowAfter = rig.selRow();
    QVERIFY(!(after == before));
    QCOMPARE(rig.undo.stack().count(), count + 1);

    rig.undo.stack().undo();
    QCOMPARE(rig.editor.selection().snapshot(), before);
    QCOMPARE(rig.selRow(), rowBefore);
    rig.undo.stack().redo();
    QCOMPARE(rig.editor.selection().snapshot(), after);
    QCOMPARE(rig.selRow(), rowAfter);
    // Undoing the very first change brings back the untouched start.
    while (rig.undo.stack().canUndo())
        rig.undo.stack().undo();
    QCOMPARE(rig.selRow(), (QStringList{"00:00:00", "00:00:00", "00:00:00"}));
    QVERIFY(!rig.editor.model().isVisible(Image::imgSelectTop1));
    QVERIFY(!rig.editor.model().isVisible(Image::imgSelectTop2));
}

void TestSelectionEditing::zoomedView_data()
{
    QTest::addColumn<qint64>("selBegin");
    QTest::addColumn<qint64>("selEnd");   // 0: around the pointer at 30 minutes
    QTest::addColumn<QString>("steps");
    QTest::addColumn<qint64>("viewStart");
    QTest::addColumn<qint64>("viewSpan");   // 0: the whole hour

    // An hour-long song.
    QTest::newRow("in around the selection, kept in the song") << 600000LL << 660000LL << "in" << 0LL
                                                              << 1800000LL;
    QTest::newRow("in twice") << 600000LL << 660000LL << "in in" << 180000LL << 900000LL;
    QTest::newRow("in around the pointer") << 0LL << 0LL << "in" << 900000LL << 1800000LL;
    QTest::newRow("in and out again") << 600000LL << 660000LL << "in out" << 0LL << 0LL;
    QTest::newRow("out at the whole song does nothing") << 0LL << 0LL << "out" << 0LL << 0LL;
    QTest::newRow("scroll on") << 600000LL << 660000LL << "in in scroll" << 270000LL << 900000LL;
    QTest::newRow("scroll stops at the start") << 0LL << 20000LL << "in in back back" << 0LL << 900000LL;
    QTest::newRow("down to a second") << 600000LL << 600500LL
                                      << "in in in in in in in in in in in in in in" << 599750LL << 1000LL;
    QTest::newRow("whole") << 600000LL << 660000LL << "in in whole" << 0LL << 0LL;
}

void TestSelectionEditing::zoomedView()
{
    QFETCH(qint64, selBegin);
    QFETCH(qint64, selEnd);
    QFETCH(QString, steps);
    QFETCH(qint64, viewStart);
    QFETCH(qint64, viewSpan);

    Rig rig(3600000);
    rig.tick(3600000, 1800000);
    if (selEnd > 0) {
        QCOMPARE(rig.editor.selection().setTime(Handle::End, selEnd), Outcome::Done);
        QCOMPARE(rig.editor.selection().setTime(Handle::Begin, selBegin), Outcome::Done);
    }
    const QStringList selRow = rig.selRow();
    TimelineZoom &zoom = rig.editor.zoom();
    for (const QString &step : steps.split(' ')) {
        if (step == "in")
            zoom.zoomIn();
        else if (step == "out")
            zoom.zoomOut();
        else if (step == "scroll")
            zoom.scroll(1);
        else if (step == "back")
            zoom.scroll(-1);
        else
            zoom.showWhole();
    }
    const TimelineModel &model = rig.editor.model();
    QCOMPARE(model.isZoomed(), viewSpan > 0);
    QCOMPARE(model.viewStartMs(), viewStart);
    QCOMPARE(model.viewSpanMs(), viewSpan > 0 ? viewSpan : 3600000);
    QCOMPARE(rig.selRow(), selRow);
    if (viewSpan > 0)
        QCOMPARE(rig.viewRow(), TimeRow::texts({viewStart, viewStart + viewSpan, viewSpan}));
    else
        QCOMPARE(rig.viewRow(), (QStringList{"00:00:00", "01:00:00", "01:00:00"}));
    // The sets stand at their times on the strip as it shows.
    if (selEnd > 0) {
        QCOMPARE(model.left(Image::imgSelectTop1), model.leftAt(selBegin));
        QCOMPARE(model.left(Image::imgSelectLine2), model.leftAt(selEnd) + model.geometry().LineOffset());
    }
    QCOMPARE(model.left(Image::imgTopPoint), model.leftAt(1800000));
    // Closed, the device stands at the song's start, and so does the pointer.
    rig.sound.isOpen = false;
    rig.editor.controller().Timer2_Timer();
    QCOMPARE(model.left(Image::imgTopPoint), model.leftAt(0));
}

void TestSelectionEditing::zoomedDragIsExact()
{
    Rig rig(3600000);
    QCOMPARE(rig.editor.selection().setTime(Handle::End, 600000), Outcome::Done);
    rig.editor.model().setView(599000, 2000);   // 2 s over 10920 twips
    const int L = rig.editor.model().left(Image::imgSelectTop2);
    QCOMPARE(L, 5460);
    rig.editor.imagePress(Image::imgSelectTop2, 0);
    rig.editor.imageMove(Image::imgSelectTop2, 1365);   // an eighth of the view: 250 ms
    rig.editor.imageRelease(Image::imgSelectTop2, 1365);
    QCOMPARE(rig.editor.selectionState().endMs(), 600250LL);
    QCOMPARE(rig.editor.model().text(Label::lblSelEnd), "00:10:00.250");
    // The View row keeps showing the view.
    QCOMPARE(rig.editor.model().text(Label::lblViewEnd), "00:10:01");
}

void TestSelectionEditing::loopAndPreview_data()
{
    QTest::addColumn<bool>("looping");
    QTest::addColumn<int>("fadeIn");
    QTest::addColumn<int>("fadeOut");
    QTest::addColumn<bool>("normalise");
    QTest::addColumn<QString>("envelope");   // empty: none sent
    QTest::addColumn<QString>("measured");   // the envelope once the level is measured; empty: none
    QTest::addColumn<QStringList>("atTheEnd");

    const QStringList stops{"stop sound", "close sound"};
    const QStringList loops{"play sound from 1250 to 3750"};
    QTest::newRow("plain") << false << 0 << 0 << false << "" << "" << stops;
    QTest::newRow("looping") << true << 0 << 0 << false << "" << "" << loops;
    QTest::newRow("fades") << false << 500 << 1000 << false << "setaudio sound envelope 1250 3750 500 1000 0"
                           << "" << stops;
    QTest::newRow("fades longer than the selection") << true << 9000 << 0 << false
                                                     << "setaudio sound envelope 1250 3750 2500 0 0" << ""
                                                     << loops;
    // The tone's right channel is half the left: its peak is the left's 0.5.
    // It plays as it is until the worker has measured it.
    QTest::newRow("level") << false << 0 << 0 << true << "setaudio sound envelope 1250 3750 0 0 0"
                           << "setaudio sound envelope 1250 3750 0 0 502" << stops;
}

void TestSelectionEditing::loopAndPreview()
{
    QFETCH(bool, looping);
    QFETCH(int, fadeIn);
    QFETCH(int, fadeOut);
    QFETCH(bool, normalise);
    QFETCH(QString, envelope);
    QFETCH(QString, measured);
    QFETCH(QStringList, atTheEnd);

    QTemporaryDir dir;
    const QString work = dir.filePath("open.wav");
    WavSpec spec;
    spec.frames = 5 * 44100;
    QVERIFY(writeFile(work, wavBytes(spec)));
    Rig rig(5000, work);
    QCOMPARE(rig.editor.typeTime(Handle::End, "3.75"), Outcome::Done);
    QCOMPARE(rig.editor.typeTime(Handle::Begin, "1.25"), Outcome::Done);
    PlaybackController &controller = rig.editor.controller();
    QSignalSpy loopSpy(&controller, &PlaybackController::loopingChanged);
    controller.setLooping(looping);
    QCOMPARE(loopSpy.count(), looping ? 1 : 0);
    controller.setPreviewFades(FadeLevel{fadeIn, fadeOut, normalise});
    rig.sound.take();
    controller.playSelection();
    QStringList expected{"stop sound", "close sound", "open " + work + " alias sound"};
    if (!envelope.isEmpty())
        expected << envelope;
    expected << "play sound from 1250 to 3750";
    QCOMPARE(rig.sound.take(), expected);
    if (!measured.isEmpty()) {
        QSignalSpy level(&controller.stretchGain(), &StretchGain::measured);
        QVERIFY(level.wait());
        QCOMPARE(rig.sound.take(), QStringList{measured});
        // A seek inside the same stretch finds the level known.
        controller.playSelection();
        QCOMPARE(rig.sound.take(), (QStringList{"stop sound", "close sound", "open " + work + " alias sound",
                                                measured, "play sound from 1250 to 3750"}));
    }

    rig.tick(5000, 3749);
    QCOMPARE(rig.sound.take().size(), 2);   // the two status queries
    rig.tick(5000, 3750);
    QCOMPARE(rig.sound.take().mid(2), atTheEnd);
    QCOMPARE(controller.isPlayingSelection(), looping);
}

QTEST_MAIN(TestSelectionEditing)
#include "tst_selectionediting.moc"
