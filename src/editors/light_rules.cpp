#include "editors/light_rules.h"

#include <algorithm>
#include <charconv>

namespace kestrion::lighting_editor {
namespace {

constexpr GroupState K = GroupState::Keep;
constexpr GroupState O = GroupState::Off;
constexpr GroupState I = GroupState::On;

struct Row {
    int mode;
    ModeRule rule;
};

// Columns: effect, seven-colour, colour, palette, brightness, speed, direction, rgb.
constexpr Row kMouseRows[] = {
    {0, {{I, O, I, I, I, O, O, I}, true}},
    {1, {{I, O, I, I, I, I, O, I}, true}},
    {9, {{I, O, I, I, I, I, O, I}, true}},
    {2, {{I, O, O, O, I, I, O, O}, true}},
    {3, {{I, O, O, O, I, I, O, O}, true}},
    {4, {{I, O, O, O, I, I, O, O}, true}},
    {5, {{I, I, O, O, I, I, O, O}, true}},
    {6, {{I, O, O, O, O, O, O, O}, true}},
    {7, {{I, O, O, O, I, I, O, K}, false}},
    {8, {{I, I, I, I, I, I, O, K}, true}},
    {10, {{I, O, O, O, I, I, O, O}, false}},
    // The custom list: every group composes the frames of the list.
    {kCustomMode, {{I, I, I, I, I, I, I, I}, false}},
};
constexpr ModeRule kMouseOther{{I, O, O, O, O, O, O, K}, false};

// Mouse pad, headset and light strip.
constexpr Row kPadRows[] = {
    {0, {{I, I, I, I, I, I, I, I}, false}},
    {1, {{I, O, O, O, I, I, O, O}, true}},
    {2, {{I, I, I, I, I, I, O, I}, true}},
    {4, {{I, I, I, I, I, I, O, I}, true}},
    {3, {{I, O, I, I, I, O, O, I}, true}},
    {8, {{I, O, O, O, O, O, O, O}, true}},
};
constexpr ModeRule kPadOther{{I, O, O, O, O, O, O, O}, false};

// Kind 5 leaves the direction group and the same-lighting command alone.
constexpr Row kFiveRows[] = {
    {0, {{I, I, I, I, I, I, K, I}, std::nullopt}},
    {2, {{I, I, I, I, I, I, K, I}, std::nullopt}},
    {3, {{I, I, I, I, I, I, K, I}, std::nullopt}},
    {1, {{I, O, I, I, I, O, K, I}, std::nullopt}},
    {4, {{I, O, O, O, I, I, K, O}, std::nullopt}},
};
constexpr ModeRule kFiveOther{{I, O, O, O, O, O, K, O}, std::nullopt};

// Keyboards: 30 modes. Direction stays enabled (Keep) where a row does not name it.
constexpr KeyboardLayouts kPlain{};
constexpr KeyboardLayouts kNoColour{true, false, false, false, false};
constexpr KeyboardLayouts kSecondMode{false, false, true, false, false};
constexpr KeyboardLayouts kCustom{false, true, false, false, true};
constexpr KeyboardLayouts kAudioMode{false, false, false, true, true};

constexpr ModeRule kKeyboardAll{{I, I, I, I, I, I, K, K}, false, kPlain};
constexpr ModeRule kKeyboardNoDirection{{I, I, I, I, I, I, O, K}, false, kPlain};
constexpr ModeRule kKeyboardOff{{I, O, O, O, O, O, O, K}, false, kPlain};

constexpr Row kKeyboardRows[] = {
    {0, kKeyboardAll},
    {1, kKeyboardAll},
    {2, kKeyboardAll},
    {20, kKeyboardAll},
    {23, kKeyboardAll},
    {3, {{I, O, O, O, I, I, O, K}, true, kNoColour}},
    {4, {{I, O, I, I, I, I, O, K}, true, kPlain}},
    {5, {{I, I, I, I, I, O, O, K}, true, kPlain}},
    {6, kKeyboardNoDirection},
    {7, kKeyboardNoDirection},
    {8, kKeyboardNoDirection},
    {9, kKeyboardNoDirection},
    {12, kKeyboardNoDirection},
    {13, kKeyboardNoDirection},
    {14, kKeyboardNoDirection},
    {21, kKeyboardNoDirection},
    {24, kKeyboardNoDirection},
    {10, {{I, O, O, O, I, I, O, K}, false, kNoColour}},
    {11, {{I, O, O, O, I, I, K, K}, false, kPlain}},
    {15, {{I, I, I, I, I, O, O, K}, false, kPlain}},
    {16, {{I, O, O, O, I, I, O, K}, false, kSecondMode}},
    {17, {{I, O, O, O, I, O, K, K}, false, kNoColour}},
    {19, {{I, O, I, I, I, O, O, K}, false, kCustom}},
    {26, {{I, O, O, O, I, I, O, K}, false, kPlain}},
    {27, {{I, O, O, O, O, O, O, K}, true, kPlain}},
    {28, {{I, I, I, I, I, O, K, K}, false, kAudioMode}},
    {29, {{I, O, O, O, I, O, O, K}, false, kNoColour}},
};

template <std::size_t N>
ModeRule findRule(const Row (&rows)[N], int mode, const ModeRule& other)
{
    const auto* row = std::find_if(std::begin(rows), std::end(rows), [mode](const Row& r) { return r.mode == mode; });
    return row == std::end(rows) ? other : row->rule;
}

// Device mode per common effect, by column: keyboard, mouse, mouse pad and headset.
constexpr int kEffectModes[kCommonEffectCount][3] = {
    {5, 1, 2},
    {6, 0, 3},
    {23, 8, 4},
    {4, 3, 1},
    {28, 6, 8},
};

}  // namespace

ModeRule modeRule(int kind, int mode)
{
    switch (kind) {
    case kKindKeyboard:
    case kKindKeyboardReceiver:
        return findRule(kKeyboardRows, mode, kKeyboardOff);
    case kKindMouse:
    case kKindMouseReceiver:
        return findRule(kMouseRows, mode, kMouseOther);
    case kKindFive:
        return findRule(kFiveRows, mode, kFiveOther);
    default:
        return findRule(kPadRows, mode, kPadOther);
    }
}

std::optional<KindColumn> columnOfKind(int kind)
{
    switch (kind) {
    case kKindKeyboard:
    case kKindKeyboardReceiver:
        return KindColumn::Keyboard;
    case kKindMouse:
    case kKindMouseReceiver:
        return KindColumn::Mouse;
    case kKindMousePad:
    case kKindHeadset:
        return KindColumn::PadOrHeadset;
    default:
        return std::nullopt;
    }
}

std::optional<int> commonEffectOf(KindColumn column, int mode)
{
    for (int effect = 0; effect < kCommonEffectCount; ++effect) {
        if (kEffectModes[effect][static_cast<int>(column)] == mode)
            return effect;
    }
    return std::nullopt;
}

int modeOfCommonEffect(KindColumn column, int effect)
{
    return kEffectModes[std::clamp(effect, 0, kCommonEffectCount - 1)][static_cast<int>(column)];
}

std::optional<LightInfo> sameLightingFor(const LightInfo& source, int sourceKind, const LightInfo& target,
                                         int targetKind)
{
    const auto from = columnOfKind(sourceKind);
    const auto to = columnOfKind(targetKind);
    if (!from || !to)
        return std::nullopt;
    const auto effect = commonEffectOf(*from, source.mode);
    if (!effect)
        return std::nullopt;
    LightInfo result = target;
    result.mode = static_cast<std::uint8_t>(modeOfCommonEffect(*to, *effect));
    result.brightness = source.brightness;
    result.speed = source.speed;
    result.direction = source.direction;
    result.multiColor = source.multiColor;
    result.red = source.red;
    result.green = source.green;
    result.blue = source.blue;
    return result;
}

std::uint8_t componentFromText(const std::string& text)
{
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range)
        return 255;
    if (error != std::errc() || end == text.data())
        return 0;
    return static_cast<std::uint8_t>(std::min<unsigned long>(value, 255));
}

}  // namespace kestrion::lighting_editor
