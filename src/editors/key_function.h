#pragma once

#include "editors/key_tables.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrion {

// The function pages of the key editor, by the number each function combo item carries.
namespace KeyPage {
inline constexpr int Default = 0;
inline constexpr int MouseButton = 1;
inline constexpr int Swing = 2;
inline constexpr int Wheel = 3;
inline constexpr int Dpi = 4;
inline constexpr int Fire = 5;
inline constexpr int Keyboard = 6;
inline constexpr int Media = 7;
inline constexpr int System = 8;
inline constexpr int Macro = 9;
inline constexpr int GunKey = 10;
inline constexpr int Shortcut = 11;
inline constexpr int None = -1;
}  // namespace KeyPage

// Repeat item of the macro page that plays the macro a number of times (type 0x71).
inline constexpr int kMacroCountedRepeat = 4;
inline constexpr int kMinFireInterval = 10;

// What the function pages show, control by control: combo rows (-1 none selected), edit texts,
// the modifier option (0 none, 1 Ctrl, 2 Shift, 3 Alt, 4 Win; -1 none selected) and the language
// id of the captured key ("" none). The editor copies it to and from its controls.
struct KeyPageState {
    int page = KeyPage::None;
    int mouseButton = -1;
    int swingDirection = -1;  // 0 left, 1 right
    std::string swingCount, swingDelay, swingSpeed;
    int wheelDirection = -1;  // 0 up, 1 down
    std::string wheelCount, wheelDelay, wheelSpeed;
    int dpiFunction = -1;
    std::string fireInterval, fireCount;
    int modifier = -1;
    std::string keyText;
    int media = -1;
    int system = -1;
    int macro = -1;
    int macroRepeat = -1;
    std::string macroCycles;
    bool macroCyclesShown = false;
    int gun = -1;
    int shortcut = -1;
};

// A decimal number of an edit: leading white space, an optional sign and the digits that follow;
// anything else reads as 0. Saturates instead of overflowing.
int editNumber(const std::string& text);

// The code the page shown in `state` builds from the current code (algorithm of reading a page).
// Clamps a fire interval below the minimum and shows the clamped value in `state`.
KeyCode readKeyCode(KeyPageState& state, KeyCode current, KeyCode defaults, int macroCount);

// Puts `code` on its page in `state`; a code equal to `defaults` shows the default page. A keyboard
// code whose usage no key has is cleared to {0x20, 0, 0} in `current`.
void showKeyCode(KeyPageState& state, KeyCode code, KeyCode defaults, int macroCount, KeyCode& current);

// The keyboard page's answer to a pressed key: the modifier option to select, the language id of
// the key to show ("" clears it) and the new current code. nullopt: the key is ignored.
struct CapturedKey {
    int modifier;
    std::string keyText;
    KeyCode code;
};
std::optional<CapturedKey> captureKey(int scanCodeRow, int selectedModifier, KeyCode current);

// Modifier bit of option 1..4 (Ctrl, Shift, Alt, Win, left side); 0 for no modifier.
std::uint8_t modifierBit(int option);

// How the key list names a key's function.
struct KeyFunctionLabel {
    bool shown = true;             // false: the key gets no line
    std::vector<std::string> ids;  // language ids, shown joined by "+"
    std::string literal;           // shown as is when ids is empty
};
KeyFunctionLabel keyFunctionLabel(KeyCode code, const std::vector<std::string>& macroNames);

}  // namespace kestrion
