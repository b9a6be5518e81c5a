#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/hid/hid_environment.h"

namespace kestrion {

enum class DeviceKind : std::uint8_t {
    Keyboard = 1,
    Mouse = 2,
    MousePad = 3,
    MouseReceiver = 6,
    Headset = 7,
    KeyboardReceiver = 9,
};

enum class InterfaceRole : std::uint8_t { Command = 0x00, Notification = 0xFF };

// One HID interface (one top-level collection) of one supported product.
struct SupportedDeviceEntry {
    std::uint16_t vendorId;
    std::uint16_t productId;
    std::uint16_t interfaceNumber;
    std::uint16_t collectionNumber;  // 0: the interface has a single collection
    DeviceKind deviceKind;
    InterfaceRole interfaceRole;
    std::uint16_t usagePage;
    std::uint16_t usage;
    bool hasPartner;
    int partnerIndex;  // the same role's row in the product's other (wired or receiver) form
};

inline constexpr std::array<SupportedDeviceEntry, 11> kSupportedDeviceTable = {{
    {0x320F, 0x0000, 1, 4, DeviceKind::Keyboard, InterfaceRole::Command, 0xFF1C, 0x92, true, 2},
    {0x320F, 0x0000, 0, 3, DeviceKind::Keyboard, InterfaceRole::Notification, 0x000C, 0x01, true, 3},
    {0x320F, 0x0000, 1, 4, DeviceKind::KeyboardReceiver, InterfaceRole::Command, 0xFF1C, 0x92, true, 0},
    {0x320F, 0x0000, 0, 3, DeviceKind::KeyboardReceiver, InterfaceRole::Notification, 0x000C, 0x01, true, 1},
    {0x320F, 0x22A4, 1, 2, DeviceKind::Mouse, InterfaceRole::Command, 0xFF1C, 0x92, true, 6},
    {0x320F, 0x22A4, 0, 3, DeviceKind::Mouse, InterfaceRole::Notification, 0x000C, 0x01, true, 7},
    {0x320F, 0x226F, 1, 2, DeviceKind::MouseReceiver, InterfaceRole::Command, 0xFF1C, 0x92, true, 4},
    {0x320F, 0x226F, 0, 3, DeviceKind::MouseReceiver, InterfaceRole::Notification, 0x000C, 0x01, true, 5},
    {0x320F, 0x1004, 1, 4, DeviceKind::MousePad, InterfaceRole::Command, 0xFF1C, 0x92, false, 0},
    {0x320F, 0x1004, 0, 3, DeviceKind::MousePad, InterfaceRole::Notification, 0x000C, 0x01, false, 0},
    {0x0C76, 0x1630, 3, 0, DeviceKind::Headset, InterfaceRole::Command, 0x000C, 0x01, false, 0},
}};

// The device manager's working copy of one table row.
struct DeviceSlot {
    SupportedDeviceEntry entry;
    bool occupied = false;
    std::string devicePath;

    bool isFree() const { return !occupied && devicePath.empty(); }
};

// What identifies an interface against the table.
struct InterfaceIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t interfaceNumber = 0;
    std::uint16_t collectionNumber = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
};

std::vector<DeviceSlot> makeDeviceSlots();

// Stage one: the path's four numbers name a table row and a free slot.
bool isCandidatePath(const std::vector<DeviceSlot>& slots, const std::string& path);

// Stage two: the first table row equal in all six values (-1 when none).
int findSupportedRow(const InterfaceIdentity& identity);

// Marks the first free slot equal in all six values as taken by `path`; its index, or -1 with
// every slot left as it was.
int claimSlot(std::vector<DeviceSlot>& slots, const InterfaceIdentity& identity, const std::string& path);

// Both stages, opening the interface briefly to read its attributes and top-level usage.
// `openError` (optional) tells a candidate the user lacks the rights to open from one gone.
int matchSupportedInterface(std::vector<DeviceSlot>& slots, const std::string& path,
                            HidOpenError* openError = nullptr);

// Frees every occupied slot whose interface is no longer present; the freed indexes.
std::vector<int> releaseVanishedSlots(std::vector<DeviceSlot>& slots);

}  // namespace kestrion
