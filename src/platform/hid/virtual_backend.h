#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/hid/hid_environment.h"
#include "platform/hid/hid_interface_entry.h"

namespace kestrion {

inline constexpr char kVirtualPathPrefix[] = "vhid:";

// What <stem>.json says about a virtual interface.
struct VirtualDescription {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::uint16_t version = 0;
    std::uint16_t interfaceNumber = 0;
    std::vector<std::uint8_t> descriptor;
};

// The description in text; nullopt when it is malformed, a member has the wrong type or a number
// lies outside 0..65535.
std::optional<VirtualDescription> parseVirtualDescription(const std::string& text);

// The entries of the virtual interface <stem>.json + <stem>.sock, one per top-level collection.
// Empty when either file is missing, the description is malformed or nobody listens. A socket the
// user may not connect to is listed: opening it reports the missing rights.
std::vector<HidInterfaceEntry> describeVirtualInterface(const HidEnvironment& environment, const std::string& stem);

// Appends the entries of every virtual interface, in stem order. A missing folder is no failure.
bool enumerateVirtual(const HidEnvironment& environment, std::vector<HidInterfaceEntry>& entries);

// Whether <stem>.json exists and <stem>.sock accepts a connection (or refuses it for lack of
// rights, which still means someone is there). Like the listing, only in a trusted folder
// (see trustedVirtualFolder).
bool virtualInterfacePresent(const HidEnvironment& environment, const std::string& stem);

// A non-blocking connection to a virtual interface's socket, or -1 with errno set.
int connectVirtualSocket(const std::string& socketPath);

}  // namespace kestrion
