// Virtual-device descriptions (<stem>.json), parsed and their descriptor read as discovery does.

#include "platform/hid/report_descriptor.h"
#include "platform/hid/virtual_backend.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto description = kestrion::parseVirtualDescription(text))
        kestrion::parseReportDescriptor(description->descriptor);
    return 0;
}
