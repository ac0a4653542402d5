// How long the window waits on a one-hour song where it used to read the
// whole file: the first zoom (the peak pyramid) and Play selection with
// normalising (the stretch's peak). "Before" is that read done in place, as
// the GUI thread did it; "after" is what the GUI thread spends now, with the
// time until the worker's result arrives beside it.
//   kes_benchstalls [FILE]   (made when missing; default /tmp/kes-bench-hour.wav)
#include "../common/hourdevice.h"
#include "../common/hourwav.h"
#include "peakpyramid.h"
#include "sound/stretchpeak.h"
#include "stripwidget.h"
#include "timelineeditor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <cstdio>
#include <functional>

namespace {

// Runs events until the signal comes; the milliseconds it took.
template <typename Object, typename Signal> double waitFor(Object *object, Signal signal)
{
    QEventLoop loop;
    QObject::connect(object, signal, &loop, &QEventLoop::quit);
    return timed([&] { loop.exec(); });
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString path = HourWav::fromArguments(argc, argv);
    if (path.isEmpty())
        return 1;

    // Before: the reads as the GUI thread made them.
    PeakPyramid pyramid;
    const double buildInPlace = timed([&] { pyramid.build(path); });
    const double peakInPlace = timed([&] { measureStretchPeakDb(path, 0, 3599000, 0, 0); });

    // After: the same steps through the editor.
    HourDevice device;
    TimelineEditor editor(device, path);
    editor.controller().setPollEnabled(false);
    editor.controller().setEventPump([] {});
    editor.controller().Timer2_Timer();
    StripWidget strip(editor);
    strip.show();
    QImage canvas(strip.size(), QImage::Format_RGB32);

    const double firstZoom = timed([&] {
        editor.zoom().zoomIn();
        strip.render(&canvas);
    });
    const double pyramidReady = waitFor(&editor, &TimelineEditor::pyramidReady);
    const double readyZoom = timed([&] {
        editor.zoom().zoomIn();
        strip.render(&canvas);
    });

    editor.selectionState().set(0, 3599000);
    PlaybackController &controller = editor.controller();
    controller.setPreviewFades(FadeLevel{0, 0, true});
    const double firstPlay = timed([&] { controller.playSelection(); });
    const double gainReady = waitFor(&controller.stretchGain(), &StretchGain::measured);
    const double againPlay = timed([&] { controller.playSelection(); });
    std::printf("first zoom on an hour:        before %7.1f ms on the GUI thread, after %6.2f ms "
                "(pyramid ready %.0f ms later; a zoom then %.2f ms)\n",
                buildInPlace, firstZoom, pyramidReady, readyZoom);
    std::printf(
        "play selection, normalised:   before %7.1f ms on the GUI thread (every seek), after "
        "%6.2f ms (level measured %.0f ms later; a seek then %.2f ms)\n",
        peakInPlace, firstPlay, gainReady, againPlay);
    return 0;
}
