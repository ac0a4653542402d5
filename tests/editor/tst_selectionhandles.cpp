// Dragging the handle sets: limits against each other and the strip, the
// grab point, and what a release writes; then the random cut built on them.
#include "formattime.h"
#include "learnduration.h"
#include "randomcut.h"
#include "selection.h"
#include "selectionhandles.h"
#include "timelinemodel.h"

#include <QTest>

using Image = TimelineModel::Image;
using Label = TimelineModel::Label;
using MarkerSet = TimelineModel::MarkerSet;

class TestSelectionHandles : public QObject
{
    Q_OBJECT
private slots:
    void limits_data();
    void limits();
    void grabPointStaysUnderTheMouse();
    void setMovesTogether_data();
    void setMovesTogether();
    void noDragWithoutPress();
    void releaseWritesSelection_data();
    void releaseWritesSelection();
    void sameSecondGivesZeroLength();
    void randomCutExample();
    void randomCutRetriesUntilLongEnough();
    void randomCutGivesUpOnShortFiles_data();
    void randomCutGivesUpOnShortFiles();
    void randomCutNeedsPlayedFile();
};

struct Fixture
{
    explicit Fixture(int twipsPerPixel = 15, qint32 T = 218) : model(twipsPerPixel), handles(selection, model)
    {
        model.follow(selection);
        learnDuration(model, T);
    }
    // A whole drag of one marker image: press at grabX, move by dx, release.
    void drag(Image image, double grabX, double dx)
    {
        handles.press(image, grabX);
        handles.move(image, grabX + dx);
        handles.release(image, grabX + dx);
    }
    Selection selection;
    TimelineModel model;
    SelectionHandles handles;
};

void TestSelectionHandles::limits_data()
{
    QTest::addColumn<int>("beginAt");
    QTest::addColumn<int>("endAt");
    QTest::addColumn<int>("dragged");   // Image
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("landsAt");
    QTest::newRow("begin stops a marker width before the end")
        << 0 << 5000 << int(Image::imgSelectTop1) << 6000 << 4805;
    QTest::newRow("begin lower marker obeys the same limit")
        << 100 << 5000 << int(Image::imgSelectBottom1) << 9000 << 4805;
    QTest::newRow("end stops a marker width after the begin")
        << 1000 << 8000 << int(Image::imgSelectTop2) << -7500 << 1195;
    QTest::newRow("begin left of the strip lands at 0")
        << 200 << 10920 << int(Image::imgSelectTop1) << -500 << 0;
    QTest::newRow("end beyond W lands at W")
        << 0 << 10000 << int(Image::imgSelectBottom2) << 3000 << 10920;
    QTest::newRow("begin up to W minus a marker with the hidden end at W")
        << 0 << 10920 << int(Image::imgSelectTop1) << 20000 << 10725;
    QTest::newRow("a move within the limits lands where dropped")
        << 1000 << 8000 << int(Image::imgSelectTop2) << -1000 << 7000;
    QTest::newRow("touching the limit exactly is allowed")
        << 0 << 5000 << int(Image::imgSelectTop1) << 4805 << 4805;
    // The other set wins over the strip's end: the end test is skipped.
    QTest::newRow("end pushed below the begin set near 0")
        << 0 << 3000 << int(Image::imgSelectTop2) << -5000 << 195;
}

void TestSelectionHandles::limits()
{
    QFETCH(int, beginAt);
    QFETCH(int, endAt);
    QFETCH(int, dragged);
    QFETCH(int, dx);
    QFETCH(int, landsAt);
    Fixture f;
    f.model.placeSet(MarkerSet::Begin, beginAt);
    f.model.placeSet(MarkerSet::End, endAt);
    const auto image = static_cast<Image>(dragged);
    f.drag(image, 100, dx);
    const MarkerSet set = TimelineModel::setOf(image);
    QCOMPARE(f.model.left(TimelineModel::upperOf(set)), landsAt);
    QCOMPARE(f.model.left(TimelineModel::lowerOf(set)), landsAt);
    QCOMPARE(f.model.left(TimelineModel::lineOf(set)), landsAt + 90);
    // The other set never moves.
    const MarkerSet other = set == MarkerSet::Begin ? MarkerSet::End : MarkerSet::Begin;
    QCOMPARE(f.model.left(TimelineModel::upperOf(other)), other == MarkerSet::Begin ? beginAt : endAt);
}

void TestSelectionHandles::grabPointStaysUnderTheMouse()
{
    Fixture f;
    f.model.placeSet(MarkerSet::Begin, 1000);
    f.handles.press(Image::imgSelectTop1, 100);
    QCOMPARE(f.model.GrabX(), 100);
    // Successive moves, each X inside the image as it now stands.
    f.handles.move(Image::imgSelectTop1, 250);   // +150
    QCOMPARE(f.model.left(Image::imgSelectTop1), 1150);
    f.handles.move(Image::imgSelectTop1, 250);   // +150 again
    QCOMPARE(f.model.left(Image::imgSelectTop1), 1300);
    f.handles.move(Image::imgSelectTop1, 100);   // at rest under the mouse
    QCOMPARE(f.model.left(Image::imgSelectTop1), 1300);
    // A press at a half twip rounds to even.
    f.handles.release(Image::imgSelectTop1, 100);
    f.handles.press(Image::imgSelectTop1, 44.5);
    QCOMPARE(f.model.GrabX(), 44);
    f.handles.press(Image::imgSelectTop1, 45.5);
    QCOMPARE(f.model.GrabX(), 46);
}

void TestSelectionHandles::setMovesTogether_data()
{
    QTest::addColumn<int>("twipsPerPixel");
    QTest::newRow("15 twips") << 15;
    QTest::newRow("12 twips") << 12;
}

void TestSelectionHandles::setMovesTogether()
{
    QFETCH(int, twipsPerPixel);
    Fixture f(twipsPerPixel);
    const int offset = f.model.geometry().LineOffset();
    f.model.placeSet(MarkerSet::End, 6000);
    f.drag(Image::imgSelectBottom2, 10, -960);
    QCOMPARE(f.model.left(Image::imgSelectTop2), 5040);
    QCOMPARE(f.model.left(Image::imgSelectBottom2), 5040);
    QCOMPARE(f.model.left(Image::imgSelectLine2), 5040 + offset);
    QCOMPARE(f.model.left(Image::imgSelectTop1), 0);
}

void TestSelectionHandles::noDragWithoutPress()
{
    Fixture f;
    f.model.placeSet(MarkerSet::Begin, 500);
    f.handles.move(Image::imgSelectTop1, 900);
    QCOMPARE(f.model.left(Image::imgSelectTop1), 500);
    f.handles.release(Image::imgSelectTop1, 900);
    QCOMPARE(f.model.text(Label::lblSelBegin), "00:00:00");
    // Lines and pointer images are not handles.
    f.handles.press(Image::imgSelectLine1, 10);
    QVERIFY(!f.handles.isDragging());
    f.handles.press(Image::imgTopPoint, 10);
    QVERIFY(!f.handles.isDragging());
    // A press starts a drag and a release ends it.
    f.handles.press(Image::imgSelectTop1, 10);
    QVERIFY(f.handles.isDragging());
    f.handles.release(Image::imgSelectTop1, 10);
    QVERIFY(!f.handles.isDragging());
}

void TestSelectionHandles::releaseWritesSelection_data()
{
    QTest::addColumn<int>("T");
    QTest::addColumn<int>("selEndBefore");
    QTest::addColumn<int>("beginTo");
    QTest::addColumn<int>("selBegin");
    QTest::addColumn<QString>("lengthLabel");
    QTest::newRow("no end chosen: length untouched") << 100 << 0 << 5460 << 50 << "00:00:00";
    QTest::newRow("before a chosen end: length follows") << 100 << 80 << 5460 << 50 << "00:00:30";
    QTest::newRow("halves to even, down") << 20 << 0 << 1365 << 2 << "00:00:00";
    QTest::newRow("halves to even, up") << 20 << 0 << 4095 << 8 << "00:00:00";
    QTest::newRow("nothing played yet: 0 s") << 0 << 0 << 5460 << 0 << "00:00:00";
}

void TestSelectionHandles::releaseWritesSelection()
{
    QFETCH(int, T);
    QFETCH(int, selEndBefore);
    QFETCH(int, beginTo);
    Fixture f(15, T);
    f.selection.setEnd(qint64(selEndBefore) * 1000);
    f.drag(Image::imgSelectTop1, 0, beginTo);
    QFETCH(int, selBegin);
    QCOMPARE(f.selection.beginMs(), qint64(selBegin) * 1000);
    QCOMPARE(f.model.text(Label::lblSelBegin), FormatTime(selBegin));
    QTEST(f.model.text(Label::lblSelLength), "lengthLabel");
    QCOMPARE(f.model.text(Label::lblSelEnd), FormatTime(selEndBefore));
    // Not zoomed, the View row is the whole song whatever the selection.
    QCOMPARE(f.model.text(Label::lblViewBegin), "00:00:00");
    QCOMPARE(f.model.text(Label::lblViewLength), FormatTime(T));

    // The Sel row follows a handle while it is dragged, and a drag that
    // lands where it began leaves the row as the selection is.
    const int landed = f.model.left(Image::imgSelectTop1);
    f.handles.press(Image::imgSelectTop1, 0);
    f.handles.move(Image::imgSelectTop1, -landed);
    QCOMPARE(f.model.text(Label::lblSelBegin), "00:00:00");
    f.handles.move(Image::imgSelectTop1, landed);
    f.handles.release(Image::imgSelectTop1, 0);
    QCOMPARE(f.model.text(Label::lblSelBegin), FormatTime(selBegin));
}

void TestSelectionHandles::sameSecondGivesZeroLength()
{
    // Two sets a marker width apart (0.36 s at T = 20) round to the same second.
    Fixture f(15, 20);
    f.model.placeSet(MarkerSet::End, 5000);
    f.drag(Image::imgSelectTop1, 0, 6000);   // stops at 4805: 8.80 s -> 9
    f.drag(Image::imgSelectTop2, 0, 0);      // 5000: 9.16 s -> 9
    QCOMPARE(f.selection.beginMs(), qint64(9) * 1000);
    QCOMPARE(f.selection.endMs(), qint64(9) * 1000);
    QCOMPARE(f.model.text(Label::lblSelLength), "00:00:00");
}

void TestSelectionHandles::randomCutExample()
{
    Fixture f(15, 218);
    RandomCut cut(f.selection, f.model, f.handles);
    QList<double> draws{0.5, 0.2};
    cut.setDraw([&draws] { return draws.takeFirst(); });
    QCOMPARE(cut.run(), RandomCut::Outcome::Chosen);
    QVERIFY(draws.isEmpty());   // one attempt
    QCOMPARE(f.model.left(Image::imgSelectTop2), 5545);
    QCOMPARE(f.model.left(Image::imgSelectBottom2), 5545);
    QCOMPARE(f.model.left(Image::imgSelectTop1), 2045);
    QCOMPARE(f.model.left(Image::imgSelectLine1), 2135);
    QCOMPARE(f.selection.endMs(), qint64(111) * 1000);
    QCOMPARE(f.selection.beginMs(), qint64(41) * 1000);
    QCOMPARE(f.model.text(Label::lblSelLength), "00:01:10");
    QCOMPARE(f.model.text(Label::lblSelEnd), "00:01:51");
    for (int i = 0; i < TimelineModel::ImageCount; ++i)
        QVERIFY(f.model.isVisible(static_cast<Image>(i)));
    QVERIFY(!f.handles.isDragging());
}

void TestSelectionHandles::randomCutRetriesUntilLongEnough()
{
    // The offsets are design twips even on a 12-twip screen; the grab point of
    // the last real press shifts every throw.
    Fixture f(12, 100);
    f.handles.press(Image::imgSelectTop1, 20);
    f.handles.release(Image::imgSelectTop1, 20);
    RandomCut cut(f.selection, f.model, f.handles);
    // First attempt: the begin lands past the end and stops a marker before
    // it (1 s apart); the second succeeds.
    QList<double> draws{0.1, 0.9, 0.6, 0.1};
    cut.setDraw([&draws] { return draws.takeFirst(); });
    QCOMPARE(cut.run(), RandomCut::Outcome::Chosen);
    QVERIFY(draws.isEmpty());
    QCOMPARE(f.model.left(Image::imgSelectTop2), 6525);   // 6500 + 45 - 20
    QCOMPARE(f.model.left(Image::imgSelectTop1), 1025);
    QCOMPARE(f.selection.endMs(), qint64(75) * 1000);
    QCOMPARE(f.selection.beginMs(), qint64(12) * 1000);
    QCOMPARE(f.model.GrabX(), 20);
}

void TestSelectionHandles::randomCutGivesUpOnShortFiles_data()
{
    QTest::addColumn<int>("T");
    QTest::newRow("1 s") << 1;
    QTest::newRow("5 s") << 5;
}

void TestSelectionHandles::randomCutGivesUpOnShortFiles()
{
    QFETCH(int, T);
    Fixture f(15, T);
    RandomCut cut(f.selection, f.model, f.handles);
    int drawn = 0;
    cut.setDraw([&drawn] { return (drawn++ % 7) / 7.0; });
    QCOMPARE(cut.run(), RandomCut::Outcome::NoneLonger);
    QCOMPARE(drawn, 2 * RandomCut::MaxAttempts);
    QVERIFY(f.selection.endMs() - f.selection.beginMs() <= 5000);
    QVERIFY(!f.handles.isDragging());
}

void TestSelectionHandles::randomCutNeedsPlayedFile()
{
    Fixture f(15, 0);
    RandomCut cut(f.selection, f.model, f.handles);
    int drawn = 0;
    cut.setDraw([&drawn] { ++drawn; return 0.5; });
    QCOMPARE(cut.run(), RandomCut::Outcome::NotPlayed);
    QCOMPARE(drawn, 0);
    QVERIFY(!f.model.isVisible(Image::imgSelectTop1));
    QCOMPARE(f.model.left(Image::imgSelectTop2), 10920);
}

QTEST_GUILESS_MAIN(TestSelectionHandles)
#include "tst_selectionhandles.moc"
