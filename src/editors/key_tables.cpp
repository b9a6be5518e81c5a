#include "editors/key_tables.h"

namespace kestrion {

namespace {

constexpr KeyCodeRow key(std::uint16_t id, std::uint8_t usage, const char* name)
{
    return {id, {KeyType::Keyboard, 0, usage}, name};
}

constexpr KeyCodeRow modifier(std::uint16_t id, std::uint8_t bit, const char* name)
{
    return {id, {KeyType::Keyboard, bit, 0}, name};
}

constexpr KeyCodeRow media(std::uint16_t id, std::uint16_t usage, const char* name)
{
    return {id, {KeyType::Media, static_cast<std::uint8_t>(usage), static_cast<std::uint8_t>(usage >> 8)}, name};
}

}  // namespace

const std::array<KeyCodeRow, 5> kMouseButtonTable = {{
    {0, {KeyType::MouseButton, 0x01, 0}, "mouse_key_left"},
    {0, {KeyType::MouseButton, 0x04, 0}, "mouse_key_middle"},
    {0, {KeyType::MouseButton, 0x02, 0}, "mouse_key_right"},
    {0, {KeyType::MouseButton, 0x10, 0}, "mouse_key_forward"},
    {0, {KeyType::MouseButton, 0x08, 0}, "mouse_key_back"},
}};

const std::array<KeyCodeRow, 3> kDpiFunctionTable = {{
    {0, {KeyType::Dpi, 1, 0}, "mouse_key_DPI_add"},
    {0, {KeyType::Dpi, 2, 0}, "mouse_key_DPI_sub"},
    {0, {KeyType::Dpi, 3, 0}, "mouse_key_DPI_loop"},
}};

const std::array<KeyCodeRow, 3> kSystemKeyTable = {{
    {0, {KeyType::System, 0x01, 0}, "system_power"},
    {0, {KeyType::System, 0x02, 0}, "system_sleep"},
    {0, {KeyType::System, 0x04, 0}, "system_wake_up"},
}};

const std::array<KeyCodeRow, 18> kMediaKeyTable = {{
    media(0, 0x0183, "media_text"),
    media(0, 0x00CD, "media_play"),
    media(0, 0x00B7, "media_stop"),
    media(0, 0x00B6, "media_prev"),
    media(0, 0x00B5, "media_next"),
    media(0, 0x00EA, "media_vol_sub"),
    media(0, 0x00E9, "media_vol_add"),
    media(0, 0x00E2, "media_mute"),
    media(0, 0x0223, "web_text"),
    media(0, 0x0227, "web_refresh"),
    media(0, 0x0226, "wed_stop"),
    media(0, 0x0224, "wed_back"),
    media(0, 0x0225, "wed_forward"),
    media(0, 0x022A, "wed_favorite"),
    media(0, 0x0221, "web_search"),
    media(0, 0x0194, "media_mypc"),
    media(0, 0x0192, "media_calc"),
    media(0, 0x018A, "media_mail"),
}};

const std::array<KeyCodeRow, 11> kShortcutPresetTable = {{
    {0, {KeyType::Keyboard, 0x10, 0x12}, "custem_open"},
    {0, {KeyType::Keyboard, 0x10, 0x11}, "custem_new"},
    {0, {KeyType::Keyboard, 0x10, 0x1D}, "custem_undo"},
    {0, {KeyType::Keyboard, 0x10, 0x16}, "custem_save"},
    {0, {KeyType::Keyboard, 0x10, 0x06}, "custem_copy"},
    {0, {KeyType::Keyboard, 0x10, 0x1B}, "custem_cut"},
    {0, {KeyType::Keyboard, 0x10, 0x19}, "custem_paste"},
    {0, {KeyType::Keyboard, 0x10, 0x09}, "custem_find"},
    {0, {KeyType::Keyboard, 0x10, 0x04}, "custem_select_all"},
    {0, {KeyType::Keyboard, 0x10, 0x2D}, "custem_narrow"},
    {0, {KeyType::Keyboard, 0x10, 0x2E}, "custem_magnify"},
}};

const std::array<KeyCodeRow, 9> kDeviceShortcutTable = {{
    {0, {KeyType::DeviceShortcut, 0, 0}, "custem_cut"},
    {0, {KeyType::DeviceShortcut, 0, 1}, "custem_copy"},
    {0, {KeyType::DeviceShortcut, 0, 2}, "custem_paste"},
    {0, {KeyType::DeviceShortcut, 0, 3}, "custem_undo"},
    {0, {KeyType::DeviceShortcut, 0, 4}, "custem_select_all"},
    {0, {KeyType::DeviceShortcut, 0, 5}, "custem_find"},
    {0, {KeyType::DeviceShortcut, 0, 6}, "custem_new"},
    {0, {KeyType::DeviceShortcut, 0, 7}, "custem_save"},
    {0, {KeyType::DeviceShortcut, 0, 8}, "custem_open"},
}};

const std::array<const char*, 4> kGunNameTable = {"gun_1_txt", "gun_2_txt", "gun_3_txt", "gun_4_txt"};

const std::array<KeyCodeRow, 4> kMouseFunctionTable = {{
    {0, {KeyType::DpiShift, 0, 0}, "mouse_key_DPI_shift"},
    {0, {KeyType::ShowWindow, 0, 0}, "show_window"},
    {0, {KeyType::Special, 0x02, 0}, "mouse_key_smart_key"},
    {0, {KeyType::Special, 0x00, 0}, "close_text"},
}};

const std::array<KeyCodeRow, kKeyTableRows> kKeyTable = {{
    modifier(0xA2, 0x01, "keyboard_key_LCtrl"),
    modifier(0xA0, 0x02, "keyboard_key_LShift"),
    modifier(0xA4, 0x04, "keyboard_key_LAlt"),
    modifier(0x5B, 0x08, "keyboard_key_LWin"),
    modifier(0xA3, 0x10, "keyboard_key_RCtrl"),
    modifier(0xA1, 0x20, "keyboard_key_RShift"),
    modifier(0xA5, 0x40, "keyboard_key_RAlt"),
    modifier(0x5C, 0x80, "keyboard_key_RWin"),
    key(0x41, 0x04, "keyboard_key_A"),
    key(0x42, 0x05, "keyboard_key_B"),
    key(0x43, 0x06, "keyboard_key_C"),
    key(0x44, 0x07, "keyboard_key_D"),
    key(0x45, 0x08, "keyboard_key_E"),
    key(0x46, 0x09, "keyboard_key_F"),
    key(0x47, 0x0A, "keyboard_key_G"),
    key(0x48, 0x0B, "keyboard_key_H"),
    key(0x49, 0x0C, "keyboard_key_I"),
    key(0x4A, 0x0D, "keyboard_key_J"),
    key(0x4B, 0x0E, "keyboard_key_K"),
    key(0x4C, 0x0F, "keyboard_key_L"),
    key(0x4D, 0x10, "keyboard_key_M"),
    key(0x4E, 0x11, "keyboard_key_N"),
    key(0x4F, 0x12, "keyboard_key_O"),
    key(0x50, 0x13, "keyboard_key_P"),
    key(0x51, 0x14, "keyboard_key_Q"),
    key(0x52, 0x15, "keyboard_key_R"),
    key(0x53, 0x16, "keyboard_key_S"),
    key(0x54, 0x17, "keyboard_key_T"),
    key(0x55, 0x18, "keyboard_key_U"),
    key(0x56, 0x19, "keyboard_key_V"),
    key(0x57, 0x1A, "keyboard_key_W"),
    key(0x58, 0x1B, "keyboard_key_X"),
    key(0x59, 0x1C, "keyboard_key_Y"),
    key(0x5A, 0x1D, "keyboard_key_Z"),
    key(0x31, 0x1E, "keyboard_key_1"),
    key(0x32, 0x1F, "keyboard_key_2"),
    key(0x33, 0x20, "keyboard_key_3"),
    key(0x34, 0x21, "keyboard_key_4"),
    key(0x35, 0x22, "keyboard_key_5"),
    key(0x36, 0x23, "keyboard_key_6"),
    key(0x37, 0x24, "keyboard_key_7"),
    key(0x38, 0x25, "keyboard_key_8"),
    key(0x39, 0x26, "keyboard_key_9"),
    key(0x30, 0x27, "keyboard_key_0"),
    key(0x0D, 0x28, "keyboard_key_Enter"),
    key(0x1B, 0x29, "keyboard_key_Esc"),
    key(0x08, 0x2A, "keyboard_key_BackSpace"),
    key(0x09, 0x2B, "keyboard_key_Tab"),
    key(0x20, 0x2C, "keyboard_key_Space"),
    key(0xBD, 0x2D, "keyboard_key_-"),
    key(0xBB, 0x2E, "keyboard_key_="),
    key(0xDB, 0x2F, "keyboard_key_["),
    key(0xDD, 0x30, "keyboard_key_]"),
    key(0xDC, 0x31, "keyboard_key_xiegang"),
    key(0xBA, 0x33, "keyboard_key_;"),
    key(0xDE, 0x34, "keyboard_key_'"),
    key(0xC0, 0x35, "keyboard_key_`"),
    key(0xBC, 0x36, "keyboard_key_<"),
    key(0xBE, 0x37, "keyboard_key_."),
    key(0xBF, 0x38, "keyboard_key_/"),
    key(0x14, 0x39, "keyboard_key_Caplk"),
    key(0x70, 0x3A, "keyboard_key_F1"),
    key(0x71, 0x3B, "keyboard_key_F2"),
    key(0x72, 0x3C, "keyboard_key_F3"),
    key(0x73, 0x3D, "keyboard_key_F4"),
    key(0x74, 0x3E, "keyboard_key_F5"),
    key(0x75, 0x3F, "keyboard_key_F6"),
    key(0x76, 0x40, "keyboard_key_F7"),
    key(0x77, 0x41, "keyboard_key_F8"),
    key(0x78, 0x42, "keyboard_key_F9"),
    key(0x79, 0x43, "keyboard_key_F10"),
    key(0x7A, 0x44, "keyboard_key_F11"),
    key(0x7B, 0x45, "keyboard_key_F12"),
    key(0x2C, 0x46, "keyboard_key_Print Scr"),
    key(0x91, 0x47, "keyboard_key_Scroll Lock"),
    key(0x13, 0x48, "keyboard_key_Pause"),
    key(0x2D, 0x49, "keyboard_key_Insert"),
    key(0x24, 0x4A, "keyboard_key_Home"),
    key(0x21, 0x4B, "keyboard_key_Page Up"),
    key(0x2E, 0x4C, "keyboard_key_Delete"),
    key(0x23, 0x4D, "keyboard_key_End"),
    key(0x22, 0x4E, "keyboard_key_Page Down"),
    key(0x27, 0x4F, "keyboard_key_Right"),
    key(0x25, 0x50, "keyboard_key_Left"),
    key(0x28, 0x51, "keyboard_key_Down"),
    key(0x26, 0x52, "keyboard_key_Up"),
    key(0x90, 0x53, "keyboard_key_Num Lock"),
    key(0x6F, 0x54, "keyboard_key_Num /"),
    key(0x6A, 0x55, "keyboard_key_Num *"),
    key(0x6D, 0x56, "keyboard_key_Num -"),
    key(0x6B, 0x57, "keyboard_key_Num +"),
    key(0x101, 0x58, "keyboard_key_Num Enter"),
    key(0x61, 0x59, "keyboard_key_Num 1"),
    key(0x62, 0x5A, "keyboard_key_Num 2"),
    key(0x63, 0x5B, "keyboard_key_Num 3"),
    key(0x64, 0x5C, "keyboard_key_Num 4"),
    key(0x65, 0x5D, "keyboard_key_Num 5"),
    key(0x66, 0x5E, "keyboard_key_Num 6"),
    key(0x67, 0x5F, "keyboard_key_Num 7"),
    key(0x68, 0x60, "keyboard_key_Num 8"),
    key(0x69, 0x61, "keyboard_key_Num 9"),
    key(0x60, 0x62, "keyboard_key_Num 0"),
    key(0x6E, 0x63, "keyboard_key_Decimal"),
    key(0x5D, 0x65, "keyboard_key_App"),
    key(0xE2, 0x64, "keyboard_key_K45"),
    key(0xC1, 0x87, "keyboard_key_K56"),
    key(0xFF, 0x89, "keyboard_key_K14"),
    key(0xC2, 0x85, "keyboard_key_K107"),
    key(0xEB, 0x8B, "keyboard_key_K131"),
    key(0xFF, 0x8A, "keyboard_key_K132"),
    key(0xFF, 0x88, "keyboard_key_K133"),
    key(0xE9, 0x91, "keyboard_key_K150"),
    key(0xFF, 0x90, "keyboard_key_K151"),
    key(0xBF, 0x32, "keyboard_key_K42"),
    media(0xB7, 0x0192, "keyboard_key_Launch App2"),
    media(0xAC, 0x0223, "keyboard_key_Browaer Home"),
    media(0xB3, 0x00CD, "keyboard_key_Media Play Pause"),
    media(0xAA, 0x0221, "keyboard_key_Browser Search"),
    media(0xB4, 0x018A, "keyboard_key_Launch Mail"),
    media(0xAF, 0x00E9, "keyboard_key_Volume Up"),
    media(0xAD, 0x00E2, "keyboard_key_Volume Mute"),
    media(0xB2, 0x00B7, "keyboard_key_Media Stop"),
    media(0xAE, 0x00EA, "keyboard_key_Volume Down"),
    media(0xAB, 0x022A, "keyboard_key_Browser Favorites"),
    media(0xA7, 0x0225, "keyboard_key_Browser ForWard"),
    media(0xA6, 0x0224, "keyboard_key_Browser Back"),
    media(0xB1, 0x00B6, "keyboard_key_Media Prev Track"),
    media(0xB0, 0x00B5, "keyboard_key_Media Next Track"),
    media(0x102, 0x0194, "keyboard_key_Computer"),
    media(0xA8, 0x0227, "keyboard_key_Browser Refresh"),
    media(0xA9, 0x0226, "wed_stop"),
    media(0xB5, 0x0183, "keyboard_key_Launch Media Select"),
    {0x103, {KeyType::System, 0x01, 0}, "keyboard_key_Power"},
    {0x104, {KeyType::System, 0x02, 0}, "keyboard_key_Sleep"},
    {0x105, {KeyType::System, 0x04, 0}, "keyboard_key_Wakeup"},
    {0, {KeyType::KeyboardMacroKey, 0xA2, 1}, "keyboard_key_M1"},
    {0, {KeyType::KeyboardMacroKey, 0xA2, 2}, "keyboard_key_M2"},
    {0, {KeyType::KeyboardMacroKey, 0xA2, 3}, "keyboard_key_M3"},
    {0, {KeyType::KeyboardMacroKey, 0xA2, 4}, "keyboard_key_M4"},
    {0, {KeyType::KeyboardMacroKey, 0xA2, 5}, "keyboard_key_M5"},
    {0, {KeyType::Special, 0x01, 0}, "keyboard_key_FN"},
    {0, {KeyType::Special, 0x1B, 0}, "keyboard_key_GM"},
}};

// Set-1 make codes of the first 113 key table rows, in the same order. The extended flag is the one
// the keyboard reports with the E0 prefix; Num Lock and Pause share 0x45 and differ only by it.
const std::array<ScanCodeRow, kScanCodeRows> kScanCodeTable = {{
    {0xA2, 0x1D, false}, {0xA0, 0x2A, false}, {0xA4, 0x38, false}, {0x5B, 0x5B, true},
    {0xA3, 0x1D, true},  {0xA1, 0x36, false}, {0xA5, 0x38, true},  {0x5C, 0x5C, true},
    // A .. Z
    {0x41, 0x1E, false}, {0x42, 0x30, false}, {0x43, 0x2E, false}, {0x44, 0x20, false},
    {0x45, 0x12, false}, {0x46, 0x21, false}, {0x47, 0x22, false}, {0x48, 0x23, false},
    {0x49, 0x17, false}, {0x4A, 0x24, false}, {0x4B, 0x25, false}, {0x4C, 0x26, false},
    {0x4D, 0x32, false}, {0x4E, 0x31, false}, {0x4F, 0x18, false}, {0x50, 0x19, false},
    {0x51, 0x10, false}, {0x52, 0x13, false}, {0x53, 0x1F, false}, {0x54, 0x14, false},
    {0x55, 0x16, false}, {0x56, 0x2F, false}, {0x57, 0x11, false}, {0x58, 0x2D, false},
    {0x59, 0x15, false}, {0x5A, 0x2C, false},
    // 1 .. 9, 0
    {0x31, 0x02, false}, {0x32, 0x03, false}, {0x33, 0x04, false}, {0x34, 0x05, false},
    {0x35, 0x06, false}, {0x36, 0x07, false}, {0x37, 0x08, false}, {0x38, 0x09, false},
    {0x39, 0x0A, false}, {0x30, 0x0B, false},
    // Enter .. Caps Lock
    {0x0D, 0x1C, false}, {0x1B, 0x01, false}, {0x08, 0x0E, false}, {0x09, 0x0F, false},
    {0x20, 0x39, false}, {0xBD, 0x0C, false}, {0xBB, 0x0D, false}, {0xDB, 0x1A, false},
    {0xDD, 0x1B, false}, {0xDC, 0x2B, false}, {0xBA, 0x27, false}, {0xDE, 0x28, false},
    {0xC0, 0x29, false}, {0xBC, 0x33, false}, {0xBE, 0x34, false}, {0xBF, 0x35, false},
    {0x14, 0x3A, false},
    // F1 .. F12
    {0x70, 0x3B, false}, {0x71, 0x3C, false}, {0x72, 0x3D, false}, {0x73, 0x3E, false},
    {0x74, 0x3F, false}, {0x75, 0x40, false}, {0x76, 0x41, false}, {0x77, 0x42, false},
    {0x78, 0x43, false}, {0x79, 0x44, false}, {0x7A, 0x57, false}, {0x7B, 0x58, false},
    // Print Screen .. Up
    {0x2C, 0x37, true},  {0x91, 0x46, false}, {0x13, 0x45, false}, {0x2D, 0x52, true},
    {0x24, 0x47, true},  {0x21, 0x49, true},  {0x2E, 0x53, true},  {0x23, 0x4F, true},
    {0x22, 0x51, true},  {0x27, 0x4D, true},  {0x25, 0x4B, true},  {0x28, 0x50, true},
    {0x26, 0x48, true},
    // keypad
    {0x90, 0x45, true},  {0x6F, 0x35, true},  {0x6A, 0x37, false}, {0x6D, 0x4A, false},
    {0x6B, 0x4E, false}, {0x101, 0x1C, true}, {0x61, 0x4F, false}, {0x62, 0x50, false},
    {0x63, 0x51, false}, {0x64, 0x4B, false}, {0x65, 0x4C, false}, {0x66, 0x4D, false},
    {0x67, 0x47, false}, {0x68, 0x48, false}, {0x69, 0x49, false}, {0x60, 0x52, false},
    {0x6E, 0x53, false},
    // App and the international keys K45 .. K151
    {0x5D, 0x5D, true},  {0xE2, 0x56, false}, {0xC1, 0x73, false}, {0xFF, 0x7D, false},
    {0xC2, 0x7E, false}, {0xEB, 0x7B, false}, {0xFF, 0x79, false}, {0xFF, 0x70, false},
    {0xE9, 0xF1, false}, {0xFF, 0xF2, false},
}};

int scanCodeRow(std::uint16_t scanCode, bool extended)
{
    for (std::size_t i = 0; i < kScanCodeTable.size(); ++i) {
        if (kScanCodeTable[i].scanCode == scanCode && kScanCodeTable[i].extended == extended)
            return static_cast<int>(i);
    }
    return kNoRow;
}

}  // namespace kestrion
