#include "clswaitabletimer.h"

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
    m_loop = outer;
}

void clsWaitableTimer::wake()
{
    if (m_loop)
        m_loop->quit();
    else
        m_woken = true;
}
