#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrion {

// Key function types: the first of the three bytes of a key function code.
namespace KeyType {
inline constexpr std::uint8_t None = 0x00;
inline constexpr std::uint8_t MouseButton = 0x10;
inline constexpr std::uint8_t Swing = 0x11;
inline constexpr std::uint8_t Wheel = 0x12;
inline constexpr std::uint8_t Dpi = 0x13;
inline constexpr std::uint8_t Fire = 0x14;
inline constexpr std::uint8_t DpiShift = 0x16;
inline constexpr std::uint8_t Keyboard = 0x20;
inline constexpr std::uint8_t DeviceShortcut = 0x22;
inline constexpr std::uint8_t ShowWindow = 0x23;
inline constexpr std::uint8_t Media = 0x30;
inline constexpr std::uint8_t System = 0x40;
inline constexpr std::uint8_t Macro = 0x70;
inline constexpr std::uint8_t MacroCounted = 0x71;
inline constexpr std::uint8_t GunKey = 0x72;
inline constexpr std::uint8_t Special = 0xA0;
inline constexpr std::uint8_t ShortcutPage = 0xB0;
inline constexpr std::uint8_t KeyboardMacroKey = 0xD0;
}  // namespace KeyType

// One key function code: type, then two parameter bytes.
struct KeyCode {
    std::uint8_t type = 0;
    std::uint8_t p1 = 0;
    std::uint8_t p2 = 0;

    friend constexpr bool operator==(const KeyCode&, const KeyCode&) = default;
};

// A row of a code table: an id (the Windows virtual-key code for keyboard keys, 0xFF for a key that
// has none, ids from 0x100 for keys without one), the code, and the language id of its name.
struct KeyCodeRow {
    std::uint16_t keyId;
    KeyCode code;
    const char* name;
};

// A row of the scan code table, parallel to the first kScanCodeRows rows of the key table.
struct ScanCodeRow {
    std::uint16_t keyId;
    std::uint8_t scanCode;  // set-1 make code
    bool extended;
};

inline constexpr std::size_t kKeyTableRows = 142;
inline constexpr std::size_t kScanCodeRows = 113;
inline constexpr std::size_t kModifierRows = 8;      // rows 0..7 of the key table
inline constexpr std::size_t kFirstOrdinaryRow = 8;  // rows 8.. the keys with a usage
inline constexpr int kNoRow = -1;

extern const std::array<KeyCodeRow, 5> kMouseButtonTable;
extern const std::array<KeyCodeRow, 3> kDpiFunctionTable;
extern const std::array<KeyCodeRow, 3> kSystemKeyTable;
extern const std::array<KeyCodeRow, 18> kMediaKeyTable;
extern const std::array<KeyCodeRow, 11> kShortcutPresetTable;
extern const std::array<KeyCodeRow, 9> kDeviceShortcutTable;
extern const std::array<const char*, 4> kGunNameTable;
extern const std::array<KeyCodeRow, 4> kMouseFunctionTable;
extern const std::array<KeyCodeRow, kKeyTableRows> kKeyTable;
extern const std::array<ScanCodeRow, kScanCodeRows> kScanCodeTable;

// The row of the scan code table with this scan code and extended flag, or kNoRow.
int scanCodeRow(std::uint16_t scanCode, bool extended);

}  // namespace kestrion
