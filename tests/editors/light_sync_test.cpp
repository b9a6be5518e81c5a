#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "editors/light_sync.h"

namespace kestrion::test {
namespace {

// Drives the clock by 2 ms per call until a step comes out; returns it and the time it took.
struct Stepper {
    LightSync sync;
    std::int64_t now = 1000;

    KeyColour next()
    {
        for (int guard = 0; guard < 10000; ++guard) {
            now += 2;
            if (auto colour = sync.advance(now))
                return *colour;
        }
        ADD_FAILURE() << "no step";
        return {};
    }
};

// A tick counts only once the clock is more than 1 ms past the last counted one.
TEST(LightSync, StepsAfterTheSpeedsTickCount)
{
    for (std::uint8_t speed = 0; speed <= 4; ++speed) {
        const int ticks = std::array{28, 23, 18, 13, 7}[speed];
        for (const int stepMs : {1, 2, 5}) {
            LightSync sync;
            sync.configure({LightSync::Mode::Steady, speed, 4, {1, 2, 3}, false});
            std::int64_t now = 0;
            sync.advance(now);
            int calls = 0;
            std::optional<KeyColour> colour;
            while (!colour && calls < 1000) {
                now += stepMs;
                colour = sync.advance(now);
                ++calls;
            }
            EXPECT_EQ(calls, stepMs == 1 ? 2 * ticks : ticks) << int(speed) << " every " << stepMs << " ms";
            ASSERT_TRUE(colour);
            EXPECT_EQ(*colour, (KeyColour{1, 2, 3, 192}));
        }
    }
}

TEST(LightSync, BreathingRisesAndFallsOnTheCurveAtTheLevelsBrightness)
{
    Stepper s;
    s.sync.configure({LightSync::Mode::Breathing, 4, 2, {0, 0, 255}, false});
    std::vector<int> brightness;
    for (int i = 0; i < 260; ++i)
        brightness.push_back(s.next().brightness);
    const auto peak = std::max_element(brightness.begin(), brightness.end());
    EXPECT_EQ(*peak, 128 * 255 / 256);
    EXPECT_EQ(brightness[0], 128 * lighting::kBreathCurve[1] / 256);
    EXPECT_LT(brightness[200], *peak);
    EXPECT_GE(s.sync.breathPhase(), 0);
    EXPECT_LT(s.sync.breathPhase(), 128);
}

TEST(LightSync, RainbowBreathingMovesTheWheelAtTheBottom)
{
    Stepper s;
    s.sync.configure({LightSync::Mode::Breathing, 4, 4, {0, 0, 0}, true});
    const KeyColour first = s.next();
    EXPECT_EQ(s.sync.wheelPosition(), 16);
    EXPECT_EQ(first.red, lighting::kColourWheel[16].red);
    for (int i = 0; i < 10; ++i)
        s.next();
    EXPECT_EQ(s.sync.wheelPosition(), 16);
}

TEST(LightSync, BlinkingTogglesByPeriodAndMovesTheWheel)
{
    Stepper s;
    s.sync.configure({LightSync::Mode::Blinking, 4, 1, {9, 9, 9}, false});
    EXPECT_EQ(s.next(), (KeyColour{9, 9, 9, 64}));
    EXPECT_EQ(s.sync.wheelPosition(), 14);
    // The period is 7 x 200 ms; steps come every 14 ms and stay lit until it has passed.
    const std::int64_t lit = s.now;
    while (s.now - lit < 7 * 200 - 14)
        EXPECT_EQ(s.next().brightness, 64);
    KeyColour dark = s.next();
    while (dark.brightness != 0)
        dark = s.next();
    EXPECT_EQ(dark, KeyColour{});
    EXPECT_GE(s.now - lit, 1400);
    EXPECT_EQ(s.sync.wheelPosition(), 28);
}

TEST(LightSync, ColourCycleWalksTheWheelAndOffIsDark)
{
    Stepper s;
    s.sync.configure({LightSync::Mode::ColourCycle, 2, 3, {}, false});
    for (int i = 1; i <= 193; ++i) {
        const KeyColour colour = s.next();
        const auto& wheel = lighting::kColourWheel[i % 192];
        ASSERT_EQ(colour, (KeyColour{wheel.red, wheel.green, wheel.blue, 150})) << i;
    }
    s.sync.configure({LightSync::Mode::Off, 2, 3, {255, 255, 255}, false});
    EXPECT_EQ(s.next(), KeyColour{});
}

TEST(LightSync, OutOfRangeSettingsAreBroughtIn)
{
    LightSync sync;
    sync.configure({static_cast<LightSync::Mode>(9), 17, 200, {}, false});
    EXPECT_EQ(sync.settings().mode, LightSync::Mode::Off);
    EXPECT_EQ(sync.settings().speed, 4);
    EXPECT_EQ(sync.settings().brightness, 4);
}

// The thread with a clock the test moves: nothing reaches the sink while nobody takes part.
TEST(LightSyncThread, SendsOnlyWhileSomeoneTakesPartAndStops)
{
    std::atomic<bool> takingPart{false};
    std::atomic<std::int64_t> clock{0};
    std::atomic<int> sent{0};
    LightSyncThread thread([&] { return takingPart.load(); }, [&](const KeyColour&) { ++sent; },
                           [&] { return clock += 2; });
    thread.configure({LightSync::Mode::Steady, 4, 4, {1, 1, 1}, false});
    thread.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(sent.load(), 0);
    takingPart = true;
    thread.wake();
    for (int i = 0; i < 2000 && sent.load() < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_GE(sent.load(), 3);
    thread.stop();
    EXPECT_FALSE(thread.isRunning());
    const int after = sent.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(sent.load(), after);
}

}  // namespace
}  // namespace kestrion::test
