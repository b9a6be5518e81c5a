#pragma once

#include <cstdint>
#include <optional>

namespace kestrion {

// A key as a PC keyboard reports it in scan code set 1: the make code and whether it comes with
// the E0 (extended) prefix. It names the key's position, whatever the keyboard layout.
struct Set1ScanCode {
    std::uint16_t code = 0;
    bool extended = false;

    friend constexpr bool operator==(const Set1ScanCode&, const Set1ScanCode&) = default;
};

// The set-1 scan code of a Linux input (evdev) key code; nullopt for a key a PC keyboard does not
// have. On X11 and Wayland, Qt's native scan code of a key event is the evdev code + 8.
std::optional<Set1ScanCode> set1ScanCodeOfLinuxKey(std::uint32_t linuxKeyCode);

}  // namespace kestrion
