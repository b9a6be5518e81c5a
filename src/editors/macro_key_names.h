#pragma once

#include <cstdint>
#include <optional>

#include "editors/macro_recorder.h"

namespace kestrion {

// The macro event a key of the scan code table becomes: its usage, or for a modifier its bit;
// nullopt for a key macros cannot hold.
std::optional<MacroKey> macroKeyOfScanCode(std::uint16_t scanCode, bool extended);

// The language id of a key event's name ("Type" 10 by usage, 9 by modifier bit); "" when none.
const char* macroKeyNameId(MacroEventType type, int button);

}  // namespace kestrion
