#include "clswaitabletimer.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

void clsWaitableTimer::Wait(int MilliSeconds)
{
    if (m_woken) {
        m_woken = false;
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(MilliSeconds < 0 ? 0 : MilliSeconds);
    QEventLoop *outer = m_loop;
    m_loop = &loop;
    loop.exec();
    // Once the application has been told to quit, no new event loop runs:
    // exec() returns at once, and a caller polling a job would spin. The
    // dispatcher still waits and still delivers the timer.
    while (timer.isActive() && !m_woken)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    m_woken = false;
    m_loop = outer;
}

void clsWaitableTimer::wake()
{
    m_woken = true;
    if (m_loop) {
        m_loop->quit();
        if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance())
            dispatcher->wakeUp();
    }
}
