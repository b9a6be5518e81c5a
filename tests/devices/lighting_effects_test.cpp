#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "devices/lighting_player.h"
#include "devices/lighting_test_print.h"

namespace kestrion {
namespace {

constexpr int kAllLeds = -1;
constexpr KeyColour kDark {0, 0, 0, 0};
// Painted before every case so that a step that leaves an LED alone is seen.
constexpr std::uint32_t kUnpainted = 0x01020304;

struct Light {
    int mode = 0;
    int brightness = 4;
    int speed = 4;
    int direction = 0;
    bool multiColor = false;
    lighting::Rgb colour {};
};

LightInfo lightInfoOf(const Light& light)
{
    LightInfo info {};
    info.mode = static_cast<std::uint8_t>(light.mode);
    info.brightness = static_cast<std::uint8_t>(light.brightness);
    info.speed = static_cast<std::uint8_t>(light.speed);
    info.direction = static_cast<std::uint8_t>(light.direction);
    info.multiColor = light.multiColor ? 1 : 0;
    info.red = light.colour.red;
    info.green = light.colour.green;
    info.blue = light.colour.blue;
    return info;
}

LedEffect entryOf(const Light& light, int timeMs)
{
    const LightInfo info = lightInfoOf(light);
    LedEffect effect {};
    effect.mode = info.mode;
    effect.brightness = info.brightness;
    effect.speed = info.speed;
    effect.direction = info.direction;
    effect.multiColor = info.multiColor;
    effect.red = info.red;
    effect.green = info.green;
    effect.blue = info.blue;
    effect.time = timeMs;
    return effect;
}

// A player loaded at time 0 and moved on one millisecond at a time, as the thread would.
class Played {
public:
    explicit Played(const Light& light, std::vector<LedEffect> customEffects = {})
    {
        for (int led = 0; led < static_cast<int>(lighting::kLedCount); ++led)
            player.preview().setKeyColour(led, kUnpainted);
        player.load(lightInfoOf(light), std::move(customEffects), 0);
        player.advance(0);
    }

    void playUntil(std::int64_t endMs)
    {
        while (m_nowMs < endMs)
            player.advance(++m_nowMs);
    }

    const LightFrame& frame() const { return player.preview().frame(); }

    LightingPlayer player;

private:
    std::int64_t m_nowMs = 0;
};

struct Expect {
    int led;
    KeyColour colour;
};

void expectFrame(const LightFrame& frame, const std::vector<Expect>& expected)
{
    for (const Expect& expect : expected) {
        for (int led = 0; led < static_cast<int>(frame.size()); ++led) {
            if (expect.led == kAllLeds || expect.led == led) {
                EXPECT_EQ(frame[static_cast<std::size_t>(led)], expect.colour) << "LED " << led;
            }
        }
    }
}

struct EffectCase {
    std::string name;
    Light light;
    std::optional<std::array<std::uint8_t, lighting::kLedCount>> reactiveTrigger;
    std::int64_t atMs;
    std::vector<Expect> expected;
};

// Frames worked out by hand from the tables. Speed 4 steps every 4 ms (2 ticks), speed 0 every
// 30 ms, and the ring wave (row 4) at speed 0 every 56 ms. Level 4 is brightness 192.
const std::vector<EffectCase>& effectCases()
{
    static const std::vector<EffectCase> cases = {
        {"StaticBeforeItsFirstStep", {0, 3, 0, 0, false, {10, 20, 30}}, {}, 29,
         {{kAllLeds, unpackKeyColour(kUnpainted)}}},
        {"StaticAtLevel3", {0, 3, 0, 0, false, {10, 20, 30}}, {}, 30, {{kAllLeds, {10, 20, 30, 150}}}},
        {"BreathingFirstStep", {1, 4, 4, 0, false, {255, 0, 0}}, {}, 4, {{kAllLeds, {255, 0, 0, 1}}}},
        {"BreathingSecondStep", {1, 4, 4, 0, false, {255, 0, 0}}, {}, 8, {{kAllLeds, {255, 0, 0, 3}}}},
        {"BreathingAtItsTop", {1, 4, 4, 0, false, {255, 0, 0}}, {}, 128, {{kAllLeds, {255, 0, 0, 191}}}},
        {"BreathingMultiColourFirstBreath", {1, 4, 4, 0, true, {}}, {}, 4, {{kAllLeds, {255, 1, 0, 1}}}},
        {"BreathingMultiColourSecondBreath", {1, 4, 4, 0, true, {}}, {}, 260, {{kAllLeds, {255, 81, 0, 1}}}},
        {"WaveForwards", {2, 4, 4, 0, false, {}}, {}, 4,
         {{0, {255, 3, 0, 192}}, {13, {255, 3, 0, 192}}, {3, {255, 140, 0, 192}},
          {6, {114, 255, 0, 192}}, {7, {114, 255, 0, 192}}, {14, {114, 255, 0, 192}}}},
        {"WaveBackwards", {2, 4, 4, 1, false, {}}, {}, 4,
         {{0, {255, 0, 0, 192}}, {1, {255, 18, 0, 192}}, {12, {255, 18, 0, 192}}}},
        {"SpectrumForwards", {3, 2, 0, 0, false, {}}, {}, 30, {{kAllLeds, {255, 3, 0, 128}}}},
        {"SpectrumSecondStep", {3, 2, 0, 0, false, {}}, {}, 60, {{kAllLeds, {255, 5, 0, 128}}}},
        {"SpectrumBackwards", {3, 2, 0, 1, false, {}}, {}, 30, {{kAllLeds, {255, 0, 0, 128}}}},
        {"RingWaveFirstStep", {4, 4, 0, 0, false, {}}, {}, 56,
         {{1, {255, 1, 0, 192}}, {12, {255, 1, 0, 192}}, {0, {255, 1, 0, 0}}, {2, {255, 1, 0, 0}},
          {14, {255, 1, 0, 0}}}},
        {"RingWaveSecondStep", {4, 4, 0, 0, false, {}}, {}, 112,
         {{2, {255, 1, 0, 192}}, {11, {255, 1, 0, 192}}, {1, {255, 1, 0, 0}}}},
        {"RingWaveNextColourAfterATurn", {4, 4, 0, 0, false, {}}, {}, 24 * 56,
         {{1, {255, 73, 0, 192}}, {12, {255, 73, 0, 192}}, {0, {255, 73, 0, 0}}}},
        {"RingWaveBackwardsReachesTheMiddleColumn", {4, 4, 0, 1, false, {}}, {}, 17 * 56,
         {{6, {255, 1, 0, 192}}, {7, {255, 1, 0, 192}}, {14, {255, 1, 0, 192}}, {5, {255, 1, 0, 0}}}},
        {"BreathingCycleStartsOnRed", {5, 4, 4, 0, false, {}}, {}, 4, {{kAllLeds, {255, 0, 0, 1}}}},
        {"BreathingCycleGreenAfterABreath", {5, 4, 4, 0, false, {}}, {}, 260, {{kAllLeds, {0, 255, 0, 1}}}},
        {"BreathingCycleGreenAgainAfterWhite", {5, 4, 4, 0, false, {}}, {}, (7 * 64 + 1) * 4,
         {{kAllLeds, {0, 255, 0, 1}}}},
        {"BreathingCycleFalling", {5, 4, 4, 1, false, {}}, {}, 8, {{kAllLeds, {255, 0, 0, 2}}}},
        {"BreathingCycleAsMode10", {10, 4, 1, 0, false, {}}, {}, 22, {{kAllLeds, {255, 0, 0, 1}}}},
        {"Off", {6, 4, 0, 0, false, {9, 9, 9}}, {}, 30, {{kAllLeds, kDark}}},
        {"BlinkCycleLightsAtOnce", {7, 4, 4, 0, false, {}}, {}, 4, {{kAllLeds, {0, 255, 180, 192}}}},
        {"BlinkCycleHoldsForItsPeriod", {7, 4, 4, 0, false, {}}, {}, 1400, {{kAllLeds, {0, 255, 180, 192}}}},
        {"BlinkCycleDark", {7, 4, 4, 0, false, {}}, {}, 1404, {{kAllLeds, kDark}}},
        {"BlinkCycleNextColour", {7, 4, 4, 0, false, {}}, {}, 2804, {{kAllLeds, {0, 255, 0, 192}}}},
        {"BlinkFixedColour", {8, 1, 4, 0, false, {1, 2, 3}}, {}, 4, {{kAllLeds, {1, 2, 3, 64}}}},
        {"BlinkFixedColourDark", {8, 1, 4, 0, false, {1, 2, 3}}, {}, 1404, {{kAllLeds, kDark}}},
        {"BlinkMultiColourMovesOn", {8, 1, 4, 0, true, {}}, {}, 2804, {{kAllLeds, {255, 81, 0, 64}}}},
        {"ReactiveDarkUntilTriggered", {9, 4, 4, 0, false, {0, 0, 255}}, {}, 4, {{kAllLeds, {0, 0, 255, 0}}}},
        {"ReactiveFullAfterTrigger", {9, 4, 4, 0, false, {0, 0, 255}}, std::array<std::uint8_t, 15> {}, 4,
         {{kAllLeds, {0, 0, 255, 192}}}},
        {"ReactiveFading", {9, 4, 4, 0, false, {0, 0, 255}}, std::array<std::uint8_t, 15> {}, 8,
         {{kAllLeds, {0, 0, 255, 180}}}},
        {"ReactiveWheelColourPerLed", {9, 4, 4, 0, true, {}},
         std::array<std::uint8_t, 15> {0, 0, 0, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 191}, 4,
         {{3, {255, 241, 0, 192}}, {14, {255, 0, 0, 192}}, {0, {255, 1, 0, 192}}}},
    };
    return cases;
}

class LightingEffects : public testing::TestWithParam<EffectCase> {};

TEST_P(LightingEffects, FrameAtTime)
{
    const EffectCase& effect = GetParam();
    Played played(effect.light);
    if (effect.reactiveTrigger)
        played.player.triggerReactive(*effect.reactiveTrigger);
    played.playUntil(effect.atMs);
    expectFrame(played.frame(), effect.expected);
}

INSTANTIATE_TEST_SUITE_P(Modes, LightingEffects, testing::ValuesIn(effectCases()),
                         [](const testing::TestParamInfo<EffectCase>& info) { return info.param.name; });

TEST(LightingPlayer, FirstStepFallsDueAtTheThresholdOfTheModesRow)
{
    struct Case {
        int mode;
        int speed;
        std::int64_t stepMs;
    };
    constexpr Case cases[] = {{0, 0, 30}, {0, 4, 4}, {4, 0, 56}, {4, 4, 14}, {7, 2, 16}, {10, 1, 22}, {9, 3, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " speed " + std::to_string(c.speed));
        Played played({c.mode, 4, c.speed, 0, false, {7, 7, 7}});
        played.playUntil(c.stepMs - 1);
        EXPECT_EQ(played.frame()[5], unpackKeyColour(kUnpainted));
        played.playUntil(c.stepMs);
        EXPECT_NE(played.frame()[5], unpackKeyColour(kUnpainted));
    }
}

TEST(LightingPlayer, ReportsTheTimeToTheNextStep)
{
    LightingPlayer player;
    player.load(lightInfoOf({0, 4, 0, 0, false, {}}), {}, 1000);
    EXPECT_EQ(player.advance(1000), 30);
    EXPECT_EQ(player.advance(1011), 19);
    EXPECT_EQ(player.advance(1030), 30);
}

TEST(LightingPlayer, ALateCallRunsOneStepNotABurst)
{
    Played played({3, 4, 0, 0, false, {}});
    played.player.advance(60'000);
    EXPECT_EQ(played.frame()[0], (KeyColour {255, 3, 0, 192}));
    played.player.advance(60'030);
    EXPECT_EQ(played.frame()[0], (KeyColour {255, 5, 0, 192}));
}

// Woken once per display frame, the player shows what one woken every millisecond shows; a long
// gap is not replayed beyond the cap.
TEST(LightingPlayer, CatchUpRunsTheStepsThatFellDueAtTheirOwnTimes)
{
    struct Case {
        const char* name;
        Light light;
        std::vector<LedEffect> entries;
    };
    const std::vector<Case> cases = {
        {"colour cycle, fastest", {3, 4, 4, 0, false, {}}, {}},
        {"breathing", {1, 4, 3, 0, false, {0, 200, 40}}, {}},
        {"custom list switching", {11, 4, 0, 0, false, {}},
         {entryOf({1, 4, 4, 0, false, {0, 0, 255}}, 37), entryOf({3, 4, 4, 0, false, {}}, 21)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Played everyMillisecond(c.light, c.entries);
        Played everyFrame(c.light, c.entries);
        for (std::int64_t frameEnd = 16; frameEnd <= 400; frameEnd += 16) {
            everyMillisecond.playUntil(frameEnd);
            everyFrame.player.catchUp(frameEnd, 8);
            ASSERT_EQ(everyFrame.frame(), everyMillisecond.frame()) << "at " << frameEnd << " ms";
        }
    }

    Played capped({3, 4, 4, 0, false, {}});
    Played stepped({3, 4, 4, 0, false, {}});
    capped.player.catchUp(60'000, 8);
    stepped.playUntil(32);
    stepped.player.advance(60'000);
    EXPECT_EQ(capped.frame(), stepped.frame());
}

TEST(LightingPlayer, SameModeKeepsTheEffectGoingAndANewModeRestartsIt)
{
    Played played({3, 4, 0, 0, false, {}});
    played.playUntil(60);
    played.player.load(lightInfoOf({3, 2, 0, 0, false, {}}), {}, 60);
    played.playUntil(90);
    EXPECT_EQ(played.frame()[0], (KeyColour {255, 7, 0, 128}));
    played.player.load(lightInfoOf({2, 2, 0, 0, false, {}}), {}, 90);
    played.playUntil(120);
    EXPECT_EQ(played.frame()[0], (KeyColour {255, 3, 0, 128}));
}

// Mode 11 plays the list: a static red entry for 100 ms, then a blue breathing entry for 50 ms.
TEST(LightingCustomList, EntriesTakeTurnsAfterTheirTime)
{
    const std::vector<LedEffect> entries = {entryOf({0, 4, 4, 0, false, {255, 0, 0}}, 100),
                                            entryOf({1, 4, 4, 0, false, {0, 0, 255}}, 50)};
    Played played({11, 1, 0, 0, false, {9, 9, 9}}, entries);
    played.playUntil(4);
    expectFrame(played.frame(), {{kAllLeds, {255, 0, 0, 192}}});
    played.playUntil(100);
    expectFrame(played.frame(), {{kAllLeds, {255, 0, 0, 192}}});
    EXPECT_EQ(played.player.advance(100), 4);
    played.playUntil(104);
    expectFrame(played.frame(), {{kAllLeds, {0, 0, 255, 1}}});
    played.playUntil(108);
    expectFrame(played.frame(), {{kAllLeds, {0, 0, 255, 3}}});
    played.playUntil(150);
    expectFrame(played.frame(), {{kAllLeds, {0, 0, 255, 33}}});  // twelve steps: curve 45
    played.playUntil(154);
    expectFrame(played.frame(), {{kAllLeds, {255, 0, 0, 192}}});
}

TEST(LightingCustomList, WaitsForWhicheverComesFirstStepOrSwitch)
{
    const std::vector<LedEffect> entries = {entryOf({0, 4, 0, 0, false, {}}, 10),
                                            entryOf({0, 4, 0, 0, false, {}}, 10)};
    LightingPlayer player;
    player.load(lightInfoOf({12, 0, 0, 0, false, {}}), entries, 0);
    EXPECT_EQ(player.advance(0), 10);
}

TEST(LightingCustomList, EmptyListUnknownEntryModeAndOutOfRangeLevels)
{
    Played empty({11, 4, 4, 0, false, {}});
    empty.playUntil(30);
    expectFrame(empty.frame(), {{kAllLeds, kDark}});

    Played unknownMode({11, 4, 4, 0, false, {}}, {entryOf({3, 4, 4, 0, false, {255, 255, 255}}, 1000)});
    unknownMode.playUntil(30);
    expectFrame(unknownMode.frame(), {{kAllLeds, kDark}});

    Played outOfRange({11, 4, 4, 0, false, {}}, {entryOf({0, 9, 200, 0, false, {5, 6, 7}}, 1000)});
    outOfRange.playUntil(4);
    expectFrame(outOfRange.frame(), {{kAllLeds, {5, 6, 7, 192}}});
}

TEST(LightingPlayer, OutOfRangeProfileLevelsAreTheHighest)
{
    Played played({1, 77, 9, 0, false, {255, 0, 0}});
    played.playUntil(128);
    expectFrame(played.frame(), {{kAllLeds, {255, 0, 0, 191}}});
}

}  // namespace
}  // namespace kestrion
