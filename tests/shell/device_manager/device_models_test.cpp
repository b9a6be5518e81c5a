#include <gtest/gtest.h>

#include <vector>

#include "shell/device_manager/device_models.h"

namespace kestrion {
namespace {

TEST(DeviceModels, ModelIsFoundOnlyByTheExactIdentity)
{
    struct Case {
        std::uint16_t vendor, product;
        DeviceKind kind;
        InterfaceRole role;
        std::optional<int> model;
    };
    const Case cases[] = {
        {0x320F, 0x22A4, DeviceKind::Mouse, InterfaceRole::Command, 0},
        {0x320F, 0x0000, DeviceKind::Keyboard, InterfaceRole::Command, 1},
        {0x320F, 0x1004, DeviceKind::MousePad, InterfaceRole::Command, 2},
        {0x0C76, 0x1630, DeviceKind::Headset, InterfaceRole::Command, 3},
        {0x320F, 0x22A4, DeviceKind::Mouse, InterfaceRole::Notification, std::nullopt},
        {0x320F, 0x226F, DeviceKind::MouseReceiver, InterfaceRole::Command, std::nullopt},
        {0x320F, 0x22A4, DeviceKind::MousePad, InterfaceRole::Command, std::nullopt},
        {0x0C76, 0x1004, DeviceKind::MousePad, InterfaceRole::Command, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.vendor << ":" << c.product);
        EXPECT_EQ(findDeviceModel(c.vendor, c.product, c.kind, c.role), c.model);
    }
}

// Every supported interface leads to the page of its product; the receiver's to the wired mouse,
// and only the mouse's receiver is mapped so (the keyboard receiver has no page).
TEST(DeviceModels, TableRowsLeadToTheirProductsModel)
{
    const std::optional<int> expected[] = {1, 1, std::nullopt, std::nullopt, 0, 0, 0, 0, 2, 2, 3};
    ASSERT_EQ(std::size(expected), kSupportedDeviceTable.size());
    for (std::size_t i = 0; i < kSupportedDeviceTable.size(); ++i)
        EXPECT_EQ(modelForTableRow(kSupportedDeviceTable[i], InterfaceRole::Command), expected[i]) << "row " << i;

    SupportedDeviceEntry lone = kSupportedDeviceTable[6];
    lone.hasPartner = false;
    EXPECT_EQ(modelForTableRow(lone, InterfaceRole::Command), std::nullopt) << "its own ids name no model";
    lone.productId = 0x22A4;
    EXPECT_EQ(modelForTableRow(lone, InterfaceRole::Command), 0);
    lone.hasPartner = true;
    lone.partnerIndex = 11;
    EXPECT_EQ(modelForTableRow(lone, InterfaceRole::Command), 0) << "a partner index outside the table is ignored";
}

// The block a factory tool gets, word by word as it reads it.
TEST(DeviceModels, FactoryToolBlockListsTheVersionAndEveryModel)
{
    const std::array<std::uint8_t, kFactoryBlockSize> block = factoryToolBlock();
    const std::vector<std::uint8_t> expected = {
        2, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0,  // version 2.3.0.2
        4, 0, 0, 0,                                     // four models
        0x0F, 0x32, 0, 0, 0xA4, 0x22, 0, 0, 2, 0, 0, 0,  // the mouse
        0x0F, 0x32, 0, 0, 0x00, 0x00, 0, 0, 1, 0, 0, 0,  // the keyboard
        0x0F, 0x32, 0, 0, 0x04, 0x10, 0, 0, 3, 0, 0, 0,  // the mouse pad
        0x76, 0x0C, 0, 0, 0x30, 0x16, 0, 0, 7, 0, 0, 0,  // the headset
    };
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.begin() + expected.size()), expected);
    for (std::size_t i = expected.size(); i < block.size(); ++i)
        ASSERT_EQ(block[i], 0) << "byte " << i;
}

TEST(DeviceModels, SelectorIconsFollowKindAndRole)
{
    struct Case {
        int kind, role;
        const char* prefix;  // "" for no icons
    };
    const Case cases[] = {
        {1, 0, "kb"},     {1, 0xFF, "kb"},      {2, 0, "ms"},     {2, 0xFF, "ms"}, {3, 0, "hard_mp"},
        {3, 1, "soft_mp"}, {3, 0xFF, ""},       {4, 0, "hd"},     {7, 5, "hd"},    {5, 0, "hub"},
        {6, 0, "unknow"}, {9, 0, "unknow"},     {0, 0, "unknow"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " role " << c.role);
        EXPECT_EQ(selectorIconPrefix(c.kind, c.role), c.prefix);
        EXPECT_EQ(selectorIcons(c.kind, c.role).has_value(), *c.prefix != '\0');
    }

    const std::optional<SelectorIcons> pad = selectorIcons(3, 1);
    ASSERT_TRUE(pad);
    EXPECT_EQ(pad->normal, "common/device_ico/soft_mp_device_normal.png");
    EXPECT_EQ(pad->selected, "common/device_ico/soft_mp_device_selected.png");
    EXPECT_EQ(pad->synchroNormal, "common/device_ico/soft_mp_device_synchro_normal.png");
    EXPECT_EQ(pad->synchroSelected, "common/device_ico/soft_mp_device_synchro_selected.png");
    EXPECT_EQ(pad->tooltipTextId, "soft_mp_device_name_text");
}

}  // namespace
}  // namespace kestrion
