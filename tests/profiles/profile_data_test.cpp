#include "profiles/hs6533_profile_data.h"
#include "profiles/json_file.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/mouse_profile_data.h"
#include "support/temp_dir.h"

#include <cstring>
#include <gtest/gtest.h>

namespace kestrion {
namespace {

using test::TempDir;
using test::readFile;
using test::writeFile;

constexpr const char* kDefaultDocument = R"({ "Device" : [ {
    "LightInfo" : { "SelectItem" : 3, "Light" : 4, "Speed" : 2, "Fx" : 1, "MultiColor" : 1,
                    "Red" : 255, "Green" : 16, "Blue" : 0, "ZZCCLedMode" : 0, "CustomGroup" : 0, "OldLedmode" : 0 },
    "KeyList" : [ { "Assignment" : 1048832, "DefaultAssignment" : 1048832 },
                  { "Assignment" : 1049088, "DefaultAssignment" : 1049088 } ],
    "DPIStages" : { "StageActive" : 1, "StageDPIs" : [
        { "StageActive" : 1, "StageXY" : 0, "StageDPIX" : 15, "StageDPIY" : 15, "StageColorR" : 255, "StageColorG" : 0, "StageColorB" : 0 },
        { "StageActive" : 1, "StageXY" : 0, "StageDPIX" : 31, "StageDPIY" : 31, "StageColorR" : 0, "StageColorG" : 255, "StageColorB" : 0 } ] }
} ] })";

class ProfileDataTest : public ::testing::Test {
protected:
    ProfileDataTest()
    {
        writeFile(dir.file("mouse.Json"), kDefaultDocument);
        mouse.SetDefaultPath(dir.file("mouse.Json"));
    }

    Json::Value loadDocument(const std::string& name) { return LoadJsonFile(dir.file(name)); }

    TempDir dir;
    CMouseProfiledata mouse;
};

TEST_F(ProfileDataTest, MissingOrDamagedProfilesAreRepairedFromTheDefaultDocument)
{
    const Json::Value defaults = deviceEntryOf(LoadJsonFile(dir.file("mouse.Json")), 0);
    struct Case {
        const char* name;
        const char* content;  // nullptr: no file
    } cases[] = {
        {"missing", nullptr},
        {"empty", ""},
        {"not json", "<xml/>"},
        {"top level array", "[1, 2]"},
        {"device entry of the wrong type", R"({ "Device" : [ 5 ], "profilename" : "P" })"},
        {"device not an array", R"({ "Device" : { "LightInfo" : {} }, "profilename" : "P" })"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(std::string(c.name) + ".Json");
        if (c.content)
            writeFile(path, c.content);
        EXPECT_EQ(mouse.LoadProfile(path), defaults);
        const Json::Value written = LoadJsonFile(path);
        EXPECT_EQ(deviceEntryOf(written, 0), defaults);
        EXPECT_EQ(readFile(path), styledJsonText(written));
    }
    // What the damaged file held besides the entry survives the repair.
    EXPECT_EQ(loadDocument("device entry of the wrong type.Json")["profilename"], "P");
    EXPECT_EQ(loadDocument("device not an array.Json")["profilename"], "P");
}

TEST_F(ProfileDataTest, WithoutADefaultDocumentTheEntryStaysNullAndGettersGiveZeros)
{
    CMouseProfiledata bare;
    bare.SetDefaultPath(dir.file("absent.Json"));
    EXPECT_TRUE(bare.LoadProfile(dir.file("p.Json")).isNull());
    EXPECT_EQ(loadDocument("p.Json")["Device"][0], Json::Value());
    const LightInfo light = bare.GetLightInfo();
    EXPECT_EQ(light.mode + light.red + light.brightness, 0);
    EXPECT_TRUE(bare.GetKeyList().empty());
    EXPECT_TRUE(bare.GetDpiStages().empty());
    EXPECT_EQ(bare.GetSystemStages().logoLedMode, 0);
}

TEST_F(ProfileDataTest, SettersReachTheDiskOnlyThroughSaveAndKeepOtherMembers)
{
    const std::string path = dir.file("p.Json");
    writeFile(path, R"({ "profilename" : "Mine", "profileUUID" : "u1",
                         "Device" : [ { "LightInfo" : { "Red" : 1 } }, { "Other" : 7 } ] })");
    mouse.SetProfilePath(path);
    mouse.LoadProfile(path);
    LightInfo light = mouse.GetLightInfo();
    light.red = 200;
    light.multiColor = 5;
    mouse.SetLightInfo(light);
    EXPECT_EQ(loadDocument("p.Json")["Device"][0]["LightInfo"]["Red"].asInt(), 1);

    ASSERT_TRUE(mouse.SaveProfile());
    const Json::Value saved = loadDocument("p.Json");
    EXPECT_EQ(saved["profilename"], "Mine");
    EXPECT_EQ(saved["Device"][1]["Other"].asInt(), 7);
    EXPECT_EQ(saved["Device"][0]["LightInfo"]["Red"].asInt(), 200);
    EXPECT_EQ(saved["Device"][0]["LightInfo"]["MultiColor"].asInt(), 1);
    EXPECT_EQ(saved["Device"][0]["LightInfo"]["OldLedmode"].asInt(), 0);
}

TEST_F(ProfileDataTest, ReadingAPresentSectionAddsItsMissingMembersAsNull)
{
    const std::string path = dir.file("p.Json");
    writeFile(path, R"({ "Device" : [ { "LightInfo" : { "Red" : 9 }, "AudioLightInfo" : { "ColorTypeFlags" : 0 } } ] })");
    mouse.SetProfilePath(path);
    mouse.LoadProfile(path);
    EXPECT_EQ(mouse.GetLightInfo().red, 9);
    EXPECT_EQ(mouse.GetAudioLightInfo().colorType, 1);
    mouse.SaveProfile();
    const Json::Value entry = loadDocument("p.Json")["Device"][0];
    EXPECT_TRUE(entry["LightInfo"].isMember("Speed"));
    EXPECT_TRUE(entry["LightInfo"]["Speed"].isNull());
    EXPECT_FALSE(entry.isMember("DPIStages"));
}

TEST_F(ProfileDataTest, ValuesOfTheWrongTypeReadAsZeroAndSettersReshapeThem)
{
    const std::string path = dir.file("p.Json");
    writeFile(path, R"({ "Device" : [ {
        "LightInfo" : { "Red" : "255", "Green" : [1], "Blue" : { "x" : 1 }, "Light" : 1e300, "Speed" : -1,
                        "MultiColor" : "yes", "Fx" : 2.9, "SelectItem" : true },
        "AudioLightInfo" : "loud",
        "KeyList" : [ "key", { "Assignment" : "1" }, null ],
        "DPIStages" : { "StageActive" : "2", "StageDPIs" : { "0" : 1 } },
        "SystemStages" : [ 1, 2 ], "ReportStages" : { "ble_sleep1" : 3 },
        "LightList" : [ null, 7 ]
    } ] })");
    mouse.SetProfilePath(path);
    mouse.LoadProfile(path);
    const LightInfo light = mouse.GetLightInfo();
    EXPECT_EQ(light.red, 0);
    EXPECT_EQ(light.green, 0);
    EXPECT_EQ(light.blue, 0);
    EXPECT_EQ(light.brightness, 0);
    EXPECT_EQ(light.speed, 255);
    EXPECT_EQ(light.multiColor, 0);
    EXPECT_EQ(light.direction, 2);
    EXPECT_EQ(light.mode, 1);
    EXPECT_EQ(mouse.GetAudioLightInfo().colorType, 0);
    const auto keys = mouse.GetKeyList();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keyCodeOf(keys[1].current), 0u);
    EXPECT_EQ(keys[2].current.keyIndex(), 2);
    EXPECT_TRUE(mouse.GetDpiStages().empty());
    EXPECT_EQ(mouse.GetCurrentStage(), 0);
    EXPECT_EQ(mouse.GetSystemStages().bleSleep1, 0);
    const auto lights = mouse.GetLightList();
    ASSERT_EQ(lights.size(), 2u);
    EXPECT_EQ(lights[0].present, 0);
    EXPECT_EQ(lights[1].present, 1);

    mouse.SetAudioLightInfo(AudioLightInfo {1, 2, 3, 4, 5, 6, 7, 1, 0});
    mouse.SetSystemStages(MouseSystemStages {});
    mouse.SetDpiStages({DpiStage {1, 0, {10, 0}, {10, 0}, 1, 2, 3}});
    ASSERT_TRUE(mouse.SaveProfile());
    mouse.LoadProfile(path);
    EXPECT_EQ(mouse.GetAudioLightInfo().foreBlue, 7);
    EXPECT_EQ(mouse.GetDpiStages()[0].blue, 3);
}

TEST_F(ProfileDataTest, DpiStageCacheNeverShrinks)
{
    auto stagesDocument = [](int count) {
        Json::Value doc;
        for (int i = 0; i < count; ++i) {
            Json::Value& stage = doc["Device"][0]["DPIStages"]["StageDPIs"][i];
            stage["StageDPIX"] = 100 * count + i;
            stage["StageActive"] = 1;
        }
        doc["Device"][0]["DPIStages"]["StageActive"] = count - 1;
        return doc;
    };
    SaveJsonFile(stagesDocument(5), dir.file("five.Json"));
    SaveJsonFile(stagesDocument(3), dir.file("three.Json"));
    mouse.LoadProfile(dir.file("five.Json"));
    ASSERT_EQ(mouse.GetDpiStages().size(), 5u);
    mouse.LoadProfile(dir.file("three.Json"));
    const auto stages = mouse.GetDpiStages();
    ASSERT_EQ(stages.size(), 5u);
    EXPECT_EQ(stages[2].dpiX(), 302);
    EXPECT_EQ(stages[3].dpiX(), 503);
    EXPECT_EQ(stages[4].dpiX(), 504);
    EXPECT_EQ(mouse.GetCurrentStage(), 2);
}

TEST_F(ProfileDataTest, SetKeyListExtendsTheListWithAssignmentsOnly)
{
    const std::string path = dir.file("p.Json");
    mouse.SetProfilePath(path);
    mouse.LoadProfile(path);
    auto keys = mouse.GetKeyList();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[1].defaults.type, 0x10);
    EXPECT_EQ(keys[1].defaults.param1, 0x02);
    keys[0].current = keyRecordOf(0, 0x700102);
    keys.push_back(KeyEntry {keyRecordOf(2, 0x130300), keyRecordOf(2, 0x100400)});
    mouse.SetKeyList(keys);
    mouse.SaveProfile();
    const Json::Value list = loadDocument("p.Json")["Device"][0]["KeyList"];
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]["Assignment"].asInt(), 0x700102);
    EXPECT_EQ(list[0]["DefaultAssignment"].asInt(), 0x100100);
    EXPECT_EQ(list[2]["Assignment"].asInt(), 0x130300);
    EXPECT_FALSE(list[2].isMember("DefaultAssignment"));
}

TEST_F(ProfileDataTest, OtherEntryIsEditedWithoutDisturbingTheCurrentOne)
{
    mouse.LoadProfile(dir.file("current.Json"));
    mouse.LoadOtherProfile(dir.file("other.Json"));
    auto keys = mouse.GetOtherKeyList();
    keys[1].current = keyRecordOf(1, 0);
    mouse.SetOtherKeyList(keys);
    ASSERT_TRUE(mouse.SaveOtherProfile(dir.file("other.Json")));
    EXPECT_EQ(loadDocument("other.Json")["Device"][0]["KeyList"][1]["Assignment"].asInt(), 0);
    EXPECT_EQ(keyCodeOf(mouse.GetKeyList()[1].current), 0x100200u);
}

TEST_F(ProfileDataTest, MouseSystemWordsComeFromTwoSections)
{
    const std::string path = dir.file("p.Json");
    writeFile(path, R"({ "Device" : [ { "ReportStages" : { "ble_sleep1" : 3 } } ] })");
    mouse.LoadProfile(path);
    EXPECT_EQ(mouse.GetSystemStages().bleSleep1, 0) << "no SystemStages: all sixteen words are zero";

    MouseSystemStages stages {};
    stages.doubleClickTime = 500;
    stages.reportRate = 3;
    stages.reserved = 99;
    stages.keyDebounceTime = 4;
    stages.logoLedMode = 2;
    mouse.SetProfilePath(path);
    mouse.SetSystemStages(stages);
    mouse.SaveProfile();
    const Json::Value entry = loadDocument("p.Json")["Device"][0];
    EXPECT_EQ(entry["SystemStages"].size(), 6u);
    EXPECT_EQ(entry["ReportStages"].size(), 9u);
    EXPECT_EQ(entry["SystemStages"]["Logoledmode"].asInt(), 2);
    EXPECT_EQ(entry["ReportStages"]["StageActive"].asInt(), 3);

    mouse.LoadProfile(path);
    const MouseSystemStages read = mouse.GetSystemStages();
    EXPECT_EQ(read.reserved, 0);
    stages.reserved = 0;
    EXPECT_EQ(std::memcmp(&read, &stages, sizeof read), 0);
}

TEST(HeadsetProfileData, EqTablesMapTypesAndFillMissingTablesWithZeros)
{
    TempDir dir;
    const std::string path = dir.file("p.Json");
    writeFile(path, R"({ "Device" : [ { "EQHzValueInfo" : [ null, [ {"value" : 5}, {"value" : 6} ] ] } ] })");
    CHs6533Profiledata headset;
    headset.SetProfilePath(path);
    headset.LoadProfile(path);
    const Json::Value before = headset.CurrentEntry();
    EXPECT_TRUE(headset.GetEqValues(13).empty());
    EXPECT_EQ(headset.CurrentEntry(), before);

    for (int type : {0, 1, 14}) {
        const auto bands = headset.GetEqValues(type);
        ASSERT_EQ(bands.size(), kEqBands);
        EXPECT_EQ(bands[0], 5) << type;
        EXPECT_EQ(bands[1], 6) << type;
    }
    EXPECT_EQ(headset.GetEqValues(4), std::vector<int>(kEqBands, 0));
    EXPECT_EQ(headset.CurrentEntry()["EQHzValueInfo"][4].size(), kEqBands);

    headset.SetEqValues(2, EqBands {1, 2, 3, 4, 5, 6, 7, 8, 9, -3});
    headset.SetCustomEqValues(0, EqBands {9});
    headset.SetCustomEqNames({"Bass", "Ünï"});
    headset.SaveProfile();
    headset.LoadProfile(path);
    EXPECT_EQ(headset.GetEqValues(2)[9], -3);
    EXPECT_EQ(headset.GetCustomEqValues(0)[0], 9);
    EXPECT_EQ(headset.GetCustomEqNames(), (std::vector<std::string> {"Bass", "Ünï"}));
}

TEST(HeadsetProfileData, NegativeValuesAreStoredSignedAndOldUnsignedFormsStillRead)
{
    // Each stored form of a gain or an index and what it reads back as; the unsigned 32-bit form
    // is what older documents hold for negative numbers.
    struct Case {
        const char* stored;
        int read;
    } cases[] = {
        {"-3", -3},          {"4294967293", -3}, {"-13", -13}, {"4294967283", -13},
        {"4294967295", -1},  {"7", 7},           {"0", 0},     {"2147483647", 2147483647},
        {"4294967296", 0},   {"-2147483649", 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const std::string path = dir.file("p.Json");
        writeFile(path, std::string(R"({ "Device" : [ { "EQHzValueInfo" : [ null, [ {"value" : )") + c.stored +
                            R"(} ] ], "CustomEQHzValueInfo" : [ [ {"value" : )" + c.stored +
                            R"(} ] ], "SystemSetStages" : { "CustomEqSeletIndex" : )" + c.stored + " } } ] }");
        CHs6533Profiledata headset;
        headset.SetProfilePath(path);
        headset.LoadProfile(path);
        EXPECT_EQ(headset.GetEqValues(1)[0], c.read);
        EXPECT_EQ(headset.GetCustomEqValues(0)[0], c.read);
        EXPECT_EQ(headset.GetSystemSetStages().customEqSelectIndex, c.read);
    }

    for (int value : {-3, -13, -1, 18}) {
        SCOPED_TRACE(value);
        const std::string path = dir.file("w.Json");
        CHs6533Profiledata headset;
        headset.SetProfilePath(path);
        headset.LoadProfile(path);
        headset.SetEqValues(2, EqBands {value});
        headset.SetCustomEqValues(0, EqBands {value});
        HeadsetSystemSetStages stages {};
        stages.customEqSelectIndex = value;
        headset.SetSystemSetStages(stages);
        headset.SaveProfile();
        const Json::Value entry = deviceEntryOf(LoadJsonFile(path), 0);
        EXPECT_EQ(entry["EQHzValueInfo"][2][0]["value"].asLargestInt(), value);
        EXPECT_EQ(entry["CustomEQHzValueInfo"][0][0]["value"].asLargestInt(), value);
        EXPECT_EQ(entry["SystemSetStages"]["CustomEqSeletIndex"].asLargestInt(), value);
    }
}

TEST(KeyboardProfileData, MissingCustomColoursAreWrittenAsZeros)
{
    CKeyboardProfiledata keyboard;
    keyboard.LoadProfile(TempDir().file("none.Json"));
    EXPECT_EQ(keyboard.GetCustomLightColors(0, 3).size(), 3u) << "null entry: zeros, nothing written";

    TempDir dir;
    writeFile(dir.file("p.Json"), R"({ "Device" : [ { "CustomLightMode" : { "LightColorInfo" : [ [ null, { "Red" : 7, "Alpha" : 1 } ] ] } } ] })");
    keyboard.LoadProfile(dir.file("p.Json"));
    const auto colors = keyboard.GetCustomLightColors(0, 3);
    ASSERT_EQ(colors.size(), 3u);
    EXPECT_EQ(colors[1].red, 7);
    EXPECT_EQ(colors[1].alpha, 1);
    const Json::Value& group = keyboard.CurrentEntry()["CustomLightMode"]["LightColorInfo"][0];
    EXPECT_EQ(group[0]["Red"].asInt(), 0);
    EXPECT_EQ(group[2]["Alpha"].asInt(), 0);
    EXPECT_EQ(keyboard.GetCustomLightColors(2, 2).size(), 2u);
    EXPECT_EQ(keyboard.CurrentEntry()["CustomLightMode"]["LightColorInfo"][2].size(), 2u);
    EXPECT_EQ(keyboard.GetCustomLightGroup(), 0);
}

TEST(CustomLightEffects, EffectListsAreFoundBesideTheLightConfiguration)
{
    TempDir dir;
    writeFile(dir.file("brylo_light.config"),
              R"({ "LightInfo" : [ [ { "Guid" : "g0" }, { "Guid" : "../escape" } ] ] })");
    writeFile(dir.file("g0.light"), R"({ "LEDEffectList" : [ { "LEDREGMode" : 2, "red" : 9, "Time" : 1500, "Cyle" : 3 }, "x" ] })");
    CBasicProfiledata record;
    record.SetLightConfigPath(dir.file("brylo_light.config"));
    record.LoadLightConfig(dir.file("brylo_light.config"));
    record.SetLightInfo(LightInfo {});
    const auto effects = record.GetCustomLightEffects();
    ASSERT_EQ(effects.size(), 2u);
    EXPECT_EQ(effects[0].mode, 2);
    EXPECT_EQ(effects[0].red, 9);
    EXPECT_EQ(effects[0].time, 1500);
    EXPECT_EQ(effects[0].cycle, 3);

    // The light's "CustomGroup" chooses the list, whatever its mode; a name leaving the folder
    // and a list past the end give nothing.
    LightInfo second {};
    second.mode = 11;
    second.customGroup = 1;
    record.SetLightInfo(second);
    EXPECT_TRUE(record.GetCustomLightEffects().empty());
    second.customGroup = 9;
    record.SetLightInfo(second);
    EXPECT_TRUE(record.GetCustomLightEffects().empty());
    second.customGroup = 0;
    record.SetLightInfo(second);
    EXPECT_EQ(record.GetCustomLightEffects().size(), 2u);
}

}  // namespace
}  // namespace kestrion
