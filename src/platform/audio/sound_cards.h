#pragma once

#include "platform/audio/audio_effects.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrion::audio {

struct UsbId {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;

    friend bool operator==(const UsbId&, const UsbId&) = default;
};

// A sound card as the mixer opens it: its control device name ("hw:CARD=Headset", or "hw:2" for a
// card without a usable id) and, for a USB card, the vendor and product it reports.
struct SoundCard {
    std::string ctlName;
    std::optional<UsbId> usb;

    friend bool operator==(const SoundCard&, const SoundCard&) = default;
};

inline constexpr UsbId kHeadsetUsbId {0x0C76, 0x1630};

// "0c76:1630" as the kernel writes it in a card's usbid file; none for anything else.
std::optional<UsbId> parseUsbId(std::string_view text);

// The cards under a /proc/asound folder ("card0", "card1", ...), in card number order.
std::vector<SoundCard> listSoundCards(const std::filesystem::path& procAsound = "/proc/asound");

EndpointType endpointTypeOf(const SoundCard& card);

}  // namespace kestrion::audio
