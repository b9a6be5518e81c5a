#include "editors/macro_key_names.h"

#include "editors/key_tables.h"

namespace kestrion {

std::optional<MacroKey> macroKeyOfScanCode(std::uint16_t scanCode, bool extended)
{
    const int row = scanCodeRow(scanCode, extended);
    if (row == kNoRow)
        return std::nullopt;
    const KeyCode& code = kKeyTable[static_cast<std::size_t>(row)].code;
    if (code.p2 != 0)
        return MacroKey{MacroEventType::Key, code.p2};
    if (code.p1 != 0)
        return MacroKey{MacroEventType::Modifier, code.p1};
    return std::nullopt;
}

const char* macroKeyNameId(MacroEventType type, int button)
{
    const bool modifier = type == MacroEventType::Modifier;
    const std::size_t rows = modifier ? kModifierRows : kKeyTable.size();
    for (std::size_t i = 0; i < rows; ++i) {
        const KeyCode& code = kKeyTable[i].code;
        const bool matches = modifier ? code.p1 == button && code.p2 == 0 : code.p1 == 0 && code.p2 == button;
        if (code.type == KeyType::Keyboard && matches)
            return kKeyTable[i].name;
    }
    return "";
}

}  // namespace kestrion
