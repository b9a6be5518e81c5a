#include "devices/headset_lighting.h"

#include <algorithm>

namespace kestrion {
namespace {

using namespace headset_report;

struct PartSpan {
    std::uint8_t part;
    std::uint8_t first;  // first colour byte of the zone this part carries
    std::uint8_t count;
};

constexpr std::array<PartSpan, 6> kParts = {{
    {0xAA, 0, 7}, {0xAB, 7, 7}, {0xAC, 14, 7}, {0xAD, 21, 6}, {0xAE, 27, 6}, {0xAF, 33, 6},
}};

struct ReportSlot {
    std::uint8_t zone;
    std::uint8_t part;
};

// The headset takes a frame in this order only.
constexpr std::array<ReportSlot, kCount> kOrder = {{
    {kLeftZone, 0xAA}, {kLeftZone, 0xAD}, {kRightZone, 0xAA}, {kRightZone, 0xAD},
    {kLeftZone, 0xAB}, {kLeftZone, 0xAE}, {kRightZone, 0xAB}, {kRightZone, 0xAE},
    {kLeftZone, 0xAC}, {kLeftZone, 0xAF}, {kRightZone, 0xAC}, {kRightZone, 0xAF},
}};

constexpr std::size_t kZoneBytes = kLedsPerZone * 3;
using ZoneBytes = std::array<std::uint8_t, kZoneBytes>;

std::size_t previewLedOf(std::uint8_t zone, std::size_t led)
{
    return zone == kLeftZone ? led : kLedsPerZone - 1 - led;
}

ZoneBytes zoneBytes(const LightFrame& frame, std::uint8_t zone)
{
    ZoneBytes bytes{};
    for (std::size_t led = 0; led < kLedsPerZone; ++led) {
        const KeyColour& colour = frame[previewLedOf(zone, led)];
        bytes[led * 3] = headsetColourByte(colour.red, colour.brightness);
        bytes[led * 3 + 1] = headsetColourByte(colour.green, colour.brightness);
        bytes[led * 3 + 2] = headsetColourByte(colour.blue, colour.brightness);
    }
    return bytes;
}

const PartSpan& spanOf(std::uint8_t part)
{
    return kParts[static_cast<std::size_t>(part - kFirstPart)];
}

HeadsetReport reportOf(const ReportSlot& slot, const ZoneBytes& bytes)
{
    HeadsetReport report{};
    report[kHeader] = kHeaderByte;
    report[kZone] = slot.zone;
    report[kPart] = slot.part;
    const PartSpan& span = spanOf(slot.part);
    std::copy_n(bytes.begin() + span.first, span.count, report.begin() + kColours);
    return report;
}

}  // namespace

std::uint8_t headsetColourByte(std::uint8_t channel, std::uint8_t brightness)
{
    return static_cast<std::uint8_t>(std::min<int>(channel * brightness / 256, kColourLimit));
}

HeadsetFrame headsetFrame(const LightFrame& frame)
{
    const ZoneBytes left = zoneBytes(frame, kLeftZone);
    const ZoneBytes right = zoneBytes(frame, kRightZone);
    HeadsetFrame reports{};
    for (std::size_t i = 0; i < kOrder.size(); ++i)
        reports[i] = reportOf(kOrder[i], kOrder[i].zone == kLeftZone ? left : right);
    return reports;
}

}  // namespace kestrion
