#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include <json/value.h>

#include "devices/lighting_test_print.h"
#include "devices/lighting_thread.h"
#include "profiles/json_file.h"
#include "profiles/mouse_profile_data.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using namespace std::chrono_literals;

constexpr auto kGiveUpAfter = 10s;

LightInfo lightOf(int mode, int speed, bool multiColor, lighting::Rgb colour)
{
    LightInfo light {};
    light.mode = static_cast<std::uint8_t>(mode);
    light.brightness = 4;
    light.speed = static_cast<std::uint8_t>(speed);
    light.multiColor = multiColor ? 1 : 0;
    light.red = colour.red;
    light.green = colour.green;
    light.blue = colour.blue;
    return light;
}

bool allLeds(const LightFrame& frame, const KeyColour& colour)
{
    return std::ranges::all_of(frame, [&](const KeyColour& led) { return led == colour; });
}

// A lighting thread on a clock that only the test moves, over a channel the test opens and closes.
class LightingThreadTest : public testing::Test {
protected:
    LightingThreadTest()
        : thread([this] { return channelOpen.load(); },
                 [this] {
                     ++clockReads;
                     return nowMs.load();
                 })
    {
    }

    // Moves the clock on by 1 ms per real millisecond until the frame satisfies the predicate.
    template <typename Predicate>
    bool driveUntil(Predicate predicate)
    {
        return waitFor(predicate, 1);
    }

    // Waits with the clock standing still.
    template <typename Predicate>
    bool waitUntil(Predicate predicate)
    {
        return waitFor(predicate, 0);
    }

    template <typename Predicate>
    bool waitFor(Predicate predicate, std::int64_t clockStepMs)
    {
        const auto giveUp = std::chrono::steady_clock::now() + kGiveUpAfter;
        while (!predicate(thread.snapshot())) {
            if (std::chrono::steady_clock::now() > giveUp)
                return false;
            nowMs += clockStepMs;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    std::atomic<std::int64_t> nowMs {1000};
    std::atomic<bool> channelOpen {true};
    std::atomic<int> clockReads {0};
    LightingThread thread;
};

TEST_F(LightingThreadTest, StepsFollowTheClockNotTheWakeUps)
{
    thread.load(lightOf(3, 0, false, {}), {});
    thread.start();
    nowMs = 1030;
    const KeyColour firstStep {255, 3, 0, 192};
    EXPECT_TRUE(waitUntil([&](const LightFrame& frame) { return allLeds(frame, firstStep); }));
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(allLeds(thread.snapshot(), firstStep));
    thread.stop();
    EXPECT_FALSE(thread.isRunning());
}

TEST_F(LightingThreadTest, NothingMovesWhileTheChannelIsClosed)
{
    channelOpen = false;
    thread.load(lightOf(0, 4, false, {1, 2, 3}), {});
    thread.start();
    nowMs = 5000;
    std::this_thread::sleep_for(150ms);
    EXPECT_TRUE(allLeds(thread.snapshot(), KeyColour {}));
    channelOpen = true;
    EXPECT_TRUE(driveUntil([](const LightFrame& frame) { return allLeds(frame, {1, 2, 3, 192}); }));
}

// The reader is woken once per new frame it has not taken yet: never for a frame that stands
// still, never twice before it took a snapshot.
TEST_F(LightingThreadTest, NewFramesAreAnnouncedOnceUntilTheNextSnapshot)
{
    std::atomic<int> announced {0};
    thread.setFrameListener([&] { ++announced; });
    // Moves the clock on without taking a snapshot; true once `count` announcements came.
    const auto runUntil = [&](int count, int atMostMs) {
        for (int ms = 0; ms < atMostMs && announced < count; ++ms) {
            nowMs += 1;
            std::this_thread::sleep_for(1ms);
        }
        return announced == count;
    };
    thread.load(lightOf(0, 4, false, {1, 2, 3}), {});
    thread.start();
    ASSERT_TRUE(runUntil(1, 10000));
    EXPECT_TRUE(allLeds(thread.snapshot(), {1, 2, 3, 192}));
    const int readsOnceShown = clockReads;
    EXPECT_FALSE(runUntil(2, 200)) << "a static effect announced frames that did not change";
    EXPECT_EQ(clockReads, readsOnceShown) << "the thread kept waking for a static effect";

    thread.setKeyColour(2, 0xC0102030);
    EXPECT_EQ(announced, 2);
    thread.setKeyColour(2, 0xC0405060);
    EXPECT_EQ(announced, 2) << "announced again before the reader took the last frame";
    thread.snapshot();
    thread.setKeyColour(2, 0xC0405060);
    EXPECT_EQ(announced, 2) << "an unchanged colour was announced";

    thread.load(lightOf(2, 4, false, {}), {});
    ASSERT_TRUE(runUntil(3, 10000));
    EXPECT_FALSE(runUntil(4, 200)) << "a moving effect announced again before the reader looked";
    thread.snapshot();
    EXPECT_TRUE(runUntil(4, 10000));
}

TEST_F(LightingThreadTest, ReactiveTriggerLightsEveryLedWithAWheelColour)
{
    thread.load(lightOf(9, 4, true, {}), {});
    thread.start();
    thread.triggerReactive();
    ASSERT_TRUE(driveUntil([](const LightFrame& frame) { return frame[0].brightness > 0; }));
    for (const KeyColour& led : thread.snapshot()) {
        const lighting::Rgb colour {led.red, led.green, led.blue};
        EXPECT_NE(std::ranges::find(lighting::kColourWheel, colour), lighting::kColourWheel.end());
    }
    EXPECT_TRUE(driveUntil([](const LightFrame& frame) {
        return std::ranges::all_of(frame, [](const KeyColour& led) { return led.brightness == 0; });
    }));
}

TEST_F(LightingThreadTest, RestartAndDestructionWhileRunningJoinTheThread)
{
    thread.load(lightOf(3, 4, false, {}), {});
    thread.start();
    thread.start();
    EXPECT_TRUE(thread.isRunning());
    EXPECT_TRUE(driveUntil([](const LightFrame& frame) { return frame[0].brightness == 192; }));
    thread.stop();
    thread.stop();
    EXPECT_FALSE(thread.isRunning());
    thread.start();
}

TEST_F(LightingThreadTest, KeyColoursReachTheSnapshotAndOutOfRangeIsIgnored)
{
    thread.setKeyColour(2, 0x80FF0000);
    thread.setKeyColour(15, 0x80FF0000);
    EXPECT_EQ(thread.getKeyColour(2), 0x80FF0000u);
    EXPECT_EQ(thread.getKeyColour(15), 0u);
    EXPECT_EQ(thread.snapshot()[2], (KeyColour {255, 0, 0, 128}));
}

// The record's mode 11 plays the custom list its "CustomGroup" chooses in the light
// configuration; the list's two entries, red then blue, each last 100 ms.
TEST_F(LightingThreadTest, PlaysTheRecordsCustomListFromItsFiles)
{
    test::TempDir folder;
    Json::Value profile;
    profile["Device"][0]["LightInfo"]["SelectItem"] = 11;
    profile["Device"][0]["LightInfo"]["CustomGroup"] = 1;
    ASSERT_TRUE(SaveJsonFile(profile, folder.file("profile.Json")));
    Json::Value config;
    config["LightInfo"][0][0]["Guid"] = "other_list";
    config["LightInfo"][0][1]["Guid"] = "two_entries";
    ASSERT_TRUE(SaveJsonFile(config, folder.file("brylo_light.config")));
    Json::Value effects;
    const int colours[2][3] = {{255, 0, 0}, {0, 0, 255}};
    for (Json::ArrayIndex i = 0; i < 2; ++i) {
        Json::Value& entry = effects["LEDEffectList"][i];
        entry["LEDREGMode"] = 0;
        entry["LEDBrightness"] = 4;
        entry["LEDSpeed"] = 4;
        entry["red"] = colours[i][0];
        entry["green"] = colours[i][1];
        entry["blue"] = colours[i][2];
        entry["Time"] = 100;
    }
    ASSERT_TRUE(SaveJsonFile(effects, folder.file("two_entries.light")));

    CMouseProfiledata record;
    record.LoadProfile(folder.file("profile.Json"));
    record.SetLightConfigPath(folder.file("brylo_light.config"));
    record.LoadLightConfig(folder.file("brylo_light.config"));
    thread.loadLightingPreview(record);
    const std::int64_t loadedAt = nowMs;
    thread.start();

    ASSERT_TRUE(driveUntil([](const LightFrame& frame) { return allLeds(frame, {255, 0, 0, 192}); }));
    ASSERT_TRUE(driveUntil([](const LightFrame& frame) { return allLeds(frame, {0, 0, 255, 192}); }));
    EXPECT_GE(nowMs - loadedAt, 104);
    ASSERT_TRUE(driveUntil([](const LightFrame& frame) { return allLeds(frame, {255, 0, 0, 192}); }));
    EXPECT_GE(nowMs - loadedAt, 204);
}

}  // namespace
}  // namespace kestrion
