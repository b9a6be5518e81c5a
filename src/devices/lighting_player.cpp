#include "devices/lighting_player.h"

#include <algorithm>

namespace kestrion {
namespace {

using namespace lighting;

constexpr int kStaticMode = 0;
constexpr int kOffMode = 6;
constexpr int kReactiveMode = 9;
constexpr std::array<int, 5> kCustomEntryModes = {0, 1, 2, 4, 5};
// Enough to pass every threshold; keeps a long gap from overflowing the count.
constexpr std::int64_t kTickCountLimit = 255;

int customEntryMode(const LedEffect& effect)
{
    const bool known = std::ranges::find(kCustomEntryModes, effect.mode) != kCustomEntryModes.end();
    return known ? effect.mode : kOffMode;
}

}  // namespace

void LightingPlayer::load(const LightInfo& light, std::vector<LedEffect> customEffects, std::int64_t nowMs)
{
    const bool modeChanged = light.mode != m_mode;
    m_mode = light.mode;
    m_params = effectParamsOf(light);
    m_customEffects = std::move(customEffects);
    m_loadShown = false;
    if (modeChanged || playsCustomList())
        restart(nowMs);
}

std::int64_t LightingPlayer::advance(std::int64_t nowMs)
{
    if (playsCustomList())
        switchEntryWhenDue(nowMs);
    countTicks(nowMs);
    if (m_ticks >= stepTicks()) {
        m_preview.runStep(stepMode(), stepParams(), nowMs);
        m_ticks = 0;
        m_loadShown = true;
    }
    return millisecondsToNextEvent(nowMs);
}

std::int64_t LightingPlayer::catchUp(std::int64_t nowMs, int maxSteps)
{
    if (m_lastTickMs && *m_lastTickMs <= nowMs) {
        std::int64_t stepMs = *m_lastTickMs;
        std::int64_t wait = advance(stepMs);
        for (int steps = 0; steps < maxSteps && stepMs + wait <= nowMs; ++steps) {
            stepMs += wait;
            wait = advance(stepMs);
        }
    }
    return advance(nowMs);
}

void LightingPlayer::triggerReactive(const std::array<std::uint8_t, kLedCount>& wheelPositions)
{
    if (m_mode == kReactiveMode)
        m_preview.lightAllReactive(wheelPositions);
}

void LightingPlayer::restart(std::int64_t nowMs)
{
    m_preview.restartEffects();
    m_entry = 0;
    m_entryStartMs = nowMs;
    m_ticks = 0;
    m_lastTickMs = nowMs;
}

void LightingPlayer::switchEntryWhenDue(std::int64_t nowMs)
{
    if (m_customEffects.empty() || nowMs - m_entryStartMs < m_customEffects[m_entry].time)
        return;
    const std::size_t next = (m_entry + 1) % m_customEffects.size();
    restart(nowMs);
    m_entry = next;
}

void LightingPlayer::countTicks(std::int64_t nowMs)
{
    if (!m_lastTickMs || nowMs < *m_lastTickMs) {
        m_lastTickMs = nowMs;
        return;
    }
    const std::int64_t ticks = (nowMs - *m_lastTickMs) / kTickMs;
    *m_lastTickMs += ticks * kTickMs;
    m_ticks = static_cast<int>(std::min(m_ticks + ticks, kTickCountLimit));
}

bool LightingPlayer::isStill() const
{
    if (!m_loadShown || (playsCustomList() && !m_customEffects.empty()))
        return false;
    const int mode = stepMode();
    return mode == kStaticMode || mode == kOffMode;
}

int LightingPlayer::stepMode() const
{
    if (!playsCustomList())
        return m_mode;
    return m_customEffects.empty() ? kOffMode : customEntryMode(m_customEffects[m_entry]);
}

EffectParams LightingPlayer::stepParams() const
{
    if (!playsCustomList())
        return m_params;
    return m_customEffects.empty() ? EffectParams {} : effectParamsOf(m_customEffects[m_entry]);
}

int LightingPlayer::stepTicks() const
{
    const std::size_t row = kStepRowByMode[static_cast<std::size_t>(stepMode())];
    return kStepTicks[row][stepParams().speed];
}

std::int64_t LightingPlayer::millisecondsToNextEvent(std::int64_t nowMs) const
{
    std::int64_t wait = std::int64_t {stepTicks() - m_ticks} * kTickMs - (nowMs - m_lastTickMs.value_or(nowMs));
    if (playsCustomList() && !m_customEffects.empty())
        wait = std::min(wait, m_entryStartMs + m_customEffects[m_entry].time - nowMs);
    return std::max<std::int64_t>(wait, 1);
}

}  // namespace kestrion
