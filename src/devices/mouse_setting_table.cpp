#include "devices/mouse_setting_table.h"

#include <algorithm>

namespace kestrion {

const MouseSetting* findMouseSetting(std::string_view name)
{
    for (const MouseSetting& setting : kMouseSettings) {
        if (setting.name == name)
            return &setting;
    }
    return nullptr;
}

std::optional<std::uint16_t> settingWord(const MouseSetting& setting, int value)
{
    const auto found = std::find(setting.choices.begin(), setting.choices.end(), value);
    if (found == setting.choices.end())
        return std::nullopt;
    return static_cast<std::uint16_t>(setting.storedAsValue ? value : found - setting.choices.begin());
}

std::optional<int> settingValue(const MouseSetting& setting, std::uint16_t word)
{
    if (setting.storedAsValue) {
        const bool offered = std::find(setting.choices.begin(), setting.choices.end(), word) != setting.choices.end();
        return offered ? std::optional<int>(word) : std::nullopt;
    }
    return word < setting.choices.size() ? std::optional<int>(setting.choices[word]) : std::nullopt;
}

}  // namespace kestrion
