// The keyboard's reactive buffers: key intensities lit and decaying, the ring turning, and the
// buffers starting over after a settings read.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "devices/keyboard_reactive.h"

namespace kestrion {
namespace {

using KeyMask = KeyboardReactive::KeyMask;

KeyMask maskOf(std::initializer_list<std::size_t> keys)
{
    KeyMask mask;
    for (std::size_t key : keys)
        mask.set(key);
    return mask;
}

std::vector<std::size_t> litKeys(const KeyboardReactive& reactive)
{
    std::vector<std::size_t> lit;
    for (std::size_t key = 0; key < KeyboardReactive::kKeyCount; ++key) {
        if (reactive.intensities()[key] != 0)
            lit.push_back(key);
    }
    return lit;
}

std::size_t ringPeak(const KeyboardReactive& reactive)
{
    const auto& ring = reactive.ring();
    return static_cast<std::size_t>(std::max_element(ring.begin(), ring.end()) - ring.begin());
}

TEST(KeyboardReactive, LightingWakesTheFirstNineActiveKeysInSlotOrder)
{
    struct Case {
        const char* name;
        KeyMask active;
        std::vector<std::size_t> lit;
    };
    const Case cases[] = {
        {"none active", KeyMask{}, {}},
        {"scattered, last slot included", maskOf({0, 57, 169}), {0, 57, 169}},
        {"exactly nine", maskOf({1, 2, 3, 4, 5, 6, 7, 8, 9}), {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"past nine, the later ones wait", maskOf({3, 10, 20, 30, 40, 50, 60, 70, 80, 90, 169}),
         {3, 10, 20, 30, 40, 50, 60, 70, 80}},
    };
    for (const Case& c : cases) {
        KeyboardReactive reactive;
        reactive.lightReactive(c.active);
        EXPECT_EQ(litKeys(reactive), c.lit) << c.name;
        for (std::size_t key : c.lit)
            EXPECT_EQ(reactive.intensities()[key], 255) << c.name << ", key " << key;
    }
}

TEST(KeyboardReactive, DecayFallsByFifteenAndStopsAtDark)
{
    struct Case {
        int steps;
        std::uint8_t intensity;
    };
    const Case cases[] = {{0, 255}, {1, 240}, {16, 15}, {17, 0}, {30, 0}};
    for (const Case& c : cases) {
        KeyboardReactive reactive;
        reactive.lightReactive(maskOf({4, 5}));
        for (int step = 0; step < c.steps; ++step)
            reactive.decayReactive(4);
        EXPECT_EQ(reactive.intensities()[4], c.intensity) << c.steps << " steps";
        EXPECT_EQ(reactive.intensities()[5], 255) << "only the named key decays";
    }
}

TEST(KeyboardReactive, DecayOfASlotPastTheBufferChangesNothing)
{
    KeyboardReactive reactive;
    reactive.lightReactive(maskOf({168, 169}));
    reactive.decayReactive(KeyboardReactive::kKeyCount);
    reactive.decayReactive(static_cast<std::size_t>(-1));
    EXPECT_EQ(reactive.intensities()[168], 255);
    EXPECT_EQ(reactive.intensities()[169], 255);
}

TEST(KeyboardReactive, TheRingTurnsOneEntryEitherWayAndWrapsRound)
{
    struct Case {
        bool backwards;
        int steps;
        std::size_t peak;
    };
    const Case cases[] = {
        {false, 1, 1}, {false, 22, 22}, {false, 23, 0}, {false, 24, 1},
        {true, 1, 22}, {true, 22, 1},   {true, 23, 0},
    };
    for (const Case& c : cases) {
        KeyboardReactive reactive;
        reactive.resetAfterRead(0, 1);
        for (int step = 0; step < c.steps; ++step)
            reactive.rotateRing(c.backwards);
        EXPECT_EQ(ringPeak(reactive), c.peak) << (c.backwards ? "backwards " : "forwards ") << c.steps;
        EXPECT_EQ(std::count(reactive.ring().begin(), reactive.ring().end(), 0), 22) << "one entry stays lit";
    }
}

TEST(KeyboardReactive, ClearingDarkensKeysAndRing)
{
    KeyboardReactive reactive;
    reactive.resetAfterRead(0, 1);
    reactive.lightReactive(maskOf({0, 100, 169}));
    reactive.clearReactive();
    EXPECT_TRUE(litKeys(reactive).empty());
    EXPECT_EQ(std::count(reactive.ring().begin(), reactive.ring().end(), 0), 23);
}

TEST(KeyboardReactive, ASettingsReadStartsTheBuffersOverOnANewModeOrTheReactiveMode)
{
    struct Case {
        int previousMode;
        int newMode;
        bool resets;
    };
    const Case cases[] = {
        {3, 3, false}, {0, 0, false}, {3, 5, true}, {5, 20, true}, {20, 20, true}, {20, 3, true},
    };
    for (const Case& c : cases) {
        KeyboardReactive reactive;
        reactive.lightReactive(maskOf({7, 42}));
        EXPECT_EQ(reactive.resetAfterRead(c.previousMode, c.newMode), c.resets)
            << c.previousMode << " to " << c.newMode;
        if (c.resets) {
            EXPECT_TRUE(litKeys(reactive).empty()) << c.previousMode << " to " << c.newMode;
            EXPECT_EQ(reactive.ring()[0], 255);
            EXPECT_EQ(std::count(reactive.ring().begin(), reactive.ring().end(), 0), 22);
        } else {
            EXPECT_EQ(litKeys(reactive), (std::vector<std::size_t>{7, 42})) << "kept";
            EXPECT_EQ(std::count(reactive.ring().begin(), reactive.ring().end(), 0), 23);
        }
    }
}

}  // namespace
}  // namespace kestrion
