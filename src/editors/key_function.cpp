#include "editors/key_function.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <span>

namespace kestrion {

namespace {

constexpr std::uint8_t kDirectionBit = 0x80;
constexpr std::uint8_t kCountMask = 0x7F;
constexpr std::uint8_t kNibble = 0x0F;
constexpr int kWheelDownBase = 128;
constexpr int kModifierOptions = 5;
constexpr const char* kOffLiteral = "关闭";

// Types whose keys the key list leaves out.
constexpr std::uint8_t kUnlistedTypes[] = {0x15, 0x21, 0x50, 0x60, 0xB0, 0xC0};

std::uint8_t low8(int value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::string number(int value)
{
    return std::to_string(value);
}

// The code of table row `row`, or `keep` when no row is selected.
KeyCode rowCode(std::span<const KeyCodeRow> table, int row, KeyCode keep)
{
    if (row < 0 || row >= static_cast<int>(table.size()))
        return keep;
    return table[static_cast<std::size_t>(row)].code;
}

int rowOf(std::span<const KeyCodeRow> table, KeyCode code)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].code.p1 == code.p1 && table[i].code.p2 == code.p2)
            return static_cast<int>(i);
    }
    return -1;
}

// Delay in the high nibble, speed in the low one.
std::uint8_t delaySpeed(const std::string& delay, const std::string& speed)
{
    return static_cast<std::uint8_t>((editNumber(delay) & kNibble) << 4 | (editNumber(speed) & kNibble));
}

KeyCode readSwing(const KeyPageState& s, KeyCode code)
{
    code.type = KeyType::Swing;
    code.p1 = delaySpeed(s.swingDelay, s.swingSpeed);
    const int count = editNumber(s.swingCount);
    if (s.swingDirection == 1)
        code.p2 = low8(count) | kDirectionBit;
    else if (s.swingDirection == 0)
        code.p2 = low8(count) & kCountMask;
    return code;
}

KeyCode readWheel(const KeyPageState& s, KeyCode code)
{
    code.type = KeyType::Wheel;
    code.p1 = delaySpeed(s.wheelDelay, s.wheelSpeed);
    const int count = editNumber(s.wheelCount);
    if (s.wheelDirection == 1)
        code.p2 = low8(kWheelDownBase - count) | kDirectionBit;
    else if (s.wheelDirection == 0)
        code.p2 = low8(count) & kCountMask;
    return code;
}

KeyCode readFire(KeyPageState& s)
{
    int interval = editNumber(s.fireInterval);
    if (interval < kMinFireInterval) {
        interval = kMinFireInterval;
        s.fireInterval = number(interval);
    }
    return {KeyType::Fire, low8(interval), low8(editNumber(s.fireCount))};
}

KeyCode readKeyboard(const KeyPageState& s, KeyCode code)
{
    return {KeyType::Keyboard, modifierBit(s.modifier), s.keyText.empty() ? std::uint8_t{0} : code.p2};
}

KeyCode readMacro(const KeyPageState& s, KeyCode code, int macroCount)
{
    if (s.macro < 0 || macroCount <= 0)
        return code;
    if (s.macroRepeat == kMacroCountedRepeat)
        return {KeyType::MacroCounted, low8(s.macro), low8(editNumber(s.macroCycles))};
    // A macro chosen before its repeat mode plays in the first mode, not in an undefined one.
    return {KeyType::Macro, low8(s.macro), low8(std::max(s.macroRepeat, 0))};
}

void showSwing(KeyPageState& s, KeyCode code)
{
    s.swingDelay = number(code.p1 >> 4);
    s.swingSpeed = number(code.p1 & kNibble);
    const bool right = code.p2 & kDirectionBit;
    s.swingCount = number(right ? code.p2 & kCountMask : code.p2);
    s.swingDirection = right ? 1 : 0;
}

void showWheel(KeyPageState& s, KeyCode code)
{
    s.wheelDelay = number(code.p1 >> 4);
    s.wheelSpeed = number(code.p1 & kNibble);
    const bool down = code.p2 & kDirectionBit;
    s.wheelCount = number(down ? kWheelDownBase - (code.p2 & kCountMask) : code.p2);
    s.wheelDirection = down ? 1 : 0;
}

// The first key table row from `first` on with p1 0 and this usage (any type), or kNoRow.
int usageRow(std::uint8_t usage, std::size_t first, bool keyboardOnly)
{
    for (std::size_t i = first; i < kKeyTable.size(); ++i) {
        const KeyCode& row = kKeyTable[i].code;
        if (row.p1 == 0 && row.p2 == usage && (!keyboardOnly || row.type == KeyType::Keyboard))
            return static_cast<int>(i);
    }
    return kNoRow;
}

void showKeyboard(KeyPageState& s, KeyCode code, KeyCode& current)
{
    s.page = KeyPage::Keyboard;
    if (code.p1 == 0) {
        const int row = usageRow(code.p2, 0, false);
        s.modifier = row == kNoRow ? -1 : 0;
        s.keyText = row == kNoRow ? "" : kKeyTable[static_cast<std::size_t>(row)].name;
        if (row == kNoRow) {
            current.p1 = 0;
            current.p2 = 0;
        }
        return;
    }
    s.modifier = 0;
    for (int i = 0; i < 4; ++i) {
        if (kKeyTable[static_cast<std::size_t>(i)].code.p1 == code.p1)
            s.modifier = i + 1;
    }
    const int row = code.p2 == 0 ? kNoRow : usageRow(code.p2, kFirstOrdinaryRow, true);
    s.keyText = row == kNoRow ? "" : kKeyTable[static_cast<std::size_t>(row)].name;
}

void showMacro(KeyPageState& s, KeyCode code, int macroCount)
{
    s.page = KeyPage::Macro;
    const bool named = code.p1 < macroCount;
    s.macro = named ? code.p1 : -1;
    if (code.type == KeyType::Macro) {
        s.macroRepeat = named ? code.p2 : -1;
        s.macroCyclesShown = false;
        return;
    }
    s.macroRepeat = kMacroCountedRepeat;
    s.macroCycles = number(code.p2);
    s.macroCyclesShown = named;
}

// Pages of the types whose page is a table row.
struct TablePage {
    std::uint8_t type;
    int page;
    std::span<const KeyCodeRow> table;
    int KeyPageState::*row;
};

const TablePage kTablePages[] = {
    {KeyType::MouseButton, KeyPage::MouseButton, kMouseButtonTable, &KeyPageState::mouseButton},
    {KeyType::Dpi, KeyPage::Dpi, kDpiFunctionTable, &KeyPageState::dpiFunction},
    {KeyType::Media, KeyPage::Media, kMediaKeyTable, &KeyPageState::media},
    {KeyType::System, KeyPage::System, kSystemKeyTable, &KeyPageState::system},
};

bool showTableCode(KeyPageState& s, KeyCode code)
{
    for (const TablePage& page : kTablePages) {
        if (page.type != code.type)
            continue;
        s.page = page.page;
        if (const int row = rowOf(page.table, code); row >= 0)
            s.*page.row = row;
        return true;
    }
    return false;
}

KeyFunctionLabel idLabel(const char* id)
{
    return {true, {id}, {}};
}

KeyFunctionLabel offLiteral()
{
    return {true, {}, kOffLiteral};
}

// The first row of `table` matching `matches`, as a label; "close_text" when none does.
template <typename Match>
KeyFunctionLabel tableLabel(std::span<const KeyCodeRow> table, Match matches)
{
    for (const KeyCodeRow& row : table) {
        if (matches(row.code))
            return idLabel(row.name);
    }
    return idLabel("close_text");
}

KeyFunctionLabel keyboardLabel(KeyCode code)
{
    for (const KeyCodeRow& row : kKeyTable) {
        if (row.code.p1 == code.p1 && row.code.p2 == code.p2)
            return idLabel(row.name);
    }
    if (code.p1 == 0 && code.p2 == 0)
        return idLabel("close_text");
    // A modifier with a key: the modifier's row by its bit, the key's row by its usage. A zero
    // byte names nothing (every ordinary key has p1 0).
    KeyFunctionLabel label;
    for (const KeyCodeRow& row : kKeyTable) {
        if (row.code.type != code.type)
            continue;
        if ((code.p1 != 0 && row.code.p1 == code.p1) || (code.p2 != 0 && row.code.p2 == code.p2))
            label.ids.emplace_back(row.name);
    }
    if (label.ids.empty())
        return idLabel("close_text");
    return label;
}

KeyFunctionLabel specialLabel(KeyCode code)
{
    for (const KeyCodeRow& row : kMouseFunctionTable) {
        if (row.code.type == code.type && row.code.p1 == code.p1)
            return idLabel(row.name);
    }
    for (const KeyCodeRow& row : kKeyTable) {
        if (row.code == code)
            return idLabel(row.name);
    }
    return offLiteral();
}

}  // namespace

int editNumber(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX);
    return static_cast<int>(negative ? -value : value);
}

std::uint8_t modifierBit(int option)
{
    if (option < 1 || option > 4)
        return 0;
    return kKeyTable[static_cast<std::size_t>(option - 1)].code.p1;
}

KeyCode readKeyCode(KeyPageState& s, KeyCode current, KeyCode defaults, int macroCount)
{
    switch (s.page) {
    case KeyPage::MouseButton: return rowCode(kMouseButtonTable, s.mouseButton, current);
    case KeyPage::Swing: return readSwing(s, current);
    case KeyPage::Wheel: return readWheel(s, current);
    case KeyPage::Dpi: return rowCode(kDpiFunctionTable, s.dpiFunction, current);
    case KeyPage::Fire: return readFire(s);
    case KeyPage::Keyboard: return readKeyboard(s, current);
    case KeyPage::Media: return rowCode(kMediaKeyTable, s.media, current);
    case KeyPage::System: return rowCode(kSystemKeyTable, s.system, current);
    case KeyPage::Macro: return readMacro(s, current, macroCount);
    case KeyPage::GunKey: return s.gun < 0 ? current : KeyCode{KeyType::GunKey, low8(s.gun), 0};
    case KeyPage::Shortcut: return rowCode(kShortcutPresetTable, s.shortcut, current);
    default: return defaults;
    }
}

void showKeyCode(KeyPageState& s, KeyCode code, KeyCode defaults, int macroCount, KeyCode& current)
{
    const std::uint8_t type = code == defaults ? KeyType::None : code.type;
    if (type == KeyType::None) {
        s.page = KeyPage::Default;
        return;
    }
    if (showTableCode(s, code))
        return;
    switch (type) {
    case KeyType::Swing:
        s.page = KeyPage::Swing;
        showSwing(s, code);
        return;
    case KeyType::Wheel:
        s.page = KeyPage::Wheel;
        showWheel(s, code);
        return;
    case KeyType::Fire:
        s.page = KeyPage::Fire;
        s.fireInterval = number(code.p1);
        s.fireCount = number(code.p2);
        return;
    case KeyType::Keyboard:
        if (code.p1 > 8) {
            s.page = KeyPage::Shortcut;
            if (const int row = rowOf(kShortcutPresetTable, code); row >= 0)
                s.shortcut = row;
            return;
        }
        showKeyboard(s, code, current);
        return;
    case KeyType::Macro:
    case KeyType::MacroCounted:
        showMacro(s, code, macroCount);
        return;
    case KeyType::GunKey:
        s.page = KeyPage::GunKey;
        s.gun = code.p1;
        return;
    case KeyType::ShortcutPage:
        s.page = KeyPage::Shortcut;
        s.shortcut = -1;
        return;
    default:
        s.page = KeyPage::None;
    }
}

std::optional<CapturedKey> captureKey(int scanCodeRow, int selectedModifier, KeyCode current)
{
    if (scanCodeRow < 0 || scanCodeRow >= static_cast<int>(kScanCodeRows))
        return std::nullopt;
    const KeyCodeRow& row = kKeyTable[static_cast<std::size_t>(scanCodeRow)];
    if (row.code.type != KeyType::Keyboard)
        return std::nullopt;
    if (scanCodeRow < static_cast<int>(kModifierRows)) {
        // Left and right keys of a kind select the same option.
        const int i = scanCodeRow + 1;
        current.p1 = row.code.p1;
        return CapturedKey{i % kModifierOptions + i / kModifierOptions, "", current};
    }
    const int modifier = selectedModifier < 0 ? 0 : selectedModifier;
    return CapturedKey{modifier, row.name, {KeyType::Keyboard, modifierBit(modifier), row.code.p2}};
}

KeyFunctionLabel keyFunctionLabel(KeyCode code, const std::vector<std::string>& macroNames)
{
    if (std::find(std::begin(kUnlistedTypes), std::end(kUnlistedTypes), code.type) != std::end(kUnlistedTypes))
        return {false, {}, {}};
    switch (code.type) {
    case KeyType::None:
    case KeyType::Keyboard: return keyboardLabel(code);
    case KeyType::MouseButton:
        return tableLabel(kMouseButtonTable, [&](KeyCode row) { return row.p1 == code.p1; });
    case KeyType::Dpi: return tableLabel(kDpiFunctionTable, [&](KeyCode row) { return row.p1 == code.p1; });
    case KeyType::Media:
    case KeyType::System:
        return tableLabel(code.type == KeyType::Media ? std::span<const KeyCodeRow>(kMediaKeyTable)
                                                      : std::span<const KeyCodeRow>(kSystemKeyTable),
                          [&](KeyCode row) { return row.p1 == code.p1 && row.p2 == code.p2; });
    case KeyType::Swing:
        return idLabel(code.p2 & kDirectionBit ? "mouse_key_right_Swing" : "mouse_key_left_Swing");
    case KeyType::Wheel: return idLabel(code.p2 & kDirectionBit ? "mouse_key_down_Swing" : "mouse_key_up_Swing");
    case KeyType::Fire: return idLabel("mouse_key_fire_key");
    case KeyType::GunKey: return idLabel(code.p1 < kGunNameTable.size() ? kGunNameTable[code.p1] : "close_text");
    case KeyType::DeviceShortcut:
        return tableLabel(kDeviceShortcutTable, [&](KeyCode row) { return row.p1 == code.p1 && row.p2 == code.p2; });
    case KeyType::DpiShift: return idLabel("mouse_key_DPI_shift");
    case KeyType::ShowWindow:
        return tableLabel(kMouseFunctionTable, [&](KeyCode row) { return row == code; });
    case KeyType::Special: return specialLabel(code);
    case KeyType::Macro:
    case KeyType::MacroCounted:
        if (code.p1 >= macroNames.size())
            return {false, {}, {}};
        return {true, {}, macroNames[code.p1]};
    default: return offLiteral();
    }
}

}  // namespace kestrion
