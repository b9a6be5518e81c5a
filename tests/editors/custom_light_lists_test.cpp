#include <gtest/gtest.h>

#include <filesystem>

#include "editors/custom_light_lists.h"
#include "profiles/basic_profile_data.h"
#include "profiles/json_file.h"
#include "support/temp_dir.h"

namespace kestrion::test {
namespace {

constexpr int kRow = 1;

LedEffect frame(std::uint8_t mode, std::uint8_t red, std::int32_t time)
{
    LedEffect effect{};
    effect.mode = mode;
    effect.brightness = 4;
    effect.red = red;
    effect.time = time;
    return effect;
}

std::size_t lightFileCount(const std::string& folder)
{
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        count += entry.path().extension() == ".light";
    return count;
}

class CustomLightListsTest : public ::testing::Test {
protected:
    std::vector<LedEffect> played(int group)
    {
        CBasicProfiledata record;
        record.SetLightConfigPath(configPath);
        record.SetLightConfigRow(kRow);
        record.LoadLightConfig(configPath);
        LightInfo light{};
        light.mode = 11;
        light.customGroup = static_cast<std::uint8_t>(group);
        record.SetLightInfo(light);
        return record.GetCustomLightEffects();
    }

    TempDir folder;
    std::string configPath = folder.file("brylo_light.config");
};

// Lists made, renamed and removed are what the profile's "CustomGroup" plays from the files.
TEST_F(CustomLightListsTest, EditedListsAreWhatTheProfilePlays)
{
    CustomLightLists lists(configPath, kRow);
    ASSERT_EQ(lists.load(), CustomLightLists::State::Missing);
    ASSERT_TRUE(lists.create("Calm", {frame(1, 10, 500)}));
    ASSERT_TRUE(lists.create("Party", {frame(0, 20, 300), frame(5, 30, 700)}));
    ASSERT_TRUE(lists.rename(1, "Disco"));
    ASSERT_TRUE(lists.setEffects(0, {frame(2, 40, 900)}));

    CustomLightLists reread(configPath, kRow);
    ASSERT_EQ(reread.load(), CustomLightLists::State::Loaded);
    EXPECT_EQ(reread.names(), (std::vector<std::string>{"Calm", "Disco"}));
    const auto party = played(1);
    ASSERT_EQ(party.size(), 2u);
    EXPECT_EQ(party[1].mode, 5);
    EXPECT_EQ(party[1].red, 30);
    EXPECT_EQ(party[1].time, 700);
    ASSERT_EQ(played(0).size(), 1u);
    EXPECT_EQ(played(0)[0].red, 40);

    ASSERT_TRUE(reread.remove(0));
    EXPECT_EQ(reread.names(), (std::vector<std::string>{"Disco"}));
    EXPECT_EQ(played(0).size(), 2u);
    EXPECT_EQ(lightFileCount(folder.path()), 1u);
    EXPECT_FALSE(reread.rename(1, "past the end"));
    EXPECT_FALSE(reread.remove(-1));
}

// Rows of other devices, other members and entries without a usable file keep their places.
TEST_F(CustomLightListsTest, AWriteKeepsWhatItDoesNotEdit)
{
    writeFile(configPath, R"({"Version": 3, "LightInfo": [[{"LightName": "pad", "Guid": "p"}],
                              [{"LightName": "odd", "Guid": "../x"}]]})");
    CustomLightLists lists(configPath, kRow);
    ASSERT_EQ(lists.load(), CustomLightLists::State::Loaded);
    EXPECT_TRUE(lists.effects(0).empty());
    EXPECT_FALSE(lists.setEffects(0, {frame(0, 1, 100)}));
    ASSERT_TRUE(lists.create("new", {frame(0, 1, 100)}));

    const Json::Value written = LoadJsonFile(configPath);
    EXPECT_EQ(written["Version"].asInt(), 3);
    EXPECT_EQ(written["LightInfo"][0][0]["Guid"].asString(), "p");
    EXPECT_EQ(written["LightInfo"][1][0]["Guid"].asString(), "../x");
    EXPECT_EQ(written["LightInfo"][1][1]["LightName"].asString(), "new");
    EXPECT_EQ(played(1).size(), 1u);
}

// A configuration that cannot be read is not written over until the user chooses to start over.
TEST_F(CustomLightListsTest, ADamagedConfigurationIsLeftAloneUntilStartedOver)
{
    const char* damaged[] = {
        "{\"LightInfo\": [[{\"LightName\"",
        "[1, 2]",
        "{\"LightInfo\": 5}",
        "{\"LightInfo\": [[], {\"LightName\": \"x\"}]}",
        "\xff\xfe",
    };
    for (const char* text : damaged) {
        SCOPED_TRACE(text);
        writeFile(configPath, text);
        CustomLightLists lists(configPath, kRow);
        EXPECT_EQ(lists.load(), CustomLightLists::State::Damaged);
        EXPECT_FALSE(lists.create("x", {}));
        EXPECT_EQ(readFile(configPath), text);
        EXPECT_EQ(lightFileCount(folder.path()), 0u);

        lists.startOver();
        ASSERT_TRUE(lists.create("fresh", {frame(0, 9, 100)}));
        EXPECT_EQ(CustomLightLists(configPath, kRow).load(), CustomLightLists::State::Loaded);
        EXPECT_EQ(played(0).size(), 1u);
        std::filesystem::remove(configPath);
        ASSERT_TRUE(lists.remove(0));
    }
}

// A configuration that cannot be replaced leaves no list file behind and no list in memory.
TEST_F(CustomLightListsTest, AFailedWriteChangesNothing)
{
    CustomLightLists lists(configPath, kRow);
    ASSERT_EQ(lists.load(), CustomLightLists::State::Missing);
    std::filesystem::create_directory(configPath);
    EXPECT_FALSE(lists.create("x", {frame(0, 1, 100)}));
    EXPECT_EQ(lists.count(), 0);
    EXPECT_EQ(lightFileCount(folder.path()), 0u);
}

}  // namespace
}  // namespace kestrion::test
