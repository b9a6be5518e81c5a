// The lighting by name: every device with lights takes the same names, its own modes.
#include <gtest/gtest.h>

#include <tuple>

#include "devices/light_settings.h"

namespace kestrion {
namespace {

TEST(LightSettings, ValuesBecomeTheRecordsFieldsAndHiddenModesAreRefused)
{
    const std::vector<LightModeEntry> modes = {{"static", true, 0}, {"hidden", false, 5}, {"wave", true, 2}};
    const LightInfo light{};
    struct Case {
        const char* name;
        int value;
        bool taken;
    };
    const Case cases[] = {
        {"light-mode", 2, true},          {"light-mode", 1, false},        {"light-mode", 3, false},
        {"light-colour", 0x123456, true}, {"light-colour", 0x1000000, false}, {"light-brightness", 4, true},
        {"light-brightness", 5, false},   {"light-speed", -1, false},      {"light-multicolour", 1, true},
    };
    for (const Case& c : cases) {
        const LightSetting* setting = findLightSetting(c.name);
        ASSERT_NE(setting, nullptr) << c.name;
        const std::optional<LightInfo> changed = withLightSetting(*setting, light, c.value, modes);
        EXPECT_EQ(changed.has_value(), c.taken) << c.name << " " << c.value;
        if (changed) {
            EXPECT_EQ(lightSettingValue(*setting, *changed), c.value) << c.name;
        }
    }
    const std::optional<LightInfo> coloured = withLightSetting(*findLightSetting("light-colour"), light, 0x123456, modes);
    EXPECT_EQ(std::tuple(coloured->red, coloured->green, coloured->blue), std::tuple(0x12, 0x34, 0x56));
    EXPECT_EQ(lightSettingInfo(*findLightSetting("light-mode"), modes).choices, (std::vector<int>{0, 2}));
    EXPECT_EQ(findLightSetting("light-volume"), nullptr);
}

}  // namespace
}  // namespace kestrion
