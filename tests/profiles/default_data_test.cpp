#include "profiles/hs6533_profile_data.h"
#include "profiles/json_file.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/program_folders.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace kestrion {
namespace {

using test::TempDir;
using test::readFile;

const std::string kDefaultData = KESTRION_SOURCE_ROOT "/DefaultData";

Json::Value loadDefault(const std::string& name)
{
    const std::string path = kDefaultData + "/" + name;
    const Json::Value document = LoadJsonFile(path);
    EXPECT_TRUE(document.isObject()) << name;
    EXPECT_EQ(readFile(path), styledJsonText(document)) << name << " is not in the styled on-disk form";
    return document;
}

TEST(DefaultData, EveryDeviceKindHasADefaultProfileDocument)
{
    setProgramDataDir(kDefaultData);
    for (int kind : {1, 2, 3, 6, 7, 9}) {
        SCOPED_TRACE(kind);
        const std::string path = defaultDocumentPath(kind);
        EXPECT_TRUE(deviceEntryOf(loadDefault(path.substr(kDefaultData.size() + 1)), 0).isObject());
    }
}

TEST(DefaultData, MouseDefaultsCarryTheFactoryKeysStagesAndSettings)
{
    constexpr std::uint32_t kFactoryKeys[] = {0x100100, 0x100200, 0x100400, 0x101000, 0x100800, 0x130100,
                                               0x130200, 0x130300, 0xA01B00, 0x169001, 0x147802};
    loadDefault("mouse.Json");
    TempDir dir;
    CMouseProfiledata mouse;
    mouse.SetDefaultPath(kDefaultData + "/mouse.Json");
    mouse.LoadProfile(dir.file("p.Json"));

    const auto keys = mouse.GetKeyList();
    ASSERT_EQ(keys.size(), std::size(kFactoryKeys));
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keyCodeOf(keys[i].current), kFactoryKeys[i]) << i;
        EXPECT_EQ(keyCodeOf(keys[i].defaults), kFactoryKeys[i]) << i;
    }
    const auto stages = mouse.GetDpiStages();
    ASSERT_EQ(stages.size(), 7u);
    for (std::size_t i = 0; i < stages.size(); ++i) {
        EXPECT_EQ(stages[i].active, 1);
        EXPECT_GT(stages[i].red + stages[i].green + stages[i].blue, 0) << "stage " << i << " has a colour";
        if (i > 0) {
            EXPECT_GT(stages[i].dpiX(), stages[i - 1].dpiX());
        }
    }
    EXPECT_LT(mouse.GetCurrentStage(), 7);
    const MouseSystemStages system = mouse.GetSystemStages();
    EXPECT_LE(system.reportRate, 3);
    EXPECT_GT(std::min(system.deviceSleep1, system.deviceSleep2), 0);
    EXPECT_GT(system.doubleClickTime, 0);
    EXPECT_GT(mouse.GetLightInfo().brightness, 0);
}

TEST(DefaultData, HeadsetDefaultsHoldAnEqualiserTablePerType)
{
    TempDir dir;
    CHs6533Profiledata headset;
    headset.SetDefaultPath(kDefaultData + "/HD.Json");
    headset.LoadProfile(dir.file("p.Json"));
    const Json::Value before = headset.CurrentEntry();
    for (int type = 1; type <= 12; ++type)
        EXPECT_EQ(headset.GetEqValues(type).size(), kEqBands);
    EXPECT_EQ(headset.CurrentEntry(), before) << "every table is present, nothing was filled in";
    EXPECT_NE(headset.GetEqValues(2), headset.GetEqValues(1));
    EXPECT_EQ(headset.GetSystemSetStages().micInSelect, 1) << "the first read sends it: the microphone stays on";
}

TEST(DefaultData, LightModeListNamesModesPerModel)
{
    const Json::Value lights = loadDefault("default_light.json");
    // Indexed by the model value: 0 keyboard, 1 mouse, 2 mouse pad, 3 headset.
    ASSERT_EQ(lights["DefaultLightName"].size(), 4u);
    ASSERT_EQ(lights["AreaLightName"].size(), 4u);
    EXPECT_EQ(lights["DefaultLightName"][1].size(), 11u) << "one entry per mouse preview mode";
    for (const Json::Value& model : lights["DefaultLightName"]) {
        ASSERT_GT(model.size(), 0u);
        for (const Json::Value& mode : model) {
            EXPECT_TRUE(mode["LightName"].isString());
            EXPECT_TRUE(mode["visible"].isBool());
            EXPECT_TRUE(mode["value"].isIntegral());
        }
    }
    for (const Json::Value& model : lights["AreaLightName"]) {
        ASSERT_GT(model.size(), 0u);
        EXPECT_TRUE(model[0]["LightName"].isString());
    }
}

TEST(DefaultData, LanguageListHasEnglishAsId520AndSimplifiedChinese)
{
    const Json::Value languages = loadDefault("Language.config")["Language"];
    ASSERT_GE(languages.size(), 2u);
    bool has520 = false;
    for (const Json::Value& language : languages) {
        for (const char* key : {"Language_name", "Language_file", "Language_text"})
            EXPECT_FALSE(language[key].asString().empty()) << key;
        has520 = has520 || language["Language_ID"].asInt() == 520;
    }
    EXPECT_TRUE(has520);
    EXPECT_EQ(languages[1]["Language_text"], "简体中文");
}

TEST(DefaultData, AudioStylesAndColourOptionsHaveEveryMember)
{
    const Json::Value styles = loadDefault("AudioFile.json")["Device"]["AudioLightInfo"];
    EXPECT_TRUE(styles["nAudioStyle"].isIntegral());
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(styles["nStyleName" + std::to_string(i + 1)].isString());
        for (const char* channel : {"R", "G", "B"}) {
            const Json::Value& level = styles[std::string("nStyle") + channel + std::to_string(i)];
            ASSERT_TRUE(level.isIntegral());
            EXPECT_LE(level.asInt(), 9);
        }
    }

    const Json::Value options = loadDefault("color_option_info.config")["coloroptioninfo"];
    ASSERT_EQ(options["palletDialogcoloroption"].size(), 20u);
    ASSERT_EQ(options["palletDialogcollectcoloroption"].size(), 20u);
    EXPECT_TRUE(options["palletDialogcoloroption_selectitem"].isIntegral());
    EXPECT_TRUE(options["palletDialogcollectcoloroption_selectitem"].isIntegral());
    EXPECT_EQ(options["palletDialogcoloroption"][0]["color"], std::to_string(static_cast<std::int32_t>(0xFFFF0000)));
    for (const Json::Value& slot : options["palletDialogcollectcoloroption"]) {
        EXPECT_EQ(slot["color"].asString().size(), 8u);
        EXPECT_TRUE(slot["UserData"].isString());
    }
}

TEST(DefaultData, ShootPatternsHoldThirtyBulletsOfSixEvents)
{
    for (int gun = 0; gun < 4; ++gun) {
        SCOPED_TRACE(gun);
        const Json::Value events = loadDefault("ShootData_" + std::to_string(gun) + ".Shoot")["Events"];
        ASSERT_EQ(events.size(), 180u);
        for (Json::ArrayIndex b = 0; b < 30; ++b) {
            const auto e = [&](Json::ArrayIndex i) -> const Json::Value& { return events[6 * b + i]; };
            EXPECT_EQ(e(0)["Action"], "down");
            EXPECT_EQ(e(1)["Action"], "up");
            for (Json::ArrayIndex i : {0u, 1u}) {
                EXPECT_EQ(e(i)["Button"].asInt(), 1);
                EXPECT_EQ(e(i)["Type"].asInt(), 1);
            }
            EXPECT_EQ(e(0)["Delay"].asInt(), 10);
            EXPECT_EQ(e(2)["Delay"].asInt(), 5);
            EXPECT_GT(e(3)["Delay"].asInt(), 0);
            EXPECT_EQ(e(2)["Type"].asInt(), 4);
            EXPECT_EQ(e(3)["Type"].asInt(), 5);
            EXPECT_EQ(e(4)["Action"], e(2)["Action"]);
            EXPECT_EQ(e(5)["Action"], e(3)["Action"]);
            EXPECT_EQ(e(4)["Button"].asInt() + e(5)["Button"].asInt() + e(4)["Delay"].asInt(), 0);
            for (Json::ArrayIndex i = 0; i < 6; ++i)
                EXPECT_TRUE(e(i)["Delay"].isIntegral());
        }
    }
}

}  // namespace
}  // namespace kestrion
