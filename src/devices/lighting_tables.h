#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The fixed tables of the mouse's on-screen lighting preview.
namespace kestrion::lighting {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    constexpr bool operator==(const Rgb&) const = default;
};

// The mouse's LEDs, grouped in columns for the wave effects: column c holds LEDs c and 13 - c,
// and the middle column 6 also LED 14.
inline constexpr std::size_t kLedCount = 15;
inline constexpr std::size_t kColumnCount = 7;
inline constexpr std::array<std::uint8_t, kLedCount> kLedColumn = {0, 1, 2, 3, 4, 5, 6, 6, 5, 4, 3, 2, 1, 0, 6};

// Brightness and speed are levels 0 to 4; speed 4 is the fastest.
inline constexpr std::size_t kLevelCount = 5;
inline constexpr std::uint8_t kMaxLevel = kLevelCount - 1;
inline constexpr std::array<std::uint8_t, kLevelCount> kBrightnessScale = {0, 64, 128, 150, 192};

inline constexpr std::size_t kBreathSteps = 128;
inline constexpr std::size_t kWheelSize = 192;
inline constexpr std::size_t kWheelSegment = 32;

namespace detail {

inline constexpr std::array<std::uint8_t, kBreathSteps / 2> kBreathRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255,
};

inline constexpr std::array<std::uint8_t, kWheelSegment> kWheelRise = {
    1,  3,  5,  7,  10, 14, 18,  22,  26,  32,  38,  44,  50,  57,  65,  73,
    81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255,
};

inline constexpr std::array<std::uint8_t, kWheelSegment> kWheelFall = {
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0,
};

constexpr std::array<std::uint8_t, kBreathSteps> breathCurve()
{
    std::array<std::uint8_t, kBreathSteps> curve {};
    for (std::size_t i = 0; i < kBreathRise.size(); ++i) {
        curve[i] = kBreathRise[i];
        curve[kBreathSteps - 1 - i] = kBreathRise[i];
    }
    return curve;
}

// Six segments: red 255 with green rising, green 255 with red falling, green 255 with blue
// rising, blue 255 with green falling, blue 255 with red rising, red 255 with blue falling.
constexpr Rgb wheelEntry(std::size_t segment, std::uint8_t rise, std::uint8_t fall)
{
    constexpr std::uint8_t full = 255;
    const std::array<Rgb, 6> bySegment = {{
        {full, rise, 0}, {fall, full, 0}, {0, full, rise}, {0, fall, full}, {rise, 0, full}, {full, 0, fall},
    }};
    return bySegment[segment];
}

constexpr std::array<Rgb, kWheelSize> colourWheel()
{
    std::array<Rgb, kWheelSize> wheel {};
    for (std::size_t i = 0; i < kWheelSize; ++i)
        wheel[i] = wheelEntry(i / kWheelSegment, kWheelRise[i % kWheelSegment], kWheelFall[i % kWheelSegment]);
    return wheel;
}

}  // namespace detail

inline constexpr std::array<std::uint8_t, kBreathSteps> kBreathCurve = detail::breathCurve();
inline constexpr std::array<Rgb, kWheelSize> kColourWheel = detail::colourWheel();

inline constexpr std::array<Rgb, 7> kBreathingColours = {{
    {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 255, 255}, {255, 255, 0}, {255, 0, 255}, {255, 255, 255},
}};

inline constexpr std::array<Rgb, 4> kBlinkColours = {{{0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}}};

// The fixed modes 0 to 10; a mode above 10 plays a custom effect list.
inline constexpr int kLastFixedMode = 10;
inline constexpr std::size_t kFixedModeCount = kLastFixedMode + 1;

// Ticks of 2 ms per effect step: the row of a mode, then the step count by speed.
inline constexpr int kTickMs = 2;
inline constexpr std::array<std::uint8_t, kFixedModeCount> kStepRowByMode = {0, 1, 2, 3, 4, 5, 6, 8, 8, 9, 1};
inline constexpr std::array<std::array<std::uint8_t, kLevelCount>, 10> kStepTicks = {{
    {15, 11, 8, 5, 2},
    {15, 11, 8, 5, 2},
    {15, 11, 8, 5, 2},
    {15, 11, 8, 5, 2},
    {28, 23, 18, 13, 7},
    {15, 11, 8, 5, 2},
    {15, 11, 8, 5, 2},
    {15, 11, 8, 5, 2},
    {15, 11, 8, 5, 2},
    {15, 11, 8, 5, 2},
}};

// The blinking effects toggle every period: units of 200 ms by speed.
inline constexpr std::array<std::uint8_t, kLevelCount> kBlinkPeriodUnits = {28, 23, 18, 13, 7};
inline constexpr int kBlinkPeriodUnitMs = 200;

// Movement per effect step.
inline constexpr int kBreathPhaseStep = 2;
inline constexpr int kWheelPhaseStep = 1;
inline constexpr int kWaveColumnOffset = 7;
inline constexpr int kRingPhaseStep = 8;
inline constexpr int kRingTurnWheelStep = 15;
inline constexpr int kColourWheelStep = 16;  // multi-colour breathing and blinking
inline constexpr int kReactiveStep = 15;

// The reactive buffers: one intensity per key slot (the mouse uses its first 15) and a ring.
inline constexpr std::size_t kReactiveKeyCount = 170;
inline constexpr std::size_t kRingSize = 23;
inline constexpr std::uint8_t kFullIntensity = 255;

static_assert(kBreathCurve[63] == 255 && kBreathCurve[64] == 255 && kBreathCurve[127] == 0);
static_assert(kColourWheel[0] == Rgb {255, 1, 0} && kColourWheel[32] == Rgb {248, 255, 0});
static_assert(kColourWheel[191] == Rgb {255, 0, 0});

}  // namespace kestrion::lighting
