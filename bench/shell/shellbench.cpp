// Main window load time: from the splash's hand-over (its third tick) to the
// main window shown on the screen, and the resident memory once it is up.
// Usage: shellbench [runs]   (needs a display; the splash's own three
// seconds are left out by driving its ticks directly)
#include "frmmain.h"
#include "frmsplash.h"
#include "userprompt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}
// Answers every question with OK: the exit is confirmed.
class YesPrompt : public UserPrompt
{
public:
    bool show(const Message &) override { return true; }
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true); // never touch the user's settings
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    YesPrompt prompt;
    std::vector<double> times;
    long rssAfterFirst = -1;
    for (int run = 0; run < runs; ++run) {
        std::unique_ptr<frmMain> main;
        auto *splash = new frmSplash(
            [&]() -> QWidget * {
                frmMain::Environment environment;
                environment.prompt = &prompt;
                environment.endProgram = [] {};
                main = std::make_unique<frmMain>(std::move(environment));
                return main.get();
            },
            0);
        splash->show();
        if (!QTest::qWaitForWindowExposed(splash))
            return 1;
        splash->Timer1_Timer();
        splash->Timer1_Timer();
        QElapsedTimer clock;
        clock.start();
        splash->Timer1_Timer(); // hand-over: the main window loads and shows
        if (!main || !QTest::qWaitForWindowExposed(main.get()))
            return 1;
        QCoreApplication::processEvents(); // first paint
        times.push_back(clock.nsecsElapsed() / 1e6);
        if (run == 0) {
            QTest::qWait(500);
            rssAfterFirst = residentKiB();
        }
        main->close();
        QTest::qWait(50);
    }
    const double first = times.front(); // cold: fonts, art and plugins load here
    std::sort(times.begin(), times.end());
    std::printf("main window load (hand-over to shown), %d runs: first %.1f ms, min %.1f ms, "
                "median %.1f ms, max %.1f ms\n",
                runs, first, times.front(), times[times.size() / 2], times.back());
    std::printf("resident memory after start-up: %.1f MB\n", rssAfterFirst / 1024.0);
    return 0;
}
