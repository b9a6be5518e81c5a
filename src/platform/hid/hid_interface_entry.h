#pragma once

#include <cstdint>
#include <string>

#include "platform/hid/report_descriptor.h"

namespace kestrion {

enum class HidBackend { Hidraw, Virtual };

// One top-level collection of one HID interface, as enumeration finds it.
struct HidInterfaceEntry {
    std::string path;      // the interface path handed to callers
    HidBackend backend = HidBackend::Hidraw;
    std::string nodePath;  // the hidraw node, or the virtual interface's socket
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
    std::uint16_t interfaceNumber = 0;
    std::uint16_t collectionNumber = 0;  // 1-based; 0 when the interface has one collection
    HidCollectionInfo collection;
};

}  // namespace kestrion
