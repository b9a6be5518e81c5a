// The headset's audio operations over the audio seam: what they write, in what order, and which
// record fields they change.
#include <gtest/gtest.h>

#include <cstring>

#include "devices/headset_audio.h"
#include "recording_audio_effects.h"

namespace kestrion {
namespace {

using testing_support::RecordingAudioEffects;
using Write = RecordingAudioEffects::Write;

bool sameStages(const HeadsetSystemSetStages& a, const HeadsetSystemSetStages& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class HeadsetAudioTest : public testing::Test {
protected:
    HeadsetAudioTest()
    {
        HeadsetSystemSetStages stages{};
        stages.eqType = 3;
        stages.customEqSelectIndex = 4;
        stages.micInSelect = 1;
        stages.micInValue = 60;
        stages.micMonitorSelect = 1;
        stages.micMonitorValue = 20;
        stages.magicType = 2;
        record.SetSystemSetStages(stages);
    }

    std::vector<Write> bandWrites(const EqBands& bands) const
    {
        std::vector<Write> writes = {{"Enable_EQ_GFX", {1, -1}}};
        for (int band = 0; band < 10; ++band)
            writes.push_back({"EQ_Slider" + std::to_string(band + 1), {double(bands[std::size_t(band)]), -1}});
        return writes;
    }

    RecordingAudioEffects effects;
    CHs6533Profiledata record;
    HeadsetAudio audio{effects, {0, 1, 0, true}, record};
};

TEST_F(HeadsetAudioTest, EachPresetWritesItsBandsInOrderAndBecomesTheType)
{
    const std::array<EqBands, 12> table = {{
        {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},     {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
        {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},   {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},         {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
        {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},    {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
        {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},    {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
        {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},    {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
    }};
    for (int preset = 1; preset <= 12; ++preset) {
        const EqBands& bands = table[std::size_t(preset - 1)];
        effects.writes.clear();
        EXPECT_EQ(audio.applyPreset(preset), bands) << preset;
        EXPECT_EQ(effects.writes, bandWrites(bands)) << preset;
        EXPECT_EQ(record.GetSystemSetStages().eqType, preset);
        const std::vector<int> stored = record.GetEqValues(preset);
        EXPECT_EQ(stored, std::vector<int>(bands.begin(), bands.end())) << preset;
    }
}

TEST_F(HeadsetAudioTest, RefusedPresetsAndFailedWritesLeaveTheRecordAlone)
{
    const HeadsetSystemSetStages before = record.GetSystemSetStages();
    for (int preset : {0, 13, 14, -1})
        EXPECT_FALSE(audio.applyPreset(preset)) << preset;
    EXPECT_TRUE(effects.writes.empty());

    effects.failing = {"EQ_Slider7"};
    EXPECT_FALSE(audio.applyPreset(2));
    EXPECT_FALSE(audio.applyCustom(0));
    EXPECT_FALSE(audio.moveBand(6, 3));
    EXPECT_FALSE(audio.moveBand(10, 3)) << "there is no eleventh band";
    EXPECT_FALSE(audio.moveBand(-1, 3));

    effects.failing = {"VolumeScalarControl", "AAMuteControl", "Enable_MICECHO", "MagicVoice_Selection"};
    EXPECT_FALSE(audio.setMicLevel(MicChannel::Input, 30).written);
    EXPECT_FALSE(audio.setMicLevel(MicChannel::Monitor, 101).written);
    EXPECT_FALSE(audio.toggleMicMute(MicChannel::Monitor));
    EXPECT_FALSE(audio.enableVoiceEffects(true));
    EXPECT_FALSE(audio.selectVoiceEffect(3));
    EXPECT_FALSE(audio.selectVoiceEffect(0));
    EXPECT_TRUE(sameStages(record.GetSystemSetStages(), before));
}

TEST_F(HeadsetAudioTest, CustomPresetWritesItsBandsAndRemembersItsIndex)
{
    record.SetCustomEqValues(1, EqBands{1, 2, 3, 4, 5, 6, 7, 8, 9, -10});
    EXPECT_EQ(audio.applyCustom(1), (EqBands{1, 2, 3, 4, 5, 6, 7, 8, 9, -10}));
    EXPECT_EQ(effects.writes, bandWrites({1, 2, 3, 4, 5, 6, 7, 8, 9, -10}));
    EXPECT_EQ(record.GetSystemSetStages().eqType, 13);
    EXPECT_EQ(record.GetSystemSetStages().customEqSelectIndex, 1);

    effects.writes.clear();
    record.SetSystemSetStages({});
    EXPECT_FALSE(audio.applyCustom(-1)) << "nothing selected: nothing written";
    EXPECT_TRUE(effects.writes.empty());
    EXPECT_EQ(record.GetSystemSetStages().eqType, 13);
}

TEST_F(HeadsetAudioTest, MovingABandWritesItAndMakesTheTypeCustom)
{
    ASSERT_TRUE(audio.moveBand(0, -4));
    ASSERT_TRUE(audio.moveBand(9, 12));
    EXPECT_EQ(effects.writes, (std::vector<Write>{{"EQ_Slider1", {-4, -1}}, {"EQ_Slider10", {12, -1}}}));
    EXPECT_EQ(record.GetSystemSetStages().eqType, 13);
    EXPECT_EQ(record.GetSystemSetStages().customEqSelectIndex, 4);
}

struct MicCase {
    const char* what;
    MicChannel channel;
    const char* scalar;
    const char* volume;
    const char* mute;
    std::int32_t HeadsetSystemSetStages::*select;
    std::int32_t HeadsetSystemSetStages::*level;
};

TEST_F(HeadsetAudioTest, MicrophoneAndMonitoringLevelsAndMutes)
{
    const MicCase cases[] = {
        {"microphone", MicChannel::Input, "VolumeScalarControl", "VolumeControl", "MuteControl",
         &HeadsetSystemSetStages::micInSelect, &HeadsetSystemSetStages::micInValue},
        {"monitoring", MicChannel::Monitor, "AAVolumeScalarControl", "AAVolumeControl", "AAMuteControl",
         &HeadsetSystemSetStages::micMonitorSelect, &HeadsetSystemSetStages::micMonitorValue},
    };
    for (const MicCase& c : cases) {
        SCOPED_TRACE(c.what);
        effects.writes.clear();
        effects.readable = {c.volume, {-6.5, -1}};
        const HeadsetAudio::LevelResult level = audio.setMicLevel(c.channel, 35);
        EXPECT_TRUE(level.written);
        EXPECT_EQ(level.volume, -6.5);
        EXPECT_EQ(record.GetSystemSetStages().*c.level, 35);

        EXPECT_EQ(audio.toggleMicMute(c.channel), true);
        EXPECT_EQ(record.GetSystemSetStages().*c.select, 0);
        EXPECT_EQ(audio.toggleMicMute(c.channel), false);
        EXPECT_EQ(record.GetSystemSetStages().*c.select, 1);
        EXPECT_EQ(effects.writes, (std::vector<Write>{{c.scalar, {0.35, -1}}, {c.mute, {1, -1}}, {c.mute, {0, -1}}}));
    }
}

TEST_F(HeadsetAudioTest, VoiceEffectsSwitchTheEchoOffAndSelectByNumber)
{
    ASSERT_TRUE(audio.enableVoiceEffects(true));
    ASSERT_TRUE(audio.selectVoiceEffect(4));
    ASSERT_TRUE(audio.enableVoiceEffects(false));
    EXPECT_EQ(effects.writes, (std::vector<Write>{{"Enable_MAGICVOICE", {1, -1}}, {"Enable_MICECHO", {0, -1}},
                                                  {"MagicVoice_Selection", {3, -1}}, {"Enable_MAGICVOICE", {0, -1}}}));
    EXPECT_EQ(record.GetSystemSetStages().magicType, 4);
    EXPECT_EQ(record.GetSystemSetStages().magicEnable, 0);
}

TEST_F(HeadsetAudioTest, ResetWritesEveryCarriedPropertyInOrder)
{
    effects.unsupported = {"XearSurrHP_Room", "RFX_ROOMSIZE"};
    effects.failing = {"Enable_RFX_GFX"};
    const HeadsetSystemSetStages before = record.GetSystemSetStages();
    EXPECT_FALSE(audio.resetAll()) << "a failed write is told";
    EXPECT_TRUE(sameStages(record.GetSystemSetStages(), before)) << "and the record is left alone";
    std::vector<std::string> written;
    for (const Write& w : effects.writes)
        written.push_back(w.property);
    const std::vector<std::string> expected = {
        "XearSurrHP_Enable", "VirtualSurroundEffectControl", "XearSurrHP_Mode", "Enable_ENC_LFX",
        "ENC_SELFCALIB", "VolumeControl", "Enable_EQ_GFX", "EQ_Slider1", "EQ_Slider2", "EQ_Slider3",
        "EQ_Slider4", "EQ_Slider5", "EQ_Slider6", "EQ_Slider7", "EQ_Slider8", "EQ_Slider9", "EQ_Slider10",
        "RFX_ENVIRONMENT", "MuteControl", "VolumeScalarControl", "AAVolumeControl", "AAMuteControl",
        "AAVolumeScalarControl", "Enable_MAGICVOICE", "MagicVoice_Selection"};
    EXPECT_EQ(written, expected);
    for (const Write& w : effects.writes) {
        const bool fullScale = w.property == "VolumeScalarControl" || w.property == "AAVolumeScalarControl";
        EXPECT_EQ(w.value.value, fullScale ? 1.0 : 0.0) << w.property;
    }

    effects.failing.clear();
    ASSERT_TRUE(audio.resetAll());
    HeadsetSystemSetStages reset = before;
    reset.eqType = 0;
    reset.micInSelect = 1;
    reset.micInValue = 100;
    reset.micMonitorSelect = 1;
    reset.micMonitorValue = 100;
    reset.magicEnable = 0;
    reset.magicType = 0;
    EXPECT_TRUE(sameStages(record.GetSystemSetStages(), reset)) << "the custom preset's choice stays";
}

TEST_F(HeadsetAudioTest, ProfileIsSentWholeWithoutChangingTheRecord)
{
    record.SetCustomEqNames({"Mine"});
    record.SetCustomEqValues(0, EqBands{-5, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    const std::vector<Write> micWrites = {{"VolumeScalarControl", {0.6, -1}}, {"MuteControl", {0, -1}},
                                          {"AAVolumeScalarControl", {0.2, -1}}, {"AAMuteControl", {1, -1}}};
    const auto withMic = [&](std::vector<Write> equaliser, std::vector<Write> voice) {
        equaliser.insert(equaliser.end(), micWrites.begin(), micWrites.end());
        equaliser.insert(equaliser.end(), voice.begin(), voice.end());
        return equaliser;
    };
    const std::vector<Write> voiceOff = {{"Enable_MAGICVOICE", {0, -1}}};
    struct Case {
        const char* what;
        int eqType;
        int customIndex;
        int magicEnable;
        int magicType;
        std::vector<Write> expected;
    } cases[] = {
        {"preset", 3, 0, 0, 0, withMic(bandWrites(*eqPresetBands(3)), voiceOff)},
        {"custom preset", 13, 0, 0, 0, withMic(bandWrites({-5, 1, 2, 3, 4, 5, 6, 7, 8, 9}), voiceOff)},
        {"custom, none chosen: the bands stay", 13, -1, 0, 0, withMic({}, voiceOff)},
        {"no type: equaliser off", 0, 0, 0, 0, withMic({{"Enable_EQ_GFX", {0, -1}}}, voiceOff)},
        {"voice effect on", 0, 0, 1, 4, withMic({{"Enable_EQ_GFX", {0, -1}}},
                                               {{"Enable_MAGICVOICE", {1, -1}}, {"Enable_MICECHO", {0, -1}},
                                                {"MagicVoice_Selection", {3, -1}}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeadsetSystemSetStages stages{};
        stages.eqType = c.eqType;
        stages.customEqSelectIndex = c.customIndex;
        stages.magicEnable = c.magicEnable;
        stages.magicType = c.magicType;
        stages.micInSelect = 1;
        stages.micInValue = 60;
        stages.micMonitorSelect = 0;
        stages.micMonitorValue = 20;
        record.SetSystemSetStages(stages);
        effects.writes.clear();
        EXPECT_TRUE(audio.applyProfile());
        EXPECT_EQ(effects.writes, c.expected);
        EXPECT_TRUE(sameStages(record.GetSystemSetStages(), stages));
    }
}

TEST_F(HeadsetAudioTest, ProfileSkipsWhatTheBackEndLacksAndTellsAFailureAfterSendingTheRest)
{
    effects.unsupported = {"Enable_EQ_GFX", "EQ_Slider1", "EQ_Slider2", "EQ_Slider3", "EQ_Slider4", "EQ_Slider5",
                           "EQ_Slider6", "EQ_Slider7", "EQ_Slider8", "EQ_Slider9", "EQ_Slider10",
                           "Enable_MAGICVOICE", "MagicVoice_Selection"};
    EXPECT_TRUE(audio.applyProfile());
    EXPECT_EQ(effects.writes, (std::vector<Write>{{"VolumeScalarControl", {0.6, -1}}, {"MuteControl", {0, -1}},
                                                  {"AAVolumeScalarControl", {0.2, -1}}, {"AAMuteControl", {0, -1}}}));

    effects.writes.clear();
    effects.failing = {"VolumeScalarControl"};
    EXPECT_FALSE(audio.applyProfile());
    EXPECT_EQ(effects.writes.size(), 3u) << "the mute and the monitoring still went";
}

}  // namespace
}  // namespace kestrion
