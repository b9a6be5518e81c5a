#include "devices/keyboard_effects.h"

#include <algorithm>
#include <array>

namespace kestrion {
namespace {

enum ModeCode : int { kStatic = 0, kBreathing = 1, kWave = 2, kSpectrum = 3, kOff = 4, kHostWave = 30 };

constexpr std::uint8_t kTopLevel = 4;
// Milliseconds per step of the wheel or the breath, by speed level 0 (slow) to 4.
constexpr std::array<int, kTopLevel + 1> kStepMs = {40, 28, 18, 10, 5};
constexpr int kWheelSteps = 360;
// Hue steps between neighbouring key slots in the waves.
constexpr int kWaveSpread = 7;

std::uint8_t brightnessOf(const LightInfo& light)
{
    return static_cast<std::uint8_t>(std::min(light.brightness, kTopLevel) * 255 / kTopLevel);
}

int stepAt(const LightInfo& light, std::int64_t nowMs)
{
    return static_cast<int>(nowMs / kStepMs[std::min(light.speed, kTopLevel)]);
}

// Hue 0-359 to a saturated colour.
KeyColour wheel(int hue, std::uint8_t brightness)
{
    hue = ((hue % kWheelSteps) + kWheelSteps) % kWheelSteps;
    const int sector = hue / 60;
    const auto rise = static_cast<std::uint8_t>((hue % 60) * 255 / 60);
    const auto fall = static_cast<std::uint8_t>(255 - rise);
    constexpr std::uint8_t kFull = 255;
    switch (sector) {
    case 0: return {kFull, rise, 0, brightness};
    case 1: return {fall, kFull, 0, brightness};
    case 2: return {0, kFull, rise, brightness};
    case 3: return {0, fall, kFull, brightness};
    case 4: return {rise, 0, kFull, brightness};
    default: return {kFull, 0, fall, brightness};
    }
}

// A breath: up and down over 512 steps.
std::uint8_t breath(int step, std::uint8_t brightness)
{
    const int phase = step % 512;
    const int level = phase < 256 ? phase : 511 - phase;
    return static_cast<std::uint8_t>(level * brightness / 255);
}

}  // namespace

std::vector<KeyColour> keyboardEffectFrame(int modeCode, const LightInfo& light, std::size_t keySlots,
                                           std::int64_t nowMs)
{
    const std::uint8_t brightness = brightnessOf(light);
    const KeyColour colour{light.red, light.green, light.blue, brightness};
    std::vector<KeyColour> keys(keySlots, colour);
    const int step = stepAt(light, nowMs);
    const int direction = light.direction ? -1 : 1;
    switch (modeCode) {
    case kOff:
        std::fill(keys.begin(), keys.end(), KeyColour{});
        break;
    case kBreathing:
        for (KeyColour& key : keys)
            key.brightness = breath(step, brightness);
        break;
    case kSpectrum:
        std::fill(keys.begin(), keys.end(), wheel(step, brightness));
        break;
    case kWave:
    case kHostWave:
        for (std::size_t slot = 0; slot < keys.size(); ++slot)
            keys[slot] = wheel(direction * (step + static_cast<int>(slot) * kWaveSpread), brightness);
        break;
    case kStatic:
    default:
        break;
    }
    return keys;
}

std::vector<KeyColour> perKeyFrame(const std::vector<std::uint8_t>& table, const LightInfo& light,
                                   std::size_t keySlots)
{
    std::vector<KeyColour> keys(keySlots);
    const std::size_t lit = std::min(keySlots, table.size() / 3);
    for (std::size_t slot = 0; slot < lit; ++slot)
        keys[slot] = {table[slot * 3], table[slot * 3 + 1], table[slot * 3 + 2], brightnessOf(light)};
    return keys;
}

}  // namespace kestrion
