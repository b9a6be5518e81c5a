#pragma once

#include <cstdint>
#include <json/value.h>
#include <vector>

namespace kestrion {

// One event of a macro or a shoot pattern as the tool keeps it once read: a key or button
// pressed or released after a pause. The values are within what the device holds.
struct MacroEvent {
    static constexpr int kMaxDelayMs = 0xFFFF;
    static constexpr int kMaxType = 0x7F;
    static constexpr int kMaxButton = 0xFF;

    std::uint16_t delayMs = 0;
    std::uint8_t type = 0;
    std::uint8_t button = 0;
    bool pressed = false;

    friend bool operator==(const MacroEvent&, const MacroEvent&) = default;
};

// One event of a macro or shoot document ({"Action", "Button", "Type", "Delay"}). "Delay" may be a
// decimal string (macro files) or a number (shoot files). Values beyond a field's range are held
// at its nearest end, so a long pause never wraps into a short one and a type never reaches the
// press bit; anything that is not a number reads as 0, anything but an object as no event.
MacroEvent macroEventOf(const Json::Value& event);
// The events of an "Events" array in order; anything but an array holds none.
std::vector<MacroEvent> macroEventsOf(const Json::Value& events);

}  // namespace kestrion
