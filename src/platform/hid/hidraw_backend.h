#pragma once

#include <string>
#include <vector>

#include "platform/hid/hid_environment.h"
#include "platform/hid/hid_interface_entry.h"

namespace kestrion {

// "hidraw" followed by a node number.
bool isHidrawNodeName(const std::string& name);

// The entries of one hidraw node ("hidraw3"), one per top-level application collection, read
// from sysfs. Empty when the node or its descriptor cannot be read.
std::vector<HidInterfaceEntry> describeHidrawNode(const HidEnvironment& environment, const std::string& nodeName);

// Appends the entries of every hidraw node, in node-number order. A system without hidraw
// nodes is not a failure; false only when the class folder exists and cannot be listed.
bool enumerateHidraw(const HidEnvironment& environment, std::vector<HidInterfaceEntry>& entries);

}  // namespace kestrion
