#include "devices/lighting_preview.h"

#include <algorithm>

namespace kestrion {
namespace {

using namespace lighting;

// Phases and colour positions are shared between the effects; reading them through the size of
// the list in use keeps every index inside it.
template <typename List>
constexpr auto entryAt(const List& list, int position)
{
    return list[static_cast<std::size_t>(position) % list.size()];
}

constexpr std::uint8_t levelOf(std::uint8_t value)
{
    return std::min(value, kMaxLevel);
}

constexpr std::uint8_t scaleLevel(const EffectParams& params)
{
    return kBrightnessScale[levelOf(params.brightness)];
}

// Brightness of an intensity 0-255 at the effect's level.
constexpr std::uint8_t intensityBrightness(const EffectParams& params, std::uint8_t intensity)
{
    return static_cast<std::uint8_t>(scaleLevel(params) * intensity / kFullIntensity);
}

constexpr std::uint8_t breathBrightness(const EffectParams& params, int phase)
{
    return static_cast<std::uint8_t>(entryAt(kBreathCurve, phase) * scaleLevel(params) / 256);
}

constexpr KeyColour keyColourOf(const Rgb& colour, std::uint8_t brightness)
{
    return KeyColour {colour.red, colour.green, colour.blue, brightness};
}

constexpr int wrap(int value, std::size_t size)
{
    const int count = static_cast<int>(size);
    return (value % count + count) % count;
}

// The mouse shows red only when the cycle starts; after white it goes on with green.
constexpr int kBreathingCycleRestart = 1;

constexpr int nextBreathingColour(int index)
{
    return index + 1 < static_cast<int>(kBreathingColours.size()) ? index + 1 : kBreathingCycleRestart;
}

std::int64_t blinkPeriodMs(const EffectParams& params)
{
    return std::int64_t {kBlinkPeriodUnits[levelOf(params.speed)]} * kBlinkPeriodUnitMs;
}

using Step = void (LightingPreview::*)(const EffectParams&, std::int64_t);

constexpr std::array<Step, kFixedModeCount> kStepByMode = {
    &LightingPreview::previewStatic,         &LightingPreview::previewBreathing,
    &LightingPreview::previewWave,           &LightingPreview::previewSpectrum,
    &LightingPreview::previewRingWave,       &LightingPreview::previewBreathingCycle,
    &LightingPreview::previewOff,            &LightingPreview::previewBlinkCycle,
    &LightingPreview::previewBlink,          &LightingPreview::previewReactive,
    &LightingPreview::previewBreathingCycle,
};

}  // namespace

std::vector<std::uint32_t> previewColoursOf(const LightFrame& frame)
{
    std::vector<std::uint32_t> colours;
    colours.reserve(frame.size());
    for (const KeyColour& led : frame) {
        colours.push_back(std::uint32_t{led.brightness} << 24 | std::uint32_t{led.red} << 16 |
                          std::uint32_t{led.green} << 8 | led.blue);
    }
    return colours;
}

ScaledFrame scaledFrame(const LightFrame& frame)
{
    ScaledFrame scaled {};
    for (std::size_t led = 0; led < frame.size(); ++led) {
        const KeyColour& colour = frame[led];
        const std::array<std::uint8_t, 3> channels = {colour.red, colour.green, colour.blue};
        for (std::size_t channel = 0; channel < channels.size(); ++channel)
            scaled[led * 3 + channel] = static_cast<std::uint8_t>(channels[channel] * colour.brightness / 256);
    }
    return scaled;
}

std::uint32_t packKeyColour(const KeyColour& colour)
{
    return std::uint32_t {colour.brightness} << 24 | std::uint32_t {colour.red} << 16
        | std::uint32_t {colour.green} << 8 | std::uint32_t {colour.blue};
}

KeyColour unpackKeyColour(std::uint32_t packed)
{
    return KeyColour {static_cast<std::uint8_t>(packed >> 16), static_cast<std::uint8_t>(packed >> 8),
                      static_cast<std::uint8_t>(packed), static_cast<std::uint8_t>(packed >> 24)};
}

EffectParams effectParamsOf(const LightInfo& light)
{
    return EffectParams {levelOf(light.brightness), levelOf(light.speed), light.direction != 0,
                         light.multiColor != 0, Rgb {light.red, light.green, light.blue}};
}

EffectParams effectParamsOf(const LedEffect& effect)
{
    return EffectParams {levelOf(effect.brightness), levelOf(effect.speed), effect.direction != 0,
                         effect.multiColor != 0, Rgb {effect.red, effect.green, effect.blue}};
}

LightingPreview::LightingPreview()
{
    restartEffects();
}

void LightingPreview::previewStatic(const EffectParams& params, std::int64_t)
{
    paintAll(keyColourOf(params.colour, scaleLevel(params)));
}

void LightingPreview::previewBreathing(const EffectParams& params, std::int64_t)
{
    if (moveBreath(false) && params.multiColor)
        m_colourIndex = wrap(m_colourIndex + kColourWheelStep, kWheelSize);
    const Rgb colour = params.multiColor ? entryAt(kColourWheel, m_colourIndex) : params.colour;
    paintAll(keyColourOf(colour, breathBrightness(params, m_phase)));
}

void LightingPreview::previewWave(const EffectParams& params, std::int64_t)
{
    moveWheelPhase(params.backwards);
    for (std::size_t led = 0; led < kLedCount; ++led) {
        const int position = m_phase + kWaveColumnOffset * kLedColumn[led];
        m_frame[led] = keyColourOf(entryAt(kColourWheel, position), scaleLevel(params));
    }
}

void LightingPreview::previewSpectrum(const EffectParams& params, std::int64_t)
{
    moveWheelPhase(params.backwards);
    paintAll(keyColourOf(entryAt(kColourWheel, m_phase), scaleLevel(params)));
}

void LightingPreview::previewRingWave(const EffectParams& params, std::int64_t)
{
    rotateRing(params.backwards);
    m_phase += kRingPhaseStep;
    if (m_phase >= static_cast<int>(kWheelSize)) {
        m_phase -= static_cast<int>(kWheelSize);
        m_colourIndex = wrap(m_colourIndex + kRingTurnWheelStep, kWheelSize);
    }
    const Rgb colour = entryAt(kColourWheel, m_colourIndex);
    for (std::size_t led = 0; led < kLedCount; ++led)
        m_frame[led] = keyColourOf(colour, intensityBrightness(params, m_ring[kLedColumn[led]]));
}

void LightingPreview::previewBreathingCycle(const EffectParams& params, std::int64_t)
{
    if (moveBreath(params.backwards))
        m_colourIndex = nextBreathingColour(m_colourIndex);
    paintAll(keyColourOf(entryAt(kBreathingColours, m_colourIndex), breathBrightness(params, m_phase)));
}

void LightingPreview::previewOff(const EffectParams&, std::int64_t)
{
    paintAll(KeyColour {});
}

void LightingPreview::previewBlinkCycle(const EffectParams& params, std::int64_t nowMs)
{
    if (toggleBlink(params, nowMs))
        m_colourIndex = wrap(m_colourIndex + 1, kBlinkColours.size());
    const Rgb colour = entryAt(kBlinkColours, m_colourIndex);
    paintAll(m_blinkLit ? keyColourOf(colour, scaleLevel(params)) : KeyColour {});
}

void LightingPreview::previewBlink(const EffectParams& params, std::int64_t nowMs)
{
    if (toggleBlink(params, nowMs) && params.multiColor)
        m_colourIndex = wrap(m_colourIndex + kColourWheelStep, kWheelSize);
    const Rgb colour = params.multiColor ? entryAt(kColourWheel, m_colourIndex) : params.colour;
    paintAll(m_blinkLit ? keyColourOf(colour, scaleLevel(params)) : KeyColour {});
}

void LightingPreview::previewReactive(const EffectParams& params, std::int64_t)
{
    for (std::size_t led = 0; led < kLedCount; ++led) {
        decayReactive(led);
        const Rgb colour = params.multiColor ? entryAt(kColourWheel, m_reactiveWheel[led]) : params.colour;
        m_frame[led] = keyColourOf(colour, intensityBrightness(params, m_reactiveIntensity[led]));
    }
}

void LightingPreview::runStep(int mode, const EffectParams& params, std::int64_t nowMs)
{
    if (mode < 0 || mode > kLastFixedMode) {
        previewOff(params, nowMs);
        return;
    }
    (this->*kStepByMode[static_cast<std::size_t>(mode)])(params, nowMs);
}

void LightingPreview::restartEffects()
{
    m_phase = 0;
    m_colourIndex = 0;
    m_blinkLit = false;
    m_lastBlinkToggleMs.reset();
    clearReactive();
    m_ring[0] = kFullIntensity;
}

void LightingPreview::lightAllReactive(const std::array<std::uint8_t, kLedCount>& wheelPositions)
{
    for (std::size_t led = 0; led < kLedCount; ++led) {
        m_reactiveIntensity[led] = kFullIntensity;
        m_reactiveState[led] = Reactive::Rising;
        m_reactiveWheel[led] = static_cast<std::uint8_t>(wheelPositions[led] % kWheelSize);
    }
}

void LightingPreview::decayReactive(std::size_t key)
{
    if (key >= kReactiveKeyCount)
        return;
    std::uint8_t& intensity = m_reactiveIntensity[key];
    if (m_reactiveState[key] == Reactive::Falling) {
        intensity = static_cast<std::uint8_t>(std::max(0, intensity - kReactiveStep));
    } else if (intensity < kFullIntensity) {
        intensity = static_cast<std::uint8_t>(std::min<int>(kFullIntensity, intensity + kReactiveStep));
    } else {
        m_reactiveState[key] = Reactive::Falling;
    }
}

void LightingPreview::rotateRing(bool backwards)
{
    if (backwards)
        std::rotate(m_ring.begin(), m_ring.begin() + 1, m_ring.end());
    else
        std::rotate(m_ring.rbegin(), m_ring.rbegin() + 1, m_ring.rend());
}

void LightingPreview::clearReactive()
{
    m_reactiveIntensity.fill(0);
    m_reactiveState.fill(Reactive::Falling);
    m_reactiveWheel.fill(0);
    m_ring.fill(0);
}

void LightingPreview::setKeyColour(int index, std::uint32_t colour)
{
    if (index >= 0 && static_cast<std::size_t>(index) < m_frame.size())
        m_frame[static_cast<std::size_t>(index)] = unpackKeyColour(colour);
}

std::uint32_t LightingPreview::getKeyColour(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_frame.size())
        return 0;
    return packKeyColour(m_frame[static_cast<std::size_t>(index)]);
}

void LightingPreview::paintAll(const KeyColour& colour)
{
    m_frame.fill(colour);
}

void LightingPreview::moveWheelPhase(bool backwards)
{
    m_phase = wrap(m_phase + (backwards ? -kWheelPhaseStep : kWheelPhaseStep), kWheelSize);
}

bool LightingPreview::moveBreath(bool backwards)
{
    m_phase = wrap(m_phase + (backwards ? -kBreathPhaseStep : kBreathPhaseStep), kBreathSteps);
    return m_phase == 0;
}

bool LightingPreview::toggleBlink(const EffectParams& params, std::int64_t nowMs)
{
    if (m_lastBlinkToggleMs && nowMs - *m_lastBlinkToggleMs < blinkPeriodMs(params))
        return false;
    m_lastBlinkToggleMs = nowMs;
    m_blinkLit = !m_blinkLit;
    return !m_blinkLit;
}

}  // namespace kestrion
