#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

#include "devices/lighting_tables.h"

namespace kestrion {

// The keyboard's reactive buffers behind its reactive and ripple effects: one intensity per key
// slot, and a ring of intensities that travels round the keys.
class KeyboardReactive {
public:
    static constexpr std::size_t kKeyCount = lighting::kReactiveKeyCount;
    static constexpr std::size_t kRingSize = lighting::kRingSize;
    // A single light step wakes at most this many keys.
    static constexpr std::size_t kMaxLitPerStep = 9;

    using Intensities = std::array<std::uint8_t, kKeyCount>;
    using Ring = std::array<std::uint8_t, kRingSize>;
    using KeyMask = std::bitset<kKeyCount>;

    // One decay step of a key: its intensity falls by the reactive step down to 0. Slots past
    // the buffer are ignored.
    void decayReactive(std::size_t key);
    // The first kMaxLitPerStep slots set in `active`, in slot order, go to full intensity.
    void lightReactive(const KeyMask& active);
    // Moves the ring on by one entry: forwards each entry takes the next slot up, the last
    // wrapping round to the first.
    void rotateRing(bool backwards);
    // Every key and ring entry dark.
    void clearReactive();

    // After the settings page is read: the buffers start over (cleared, the ring's first entry
    // at full) when the mode changed or is the reactive mode. True when they did.
    bool resetAfterRead(int previousMode, int newMode);

    const Intensities& intensities() const { return m_intensity; }
    const Ring& ring() const { return m_ring; }

private:
    Intensities m_intensity{};
    Ring m_ring{};
};

}  // namespace kestrion
