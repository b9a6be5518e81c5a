#include "editors/key_tables.h"
#include "platform/scan_codes.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <set>
#include <string>
#include <utility>

namespace kestrion {
namespace {

std::string keyName(int row)
{
    return row == kNoRow ? "(none)" : kKeyTable[static_cast<std::size_t>(row)].name;
}

// The key-table row of the key a Linux key code names, through its set-1 scan code.
std::string keyOfLinuxKey(std::uint32_t linuxKey)
{
    const auto scan = set1ScanCodeOfLinuxKey(linuxKey);
    return scan ? keyName(scanCodeRow(scan->code, scan->extended)) : "(none)";
}

TEST(ScanCodeTable, EveryKeyOfAPcKeyboardHasExactlyOneLinuxKey)
{
    std::set<int> rowsReached;
    for (std::uint32_t linuxKey = 0; linuxKey < KEY_MAX; ++linuxKey) {
        const auto scan = set1ScanCodeOfLinuxKey(linuxKey);
        if (!scan)
            continue;
        const int row = scanCodeRow(scan->code, scan->extended);
        ASSERT_NE(row, kNoRow) << "Linux key " << linuxKey << " has a scan code no key has";
        EXPECT_TRUE(rowsReached.insert(row).second) << keyName(row) << " reached twice";
    }
    EXPECT_EQ(rowsReached.size(), kScanCodeRows);
}

TEST(ScanCodeTable, RowsAreParallelToTheKeyTableAndDistinct)
{
    std::set<std::pair<int, bool>> codes;
    for (std::size_t i = 0; i < kScanCodeRows; ++i) {
        EXPECT_EQ(kScanCodeTable[i].keyId, kKeyTable[i].keyId) << kKeyTable[i].name;
        EXPECT_TRUE(codes.insert({kScanCodeTable[i].scanCode, kScanCodeTable[i].extended}).second)
            << kKeyTable[i].name << " shares its scan code";
    }
}

TEST(ScanCodeTable, LinuxKeysNameThePhysicalKey)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {KEY_A, "keyboard_key_A"},
        {KEY_Q, "keyboard_key_Q"},
        {KEY_0, "keyboard_key_0"},
        {KEY_LEFTCTRL, "keyboard_key_LCtrl"},
        {KEY_RIGHTCTRL, "keyboard_key_RCtrl"},
        {KEY_RIGHTSHIFT, "keyboard_key_RShift"},
        {KEY_RIGHTALT, "keyboard_key_RAlt"},
        {KEY_LEFTMETA, "keyboard_key_LWin"},
        {KEY_ENTER, "keyboard_key_Enter"},
        {KEY_KPENTER, "keyboard_key_Num Enter"},
        {KEY_SLASH, "keyboard_key_/"},
        {KEY_KPSLASH, "keyboard_key_Num /"},
        {KEY_HOME, "keyboard_key_Home"},
        {KEY_KP7, "keyboard_key_Num 7"},
        {KEY_DELETE, "keyboard_key_Delete"},
        {KEY_KPDOT, "keyboard_key_Decimal"},
        {KEY_NUMLOCK, "keyboard_key_Num Lock"},
        {KEY_PAUSE, "keyboard_key_Pause"},
        {KEY_SYSRQ, "keyboard_key_Print Scr"},
        {KEY_KPASTERISK, "keyboard_key_Num *"},
        {KEY_COMPOSE, "keyboard_key_App"},
        {KEY_F11, "keyboard_key_F11"},
        {KEY_102ND, "keyboard_key_K45"},
        {KEY_YEN, "keyboard_key_K14"},
        {KEY_HANGEUL, "keyboard_key_K151"},
        {KEY_MUTE, "(none)"},
        {0, "(none)"},
    };
    for (const auto& [linuxKey, name] : cases)
        EXPECT_EQ(keyOfLinuxKey(linuxKey), name) << "Linux key " << linuxKey;
}

TEST(KeyTable, ModifiersAndOrdinaryKeysFormTheirRanges)
{
    for (std::size_t i = 0; i < kModifierRows; ++i)
        EXPECT_EQ(kKeyTable[i].code, (KeyCode{KeyType::Keyboard, static_cast<std::uint8_t>(1u << i), 0}));
    std::set<int> usages;
    for (std::size_t i = kFirstOrdinaryRow; i < 114; ++i) {
        EXPECT_EQ(kKeyTable[i].code.type, KeyType::Keyboard) << kKeyTable[i].name;
        EXPECT_EQ(kKeyTable[i].code.p1, 0) << kKeyTable[i].name;
        EXPECT_TRUE(usages.insert(kKeyTable[i].code.p2).second) << kKeyTable[i].name << " repeats a usage";
    }
}

TEST(KeyTable, MediaRowsUseTheMediaKeyUsages)
{
    for (std::size_t i = 114; i < 132; ++i) {
        bool found = false;
        for (const KeyCodeRow& media : kMediaKeyTable)
            found = found || media.code == kKeyTable[i].code;
        EXPECT_TRUE(found) << kKeyTable[i].name;
    }
}

TEST(KeyTable, TellingRows)
{
    struct Case {
        const char* name;
        std::uint16_t keyId;
        KeyCode code;
    };
    const Case cases[] = {
        {"keyboard_key_Num Enter", 0x101, {0x20, 0, 0x58}},
        {"keyboard_key_K45", 0xE2, {0x20, 0, 0x64}},
        {"keyboard_key_K56", 0xC1, {0x20, 0, 0x87}},
        {"keyboard_key_K133", 0xFF, {0x20, 0, 0x88}},
        {"keyboard_key_K42", 0xBF, {0x20, 0, 0x32}},
        {"keyboard_key_Power", 0x103, {0x40, 0x01, 0}},
        {"keyboard_key_Wakeup", 0x105, {0x40, 0x04, 0}},
        {"keyboard_key_M3", 0, {0xD0, 0xA2, 3}},
        {"keyboard_key_FN", 0, {0xA0, 0x01, 0}},
        {"keyboard_key_GM", 0, {0xA0, 0x1B, 0}},
        {"wed_stop", 0xA9, {0x30, 0x26, 0x02}},
    };
    for (const Case& c : cases) {
        int row = kNoRow;
        for (std::size_t i = 0; i < kKeyTable.size() && row == kNoRow; ++i)
            row = std::string(kKeyTable[i].name) == c.name ? static_cast<int>(i) : kNoRow;
        ASSERT_NE(row, kNoRow) << c.name;
        EXPECT_EQ(kKeyTable[static_cast<std::size_t>(row)].keyId, c.keyId) << c.name;
        EXPECT_EQ(kKeyTable[static_cast<std::size_t>(row)].code, c.code) << c.name;
    }
    // "/" comes before K42, which shares its key id.
    EXPECT_STREQ(kKeyTable[59].name, "keyboard_key_/");
    EXPECT_STREQ(kKeyTable[113].name, "keyboard_key_K42");
}

}  // namespace
}  // namespace kestrion
