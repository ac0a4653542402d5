#pragma once

class QEventLoop;

// A wait that keeps the event loop running, so timers fire and handlers
// (even a nested job) run while the caller waits.
class clsWaitableTimer
{
public:
    // Returns after at least MilliSeconds, having dispatched events all the
    // while, or earlier when wake() is called meanwhile.
    void Wait(int MilliSeconds);
    // Ends the wait in progress; outside a wait, the next one returns at once.
    void wake();

private:
    QEventLoop *m_loop = nullptr;
    bool m_woken = false;
};
