// The mouse's settings by name: the values a user reads against the profile's words.
#include <gtest/gtest.h>

#include <tuple>

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
        {"ble-sleep", 5, 5},       {"logo-light", 4, 4},     {"logo-light", 5, std::nullopt},
        {"double-click", 450, 450}, {"double-click", 950, std::nullopt}, {"pointer-speed", 0, std::nullopt},
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

// The page stores positions (and values for the sleeps and sliders): the report rate's fifth
// position is the page's own, nothing past it is taken.
TEST(MouseSettingTable, ThePageStoresItsPositionsAndNothingElse)
{
    const std::tuple<const char*, int, bool> cases[] = {
        {"report-rate", 4, true}, {"report-rate", 5, false}, {"debounce", 8, true}, {"debounce", 9, false},
        {"sleep", 5, true},       {"sleep", 4, false},       {"scroll-page", 1, true}, {"lift-off", -1, false},
    };
    for (const auto& [name, word, accepted] : cases)
        EXPECT_EQ(pageWordAccepted(*findMouseSetting(name), word), accepted) << name << " " << word;
}

}  // namespace
}  // namespace kestrion
