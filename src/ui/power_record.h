#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kestrion::ui {

// What a battery display shows for one six-byte power record: byte 0 battery percent, byte 1
// power state (0 external power, 1 charging, 2 on battery), byte 3 1 through the receiver,
// byte 5 the phone on a charging mouse pad. Bytes past the end of a short record read as 0.
struct PowerView {
    struct Phone {
        std::string toolTipId;
        std::string image;
    };

    int percent = 0;                         // limited to 100
    int usedPart = 100;                      // the bar shows the used part: 100 - percent
    std::string valueText;                   // "35%"
    bool onBattery = false;                  // neither charging nor externally powered
    std::optional<bool> wirelessSymbol;      // mice only
    std::optional<std::string> statusImage;  // unset: an unknown state keeps the old picture
    std::optional<Phone> phone;              // mouse pads only
};

PowerView decodePowerRecord(std::span<const std::uint8_t> record, int kind);

}  // namespace kestrion::ui
