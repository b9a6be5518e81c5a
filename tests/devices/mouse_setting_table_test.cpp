// The mouse's settings by name: the values a user reads against the profile's words.
#include <gtest/gtest.h>

#include "devices/mouse_setting_table.h"

namespace kestrion {
namespace {

struct Case {
    const char* name;
    int value;
    std::optional<std::uint16_t> word;  // none: refused
};

TEST(MouseSettingTable, ValuesBecomeTheProfilesWordsAndBack)
{
    const Case cases[] = {
        {"report-rate", 125, 0},   {"report-rate", 1000, 3}, {"report-rate", 333, std::nullopt},
        {"report-rate", 2000, std::nullopt},  // the page does not offer it
        {"lift-off", 2, 1},        {"lift-off", 0, std::nullopt},
        {"ripple", 1, 1},          {"linear-calibration", 2, std::nullopt},
        {"debounce", 8, 8},        {"debounce", -1, std::nullopt},
        {"sleep", 10, 10},         {"deep-sleep", 30, 30},   {"sleep", 4, std::nullopt},
    };
    for (const Case& c : cases) {
        const MouseSetting* setting = findMouseSetting(c.name);
        ASSERT_NE(setting, nullptr) << c.name;
        EXPECT_EQ(settingWord(*setting, c.value), c.word) << c.name << " " << c.value;
        if (c.word) {
            EXPECT_EQ(settingValue(*setting, *c.word), c.value) << c.name << " " << c.value;
        }
    }
}

TEST(MouseSettingTable, UnknownNamesAndWordsAreNone)
{
    EXPECT_EQ(findMouseSetting("no-such-setting"), nullptr);
    EXPECT_EQ(settingValue(*findMouseSetting("report-rate"), 4), std::nullopt) << "2000 Hz, which the page hides";
    EXPECT_EQ(settingValue(*findMouseSetting("sleep"), 4), std::nullopt);
    EXPECT_TRUE(findMouseSetting("deep-sleep")->restartsKeepAlive);
    EXPECT_FALSE(findMouseSetting("debounce")->restartsKeepAlive);
}

}  // namespace
}  // namespace kestrion
