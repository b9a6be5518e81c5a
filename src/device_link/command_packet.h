#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrion {

// The fixed 64-byte request and reply of the command interface.
namespace packet {
inline constexpr std::size_t kSize = 64;
inline constexpr std::size_t kReportIdOffset = 0;
inline constexpr std::size_t kChecksumLowOffset = 1;
inline constexpr std::size_t kChecksumHighOffset = 2;
inline constexpr std::size_t kCommandOffset = 3;
inline constexpr std::size_t kLengthOffset = 4;
inline constexpr std::size_t kAddressLowOffset = 5;
inline constexpr std::size_t kAddressHighOffset = 6;
inline constexpr std::size_t kStatusOffset = 7;
inline constexpr std::size_t kDataOffset = 8;
inline constexpr std::size_t kMaxData = kSize - kDataOffset;  // 56

inline constexpr std::uint8_t kReportId = 0x04;
inline constexpr std::uint8_t kStatusInvalid = 0xFF;
inline constexpr std::uint8_t kStatusRejected = 0xFE;
inline constexpr std::uint8_t kReceiverNoAnswer = 0xAA;  // in the reply's command byte
inline constexpr std::size_t kFirstChecksummedByte = kCommandOffset;
}  // namespace packet

using Packet = std::array<std::uint8_t, packet::kSize>;

enum class CommandCode : std::uint8_t {
    BeginConfig = 0x01,
    EndConfig = 0x02,
    ReadDeviceInfo = 0x03,
    WriteDeviceInfo = 0x04,
    ReadSettings = 0x05,
    WriteSettings = 0x06,
    ReadKeyTable = 0x07,
    WriteKeyTable = 0x09,
    ReadLightTable = 0x0A,
    WriteLightTable = 0x0B,
    StreamLightFrame = 0x12,
    WriteMacroData = 0x15,
    WriteShootData = 0x17,
    SendReadyNotice = 0x19,
    ReadStatus = 0x1A,
    ReadSecondKeyTable = 0x1B,
    EnableSoftwareLighting = 0x1C,
    QueryReceiverLink = 0xAA,
};

// Sum of bytes 3..63 as unsigned values.
std::uint16_t packetChecksum(const Packet& p);

// A request with its header set and data copied (at most kMaxData bytes); the checksum is filled
// in unless withChecksum is false (the ready notice goes without one).
Packet buildRequest(CommandCode code, std::uint8_t length, std::uint16_t address,
                    const std::uint8_t* data = nullptr, std::size_t dataLength = 0,
                    bool withChecksum = true);

// The two-line hex dump used by the diagnostic traces.
std::string formatPacketTrace(const Packet& p);

}  // namespace kestrion
