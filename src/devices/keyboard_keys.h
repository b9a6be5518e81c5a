#pragma once

#include <cstdint>
#include <vector>

#include "devices/keyboard_settings.h"
#include "profiles/profile_records.h"

namespace kestrion {

// The keyboard's own assignment of each key slot of its drawn layout, as a key list whose current
// and default records both hold it; slots past the layout carry no function.
std::vector<KeyEntry> keyboardFactoryKeys(std::size_t slots);

// The distinct macro numbers the slots play, in slot order; numbers at or past macroCount (the
// library's size) are left out. The keyboard's macro entries follow this order.
std::vector<std::uint8_t> keyboardMacroAssignments(const std::vector<KeyEntry>& keys, int macroCount);

// Each slot's assignment at its place of `table` (bytes past the slots kept). A macro key refers
// to its macro by the macro's place in keyboardMacroAssignments; one whose macro is not in the
// library gets its default.
void placeKeyboardKeys(KeyboardLink::KeyTable& table, const std::vector<KeyEntry>& keys, int macroCount);

}  // namespace kestrion
