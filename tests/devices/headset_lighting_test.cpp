// The headset's lighting reports: the bytes of each of the twelve, and the order they go in.
#include <gtest/gtest.h>

#include "devices/headset_lighting.h"

namespace kestrion {
namespace {

using namespace headset_report;

// Every preview LED at full brightness with channels that name the LED: red 10 + led, green
// 40 + led, blue 70 + led, so a byte taken from the wrong LED or channel shows.
LightFrame namedFrame()
{
    LightFrame frame{};
    for (std::size_t led = 0; led < frame.size(); ++led) {
        const auto n = static_cast<std::uint8_t>(led);
        frame[led] = {static_cast<std::uint8_t>(10 + n), static_cast<std::uint8_t>(40 + n),
                      static_cast<std::uint8_t>(70 + n), 255};
    }
    return frame;
}

std::uint8_t scaled(int channel)
{
    return static_cast<std::uint8_t>(channel * 255 / 256);
}

TEST(HeadsetLighting, TwelveReportsInTheFixedOrderWithTheirColourBytes)
{
    // Left cup LED j is preview LED j; right cup LED j is preview LED 12 - j. Zone bytes run
    // red, green, blue per LED; the parts carry zone bytes 0-6, 7-13, 14-20, 21-26, 27-32, 33-38.
    const auto r = [](int led) { return scaled(10 + led); };
    const auto g = [](int led) { return scaled(40 + led); };
    const auto b = [](int led) { return scaled(70 + led); };
    const HeadsetFrame expected = {{
        {0xFF, 0x22, 0xAA, r(0), g(0), b(0), r(1), g(1), b(1), r(2), 0},
        {0xFF, 0x22, 0xAD, r(7), g(7), b(7), r(8), g(8), b(8), 0, 0},
        {0xFF, 0x44, 0xAA, r(12), g(12), b(12), r(11), g(11), b(11), r(10), 0},
        {0xFF, 0x44, 0xAD, r(5), g(5), b(5), r(4), g(4), b(4), 0, 0},
        {0xFF, 0x22, 0xAB, g(2), b(2), r(3), g(3), b(3), r(4), g(4), 0},
        {0xFF, 0x22, 0xAE, r(9), g(9), b(9), r(10), g(10), b(10), 0, 0},
        {0xFF, 0x44, 0xAB, g(10), b(10), r(9), g(9), b(9), r(8), g(8), 0},
        {0xFF, 0x44, 0xAE, r(3), g(3), b(3), r(2), g(2), b(2), 0, 0},
        {0xFF, 0x22, 0xAC, b(4), r(5), g(5), b(5), r(6), g(6), b(6), 0},
        {0xFF, 0x22, 0xAF, r(11), g(11), b(11), r(12), g(12), b(12), 0, 0},
        {0xFF, 0x44, 0xAC, b(8), r(7), g(7), b(7), r(6), g(6), b(6), 0},
        {0xFF, 0x44, 0xAF, r(1), g(1), b(1), r(0), g(0), b(0), 0, 0},
    }};
    const HeadsetFrame reports = headsetFrame(namedFrame());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(reports[i], expected[i]) << "report " << i;
}

struct ScaleCase {
    std::uint8_t channel, brightness, expected;
};

TEST(HeadsetLighting, ChannelsScaleByBrightnessAndStopAt247)
{
    constexpr ScaleCase cases[] = {
        {255, 255, 247},  // 254 before the limit
        {248, 255, 247},  // 247 exactly
        {200, 128, 100},
        {255, 0, 0},
        {0, 255, 0},
        {1, 255, 0},      // rounds down
    };
    for (const ScaleCase& c : cases)
        EXPECT_EQ(headsetColourByte(c.channel, c.brightness), c.expected)
            << int(c.channel) << " x " << int(c.brightness);

    LightFrame white{};
    white.fill({255, 255, 255, 255});
    for (const HeadsetReport& report : headsetFrame(white)) {
        const std::size_t colourBytes = report[kPart] <= 0xAC ? 7 : 6;
        for (std::size_t i = kColours; i < kSize; ++i)
            EXPECT_EQ(report[i], i < kColours + colourBytes ? 247 : 0) << "part " << int(report[kPart]) << " byte " << i;
    }
}

}  // namespace
}  // namespace kestrion
