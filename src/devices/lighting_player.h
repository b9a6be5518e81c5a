#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "devices/lighting_preview.h"
#include "profiles/profile_records.h"

namespace kestrion {

// Drives the preview from a millisecond clock: counts ticks of 2 ms and, when the count reaches
// the threshold of the mode's row and speed, runs the mode's step and starts counting again.
// A late call runs one step, never a burst to catch up. Modes above 10 play the custom effect
// list: each entry its own effect ("LEDREGMode" 0, 1, 2, 4 or 5; any other value is dark) for
// its "Time", then the next, after the last the first. An entry starts its effect afresh.
class LightingPlayer {
public:
    // loadLightingPreview: the profile's lighting and the effect list its mode plays. A new mode,
    // and any custom list, start from the beginning.
    void load(const LightInfo& light, std::vector<LedEffect> customEffects, std::int64_t nowMs);
    // Runs what fell due up to nowMs; returns the milliseconds until the next step or entry switch.
    std::int64_t advance(std::int64_t nowMs);
    // As advance, but first runs each step that fell due since the last one at its own time, at
    // most maxSteps of them: a caller waking once per display frame sees the same frames as one
    // woken for every step. Steps due beyond maxSteps are dropped as for a late call.
    std::int64_t catchUp(std::int64_t nowMs, int maxSteps);
    // Notification 0x0403: only the reactive mode answers it.
    void triggerReactive(const std::array<std::uint8_t, lighting::kLedCount>& wheelPositions);

    int mode() const { return m_mode; }
    // Whether the frame changes only on a reload: a static colour or the lights off, with no
    // effect list to move on, once a step has shown what was loaded.
    bool isStill() const;
    LightingPreview& preview() { return m_preview; }
    const LightingPreview& preview() const { return m_preview; }

private:
    bool playsCustomList() const { return m_mode > lighting::kLastFixedMode; }
    void restart(std::int64_t nowMs);
    void switchEntryWhenDue(std::int64_t nowMs);
    void countTicks(std::int64_t nowMs);
    int stepMode() const;
    EffectParams stepParams() const;
    int stepTicks() const;
    std::int64_t millisecondsToNextEvent(std::int64_t nowMs) const;

    LightingPreview m_preview;
    int m_mode = 0;
    EffectParams m_params;
    std::vector<LedEffect> m_customEffects;
    std::size_t m_entry = 0;
    std::int64_t m_entryStartMs = 0;
    std::optional<std::int64_t> m_lastTickMs;
    int m_ticks = 0;
    bool m_loadShown = false;
};

}  // namespace kestrion
