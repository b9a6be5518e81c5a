#include "devices/keyboard_reactive.h"

#include <algorithm>

#include "devices/keyboard_settings.h"

namespace kestrion {

using lighting::kFullIntensity;
using lighting::kReactiveStep;

void KeyboardReactive::decayReactive(std::size_t key)
{
    if (key >= kKeyCount)
        return;
    std::uint8_t& intensity = m_intensity[key];
    intensity = static_cast<std::uint8_t>(std::max(0, intensity - kReactiveStep));
}

void KeyboardReactive::lightReactive(const KeyMask& active)
{
    std::size_t lit = 0;
    for (std::size_t key = 0; key < kKeyCount && lit < kMaxLitPerStep; ++key) {
        if (!active[key])
            continue;
        m_intensity[key] = kFullIntensity;
        ++lit;
    }
}

void KeyboardReactive::rotateRing(bool backwards)
{
    if (backwards)
        std::rotate(m_ring.begin(), m_ring.begin() + 1, m_ring.end());
    else
        std::rotate(m_ring.rbegin(), m_ring.rbegin() + 1, m_ring.rend());
}

void KeyboardReactive::clearReactive()
{
    m_intensity.fill(0);
    m_ring.fill(0);
}

bool KeyboardReactive::resetAfterRead(int previousMode, int newMode)
{
    if (newMode == previousMode && newMode != kKeyboardReactiveMode)
        return false;
    clearReactive();
    m_ring[0] = kFullIntensity;
    return true;
}

}  // namespace kestrion
