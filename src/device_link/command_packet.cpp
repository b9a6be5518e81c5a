#include "device_link/command_packet.h"

#include <algorithm>
#include <cstdio>

namespace kestrion {

std::uint16_t packetChecksum(const Packet& p)
{
    unsigned sum = 0;
    for (std::size_t i = packet::kFirstChecksummedByte; i < packet::kSize; ++i)
        sum += p[i];
    return static_cast<std::uint16_t>(sum);
}

Packet buildRequest(CommandCode code, std::uint8_t length, std::uint16_t address,
                    const std::uint8_t* data, std::size_t dataLength, bool withChecksum)
{
    Packet p{};
    p[packet::kReportIdOffset] = packet::kReportId;
    p[packet::kCommandOffset] = static_cast<std::uint8_t>(code);
    p[packet::kLengthOffset] = length;
    p[packet::kAddressLowOffset] = static_cast<std::uint8_t>(address & 0xFF);
    p[packet::kAddressHighOffset] = static_cast<std::uint8_t>(address >> 8);
    if (data)
        std::copy_n(data, std::min(dataLength, packet::kMaxData), p.begin() + packet::kDataOffset);
    if (withChecksum) {
        const std::uint16_t sum = packetChecksum(p);
        p[packet::kChecksumLowOffset] = static_cast<std::uint8_t>(sum & 0xFF);
        p[packet::kChecksumHighOffset] = static_cast<std::uint8_t>(sum >> 8);
    }
    return p;
}

std::string formatPacketTrace(const Packet& p)
{
    // Groups of four bytes: three spaces after the first three groups, two after the rest.
    std::string text;
    char byte[4];
    for (std::size_t line = 0; line < 2; ++line) {
        for (std::size_t i = 0; i < 32; ++i) {
            std::snprintf(byte, sizeof byte, "%02x", p[line * 32 + i]);
            text += byte;
            if (i == 31)
                break;
            if (i % 4 != 3)
                text += ' ';
            else
                text += (i < 12) ? "   " : "  ";
        }
        text += '\n';
    }
    return text;
}

}  // namespace kestrion
