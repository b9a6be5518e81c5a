#include "devices/keyboard_keys.h"

#include <algorithm>
#include <array>

#include "devices/mouse_transfer.h"

namespace kestrion {
namespace {

constexpr std::uint8_t kKeyboardKeyType = 0x20;

// One key of the layout: its modifier bit, or its HID keyboard usage.
struct LayoutKey {
    std::uint8_t modifier;
    std::uint8_t usage;
};

constexpr LayoutKey key(std::uint8_t usage)
{
    return {0, usage};
}

constexpr LayoutKey modifier(std::uint8_t bit)
{
    return {bit, 0};
}

// The drawn layout in slot order, row by row from the top left.
constexpr std::array<LayoutKey, 104> kLayoutKeys = {{
    // Esc, F1 .. F12, Print Screen, Scroll Lock, Pause.
    key(0x29), key(0x3A), key(0x3B), key(0x3C), key(0x3D), key(0x3E), key(0x3F), key(0x40), key(0x41),
    key(0x42), key(0x43), key(0x44), key(0x45), key(0x46), key(0x47), key(0x48),
    // `, 1 .. 0, -, =, Backspace, Insert, Home, Page Up, Num Lock, Num /, Num *, Num -.
    key(0x35), key(0x1E), key(0x1F), key(0x20), key(0x21), key(0x22), key(0x23), key(0x24), key(0x25),
    key(0x26), key(0x27), key(0x2D), key(0x2E), key(0x2A), key(0x49), key(0x4A), key(0x4B), key(0x53),
    key(0x54), key(0x55), key(0x56),
    // Tab, Q .. P, [, ], \, Delete, End, Page Down, Num 7 .. Num 9, Num +.
    key(0x2B), key(0x14), key(0x1A), key(0x08), key(0x15), key(0x17), key(0x1C), key(0x18), key(0x0C),
    key(0x12), key(0x13), key(0x2F), key(0x30), key(0x31), key(0x4C), key(0x4D), key(0x4E), key(0x5F),
    key(0x60), key(0x61), key(0x57),
    // Caps Lock, A .. L, ;, ', Enter, Num 4 .. Num 6.
    key(0x39), key(0x04), key(0x16), key(0x07), key(0x09), key(0x0A), key(0x0B), key(0x0D), key(0x0E),
    key(0x0F), key(0x33), key(0x34), key(0x28), key(0x5C), key(0x5D), key(0x5E),
    // Left Shift, Z .. M, ",", ".", /, Right Shift, Up, Num 1 .. Num 3, Num Enter.
    modifier(0x02), key(0x1D), key(0x1B), key(0x06), key(0x19), key(0x05), key(0x11), key(0x10), key(0x36),
    key(0x37), key(0x38), modifier(0x20), key(0x52), key(0x59), key(0x5A), key(0x5B), key(0x58),
    // Left Ctrl, Left Win, Left Alt, Space, Right Alt, Right Win, App, Right Ctrl, Left, Down,
    // Right, Num 0, Num Decimal.
    modifier(0x01), modifier(0x08), modifier(0x04), key(0x2C), modifier(0x40), modifier(0x80), key(0x65),
    modifier(0x10), key(0x50), key(0x51), key(0x4F), key(0x62), key(0x63),
}};

KeyRecord layoutRecord(std::size_t slot)
{
    KeyRecord record{};
    record.setKeyIndex(static_cast<std::uint16_t>(slot));
    if (slot < kLayoutKeys.size()) {
        record.type = kKeyboardKeyType;
        record.param1 = kLayoutKeys[slot].modifier;
        record.param2 = kLayoutKeys[slot].usage;
    }
    return record;
}

bool inLibrary(const KeyRecord& key, int macroCount)
{
    return key.param1 < macroCount;
}

}  // namespace

std::vector<KeyEntry> keyboardFactoryKeys(std::size_t slots)
{
    std::vector<KeyEntry> keys;
    for (std::size_t slot = 0; slot < slots; ++slot)
        keys.push_back({layoutRecord(slot), layoutRecord(slot)});
    return keys;
}

std::vector<std::uint8_t> keyboardMacroAssignments(const std::vector<KeyEntry>& keys, int macroCount)
{
    std::vector<std::uint8_t> macros;
    for (const KeyEntry& entry : keys) {
        const KeyRecord& key = entry.current;
        if (playsMacro(key) && inLibrary(key, macroCount)
            && std::find(macros.begin(), macros.end(), key.param1) == macros.end())
            macros.push_back(key.param1);
    }
    return macros;
}

void placeKeyboardKeys(KeyboardLink::KeyTable& table, const std::vector<KeyEntry>& keys, int macroCount)
{
    const std::vector<std::uint8_t> macros = keyboardMacroAssignments(keys, macroCount);
    const std::size_t slots = std::min(keys.size(), keyboard_memory::kMaxKeySlots);
    for (std::size_t slot = 0; slot < slots; ++slot) {
        KeyRecord key = keys[slot].current;
        if (playsMacro(key)) {
            const auto found = std::find(macros.begin(), macros.end(), key.param1);
            if (found == macros.end())
                key = keys[slot].defaults;
            else
                key.param1 = static_cast<std::uint8_t>(found - macros.begin());
        }
        const std::size_t at = keySlotOffset(slot);
        table[at] = key.type;
        table[at + 1] = key.param1;
        table[at + 2] = key.param2;
    }
}

}  // namespace kestrion
