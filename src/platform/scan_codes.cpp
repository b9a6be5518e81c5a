#include "platform/scan_codes.h"

#include <array>
#include <linux/input-event-codes.h>

namespace kestrion {

namespace {

struct LinuxKeyScanCode {
    std::uint16_t linuxKey;
    std::uint8_t code;
    bool extended;
};

constexpr std::array<LinuxKeyScanCode, 113> kLinuxKeyScanCodes = {{
    {KEY_LEFTCTRL, 0x1D, false}, {KEY_LEFTSHIFT, 0x2A, false}, {KEY_LEFTALT, 0x38, false},
    {KEY_LEFTMETA, 0x5B, true}, {KEY_RIGHTCTRL, 0x1D, true}, {KEY_RIGHTSHIFT, 0x36, false},
    {KEY_RIGHTALT, 0x38, true}, {KEY_RIGHTMETA, 0x5C, true},
    {KEY_A, 0x1E, false}, {KEY_B, 0x30, false}, {KEY_C, 0x2E, false}, {KEY_D, 0x20, false},
    {KEY_E, 0x12, false}, {KEY_F, 0x21, false}, {KEY_G, 0x22, false}, {KEY_H, 0x23, false},
    {KEY_I, 0x17, false}, {KEY_J, 0x24, false}, {KEY_K, 0x25, false}, {KEY_L, 0x26, false},
    {KEY_M, 0x32, false}, {KEY_N, 0x31, false}, {KEY_O, 0x18, false}, {KEY_P, 0x19, false},
    {KEY_Q, 0x10, false}, {KEY_R, 0x13, false}, {KEY_S, 0x1F, false}, {KEY_T, 0x14, false},
    {KEY_U, 0x16, false}, {KEY_V, 0x2F, false}, {KEY_W, 0x11, false}, {KEY_X, 0x2D, false},
    {KEY_Y, 0x15, false}, {KEY_Z, 0x2C, false},
    {KEY_1, 0x02, false}, {KEY_2, 0x03, false}, {KEY_3, 0x04, false}, {KEY_4, 0x05, false},
    {KEY_5, 0x06, false}, {KEY_6, 0x07, false}, {KEY_7, 0x08, false}, {KEY_8, 0x09, false},
    {KEY_9, 0x0A, false}, {KEY_0, 0x0B, false},
    {KEY_ENTER, 0x1C, false}, {KEY_ESC, 0x01, false}, {KEY_BACKSPACE, 0x0E, false},
    {KEY_TAB, 0x0F, false}, {KEY_SPACE, 0x39, false}, {KEY_MINUS, 0x0C, false},
    {KEY_EQUAL, 0x0D, false}, {KEY_LEFTBRACE, 0x1A, false}, {KEY_RIGHTBRACE, 0x1B, false},
    {KEY_BACKSLASH, 0x2B, false}, {KEY_SEMICOLON, 0x27, false}, {KEY_APOSTROPHE, 0x28, false},
    {KEY_GRAVE, 0x29, false}, {KEY_COMMA, 0x33, false}, {KEY_DOT, 0x34, false},
    {KEY_SLASH, 0x35, false}, {KEY_CAPSLOCK, 0x3A, false},
    {KEY_F1, 0x3B, false}, {KEY_F2, 0x3C, false}, {KEY_F3, 0x3D, false}, {KEY_F4, 0x3E, false},
    {KEY_F5, 0x3F, false}, {KEY_F6, 0x40, false}, {KEY_F7, 0x41, false}, {KEY_F8, 0x42, false},
    {KEY_F9, 0x43, false}, {KEY_F10, 0x44, false}, {KEY_F11, 0x57, false}, {KEY_F12, 0x58, false},
    {KEY_SYSRQ, 0x37, true}, {KEY_SCROLLLOCK, 0x46, false}, {KEY_PAUSE, 0x45, false},
    {KEY_INSERT, 0x52, true}, {KEY_HOME, 0x47, true}, {KEY_PAGEUP, 0x49, true},
    {KEY_DELETE, 0x53, true}, {KEY_END, 0x4F, true}, {KEY_PAGEDOWN, 0x51, true},
    {KEY_RIGHT, 0x4D, true}, {KEY_LEFT, 0x4B, true}, {KEY_DOWN, 0x50, true}, {KEY_UP, 0x48, true},
    {KEY_NUMLOCK, 0x45, true}, {KEY_KPSLASH, 0x35, true}, {KEY_KPASTERISK, 0x37, false},
    {KEY_KPMINUS, 0x4A, false}, {KEY_KPPLUS, 0x4E, false}, {KEY_KPENTER, 0x1C, true},
    {KEY_KP1, 0x4F, false}, {KEY_KP2, 0x50, false}, {KEY_KP3, 0x51, false},
    {KEY_KP4, 0x4B, false}, {KEY_KP5, 0x4C, false}, {KEY_KP6, 0x4D, false},
    {KEY_KP7, 0x47, false}, {KEY_KP8, 0x48, false}, {KEY_KP9, 0x49, false},
    {KEY_KP0, 0x52, false}, {KEY_KPDOT, 0x53, false},
    {KEY_COMPOSE, 0x5D, true}, {KEY_102ND, 0x56, false}, {KEY_RO, 0x73, false},
    {KEY_YEN, 0x7D, false}, {KEY_KPCOMMA, 0x7E, false}, {KEY_MUHENKAN, 0x7B, false},
    {KEY_HENKAN, 0x79, false}, {KEY_KATAKANAHIRAGANA, 0x70, false}, {KEY_HANJA, 0xF1, false},
    {KEY_HANGEUL, 0xF2, false},
}};

}  // namespace

std::optional<Set1ScanCode> set1ScanCodeOfLinuxKey(std::uint32_t linuxKeyCode)
{
    for (const LinuxKeyScanCode& row : kLinuxKeyScanCodes) {
        if (row.linuxKey == linuxKeyCode)
            return Set1ScanCode{row.code, row.extended};
    }
    return std::nullopt;
}

}  // namespace kestrion
