#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace devsim {

// The 64-byte command report, the same layout in both directions.
namespace packet {
constexpr std::size_t kSize = 64;
constexpr std::size_t kReportId = 0;
constexpr std::size_t kChecksumLow = 1;
constexpr std::size_t kChecksumHigh = 2;
constexpr std::size_t kCode = 3;
constexpr std::size_t kLength = 4;
constexpr std::size_t kOffsetLow = 5;
constexpr std::size_t kOffsetHigh = 6;
constexpr std::size_t kStatus = 7;
constexpr std::size_t kData = 8;
constexpr std::size_t kMaxData = kSize - kData;
// The byte after the header that answers the receiver's link query.
constexpr std::size_t kLinkAnswer = kData;

constexpr std::uint8_t kCommandReportId = 0x04;
constexpr std::uint8_t kStatusOk = 0x00;
constexpr std::uint8_t kStatusBadChecksum = 0xFF;
constexpr std::uint8_t kStatusRejected = 0xFE;
// Byte 3 of a receiver's answer when the mouse behind it does not answer.
constexpr std::uint8_t kUnreachable = 0xAA;
constexpr std::uint8_t kLinked = 0xFF;
}  // namespace packet

// A request as the device reads it.
struct CommandRequest {
    std::uint8_t code = 0;
    std::uint8_t length = 0;
    std::uint16_t offset = 0;
    bool checksumValid = false;
    std::vector<std::uint8_t> data;  // the data bytes the request carries (length of them, at most 56)
};

// Sum of bytes 3 to 63.
std::uint16_t packetChecksum(const std::vector<std::uint8_t>& packet);
// False when the report is not a command report (wrong report id, or empty).
bool decodeRequest(const std::vector<std::uint8_t>& report, CommandRequest& request);
// A reply echoing the request's header with the given status and data, checksum set.
std::vector<std::uint8_t> encodeReply(const CommandRequest& request, std::uint8_t status,
                                      const std::vector<std::uint8_t>& data = {});

}  // namespace devsim
