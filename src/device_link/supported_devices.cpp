#include "device_link/supported_devices.h"

#include <algorithm>

#include "device_link/hid_device.h"

namespace kestrion {
namespace {

bool sameIdentity(const SupportedDeviceEntry& row, const InterfaceIdentity& id)
{
    return row.vendorId == id.vendorId && row.productId == id.productId && row.interfaceNumber == id.interfaceNumber &&
           row.collectionNumber == id.collectionNumber && row.usagePage == id.usagePage && row.usage == id.usage;
}

bool samePlacement(const SupportedDeviceEntry& row, const InterfaceIdentity& id)
{
    return row.vendorId == id.vendorId && row.productId == id.productId && row.interfaceNumber == id.interfaceNumber &&
           row.collectionNumber == id.collectionNumber;
}

InterfaceIdentity identityFromPath(const std::string& path)
{
    InterfaceIdentity id;
    id.vendorId = parseVendorId(path);
    id.productId = parseProductId(path);
    id.interfaceNumber = parseInterfaceNumber(path);
    id.collectionNumber = parseCollectionNumber(path);
    return id;
}

}  // namespace

std::vector<DeviceSlot> makeDeviceSlots()
{
    std::vector<DeviceSlot> slots;
    for (const SupportedDeviceEntry& row : kSupportedDeviceTable)
        slots.push_back(DeviceSlot{row, false, {}});
    return slots;
}

bool isCandidatePath(const std::vector<DeviceSlot>& slots, const std::string& path)
{
    const InterfaceIdentity id = identityFromPath(path);
    const bool inTable = std::any_of(kSupportedDeviceTable.begin(), kSupportedDeviceTable.end(),
                                     [&](const SupportedDeviceEntry& row) { return samePlacement(row, id); });
    return inTable && std::any_of(slots.begin(), slots.end(), [&](const DeviceSlot& slot) {
               return slot.isFree() && samePlacement(slot.entry, id);
           });
}

int findSupportedRow(const InterfaceIdentity& identity)
{
    const auto row = std::find_if(kSupportedDeviceTable.begin(), kSupportedDeviceTable.end(),
                                  [&](const SupportedDeviceEntry& r) { return sameIdentity(r, identity); });
    return row == kSupportedDeviceTable.end() ? -1 : static_cast<int>(row - kSupportedDeviceTable.begin());
}

int claimSlot(std::vector<DeviceSlot>& slots, const InterfaceIdentity& identity, const std::string& path)
{
    if (findSupportedRow(identity) < 0)
        return -1;
    const auto slot = std::find_if(slots.begin(), slots.end(), [&](const DeviceSlot& s) {
        return s.isFree() && sameIdentity(s.entry, identity);
    });
    if (slot == slots.end())
        return -1;
    slot->occupied = true;
    slot->devicePath = path;
    return static_cast<int>(slot - slots.begin());
}

int matchSupportedInterface(std::vector<DeviceSlot>& slots, const std::string& path, HidOpenError* openError)
{
    if (openError)
        *openError = HidOpenError::None;
    if (!isCandidatePath(slots, path))
        return -1;
    HidDevice device;
    if (!device.open(path, true, false, true, false)) {
        if (openError)
            *openError = device.lastOpenError();
        return -1;
    }
    InterfaceIdentity id = identityFromPath(path);
    id.vendorId = device.vendorId();
    id.productId = device.productId();
    id.usagePage = device.usagePage();
    id.usage = device.usage();
    device.close();
    return claimSlot(slots, id, path);
}

std::vector<int> releaseVanishedSlots(std::vector<DeviceSlot>& slots)
{
    std::vector<int> freed;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        DeviceSlot& slot = slots[i];
        if (!slot.occupied || hidInterfacePresent(slot.devicePath))
            continue;
        slot.occupied = false;
        slot.devicePath.clear();
        freed.push_back(static_cast<int>(i));
    }
    return freed;
}

}  // namespace kestrion
