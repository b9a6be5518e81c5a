#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/hid/hid_environment.h"
#include "platform/hid/hid_interface_entry.h"

namespace kestrion {

// Every HID interface entry present now: hidraw entries, then virtual ones. False when the
// system's list could not be read (entries then holds what was found before).
bool enumerateHidInterfaces(const HidEnvironment& environment, std::vector<HidInterfaceEntry>& entries);

// The entry an interface path names, read afresh; nullopt when it is not present.
std::optional<HidInterfaceEntry> resolveHidPath(const HidEnvironment& environment, const std::string& path);

// Opens the entry's node or connects to its socket, non-blocking. `accessMode` is O_RDONLY,
// O_WRONLY, O_RDWR or O_PATH (identity only). Returns -1 and sets `error` on failure.
int openHidInterface(const HidEnvironment& environment, const HidInterfaceEntry& entry, int accessMode,
                     HidOpenError& error);

// Whether the interface a path names is still there, and a reused hidraw node still carries
// the same vendor, product and interface. Lacking the rights to open it still counts as present.
bool hidPathPresent(const HidEnvironment& environment, const std::string& path);

}  // namespace kestrion
