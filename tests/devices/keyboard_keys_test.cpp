// The keyboard's key table as written: each slot's code at its place, macros by their place in
// the written container.
#include <gtest/gtest.h>

#include "devices/keyboard_keys.h"

namespace kestrion {
namespace {

KeyRecord code(std::uint8_t type, std::uint8_t p1, std::uint8_t p2)
{
    KeyRecord record{};
    record.type = type;
    record.param1 = p1;
    record.param2 = p2;
    return record;
}

std::vector<std::uint8_t> slotOf(const KeyboardLink::KeyTable& table, std::size_t slot)
{
    return {table.begin() + static_cast<long>(slot * 3), table.begin() + static_cast<long>(slot * 3 + 3)};
}

TEST(KeyboardKeys, MacrosAreReferredToByTheirPlaceAndStaleOnesFallBackToTheDefault)
{
    std::vector<KeyEntry> keys = keyboardFactoryKeys(104);
    keys[2].current = code(0x70, 4, 1);   // the first macro played: place 0
    keys[7].current = code(0x71, 1, 3);   // the second: place 1
    keys[9].current = code(0x70, 4, 2);   // macro 4 again: still place 0
    keys[11].current = code(0x70, 9, 1);  // past the library of 5: its default
    keys[12].current = code(0x30, 0, 0xE9);
    EXPECT_EQ(keyboardMacroAssignments(keys, 5), (std::vector<std::uint8_t>{4, 1}));

    KeyboardLink::KeyTable table{};
    table.fill(0xEE);
    placeKeyboardKeys(table, keys, 5);
    EXPECT_EQ(slotOf(table, 2), (std::vector<std::uint8_t>{0x70, 0, 1}));
    EXPECT_EQ(slotOf(table, 7), (std::vector<std::uint8_t>{0x71, 1, 3}));
    EXPECT_EQ(slotOf(table, 9), (std::vector<std::uint8_t>{0x70, 0, 2}));
    EXPECT_EQ(slotOf(table, 11), (std::vector<std::uint8_t>{0x20, 0, 0x44})) << "F11, the layout's key";
    EXPECT_EQ(slotOf(table, 12), (std::vector<std::uint8_t>{0x30, 0, 0xE9}));
    EXPECT_EQ(table[104 * 3], 0xEE) << "bytes past the slots are kept";
}

TEST(KeyboardKeys, SlotsPastTheLayoutCarryNoFunction)
{
    const std::vector<KeyEntry> keys = keyboardFactoryKeys(106);
    ASSERT_EQ(keys.size(), 106u);
    EXPECT_EQ(keys[103].defaults.type, 0x20);
    EXPECT_EQ(keys[104].defaults.type, 0x00);
    EXPECT_EQ(keys[105].current.type, 0x00);
    EXPECT_EQ(keys[105].current.keyIndex(), 105);
}

}  // namespace
}  // namespace kestrion
