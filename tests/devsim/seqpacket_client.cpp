#include "devsim/seqpacket_client.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace devsim::test {

SeqpacketClient::SeqpacketClient(const std::string& socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path)
        return;
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    m_fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (m_fd >= 0 && connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(m_fd);
        m_fd = -1;
    }
}

SeqpacketClient::~SeqpacketClient()
{
    if (m_fd >= 0)
        close(m_fd);
}

bool SeqpacketClient::sendRaw(const std::vector<std::uint8_t>& datagram)
{
    return ::send(m_fd, datagram.data(), datagram.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(datagram.size());
}

bool SeqpacketClient::send(char kind, const std::vector<std::uint8_t>& report)
{
    std::vector<std::uint8_t> datagram{static_cast<std::uint8_t>(kind)};
    datagram.insert(datagram.end(), report.begin(), report.end());
    return sendRaw(datagram);
}

std::optional<std::vector<std::uint8_t>> SeqpacketClient::receive(int timeoutMs)
{
    pollfd fd{m_fd, POLLIN, 0};
    if (poll(&fd, 1, timeoutMs) <= 0)
        return std::nullopt;
    std::vector<std::uint8_t> datagram(4096);
    const ssize_t n = recv(m_fd, datagram.data(), datagram.size(), 0);
    if (n <= 0)
        return std::nullopt;
    datagram.resize(static_cast<std::size_t>(n));
    return datagram;
}

std::optional<std::vector<std::uint8_t>> SeqpacketClient::transact(const std::vector<std::uint8_t>& report,
                                                                   int timeoutMs)
{
    if (!send('O', report))
        return std::nullopt;
    std::optional<std::vector<std::uint8_t>> datagram = receive(timeoutMs);
    if (!datagram || datagram->empty() || (*datagram)[0] != 'I')
        return std::nullopt;
    return std::vector<std::uint8_t>(datagram->begin() + 1, datagram->end());
}

bool SeqpacketClient::closedByPeer(int timeoutMs)
{
    pollfd fd{m_fd, POLLIN, 0};
    if (poll(&fd, 1, timeoutMs) <= 0)
        return false;
    // A connection the device never accepted is reset rather than closed in order.
    char byte;
    const ssize_t n = recv(m_fd, &byte, 1, MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

std::vector<std::uint8_t> commandPacket(std::uint8_t code, std::uint16_t offset, std::uint8_t length,
                                        const std::vector<std::uint8_t>& data, bool withChecksum)
{
    std::vector<std::uint8_t> packet(64, 0);
    packet[0] = 0x04;
    packet[3] = code;
    packet[4] = length;
    packet[5] = static_cast<std::uint8_t>(offset & 0xFF);
    packet[6] = static_cast<std::uint8_t>(offset >> 8);
    std::copy_n(data.begin(), std::min<std::size_t>(data.size(), 56), packet.begin() + 8);
    if (withChecksum) {
        unsigned sum = 0;
        for (std::size_t i = 3; i < 64; ++i)
            sum += packet[i];
        packet[1] = static_cast<std::uint8_t>(sum & 0xFF);
        packet[2] = static_cast<std::uint8_t>(sum >> 8 & 0xFF);
    }
    return packet;
}

}  // namespace devsim::test
