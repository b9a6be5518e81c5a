#include "shell/quit_signals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace kestrion {
namespace {

constexpr std::array<int, 3> kQuitSignals = {SIGTERM, SIGINT, SIGHUP};

// The pipe the handler writes to: [0] read, [1] write; -1 while nobody watches.
int g_pipe[2] = {-1, -1};
struct sigaction g_previous[kQuitSignals.size()];

void onQuitSignal(int signal)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent)
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::readSignal);
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_watching = true;
    for (std::size_t i = 0; i < kQuitSignals.size(); ++i)
        m_watching = ::sigaction(kQuitSignals[i], &action, &g_previous[i]) == 0 && m_watching;
}

QuitSignals::~QuitSignals()
{
    if (!m_notifier)
        return;
    for (std::size_t i = 0; i < kQuitSignals.size(); ++i)
        ::sigaction(kQuitSignals[i], &g_previous[i], nullptr);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void QuitSignals::readSignal()
{
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1)
        emit quitRequested(byte);
}

}  // namespace kestrion
