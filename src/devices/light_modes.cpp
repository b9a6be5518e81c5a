#include "devices/light_modes.h"

#include <climits>

#include "platform/json_access.h"
#include "profiles/json_file.h"
#include "profiles/program_folders.h"

namespace kestrion {
namespace {

constexpr const char* kLightFileName = "default_light.json";

}  // namespace

std::vector<LightModeEntry> loadLightModes(int modelValue)
{
    const Json::Value document = LoadJsonFile(programDataDir() + "/" + kLightFileName);
    const Json::Value& lists = memberOf(document, "DefaultLightName");
    if (!lists.isArray() || modelValue < 0 || modelValue >= static_cast<int>(lists.size()))
        return {};
    std::vector<LightModeEntry> modes;
    for (const Json::Value& mode : lists[modelValue]) {
        LightModeEntry entry;
        entry.name = QString::fromStdString(textOf(memberOf(mode, "LightName")));
        entry.visible = truthOf(memberOf(mode, "visible"));
        entry.code = static_cast<int>(integerWithin(memberOf(mode, "value"), INT_MIN, INT_MAX).value_or(0));
        modes.push_back(entry);
    }
    return modes;
}

std::vector<int> modeCodesOf(const std::vector<LightModeEntry>& modes)
{
    std::vector<int> codes;
    for (const LightModeEntry& mode : modes)
        codes.push_back(mode.code);
    return codes;
}

}  // namespace kestrion
