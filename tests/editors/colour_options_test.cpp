#include <gtest/gtest.h>

#include <fstream>

#include "editors/colour_options.h"
#include "profiles/json_file.h"
#include "support/temp_dir.h"

namespace kestrion::test {
namespace {

class ColourOptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ColourOptions factory;
        factory.presetIndex = 7;
        factory.collectedSlots[3] = {0xFF102030, true};
        ASSERT_TRUE(SaveJsonFile(ColourOptionsFile::document(factory), factoryPath));
        factoryText = readjsonFile(factoryPath);
    }

    void write(const std::string& text)
    {
        std::ofstream(ownPath, std::ios::binary) << text;
    }

    TempDir folder;
    std::string ownPath = folder.file("color_option_info.config");
    std::string factoryPath = folder.file("factory.config");
    std::string factoryText;
};

// Whatever stands in the user's file that is no options document, the factory copy is used and
// written whole in its place.
TEST_F(ColourOptionsTest, UnusableFilesFallBackToTheFactoryCopyAndAreRewritten)
{
    const std::pair<const char*, std::string> cases[] = {
        {"missing", ""},
        {"empty", "\n"},
        {"damaged", "{\"coloroptioninfo\": {\"palletDialogcoloroption_selectitem\": 3"},
        {"not an object", "[1, 2, 3]"},
        {"wrong root", "{\"coloroptioninfo\": 5}"},
        {"binary", std::string("\x00\xff\x01{", 4)},
    };
    for (const auto& [what, text] : cases) {
        std::remove(ownPath.c_str());
        if (std::string(what) != "missing")
            write(text);
        ColourOptionsFile file(ownPath, factoryPath);
        const ColourOptions options = file.load();
        EXPECT_EQ(options.presetIndex, 7) << what;
        EXPECT_TRUE(options.collectedSlots[3].collected) << what;
        EXPECT_EQ(options.collectedSlots[3].colour, 0xFF102030u) << what;
        EXPECT_EQ(readjsonFile(ownPath), factoryText) << what;
    }
}

TEST_F(ColourOptionsTest, HostileValuesReadAsDefaults)
{
    write(R"({"coloroptioninfo": {
        "palletDialogcoloroption_selectitem": 99999999999,
        "palletDialogcollectcoloroption_selectitem": -4,
        "palletDialogcollectcoloroption": [
            {"color": "FF00FF00", "UserData": "1"},
            {"color": "not a colour", "UserData": "1"},
            {"color": "FF0000FF", "UserData": ""},
            {"color": 12, "UserData": 1},
            "text", null, [], {"color": "FFAABBCC1", "UserData": "1"}
        ]}})");
    ColourOptionsFile file(ownPath, factoryPath);
    const ColourOptions options = file.load();
    EXPECT_EQ(options.presetIndex, ColourOptions::kFirstPreset);
    EXPECT_EQ(options.slotIndex, 0);
    EXPECT_TRUE(options.collectedSlots[0].collected);
    EXPECT_EQ(options.collectedSlots[0].colour, 0xFF00FF00u);
    for (int i = 1; i < ColourOptions::kSlotCount; ++i)
        EXPECT_FALSE(options.collectedSlots[i].collected) << i;
}

TEST_F(ColourOptionsTest, SavedOptionsReadBackAndUseTheDocumentsForms)
{
    ColourOptions options;
    options.presets[0] = 0xFFFF0000;
    options.presetIndex = 11;
    options.collectedSlots[19] = {0xFFABCDEF, true};
    options.slotIndex = 19;
    ColourOptionsFile file(ownPath, factoryPath);
    ASSERT_TRUE(file.save(options));
    const ColourOptions back = file.load();
    EXPECT_EQ(back.presetIndex, 11);
    EXPECT_EQ(back.slotIndex, 19);
    EXPECT_EQ(back.collectedSlots[19].colour, 0xFFABCDEFu);

    const Json::Value document = LoadJsonFile(ownPath);
    const Json::Value& root = document["coloroptioninfo"];
    EXPECT_EQ(root["palletDialogcoloroption"][0]["color"].asString(), "-65536");
    EXPECT_EQ(root["palletDialogcollectcoloroption"][19]["color"].asString(), "FFABCDEF");
    EXPECT_EQ(root["palletDialogcollectcoloroption"][19]["UserData"].asString(), "1");
    EXPECT_EQ(root["palletDialogcollectcoloroption"][0]["UserData"].asString(), "");
    EXPECT_EQ(root["palletDialogcollectcoloroption"].size(), 20u);
}

// The factory copy installed with the program reads as an options document.
TEST(ColourOptionsFactory, InstalledCopyIsAnOptionsDocument)
{
    TempDir folder;
    ColourOptionsFile file(folder.file("own.config"), KESTRION_SOURCE_ROOT "/DefaultData/color_option_info.config");
    const ColourOptions options = file.load();
    EXPECT_GE(options.presetIndex, 0);
    EXPECT_LT(options.presetIndex, ColourOptions::kPresetCount);
    EXPECT_FALSE(readjsonFile(folder.file("own.config")).empty());
}

}  // namespace
}  // namespace kestrion::test
