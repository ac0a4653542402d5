#pragma once

// A wait that keeps the event loop running, so timers fire and handlers
// (even a nested job) run while the caller waits.
class clsWaitableTimer
{
public:
    // Returns after at least MilliSeconds, having dispatched events all the while.
    void Wait(int MilliSeconds);
};
