#include "platform/audio/alsa_mixer_effects.h"
#include "platform/audio/mixer_properties.h"
#include "platform/audio/sound_cards.h"

#include "platform/fake_sound_cards.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <map>
#include <sstream>

namespace kestrion::audio {
namespace {

using kestrion::test::TempDir;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(SoundCards, UsbIdsParseOnlyInTheKernelsForm)
{
    struct Case {
        const char* text;
        std::optional<UsbId> expected;
    };
    const Case cases[] = {
        {"0c76:1630\n", UsbId {0x0C76, 0x1630}},
        {"046D:0A44", UsbId {0x046D, 0x0A44}},
        {"0c76-1630", std::nullopt},
        {"c76:1630", std::nullopt},
        {"0c76:16300", std::nullopt},
        {"0c76:zz30", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseUsbId(c.text), c.expected) << c.text;
}

TEST(SoundCards, CardsAreListedInNumberOrderAndTypedByTheirUsbId)
{
    TempDir proc;
    const std::map<std::string, std::string> usbIds = {
        {"card0", ""}, {"card1", "0c76:1630\n"}, {"card2", "046d:0a44\n"}, {"card10", "garbage\n"}};
    for (const auto& [folder, usbId] : usbIds) {
        std::filesystem::create_directories(proc.file(folder));
        if (!usbId.empty())
            kestrion::test::writeFile(proc.file(folder + "/usbid"), usbId);
    }
    kestrion::test::writeFile(proc.file("card1/id"), "Headset\n");
    kestrion::test::writeFile(proc.file("card2/id"), "bad id\n");
    kestrion::test::writeFile(proc.file("cards"), " 0 [PCH ]: HDA-Intel\n");
    std::filesystem::create_directories(proc.file("cardX"));

    const std::vector<SoundCard> cards = listSoundCards(proc.path());

    const std::vector<SoundCard> expected = {
        {"hw:0", std::nullopt},
        {"hw:CARD=Headset", kHeadsetUsbId},
        {"hw:2", UsbId {0x046D, 0x0A44}},
        {"hw:10", std::nullopt},
    };
    EXPECT_EQ(cards, expected);
    const EndpointType types[] = {EndpointType::OtherCard, EndpointType::HeadsetCard, EndpointType::UsbCard,
                                  EndpointType::OtherCard};
    for (std::size_t i = 0; i < cards.size() && i < std::size(types); ++i)
        EXPECT_EQ(endpointTypeOf(cards[i]), types[i]) << cards[i].ctlName;
    EXPECT_TRUE(listSoundCards(proc.file("missing")).empty());
}

TEST(MixerProperties, LevelConversionsRoundToTheNearestStepAndRefuseNonsense)
{
    struct Case {
        double scalar;
        long min;
        long max;
        std::optional<long> raw;
    };
    const Case cases[] = {
        {0.0, 0, 48, 0}, {1.0, 0, 48, 48}, {0.5, 0, 48, 24}, {0.51, 0, 48, 24}, {0.52, 0, 48, 25},
        {0.5, -10, 10, 0}, {1.01, 0, 48, std::nullopt}, {-0.01, 0, 48, std::nullopt}, {kNaN, 0, 48, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rawFromScalar(c.scalar, c.min, c.max), c.raw) << c.scalar << " over " << c.min << ".." << c.max;

    EXPECT_DOUBLE_EQ(scalarFromRaw(12, 0, 48), 0.25);
    EXPECT_DOUBLE_EQ(scalarFromRaw(5, 5, 5), 0.0);
    EXPECT_DOUBLE_EQ(dbFromCentiDb(-1575), -15.75);
    EXPECT_EQ(centiDbFromDb(-3.456), -346);
    EXPECT_EQ(centiDbFromDb(kNaN), std::nullopt);
    EXPECT_EQ(centiDbFromDb(std::numeric_limits<double>::infinity()), std::nullopt);
}

class AlsaMixerEffectsTest : public testing::Test {
protected:
    std::string statePath(const std::string& card) const { return m_cards.statePath(card); }
    std::map<std::string, long> state(const std::string& card) const { return m_cards.state(card); }

    static AudioEndpoint endpoint(int index) { return {index, 0, 0, true}; }

    test::FakeSoundCards m_cards;
    // Endpoints 0, 1, 2, 3 in this order; the last card does not exist.
    AlsaMixerEffects m_mixer {std::vector<SoundCard> {{"fake_headset", kHeadsetUsbId},
                                                      {"fake_cmedia", UsbId {0x0D8C, 0x0014}},
                                                      {"fake_levelonly", std::nullopt},
                                                      {"fake_unplugged", kHeadsetUsbId}}};
};

TEST_F(AlsaMixerEffectsTest, EachCardIsAnEnabledEndpointOfItsType)
{
    const std::vector<AudioEndpoint> expected = {
        {0, static_cast<int>(EndpointType::HeadsetCard), 0, true},
        {1, static_cast<int>(EndpointType::UsbCard), 0, true},
        {2, static_cast<int>(EndpointType::OtherCard), 0, true},
        {3, static_cast<int>(EndpointType::HeadsetCard), 0, true},
    };
    EXPECT_EQ(m_mixer.endpoints(), expected);
}

TEST_F(AlsaMixerEffectsTest, SupportsExactlyThePropertiesACardsControlsCarry)
{
    const char* properties[] = {"MuteControl",   "VolumeControl",   "VolumeScalarControl",   "GetMaxVol",
                                "AAMuteControl", "AAVolumeControl", "AAVolumeScalarControl", "EQ_Slider1"};
    struct Case {
        int endpoint;
        std::vector<bool> supported;  // in the order of properties
    };
    const Case cases[] = {
        {0, {true, true, true, true, true, true, true, false}},
        {1, {true, true, true, true, true, true, true, false}},
        {2, {false, true, true, true, false, false, false, false}},
        {3, {false, false, false, false, false, false, false, false}},
        {7, {false, false, false, false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        for (std::size_t i = 0; i < std::size(properties); ++i)
            EXPECT_EQ(m_mixer.supports(endpoint(c.endpoint), properties[i]), c.supported[i])
                << "endpoint " << c.endpoint << " " << properties[i];
    }
}

TEST_F(AlsaMixerEffectsTest, WritesReachTheCardsControlsAndReadBackInTheirFormats)
{
    struct Case {
        int endpoint;
        const char* property;
        double value;
        const char* card;
        const char* control;
        long raw;
        const char* readBackProperty;
        double readBack;
    };
    // Volumes: raw 0..48 is -16 dB .. +8 dB in 0.5 dB steps.
    const Case cases[] = {
        {0, "VolumeScalarControl", 0.5, "headset", "Mic Capture Volume", 24, "VolumeControl", -4.0},
        {0, "VolumeControl", -3.8, "headset", "Mic Capture Volume", 24, "VolumeScalarControl", 0.5},
        {0, "VolumeControl", -3.7, "headset", "Mic Capture Volume", 25, "VolumeControl", -3.5},
        {0, "VolumeControl", 20.0, "headset", "Mic Capture Volume", 48, "VolumeControl", 8.0},
        {0, "MuteControl", 1, "headset", "Mic Capture Switch", 0, "MuteControl", 1},
        {0, "MuteControl", 0, "headset", "Mic Capture Switch", 1, "MuteControl", 0},
        {0, "AAVolumeScalarControl", 1.0, "headset", "Sidetone Playback Volume", 48, "AAVolumeControl", 8.0},
        {0, "AAMuteControl", 1, "headset", "Sidetone Playback Switch", 0, "AAMuteControl", 1},
        {1, "AAVolumeScalarControl", 0.25, "cmedia", "Mic Playback Volume", 12, "AAVolumeControl", -10.0},
        {1, "VolumeScalarControl", 0.75, "cmedia", "Mic Capture Volume", 36, "VolumeControl", 2.0},
        {1, "AAMuteControl", 1, "cmedia", "Mic Playback Switch", 0, "MuteControl", 0},
        {2, "VolumeControl", -16.0, "levelonly", "Headset Capture Volume", 0, "VolumeScalarControl", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.property) + " on " + c.card);
        ASSERT_TRUE(m_mixer.write(endpoint(c.endpoint), c.property, {c.value, -1}));
        EXPECT_EQ(state(c.card)[c.control], c.raw);
        std::optional<PropertyValue> readBack = m_mixer.read(endpoint(c.endpoint), c.readBackProperty);
        ASSERT_TRUE(readBack);
        EXPECT_DOUBLE_EQ(readBack->value, c.readBack);
    }
    EXPECT_EQ(state("cmedia")["Speaker Playback Volume"], 0) << "a control the tool does not drive";
    std::optional<PropertyValue> maxVol = m_mixer.read(endpoint(0), "GetMaxVol");
    ASSERT_TRUE(maxVol);
    EXPECT_DOUBLE_EQ(maxVol->value, 8.0);
}

TEST_F(AlsaMixerEffectsTest, ReadsTheLevelsTheCardAlreadyHolds)
{
    kestrion::test::writeFile(statePath("headset"), "Mic Capture Volume=12\nMic Capture Switch=0\n"
                                          "Sidetone Playback Volume=40\nSidetone Playback Switch=1\n");
    const std::map<std::string, double> expected = {
        {"VolumeScalarControl", 0.25}, {"VolumeControl", -10.0}, {"MuteControl", 1.0},
        {"AAVolumeScalarControl", 40.0 / 48.0}, {"AAVolumeControl", 4.0}, {"AAMuteControl", 0.0},
    };
    for (const auto& [property, value] : expected) {
        std::optional<PropertyValue> read = m_mixer.read(endpoint(0), property);
        ASSERT_TRUE(read) << property;
        EXPECT_DOUBLE_EQ(read->value, value) << property;
    }
}

TEST_F(AlsaMixerEffectsTest, RefusedWritesLeaveTheCardAsItWas)
{
    kestrion::test::writeFile(statePath("headset"), "Mic Capture Volume=30\nMic Capture Switch=1\n"
                                          "Sidetone Playback Volume=10\nSidetone Playback Switch=1\n");
    const std::string before = kestrion::test::readFile(statePath("headset"));
    struct Case {
        int endpoint;
        const char* property;
        double value;
    };
    const Case cases[] = {
        {0, "VolumeScalarControl", 1.5},  {0, "VolumeScalarControl", -0.1}, {0, "AAVolumeScalarControl", kNaN},
        {0, "VolumeControl", kNaN},       {0, "MuteControl", 2},            {0, "AAMuteControl", -1},
        {0, "GetMaxVol", 3},              {0, "Enable_MAGICVOICE", 1},      {2, "AAMuteControl", 1},
        {3, "VolumeScalarControl", 0.5},  {-1, "MuteControl", 1},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(m_mixer.write(endpoint(c.endpoint), c.property, {c.value, -1}))
            << c.property << " on " << c.endpoint;
    EXPECT_EQ(kestrion::test::readFile(statePath("headset")), before);
    EXPECT_FALSE(m_mixer.read(endpoint(3), "VolumeScalarControl"));
    EXPECT_FALSE(m_mixer.read(endpoint(2), "AAVolumeControl"));
}

}  // namespace
}  // namespace kestrion::audio
