#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "device_link/command_channel.h"
#include "profiles/profile_records.h"

namespace kestrion {

// The mouse pad's lighting page: 21 bytes, each profile's page read at profile x 25 (45 bytes)
// and written at page x 64.
namespace pad_page {
inline constexpr std::size_t kSize = 21;
inline constexpr std::size_t kReadLength = 45;
inline constexpr std::uint16_t kReadStride = 25;
inline constexpr std::uint16_t kWriteStride = 64;
inline constexpr std::size_t kProfile = 0;
inline constexpr std::size_t kMode = 1;
inline constexpr std::size_t kBrightness = 2;
inline constexpr std::size_t kSpeed = 3;  // stored as kTopSpeed - speed
inline constexpr std::size_t kMultiColour = 5;
inline constexpr std::size_t kRed = 6;
inline constexpr std::size_t kGreen = 7;
inline constexpr std::size_t kBlue = 8;
inline constexpr std::uint8_t kTopSpeed = 4;
inline constexpr std::size_t kPowerLength = 6;
inline constexpr std::size_t kInfoLength = 34;
}  // namespace pad_page

// The page as the tool keeps it: mode as its position in the mode list, speed as the profile's
// "Speed"; every byte the tool does not edit as the pad gave it.
using PadPage = std::array<std::uint8_t, pad_page::kSize>;

std::uint16_t padReadOffset(int profile);
std::uint16_t padWriteOffset(int page);

// The first 21 of the bytes read for `profile`, turned into the kept form.
PadPage padPageFromDevice(const std::uint8_t* read, std::uint8_t profile, const std::vector<int>& modeCodes);
// The kept form as the pad takes it.
PadPage padPageToDevice(const PadPage& page, const std::vector<int>& modeCodes);
// The profile's lighting into the kept form, and back.
PadPage padPageWithLight(PadPage page, const LightInfo& light);
LightInfo padLightOf(const PadPage& page, LightInfo base);

// The pad's command traffic, used on its device's worker thread. Every operation answers
// kCommandNotOpen while the channel is closed.
class PadSettingsLink {
public:
    explicit PadSettingsLink(CommandChannel& channel) : m_channel(channel) {}

    int readDeviceInfo(std::array<std::uint8_t, pad_page::kInfoLength>& info);
    // The active profile and its page.
    int readPage(const std::vector<int>& modeCodes, PadPage& page);
    int writePage(const PadPage& deviceBytes, int page);
    int readPower(std::array<std::uint8_t, pad_page::kPowerLength>& power);

private:
    CommandChannel& m_channel;
};

}  // namespace kestrion
