#pragma once

#include <array>
#include <cstdint>

#include "devices/lighting_preview.h"

namespace kestrion {

// The headset's lighting output reports. Each cup is a ring of 13 LEDs; zone 0x22 is the left
// cup, 0x44 the right. A zone's 39 colour bytes (red, green, blue per LED, LED 0 first) are split
// over six parts: 0xAA, 0xAB, 0xAC carry bytes 0-6, 7-13, 14-20; 0xAD, 0xAE, 0xAF carry bytes
// 21-26, 27-32, 33-38. The page previews 13 LEDs: the left cup's LED j shows preview LED j, the
// right cup's LED j shows preview LED 12 - j, so an effect runs mirrored on the two cups.
namespace headset_report {
inline constexpr std::size_t kSize = 11;
inline constexpr std::size_t kCount = 12;
inline constexpr std::size_t kHeader = 0;
inline constexpr std::size_t kZone = 1;
inline constexpr std::size_t kPart = 2;
inline constexpr std::size_t kColours = 3;
inline constexpr std::uint8_t kHeaderByte = 0xFF;
inline constexpr std::uint8_t kLeftZone = 0x22;
inline constexpr std::uint8_t kRightZone = 0x44;
inline constexpr std::uint8_t kFirstPart = 0xAA;
inline constexpr std::size_t kLedsPerZone = 13;
inline constexpr std::uint8_t kColourLimit = 247;
}  // namespace headset_report

using HeadsetReport = std::array<std::uint8_t, headset_report::kSize>;
using HeadsetFrame = std::array<HeadsetReport, headset_report::kCount>;

// One channel of a preview colour as the headset takes it: scaled by the brightness, at most 247.
std::uint8_t headsetColourByte(std::uint8_t channel, std::uint8_t brightness);

// The twelve reports of one frame, in the order the headset takes them.
HeadsetFrame headsetFrame(const LightFrame& frame);

}  // namespace kestrion
