#include "devices/light_settings.h"

namespace kestrion {

const LightSetting* findLightSetting(std::string_view name)
{
    for (const LightSetting& setting : kLightSettings) {
        if (setting.name == name)
            return &setting;
    }
    return nullptr;
}

int lightSettingValue(const LightSetting& setting, const LightInfo& light)
{
    switch (setting.field) {
    case LightField::Mode:
        return light.mode;
    case LightField::Colour:
        return light.red << 16 | light.green << 8 | light.blue;
    case LightField::Brightness:
        return light.brightness;
    case LightField::Speed:
        return light.speed;
    case LightField::MultiColour:
        return light.multiColor;
    }
    return 0;
}

std::optional<LightInfo> withLightSetting(const LightSetting& setting, LightInfo light, int value,
                                          const std::vector<LightModeEntry>& modes)
{
    if (value < setting.lowest || value > setting.highest)
        return std::nullopt;
    const auto byte = static_cast<std::uint8_t>(value);
    switch (setting.field) {
    case LightField::Mode:
        if (value >= static_cast<int>(modes.size()) || !modes[static_cast<std::size_t>(value)].visible)
            return std::nullopt;
        light.mode = byte;
        break;
    case LightField::Colour:
        light.red = static_cast<std::uint8_t>(value >> 16);
        light.green = static_cast<std::uint8_t>(value >> 8);
        light.blue = byte;
        break;
    case LightField::Brightness:
        light.brightness = byte;
        break;
    case LightField::Speed:
        light.speed = byte;
        break;
    case LightField::MultiColour:
        light.multiColor = byte;
        break;
    }
    return light;
}

SettingInfo lightSettingInfo(const LightSetting& setting, const std::vector<LightModeEntry>& modes)
{
    SettingInfo info{setting.name, setting.unit, setting.lowest, setting.highest, {}};
    if (setting.field == LightField::Mode) {
        for (std::size_t i = 0; i < modes.size(); ++i) {
            if (modes[i].visible)
                info.choices.push_back(static_cast<int>(i));
        }
    }
    return info;
}

}  // namespace kestrion
