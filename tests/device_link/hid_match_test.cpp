#include <gtest/gtest.h>

#include "device_link/hid_device.h"
#include "device_link/supported_devices.h"

namespace kestrion {
namespace {

TEST(HidPath, NumbersAreReadAfterTheirKeys)
{
    struct Case {
        const char* path;
        std::uint16_t vendor, product, interface, collection;
    };
    const Case cases[] = {
        {"/dev/hidraw3#vid_320f&pid_22a4&mi_01&col02", 0x320F, 0x22A4, 1, 2},
        {"\\\\?\\HID#VID_320F&PID_22A4&MI_01&COL02#8&2b0e&0&0001#{4d1e55b2}", 0x320F, 0x22A4, 1, 2},
        {"vhid:headset#vid_0c76&pid_1630&mi_03", 0x0C76, 0x1630, 3, 0},
        {"/dev/hidraw0", 0, 0, 0, 0},
        {"vid_&pid_zz&mi_&col", 0, 0, 0, 0},
        {"vid_1234567&pid_0x22a4&mi_ 0b&col-1", 0x4567, 0x22A4, 0x0B, 0xFFFF},
        {"vid_fffffffffffffffffffff", 0xFFFF, 0, 0, 0},
        {"mi_01&vid_320F", 0x320F, 0, 0, 0},  // "&mi_" needs its ampersand
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(parseVendorId(c.path), c.vendor);
        EXPECT_EQ(parseProductId(c.path), c.product);
        EXPECT_EQ(parseInterfaceNumber(c.path), c.interface);
        EXPECT_EQ(parseCollectionNumber(c.path), c.collection);
    }
}

InterfaceIdentity identity(std::uint16_t vendor, std::uint16_t product, std::uint16_t interface,
                           std::uint16_t collection, std::uint16_t page, std::uint16_t usage)
{
    return {vendor, product, interface, collection, page, usage};
}

TEST(SupportedDevices, TableRowsPairTheirPartners)
{
    for (std::size_t i = 0; i < kSupportedDeviceTable.size(); ++i) {
        const SupportedDeviceEntry& row = kSupportedDeviceTable[i];
        if (!row.hasPartner)
            continue;
        SCOPED_TRACE(i);
        const SupportedDeviceEntry& partner = kSupportedDeviceTable.at(static_cast<std::size_t>(row.partnerIndex));
        EXPECT_EQ(partner.partnerIndex, static_cast<int>(i));
        EXPECT_EQ(partner.interfaceRole, row.interfaceRole);
        EXPECT_NE(partner.deviceKind, row.deviceKind);
    }
}

TEST(SupportedDevices, CandidatesNeedATableRowAndAFreeSlot)
{
    std::vector<DeviceSlot> slots = makeDeviceSlots();
    EXPECT_TRUE(isCandidatePath(slots, "/dev/hidraw1#vid_320f&pid_22a4&mi_01&col02"));
    EXPECT_TRUE(isCandidatePath(slots, "/dev/hidraw1#VID_320F&PID_22A4&MI_01&COL02"));
    EXPECT_TRUE(isCandidatePath(slots, "/dev/hidraw5#vid_0c76&pid_1630&mi_03"));
    EXPECT_FALSE(isCandidatePath(slots, "/dev/hidraw5#vid_0c76&pid_1630&mi_03&col01"));
    EXPECT_FALSE(isCandidatePath(slots, "/dev/hidraw5#vid_0c76&pid_1630"));
    EXPECT_FALSE(isCandidatePath(slots, "/dev/hidraw1#vid_320f&pid_22a4&mi_01&col01"));

    slots[4].occupied = true;
    EXPECT_FALSE(isCandidatePath(slots, "/dev/hidraw1#vid_320f&pid_22a4&mi_01&col02"));
    // A slot that still holds a path is not free even when not marked occupied.
    slots[4].occupied = false;
    slots[4].devicePath = "/dev/hidraw1#vid_320f&pid_22a4&mi_01&col02";
    EXPECT_FALSE(isCandidatePath(slots, "/dev/hidraw9#vid_320f&pid_22a4&mi_01&col02"));
}

TEST(SupportedDevices, ClaimTakesTheFirstFreeSlotOfAllSixValues)
{
    std::vector<DeviceSlot> slots = makeDeviceSlots();
    // The keyboard and its receiver share every identifying value: rows 0 and 2.
    const InterfaceIdentity keyboard = identity(0x320F, 0x0000, 1, 4, 0xFF1C, 0x92);
    EXPECT_EQ(findSupportedRow(keyboard), 0);
    EXPECT_EQ(claimSlot(slots, keyboard, "a"), 0);
    EXPECT_EQ(claimSlot(slots, keyboard, "b"), 2);
    const std::vector<DeviceSlot> before = slots;
    EXPECT_EQ(claimSlot(slots, keyboard, "c"), -1);

    // A right placement with the wrong top-level usage matches nothing and changes nothing.
    EXPECT_EQ(claimSlot(slots, identity(0x320F, 0x22A4, 1, 2, 0xFF00, 0x01), "d"), -1);
    EXPECT_EQ(claimSlot(slots, identity(0x320F, 0x226F, 0, 3, 0x000C, 0x02), "e"), -1);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        EXPECT_EQ(slots[i].occupied, before[i].occupied);
        EXPECT_EQ(slots[i].devicePath, before[i].devicePath);
    }
    EXPECT_EQ(slots[2].devicePath, "b");

    EXPECT_EQ(claimSlot(slots, identity(0x0C76, 0x1630, 3, 0, 0x000C, 0x01), "headset"), 10);
    EXPECT_EQ(claimSlot(slots, identity(0x320F, 0x226F, 0, 3, 0x000C, 0x01), "receiver"), 7);
}

TEST(SupportedDevices, MatchingANonCandidateOpensNothing)
{
    std::vector<DeviceSlot> slots = makeDeviceSlots();
    HidOpenError why = HidOpenError::Failed;
    EXPECT_EQ(matchSupportedInterface(slots, "/dev/hidraw0#vid_046d&pid_c52b&mi_02", &why), -1);
    EXPECT_EQ(why, HidOpenError::None);
    // Gone before the identification open: no slot is taken.
    EXPECT_EQ(matchSupportedInterface(slots, "vhid:gone#vid_320f&pid_22a4&mi_01&col02", &why), -1);
    EXPECT_EQ(why, HidOpenError::NotFound);
    for (const DeviceSlot& slot : slots)
        EXPECT_TRUE(slot.isFree());
}

}  // namespace
}  // namespace kestrion
