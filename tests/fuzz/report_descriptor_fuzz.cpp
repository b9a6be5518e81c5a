// HID report descriptors as sysfs or a virtual-device description hands them over, and the
// questions discovery and report reading ask of the collections found.

#include "platform/hid/report_descriptor.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// Enough to reach every usage-list branch without spending the run on a huge count.
constexpr std::uint32_t kUsagesAsked = 64;

void askFields(const std::vector<kestrion::HidInputField>& fields)
{
    for (const kestrion::HidInputField& field : fields) {
        for (std::uint32_t i = 0; i < std::min(field.count, kUsagesAsked); ++i)
            field.usageAt(i);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const kestrion::HidCollectionInfo& collection : kestrion::parseReportDescriptor(data, size)) {
        collection.ownsReportId(size > 0 ? data[0] : 0);
        askFields(collection.inputButtons);
        askFields(collection.inputValues);
    }
    return 0;
}
