#include "devsim/command_packet.h"

#include <algorithm>
#include <numeric>

namespace devsim {

std::uint16_t packetChecksum(const std::vector<std::uint8_t>& packet)
{
    const auto end = packet.begin() + static_cast<std::ptrdiff_t>(std::min(packet.size(), packet::kSize));
    const auto begin = packet.begin() + static_cast<std::ptrdiff_t>(std::min(packet.size(), packet::kCode));
    return static_cast<std::uint16_t>(std::accumulate(begin, end, 0u));
}

bool decodeRequest(const std::vector<std::uint8_t>& report, CommandRequest& request)
{
    if (report.empty() || report[packet::kReportId] != packet::kCommandReportId)
        return false;
    // A host may hand over a short report; the missing bytes are zero on the wire.
    std::vector<std::uint8_t> padded(
        report.begin(), report.begin() + static_cast<std::ptrdiff_t>(std::min(report.size(), packet::kSize)));
    padded.resize(packet::kSize, 0);
    request.code = padded[packet::kCode];
    request.length = padded[packet::kLength];
    request.offset = static_cast<std::uint16_t>(padded[packet::kOffsetLow] | padded[packet::kOffsetHigh] << 8);
    const std::uint16_t stored =
        static_cast<std::uint16_t>(padded[packet::kChecksumLow] | padded[packet::kChecksumHigh] << 8);
    request.checksumValid = stored == packetChecksum(padded);
    const std::size_t carried = std::min<std::size_t>(request.length, packet::kMaxData);
    request.data.assign(
        padded.begin() + packet::kData, padded.begin() + packet::kData + static_cast<std::ptrdiff_t>(carried));
    return true;
}

std::vector<std::uint8_t> encodeReply(const CommandRequest& request, std::uint8_t status,
                                      const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> reply(packet::kSize, 0);
    reply[packet::kReportId] = packet::kCommandReportId;
    reply[packet::kCode] = request.code;
    reply[packet::kLength] = request.length;
    reply[packet::kOffsetLow] = static_cast<std::uint8_t>(request.offset & 0xFF);
    reply[packet::kOffsetHigh] = static_cast<std::uint8_t>(request.offset >> 8);
    reply[packet::kStatus] = status;
    std::copy_n(data.begin(), std::min(data.size(), packet::kMaxData), reply.begin() + packet::kData);
    const std::uint16_t sum = packetChecksum(reply);
    reply[packet::kChecksumLow] = static_cast<std::uint8_t>(sum & 0xFF);
    reply[packet::kChecksumHigh] = static_cast<std::uint8_t>(sum >> 8);
    return reply;
}

}  // namespace devsim
