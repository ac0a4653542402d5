#include "temporaryoutput.h"

#include "codererror.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

// Set by the signal handler, read by the decoding threads too: a lock-free
// atomic is safe in both places, where a volatile is not.
std::atomic<int> g_stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the stop flag is set from a signal handler");
// The temporary file's name, readable from the signal handler.
std::array<char, 8192> g_pendingPath = {};

void onStopSignal(int signal)
{
    if (g_stopSignal.load() != 0) {
        // Asked twice: the job did not stop in time. unlink and _exit are
        // safe to call here.
        if (g_pendingPath[0] != '\0')
            unlink(g_pendingPath.data());
        _exit(128 + signal);
    }
    g_stopSignal.store(signal);
}

void setPending(const std::string &path)
{
    if (path.size() >= g_pendingPath.size()) {
        g_pendingPath[0] = '\0';
        return;
    }
    std::memcpy(g_pendingPath.data(), path.c_str(), path.size() + 1);
}

// Holds the stop signals back while the file's name is not yet known to the handler.
class StopsBlocked
{
public:
    StopsBlocked()
    {
        sigset_t stops;
        sigemptyset(&stops);
        sigaddset(&stops, SIGTERM);
        sigaddset(&stops, SIGINT);
        sigaddset(&stops, SIGHUP);
        sigprocmask(SIG_BLOCK, &stops, &m_previous);
    }
    ~StopsBlocked() { sigprocmask(SIG_SETMASK, &m_previous, nullptr); }
    StopsBlocked(const StopsBlocked &) = delete;
    StopsBlocked &operator=(const StopsBlocked &) = delete;

private:
    sigset_t m_previous;
};

} // namespace

TemporaryOutput::TemporaryOutput(const std::string &target, bool inPlace)
    : m_target(target), m_inPlace(inPlace)
{
    if (inPlace) {
        int error = 0;
        {
            const StopsBlocked blocked;
            // A new file, never one a link or another writer put there.
            if (unlink(target.c_str()) == 0 || errno == ENOENT)
                m_fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            error = errno;
            if (m_fd >= 0) {
                m_path = target;
                setPending(m_path);
            }
        }
        if (m_fd < 0)
            throw CoderError{target, std::strerror(error)};
        return;
    }
    const auto slash = target.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    // A name near the file system's limit leaves no room for the decoration.
    const std::string name =
        (slash == std::string::npos ? target : target.substr(slash + 1)).substr(0, 200);
    // The process id lets whoever had to kill us find what we left behind.
    std::string pattern = folder + "." + name + "." + std::to_string(getpid()) + "-XXXXXX.part";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');

    int error = 0;
    {
        const StopsBlocked blocked;
        m_fd = mkstemps(buffer.data(), 5);
        error = errno;
        if (m_fd >= 0) {
            m_path = buffer.data();
            setPending(m_path);
        }
    }
    if (m_fd < 0)
        throw CoderError{target, std::strerror(error)};

    // mkstemps makes the file private; the result gets the usual mode.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(m_fd, 0666 & ~mask);
}

TemporaryOutput::~TemporaryOutput()
{
    if (m_fd >= 0)
        close(m_fd);
    if (!m_committed) {
        unlink(m_path.c_str());
        g_pendingPath[0] = '\0';
    }
}

void TemporaryOutput::commit(bool durable)
{
    if (durable && fsync(m_fd) != 0)
        throw CoderError{m_target, std::string("write error: ") + std::strerror(errno)};
    // Without the flush, close is where a late write failure shows.
    const int closed = close(m_fd);
    m_fd = -1;
    if (closed != 0)
        throw CoderError{m_target, std::string("write error: ") + std::strerror(errno)};
    if (stopRequested())
        throw CoderError{m_target, "stopped by a signal", 128 + stopSignal()};
    if (!m_inPlace && rename(m_path.c_str(), m_target.c_str()) != 0)
        throw CoderError{m_target, std::strerror(errno)};
    m_committed = true;
    g_pendingPath[0] = '\0';
}

void TemporaryOutput::installSignalHandlers()
{
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    // A closed stderr must end in an error we handle, not a silent death
    // that leaves the temporary file behind.
    std::signal(SIGPIPE, SIG_IGN);
    // Likewise a file-size limit: it must fail the write, as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
}

bool TemporaryOutput::stopRequested()
{
    return g_stopSignal.load() != 0;
}

int TemporaryOutput::stopSignal()
{
    return g_stopSignal.load();
}

int TemporaryOutput::interruptCallback(void *)
{
    return g_stopSignal.load() != 0 ? 1 : 0;
}
