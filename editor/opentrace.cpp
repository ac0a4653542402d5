#include "opentrace.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

QElapsedTimer &lastTurn()
{
    static QElapsedTimer timer;
    return timer;
}

qint64 longestGap = 0;

void watchTheLoop()
{
    auto *tick = new QTimer(QCoreApplication::instance());
    tick->setInterval(5);
    QObject::connect(tick, &QTimer::timeout, tick, [] {
        const qint64 gap = lastTurn().restart();
        longestGap = std::max(longestGap, gap);
        // Long waits are told where they end, to be matched with the marks.
        if (gap > 30) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::fprintf(stderr, "kesmarin-trace-gap %lld ending %lld\n", static_cast<long long>(gap),
                         now.tv_sec * 1000LL + now.tv_nsec / 1000000);
        }
    });
    lastTurn().start();
    tick->start();
}

} // namespace

bool OpenTrace::enabled()
{
    static const bool on = qEnvironmentVariable("KESMARIN_TRACE_OPEN") == QLatin1String("1");
    return on;
}

void OpenTrace::mark(const char *name)
{
    static QSet<QByteArray> said;
    if (!enabled() || said.contains(name))
        return;
    if (said.isEmpty() && QCoreApplication::instance())
        watchTheLoop();
    said.insert(name);
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "kesmarin-trace %s %lld\n", name, now.tv_sec * 1000LL + now.tv_nsec / 1000000);
    if (std::strcmp(name, "whole-waveform") == 0)
        std::fprintf(stderr, "kesmarin-trace longest-gap %lld\n", static_cast<long long>(longestGap));
    std::fflush(stderr);
}
