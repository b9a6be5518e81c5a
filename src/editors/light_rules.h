#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "profiles/profile_records.h"

// Which lighting-editor groups a mode uses per device kind, the common effects that copy one
// device's lighting to the others, and the colour word. No Qt: tested directly.
namespace kestrion::lighting_editor {

// The enable-able groups of the editor, in the order of their control names below.
enum Group : std::size_t {
    kEffectGroup,
    kSevenColourGroup,
    kColourGroup,
    kPaletteGroup,
    kBrightnessGroup,
    kSpeedGroup,
    kDirectionGroup,
    kRgbGroup,
    kGroupCount,
};

inline constexpr std::array<const char*, kGroupCount> kGroupNames{
    "lighteffect_layout", "deng_7color_check", "deng_color_layout", "colorpallet_layout",
    "deng_light_layout",  "deng_speed_layout", "deng_fx_layout",    "deng_rgb_layout",
};

// One group's state under a mode: enabled, disabled, or left as it was.
enum class GroupState : std::int8_t { Keep = -1, Off = 0, On = 1 };

// What keyboards show besides the groups; every mode starts from these defaults.
struct KeyboardLayouts {
    bool speedShown = true;        // "deng_speed_layout"
    bool customShown = false;      // "lightcustom_layout"
    bool secondModeShown = false;  // "light_combo_ZZCCmodeSelectLayout"
    bool audioModeShown = false;   // "light_combo_AudiomodeSelectLayout"
    bool colourEnabled = true;     // "light_color_layout"
};

inline constexpr const char* kSpeedLayout = "deng_speed_layout";
inline constexpr const char* kCustomLayout = "lightcustom_layout";
inline constexpr const char* kSecondModeLayout = "light_combo_ZZCCmodeSelectLayout";
inline constexpr const char* kAudioModeLayout = "light_combo_AudiomodeSelectLayout";
inline constexpr const char* kLightColourLayout = "light_color_layout";

struct ModeRule {
    std::array<GroupState, kGroupCount> groups;
    // "deng_same_mode" is shown (when offered at all); nullopt: left as it was.
    std::optional<bool> same;
    // Keyboards only.
    std::optional<KeyboardLayouts> keyboard = std::nullopt;
};

// The mode after the fixed ones: the custom effect list the lighting record's "CustomGroup" names.
inline constexpr int kCustomMode = 11;

// The device kinds the editor knows; other kinds use the mouse pad's rules.
inline constexpr int kKindKeyboard = 1;
inline constexpr int kKindMouse = 2;
inline constexpr int kKindMousePad = 3;
inline constexpr int kKindLightStrip = 4;
inline constexpr int kKindFive = 5;
inline constexpr int kKindMouseReceiver = 6;
inline constexpr int kKindHeadset = 7;
inline constexpr int kKindKeyboardReceiver = 9;

// The rule of a mode for a device kind. The direction group is enabled before every rule is
// applied and the same-lighting command hidden, so Keep there means "enabled" and "hidden".
ModeRule modeRule(int kind, int mode);

// The common effects: the same lighting on devices of other kinds.
enum class KindColumn { Keyboard, Mouse, PadOrHeadset };
inline constexpr int kCommonEffectCount = 5;
// The common effect of a device mode, nullopt when the mode has none.
std::optional<int> commonEffectOf(KindColumn column, int mode);
int modeOfCommonEffect(KindColumn column, int effect);
std::optional<KindColumn> columnOfKind(int kind);

// The record a device of `targetKind` takes for "same lighting" from a source device's record;
// nullopt when the source mode has no common effect or the target kind has no column.
std::optional<LightInfo> sameLightingFor(const LightInfo& source, int sourceKind, const LightInfo& target,
                                         int targetKind);

// A colour word: alpha in the top byte, then red, green, blue. The editor writes alpha 0xFF.
constexpr std::uint32_t colourWord(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return 0xFF000000u | std::uint32_t(red) << 16 | std::uint32_t(green) << 8 | blue;
}
constexpr std::uint8_t redOf(std::uint32_t word) { return std::uint8_t(word >> 16); }
constexpr std::uint8_t greenOf(std::uint32_t word) { return std::uint8_t(word >> 8); }
constexpr std::uint8_t blueOf(std::uint32_t word) { return std::uint8_t(word); }

// A colour component typed into an edit: empty or not a number 0, above 255 255.
std::uint8_t componentFromText(const std::string& text);

}  // namespace kestrion::lighting_editor
