#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace devsim::test {

// The host side of one virtual HID connection, written by hand so that tests exercise the
// transport exactly as a host would.
class SeqpacketClient {
public:
    explicit SeqpacketClient(const std::string& socketPath);
    ~SeqpacketClient();
    SeqpacketClient(const SeqpacketClient&) = delete;
    SeqpacketClient& operator=(const SeqpacketClient&) = delete;

    bool connected() const { return m_fd >= 0; }
    bool sendRaw(const std::vector<std::uint8_t>& datagram);
    bool send(char kind, const std::vector<std::uint8_t>& report);
    // The next datagram (kind byte included), or nothing after timeoutMs.
    std::optional<std::vector<std::uint8_t>> receive(int timeoutMs = 2000);
    // Sends an 'O' report and returns the report of the next 'I' datagram.
    std::optional<std::vector<std::uint8_t>> transact(const std::vector<std::uint8_t>& report, int timeoutMs = 2000);
    // True when the server closed the connection within timeoutMs.
    bool closedByPeer(int timeoutMs = 2000);

private:
    int m_fd = -1;
};

// A command packet built the way a host builds one: report id 4, checksum of bytes 3 to 63 in
// bytes 1 and 2 (little-endian), code, length, offset, data from byte 8.
std::vector<std::uint8_t> commandPacket(std::uint8_t code, std::uint16_t offset = 0, std::uint8_t length = 0,
                                        const std::vector<std::uint8_t>& data = {}, bool withChecksum = true);

}  // namespace devsim::test
