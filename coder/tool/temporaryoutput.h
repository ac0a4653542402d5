#pragma once

#include <string>

// The output is written to a temporary file beside the target
// (".<name>.<pid>-XXXXXX.part") and renamed over it only when complete, so a
// failed, stopped or killed job never touches an existing target. After a
// SIGKILL, which nothing can catch, the runner removes the file by the pid.
//
// In place (a working file that is read while it grows), the target itself is
// made afresh, a new file under the name (readers of the old one keep what
// they had), and removed again unless the job completes: a half file never
// stays under the name.
//
// Also owns the stop request: SIGTERM, SIGINT and SIGHUP set a flag that the
// job's loop and libavformat's I/O poll; a second signal removes the
// temporary file from the handler and ends the process at once.
class TemporaryOutput
{
public:
    explicit TemporaryOutput(const std::string &target, bool inPlace = false);
    ~TemporaryOutput(); // removes the temporary file unless committed
    TemporaryOutput(const TemporaryOutput &) = delete;
    TemporaryOutput &operator=(const TemporaryOutput &) = delete;

    const std::string &path() const { return m_path; }

    // Renames the file over the target; with `durable`, flushes the data to
    // disk first. A working file in the private cache needs no flush: after a
    // crash of the system it is decoded again, while flushing hundreds of
    // megabytes costs the user a wait on every open.
    void commit(bool durable);

    static void installSignalHandlers();
    static bool stopRequested();
    static int stopSignal();
    // For libavformat's interrupt callback.
    static int interruptCallback(void *);

private:
    std::string m_target;
    std::string m_path;
    int m_fd = -1;
    bool m_committed = false;
    bool m_inPlace = false;
};
