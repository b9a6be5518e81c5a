#pragma once

#include <cstdint>
#include <vector>

#include "devices/lighting_preview.h"
#include "profiles/profile_records.h"

namespace kestrion {

// The keyboard's lighting as the tool draws it and, in the host-driven modes, sends it: one
// colour per key slot for a mode code at a moment. Static shows the colour, breathing fades it,
// wave and live wave run the colour wheel across the slots, spectrum runs it on all keys at
// once, off is dark; any other code shows the colour.
std::vector<KeyColour> keyboardEffectFrame(int modeCode, const LightInfo& light, std::size_t keySlots,
                                           std::int64_t nowMs);

// The per-key colours of a light table (three bytes a slot) at the record's brightness; slots
// past the table are dark.
std::vector<KeyColour> perKeyFrame(const std::vector<std::uint8_t>& table, const LightInfo& light,
                                   std::size_t keySlots);

}  // namespace kestrion
