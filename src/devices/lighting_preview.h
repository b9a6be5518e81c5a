#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "devices/lighting_tables.h"
#include "profiles/profile_records.h"

namespace kestrion {

// One LED of the preview frame: its colour and a brightness 0-255.
struct KeyColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t brightness = 0;

    constexpr bool operator==(const KeyColour&) const = default;
};

using LightFrame = std::array<KeyColour, lighting::kLedCount>;
// Three bytes per LED, each colour channel already multiplied by the brightness.
using ScaledFrame = std::array<std::uint8_t, lighting::kLedCount * 3>;

ScaledFrame scaledFrame(const LightFrame& frame);
// The frame as a page shows it: per LED, brightness in the top byte, then red, green, blue.
std::vector<std::uint32_t> previewColoursOf(const LightFrame& frame);

// The 32-bit form of a key colour, as the page's light buttons take it: brightness in the top
// byte (their alpha), then red, green and blue.
std::uint32_t packKeyColour(const KeyColour& colour);
KeyColour unpackKeyColour(std::uint32_t packed);

// What an effect draws with: the profile's lighting, or one entry of a custom effect list.
// Levels from a file beyond 4 are taken as 4.
struct EffectParams {
    std::uint8_t brightness = 0;  // level 0-4
    std::uint8_t speed = 0;       // level 0-4
    bool backwards = false;       // "Fx" not 0
    bool multiColor = false;
    lighting::Rgb colour {};
};

EffectParams effectParamsOf(const LightInfo& light);
EffectParams effectParamsOf(const LedEffect& effect);

// The preview state of the mouse's lighting and its effect steps. Each step first moves its
// effect on by one step, then paints every LED, so the first step of a restarted effect already
// shows movement (breathing starts at curve position 2, the colour wheels at 1).
//
// Choices where the effects leave room:
// - Full intensity of the ring and of the reactive state means the level's whole brightness
//   (brightness = scale x intensity / 255).
// - The ring wave lights from the ring's first entry, set whenever the effects restart; forwards
//   it travels towards the higher columns. Its colour is the wheel entry that moves by 15 per turn.
// - A blink shows its colour, then on going dark moves to the next colour; the very first step
//   lights at once, later toggles wait for the blink period.
// - Breathing through the colour list starts on red and goes on with green after white.
// - "Fx" turns the wave, the spectrum, the ring and the colour-list breathing backwards; plain
//   breathing always rises. Multi-colour breathing and blinking start on wheel entry 0.
class LightingPreview {
public:
    LightingPreview();

    void previewStatic(const EffectParams& params, std::int64_t nowMs);
    void previewBreathing(const EffectParams& params, std::int64_t nowMs);
    void previewWave(const EffectParams& params, std::int64_t nowMs);
    void previewSpectrum(const EffectParams& params, std::int64_t nowMs);
    void previewRingWave(const EffectParams& params, std::int64_t nowMs);
    void previewBreathingCycle(const EffectParams& params, std::int64_t nowMs);
    void previewOff(const EffectParams& params, std::int64_t nowMs);
    void previewBlinkCycle(const EffectParams& params, std::int64_t nowMs);
    void previewBlink(const EffectParams& params, std::int64_t nowMs);
    void previewReactive(const EffectParams& params, std::int64_t nowMs);

    // The step of a fixed mode (0 to 10); any other mode paints every LED dark.
    void runStep(int mode, const EffectParams& params, std::int64_t nowMs);

    // Every effect starts over: phases at 0, blinking dark, reactive buffers cleared and the
    // ring's first entry at full intensity.
    void restartEffects();

    // Notification 0x0403: every LED at full intensity, rising, with its own wheel position.
    void lightAllReactive(const std::array<std::uint8_t, lighting::kLedCount>& wheelPositions);
    // One step of a key's reactive intensity: rising by 15 up to 255, then falling by 15 to 0.
    void decayReactive(std::size_t key);
    void rotateRing(bool backwards);
    void clearReactive();

    // Indexes outside the frame are ignored and read as 0.
    void setKeyColour(int index, std::uint32_t colour);
    std::uint32_t getKeyColour(int index) const;
    const LightFrame& frame() const { return m_frame; }

private:
    enum class Reactive : std::uint8_t { Rising, Falling };

    void paintAll(const KeyColour& colour);
    void moveWheelPhase(bool backwards);
    // Moves the breath on by one step; true when it has come back to its start.
    bool moveBreath(bool backwards);
    // Toggles when the blink period has run out; true when the LEDs just went dark.
    bool toggleBlink(const EffectParams& params, std::int64_t nowMs);

    LightFrame m_frame {};
    int m_phase = 0;
    int m_colourIndex = 0;
    bool m_blinkLit = false;
    std::optional<std::int64_t> m_lastBlinkToggleMs;
    std::array<std::uint8_t, lighting::kReactiveKeyCount> m_reactiveIntensity {};
    std::array<Reactive, lighting::kReactiveKeyCount> m_reactiveState {};
    std::array<std::uint8_t, lighting::kLedCount> m_reactiveWheel {};
    std::array<std::uint8_t, lighting::kRingSize> m_ring {};
};

}  // namespace kestrion
