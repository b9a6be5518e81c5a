#pragma once

#include <string>
#include <vector>

#include "platform/hid/hid_environment.h"
#include "platform/hid/hid_interface_entry.h"

namespace kestrion {

inline constexpr char kVirtualPathPrefix[] = "vhid:";

// The entries of the virtual interface <stem>.json + <stem>.sock, one per top-level collection.
// Empty when either file is missing, the description is malformed or nobody listens.
std::vector<HidInterfaceEntry> describeVirtualInterface(const HidEnvironment& environment, const std::string& stem);

// Appends the entries of every virtual interface, in stem order. A missing folder is no failure.
bool enumerateVirtual(const HidEnvironment& environment, std::vector<HidInterfaceEntry>& entries);

// Whether <stem>.json exists and <stem>.sock accepts a connection (or refuses it for lack of
// rights, which still means someone is there).
bool virtualInterfacePresent(const HidEnvironment& environment, const std::string& stem);

// A non-blocking connection to a virtual interface's socket, or -1 with errno set.
int connectVirtualSocket(const std::string& socketPath);

}  // namespace kestrion
