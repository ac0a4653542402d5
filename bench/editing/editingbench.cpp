// Editing on a one-hour song, drawn offscreen: a zoom step and a scroll step each up to a painted
// strip, and a typed or nudged change of the selection up to painted labels. A frame is 16 ms.
//   kes_benchediting [FILE]   (made when missing; default /tmp/kes-bench-hour.wav)
#include "../common/hourdevice.h"
#include "../common/hourwav.h"
#include "sound/soundcommands.h"
#include "stripwidget.h"
#include "timelabels.h"
#include "timelineeditor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void report(const char *what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-34s median %6.2f ms, 90th %6.2f ms, max %6.2f ms (%zu runs)\n", what,
                times[times.size() / 2], times[times.size() * 9 / 10], times.back(), times.size());
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString path = HourWav::fromArguments(argc, argv);
    if (path.isEmpty())
        return 1;
    HourDevice device;
    TimelineEditor editor(device, path);
    editor.controller().setPollEnabled(false);
    editor.controller().Timer2_Timer();

    QWidget window;
    window.resize(780, 560);
    StripWidget strip(editor, &window);
    TimeLabels labels(editor.model(), &window);
    window.show();

    // The pyramid is built on a worker once per song (kes_benchstalls times
    // it); the steps below run on the built one.
    QEventLoop built;
    QObject::connect(&editor, &TimelineEditor::pyramidReady, &built, &QEventLoop::quit);
    if (!editor.pyramid())
        built.exec();
    std::printf("peak pyramid ready (%d levels, once per song)\n", editor.pyramid()->levels());

    // The strip repainted the way the screen would: into its backing image.
    QImage canvas(strip.size(), QImage::Format_RGB32);
    const auto paintStrip = [&] { strip.render(&canvas); };
    const auto paintLabels = [&] { window.render(&canvas, QPoint(), QRegion(QRect(440, 488, 180, 40))); };
    paintStrip();

    std::vector<double> zoom, scroll, typed, nudged;
    TimelineZoom &z = editor.zoom();
    for (int round = 0; round < 10; ++round) {
        for (int i = 0; i < 12; ++i)
            zoom.push_back(timed([&] { z.zoomIn(); paintStrip(); }));
        for (int i = 0; i < 20; ++i)
            scroll.push_back(timed([&] { z.scroll(i % 2 ? 3 : -2); paintStrip(); }));
        for (int i = 0; i < 12; ++i)
            zoom.push_back(timed([&] { z.zoomOut(); paintStrip(); }));
    }
    z.zoomIn();
    z.zoomIn();
    for (int i = 0; i < 200; ++i) {
        const QString text = QStringLiteral("00:%1:%2.%3").arg(10 + i % 40).arg(10 + i % 50).arg(i % 1000, 3, 10, QLatin1Char('0'));
        typed.push_back(timed([&] {
            editor.typeTime(SelectionEditor::Handle::Begin, text);
            paintLabels();
            paintStrip();
        }));
        nudged.push_back(timed([&] {
            editor.nudge(i % 2 ? -100 : 1000);
            paintLabels();
            paintStrip();
        }));
    }
    report("zoom step, strip painted:", zoom);
    report("scroll step, strip painted:", scroll);
    report("typed time, labels and strip:", typed);
    report("nudge, labels and strip:", nudged);
    return 0;
}
