#include "devsim/control_server.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace devsim {
namespace {

// A client that sends this much without a line end is not speaking the protocol.
constexpr std::size_t kMaxLine = 4096;

bool sendAll(int fd, const std::string& text)
{
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

ControlServer::ControlServer(std::string socketPath, LineHandler handler)
    : m_path(std::move(socketPath)), m_handler(std::move(handler))
{
}

ControlServer::~ControlServer()
{
    stop();
}

bool ControlServer::start()
{
    if (m_thread.joinable())
        return true;
    // Bound under a temporary name and renamed once listening: a client that finds the socket
    // can connect at once.
    const std::string temporary = m_path + ".binding";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (temporary.size() >= sizeof address.sun_path)
        return false;
    std::copy(temporary.begin(), temporary.end(), address.sun_path);
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    m_stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    ::unlink(temporary.c_str());
    const bool listening = m_listenFd >= 0 && m_stopFd >= 0 &&
                           ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                           ::listen(m_listenFd, 8) == 0;
    if (!listening || std::rename(temporary.c_str(), m_path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        stop();
        return false;
    }
    m_thread = std::thread([this] { run(); });
    return true;
}

void ControlServer::stop()
{
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t written = ::write(m_stopFd, &one, sizeof one);
        m_thread.join();
        ::unlink(m_path.c_str());
    }
    for (const auto& [fd, pending] : m_pending)
        ::close(fd);
    m_pending.clear();
    for (int* fd : {&m_listenFd, &m_stopFd}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void ControlServer::run()
{
    for (;;) {
        std::vector<pollfd> fds = {{m_stopFd, POLLIN, 0}, {m_listenFd, POLLIN, 0}};
        for (const auto& [fd, pending] : m_pending)
            fds.push_back({fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents != 0)
            return;
        if (fds[1].revents & POLLIN)
            accept();
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if (fds[i].revents == 0 || serve(fds[i].fd))
                continue;
            ::close(fds[i].fd);
            m_pending.erase(fds[i].fd);
        }
    }
}

void ControlServer::accept()
{
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0)
        m_pending[fd];
}

// False once the client has gone or misbehaved.
bool ControlServer::serve(int fd)
{
    char buffer[1024];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0)
        return errno == EAGAIN || errno == EINTR;
    if (n == 0)
        return false;
    std::string& pending = m_pending[fd];
    pending.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
        std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!sendAll(fd, m_handler(line) + "\n"))
            return false;
    }
    if (pending.size() > kMaxLine) {
        sendAll(fd, "error line too long\n");
        return false;
    }
    return true;
}

}  // namespace devsim
