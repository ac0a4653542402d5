// Editing on a one-hour song, drawn offscreen: the peak pyramid's one-time
// build, then a zoom step and a scroll step each up to a painted strip, and a
// typed or nudged change of the selection up to painted labels. A frame is
// 16 ms.
//   kes_benchediting [FILE]   (made when missing; default /tmp/kes-bench-hour.wav)
#include "../common/hourwav.h"
#include "sound/soundcommands.h"
#include "stripwidget.h"
#include "timelabels.h"
#include "timelineeditor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// A device that says the song is an hour long and stands at 30 minutes.
class HourDevice : public SoundCommands
{
public:
    QString send(const QString &command) override
    {
        if (command == QLatin1String("status sound length"))
            return QStringLiteral("3600000");
        if (command == QLatin1String("status sound position"))
            return QStringLiteral("1800000");
        return {};
    }
};

void report(const char *what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-34s median %6.2f ms, 90th %6.2f ms, max %6.2f ms (%zu runs)\n", what,
                times[times.size() / 2], times[times.size() * 9 / 10], times.back(), times.size());
}

double timed(const std::function<void()> &step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/kes-bench-hour.wav");
    if (!HourWav::isThere(path)) {
        std::printf("writing %s (one hour, 44.1 kHz stereo 16-bit)...\n", qPrintable(path));
        if (!HourWav::make(path))
            return 1;
    }
    HourDevice device;
    TimelineEditor editor(device, path);
    editor.controller().setPollEnabled(false);
    editor.controller().Timer2_Timer();

    QWidget window;
    window.resize(780, 560);
    StripWidget strip(editor, &window);
    TimeLabels labels(editor.model(), &window);
    window.show();

    const double build = timed([&] { editor.pyramid(); });
    std::printf("peak pyramid built in %.0f ms (%d levels, once per song)\n", build, editor.pyramid().levels());

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
