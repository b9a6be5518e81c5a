#include "devices/mouse_setting_table.h"

#include <algorithm>

namespace kestrion {
namespace {

bool offered(const MouseSetting& setting, int value)
{
    if (setting.choices.empty())
        return value >= setting.lowest && value <= setting.highest;
    return std::find(setting.choices.begin(), setting.choices.end(), value) != setting.choices.end();
}

}  // namespace

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
    if (!offered(setting, value))
        return std::nullopt;
    if (setting.storedAsValue)
        return static_cast<std::uint16_t>(value);
    return static_cast<std::uint16_t>(std::find(setting.choices.begin(), setting.choices.end(), value)
                                      - setting.choices.begin());
}

std::optional<int> settingValue(const MouseSetting& setting, std::uint16_t word)
{
    if (setting.storedAsValue)
        return offered(setting, word) ? std::optional<int>(word) : std::nullopt;
    return word < setting.choices.size() ? std::optional<int>(setting.choices[word]) : std::nullopt;
}

bool pageWordAccepted(const MouseSetting& setting, int word)
{
    if (word < 0 || word > 0xFFFF)
        return false;
    if (setting.storedAsValue)
        return offered(setting, word);
    return word < static_cast<int>(setting.choices.size()) + setting.pageOnlyWords;
}

}  // namespace kestrion
