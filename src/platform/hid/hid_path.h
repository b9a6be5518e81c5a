#pragma once

#include <cstdint>
#include <string>

namespace kestrion {

// Numbers carried by an interface path such as "/dev/hidraw3#vid_320f&pid_22a4&mi_01&col02".
// Each key is found in any letter case; the number after it is read as by "%x"; the result is
// its low 16 bits, 0 when the key is absent.
std::uint16_t parseVendorId(const std::string& path);
std::uint16_t parseProductId(const std::string& path);
std::uint16_t parseInterfaceNumber(const std::string& path);
std::uint16_t parseCollectionNumber(const std::string& path);

// The "#vid_...&pid_...&mi_..[&col..]" suffix; collection 0 leaves out "&col".
std::string formatInterfaceSuffix(std::uint16_t vendorId, std::uint16_t productId, std::uint16_t interfaceNumber,
                                  std::uint16_t collectionNumber);

}  // namespace kestrion
