#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "devices/light_modes.h"
#include "devices/setting_info.h"
#include "profiles/profile_records.h"

namespace kestrion {

// The lighting of a device with lights of its own, by name: the mode (its place in the device's
// mode list), the colour as 0xRRGGBB, the brightness, the speed and the multi-colour switch.
enum class LightField { Mode, Colour, Brightness, Speed, MultiColour };

struct LightSetting {
    std::string_view name;
    std::string_view unit;
    LightField field;
    int lowest;
    int highest;
};

inline constexpr LightSetting kLightSettings[] = {
    {"light-mode", "", LightField::Mode, 0, 255},
    {"light-colour", "#RRGGBB", LightField::Colour, 0, 0xFFFFFF},
    {"light-brightness", "", LightField::Brightness, 0, 4},
    {"light-speed", "", LightField::Speed, 0, 4},
    {"light-multicolour", "", LightField::MultiColour, 0, 1},
};

const LightSetting* findLightSetting(std::string_view name);
// The setting's value in a lighting record.
int lightSettingValue(const LightSetting& setting, const LightInfo& light);
// The record with the setting at that value; none for a value it does not take (a mode the
// device's list hides or lacks).
std::optional<LightInfo> withLightSetting(const LightSetting& setting, LightInfo light, int value,
                                          const std::vector<LightModeEntry>& modes);
// The setting as a script lists it, its modes among the device's shown ones.
SettingInfo lightSettingInfo(const LightSetting& setting, const std::vector<LightModeEntry>& modes);

}  // namespace kestrion
