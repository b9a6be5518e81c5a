// The audio light styles file: the factory copy stands in for a missing or damaged one and is
// written whole in its place; values a file gets wrong read as defaults.
#include <gtest/gtest.h>

#include "editors/audio_styles.h"
#include "profiles/json_file.h"
#include "support/temp_dir.h"

namespace kestrion::test {
namespace {

constexpr const char* kFactory = KESTRION_SOURCE_ROOT "/DefaultData/AudioFile.json";

AudioStyles factoryStyles()
{
    AudioStyles styles;
    styles.names = {"第一组", "第二组", "第三组", "第四组"};
    styles.colours = {{{9, 0, 0}, {0, 9, 0}, {0, 0, 9}, {9, 9, 9}}};
    return styles;
}

class AudioStylesTest : public ::testing::Test {
protected:
    TempDir folder;
    std::string path = folder.file(AudioStyleFile::kFileName);
    AudioStyleFile file{path, kFactory};
};

TEST_F(AudioStylesTest, MissingOrDamagedFilesTakeTheFactoryCopyWrittenUnchanged)
{
    const std::pair<const char*, std::string> cases[] = {
        {"missing", ""},
        {"empty", "\n"},
        {"cut short", "{\"Device\": {\"AudioLightInfo\": {\"nAudioStyle\": 2"},
        {"not an object", "[1, 2, 3]"},
        {"no styles", "{\"Device\": {}}"},
        {"styles of another shape", "{\"Device\": {\"AudioLightInfo\": [9, 9, 9]}}"},
        {"binary", std::string("\x00\xff\xfe{", 4)},
    };
    for (const auto& [what, text] : cases) {
        if (*what != 'm')
            writeFile(path, text);
        AudioStyleFile fresh(path, kFactory);
        EXPECT_EQ(fresh.load(), factoryStyles()) << what;
        EXPECT_EQ(LoadJsonFile(path), LoadJsonFile(kFactory)) << what;
    }
}

TEST_F(AudioStylesTest, HostileValuesReadAsDefaultsAndTheFileStays)
{
    const std::string longName(300, 'x');
    const std::string text = "{\"Device\": {\"AudioLightInfo\": {\"nAudioStyle\": 7, \"nStyleName1\": \"" + longName
                             + "\", \"nStyleName2\": 5, \"nStyleName3\": \"ok\", \"nStyleR0\": -3, \"nStyleG0\": 12,"
                               " \"nStyleB0\": \"9\", \"nStyleR1\": 2.5, \"nStyleG1\": 4}}}";
    writeFile(path, text);
    const AudioStyles styles = file.load();
    EXPECT_EQ(styles.active, 0);
    EXPECT_EQ(styles.names[0], std::string(AudioStyles::kMaxNameBytes, 'x'));
    EXPECT_EQ(styles.names[1], "");
    EXPECT_EQ(styles.names[2], "ok");
    EXPECT_EQ(styles.colours[0], (AudioStyles::Colour{0, 0, 0}));
    EXPECT_EQ(styles.colours[1], (AudioStyles::Colour{0, 4, 0}));
    EXPECT_EQ(readFile(path), text);
}

TEST_F(AudioStylesTest, LongNamesAreCutBetweenCharacters)
{
    std::string name;
    for (int i = 0; i < 30; ++i)
        name += "第";  // three bytes each
    writeFile(path, "{\"Device\": {\"AudioLightInfo\": {\"nStyleName4\": \"" + name + "\"}}}");
    EXPECT_EQ(file.load().names[3], name.substr(0, 63));
}

TEST_F(AudioStylesTest, SaveKeepsWhatElseTheFileHoldsAndReadsBack)
{
    writeFile(path, "{\"Other\": 1, \"Device\": {\"Kept\": true, \"AudioLightInfo\": {\"nAudioStyle\": 1}}}");
    AudioStyles styles = file.load();
    styles.active = 2;
    styles.names = {"a", "b", "c", "d"};
    styles.colours[2] = {3, 0, 7};
    ASSERT_TRUE(file.save(styles));
    const Json::Value saved = LoadJsonFile(path);
    EXPECT_EQ(saved["Other"].asInt(), 1);
    EXPECT_TRUE(saved["Device"]["Kept"].asBool());
    EXPECT_EQ(saved["Device"]["AudioLightInfo"]["nStyleB2"].asInt(), 7);
    AudioStyleFile again(path, kFactory);
    EXPECT_EQ(again.load(), styles);
}

TEST_F(AudioStylesTest, ResetGivesTheFactoryStylesBack)
{
    AudioStyles styles = file.load();
    styles.active = 3;
    ASSERT_TRUE(file.save(styles));
    EXPECT_EQ(file.reset(), factoryStyles());
    EXPECT_EQ(LoadJsonFile(path), LoadJsonFile(kFactory));
}

TEST_F(AudioStylesTest, NeitherFileReadableGivesEmptyStylesAndSaveCanFail)
{
    AudioStyleFile orphan(path, folder.file("no-factory.json"));
    EXPECT_EQ(orphan.load(), AudioStyles{});
    AudioStyleFile nowhere(folder.file("missing-folder/AudioFile.json"), kFactory);
    nowhere.load();
    EXPECT_FALSE(nowhere.save(factoryStyles()));
}

}  // namespace
}  // namespace kestrion::test
