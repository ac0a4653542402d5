#include "stopsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int Caught[] = {SIGTERM, SIGINT, SIGHUP};

// The handler's end of the pipe: write() is all a handler may safely do.
int g_writeEnd = -1;

void onStopSignal(int signal)
{
    const int saved = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &byte, 1);
    errno = saved;
}

int g_fds[2] = {-1, -1};
} // namespace

StopSignals::StopSignals(QObject *parent) : QObject(parent)
{
    if (g_writeEnd >= 0 || ::pipe2(g_fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_writeEnd = g_fds[1];
    m_notifier = new QSocketNotifier(g_fds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // A program that does not end on the first signal still ends on the next.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int signal : Caught)
        ::sigaction(signal, &action, nullptr);
}

StopSignals::~StopSignals()
{
    if (!m_notifier)
        return;
    for (int signal : Caught)
        std::signal(signal, SIG_DFL);
    delete m_notifier;
    ::close(g_fds[0]);
    ::close(g_fds[1]);
    g_fds[0] = g_fds[1] = g_writeEnd = -1;
}

void StopSignals::readSignal()
{
    char byte = 0;
    if (::read(g_fds[0], &byte, 1) != 1)
        return;
    for (int signal : Caught)
        std::signal(signal, SIG_DFL);
    m_notifier->setEnabled(false);
    emit stopRequested(int(byte));
}
