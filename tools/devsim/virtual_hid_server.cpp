#include "devsim/virtual_hid_server.h"

#include "devsim/hex_text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <json/json.h>

namespace devsim {
namespace {

constexpr char kInputKind = 'I';
constexpr std::size_t kMaxDatagram = 4096;

bool fillAddress(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::copy(path.begin(), path.end(), address.sun_path);
    return true;
}

// Bound under a temporary name and renamed once listening, so the socket file never exists
// without a listener behind it.
int listenOn(const std::string& path)
{
    const std::string temporary = path + ".binding";
    sockaddr_un address;
    if (!fillAddress(temporary, address))
        return -1;
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    ::unlink(temporary.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0 ||
        std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        ::close(fd);
        return -1;
    }
    return fd;
}

// How many datagrams the kernel queues at a connected reader before a send would block; the
// reports waiting in the simulator make up the rest of the reader's queue.
std::size_t socketDepth()
{
    std::size_t length = 10;
    if (FILE* file = std::fopen("/proc/sys/net/unix/max_dgram_qlen", "r")) {
        unsigned long value = 0;
        if (std::fscanf(file, "%lu", &value) == 1)
            length = value;
        std::fclose(file);
    }
    return std::min(length + 1, VirtualHidInterface::kReaderQueue);
}

const std::size_t kWaitingLimit = VirtualHidInterface::kReaderQueue - socketDepth();

}  // namespace

std::string identityJson(const InterfaceIdentity& identity)
{
    Json::Value root;
    root["vendor"] = identity.vendor;
    root["product"] = identity.product;
    root["version"] = identity.version;
    root["interface"] = identity.interfaceNumber;
    root["descriptor"] = hexText(identity.descriptor);
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, root) + "\n";
}

VirtualHidInterface::VirtualHidInterface(std::string folder, std::string stem, InterfaceIdentity identity,
                                         ReportHandler handler)
    : m_folder(std::move(folder)), m_stem(std::move(stem)), m_identity(std::move(identity)),
      m_handler(std::move(handler))
{
}

VirtualHidInterface::~VirtualHidInterface()
{
    unpublish();
}

bool VirtualHidInterface::isPublished() const
{
    return m_thread.joinable();
}

bool VirtualHidInterface::publish()
{
    if (isPublished())
        return true;
    std::error_code error;
    // Other users have no business talking to this user's devices.
    if (std::filesystem::create_directories(m_folder, error))
        std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, error);
    if (!std::filesystem::is_directory(m_folder, error))
        return false;

    m_listenFd = listenOn(socketPath());
    if (m_listenFd < 0)
        return false;
    m_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    // The json appears only once the socket listens, so a host never finds one without the other.
    if (m_stopFd < 0 || m_wakeFd < 0 || !writeJson()) {
        closeAll();
        return false;
    }
    m_thread = std::thread([this] { run(); });
    return true;
}

void VirtualHidInterface::unpublish()
{
    if (!isPublished())
        return;
    // The json goes first: a host enumerating now no longer sees the interface.
    ::unlink(jsonPath().c_str());
    ::unlink(socketPath().c_str());
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(m_stopFd, &one, sizeof one);
    m_thread.join();
    closeAll();
}

void VirtualHidInterface::closeAll()
{
    std::lock_guard lock(m_mutex);
    for (const Connection& connection : m_connections)
        ::close(connection.fd);
    m_connections.clear();
    for (int* fd : {&m_listenFd, &m_stopFd, &m_wakeFd}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

bool VirtualHidInterface::writeJson() const
{
    const std::string target = jsonPath();
    const std::string temporary = m_folder + "/." + m_stem + ".json.tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << identityJson(m_identity);
        out.flush();
        if (!out) {
            ::unlink(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

void VirtualHidInterface::sendInput(const std::vector<std::uint8_t>& report)
{
    std::vector<std::uint8_t> datagram;
    datagram.reserve(report.size() + 1);
    datagram.push_back(kInputKind);
    datagram.insert(datagram.end(), report.begin(), report.end());
    std::lock_guard lock(m_mutex);
    bool wake = false;
    for (Connection& connection : m_connections) {
        if (connection.waiting.size() >= kWaitingLimit) {
            ++m_dropped;
            continue;
        }
        const bool wasEmpty = connection.waiting.empty();
        connection.waiting.push_back(datagram);
        flush(connection);
        wake = wake || (wasEmpty && !connection.waiting.empty());
    }
    if (wake) {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    }
}

// Moves waiting reports into the socket while the reader has room for them.
void VirtualHidInterface::flush(Connection& connection)
{
    while (!connection.waiting.empty()) {
        const std::vector<std::uint8_t>& datagram = connection.waiting.front();
        if (::send(connection.fd, datagram.data(), datagram.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0
            && (errno == EAGAIN || errno == EINTR))
            return;
        // Sent, or the reader has gone: either way the report leaves the queue.
        connection.waiting.pop_front();
    }
}

std::size_t VirtualHidInterface::connectionCount() const
{
    std::lock_guard lock(m_mutex);
    return m_connections.size();
}

std::size_t VirtualHidInterface::droppedReports() const
{
    std::lock_guard lock(m_mutex);
    return m_dropped;
}

void VirtualHidInterface::run()
{
    for (;;) {
        std::vector<pollfd> fds = {{m_stopFd, POLLIN, 0}, {m_listenFd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        {
            std::lock_guard lock(m_mutex);
            for (const Connection& connection : m_connections) {
                const short events = POLLIN | POLLRDHUP | (connection.waiting.empty() ? 0 : POLLOUT);
                fds.push_back({connection.fd, events, 0});
            }
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents != 0)
            return;
        if (fds[1].revents & POLLIN)
            acceptConnection();
        if (fds[2].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] ssize_t read = ::read(m_wakeFd, &count, sizeof count);
        }
        for (std::size_t i = 3; i < fds.size(); ++i) {
            if (fds[i].revents & POLLOUT) {
                std::lock_guard lock(m_mutex);
                for (Connection& connection : m_connections) {
                    if (connection.fd == fds[i].fd)
                        flush(connection);
                }
            }
            if ((fds[i].revents & ~POLLOUT) == 0 || serveConnection(fds[i].fd, fds[i].revents))
                continue;
            std::lock_guard lock(m_mutex);
            m_connections.erase(std::remove_if(m_connections.begin(), m_connections.end(),
                                               [&](const Connection& c) { return c.fd == fds[i].fd; }),
                                m_connections.end());
            ::close(fds[i].fd);
        }
    }
}

void VirtualHidInterface::acceptConnection()
{
    int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    std::lock_guard lock(m_mutex);
    m_connections.push_back({fd, {}});
}

// False once the peer has gone.
bool VirtualHidInterface::serveConnection(int fd, short events)
{
    std::vector<std::uint8_t> datagram(kMaxDatagram);
    const ssize_t received = ::recv(fd, datagram.data(), datagram.size(), MSG_DONTWAIT);
    if (received < 0)
        return errno == EAGAIN || errno == EINTR;
    if (received == 0)
        return (events & (POLLHUP | POLLRDHUP)) == 0;  // an empty datagram carries no kind and is ignored
    const char kind = static_cast<char>(datagram[0]);
    if (kind != 'O' && kind != 'S')
        return true;
    const std::vector<std::uint8_t> report(datagram.begin() + 1, datagram.begin() + received);
    if (m_handler)
        m_handler(kind, report);
    return true;
}

}  // namespace devsim
