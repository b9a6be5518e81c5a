#include "devsim/report_descriptors.h"

namespace devsim {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes mouseCollection(std::uint8_t reportId)
{
    return {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, reportId, 0x09, 0x01, 0xA1, 0x00,
            // five buttons and three bits of padding
            0x05, 0x09, 0x19, 0x01, 0x29, 0x05, 0x15, 0x00, 0x25, 0x01, 0x95, 0x05, 0x75, 0x01, 0x81, 0x02,
            0x95, 0x01, 0x75, 0x03, 0x81, 0x01,
            // X and Y, 16-bit relative
            0x05, 0x01, 0x16, 0x01, 0x80, 0x26, 0xFF, 0x7F, 0x75, 0x10, 0x95, 0x02, 0x09, 0x30, 0x09, 0x31,
            0x81, 0x06,
            // wheel
            0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x01, 0x09, 0x38, 0x81, 0x06,
            0xC0, 0xC0};
}

Bytes keyboardCollection(std::uint8_t reportId)
{
    return {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, reportId,
            // modifiers, one reserved byte, six key usages
            0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,
            0x95, 0x01, 0x75, 0x08, 0x81, 0x01,
            0x19, 0x00, 0x2A, 0xFF, 0x00, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x06, 0x81, 0x00,
            0xC0};
}

// One 16-bit consumer usage per report: the notification code.
Bytes consumerUsageItems(std::uint8_t reportId)
{
    return {0x85, reportId, 0x19, 0x00, 0x2A, 0xFF, 0xFF, 0x15, 0x00, 0x27, 0xFF, 0xFF, 0x00, 0x00,
            0x75, 0x10, 0x95, 0x01, 0x81, 0x00};
}

Bytes consumerCollection(std::uint8_t reportId)
{
    return join({{0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01}, consumerUsageItems(reportId), {0xC0}});
}

Bytes systemControlCollection(std::uint8_t reportId)
{
    return {0x05, 0x01, 0x09, 0x80, 0xA1, 0x01, 0x85, reportId,
            0x19, 0x81, 0x29, 0x83, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02,
            0x95, 0x05, 0x81, 0x01, 0xC0};
}

// 63 data bytes in and out under report id 4, vendor usages 1 and 2.
Bytes commandReportItems()
{
    return {0x85, 0x04, 0x06, 0x1C, 0xFF, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F,
            0x09, 0x01, 0x81, 0x02, 0x09, 0x02, 0x91, 0x02};
}

Bytes vendorCommandCollection()
{
    return join({{0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01}, commandReportItems(), {0xC0}});
}

// Ten colour bytes after the report id.
Bytes headsetLightItems()
{
    return {0x85, kHeadsetLightReportId, 0x09, 0x03, 0x75, 0x08,
            0x95, static_cast<std::uint8_t>(kHeadsetLightReportSize - 1), 0x91, 0x02};
}

}  // namespace

const std::vector<std::uint8_t>& mouseInputDescriptor()
{
    static const Bytes bytes = join({mouseCollection(kMouseMotionReportId), keyboardCollection(0x02),
                                     consumerCollection(kMouseNotificationReportId), systemControlCollection(0x05)});
    return bytes;
}

const std::vector<std::uint8_t>& mouseCommandDescriptor()
{
    static const Bytes bytes = join({keyboardCollection(kMouseKeyboardReportId), vendorCommandCollection()});
    return bytes;
}

const std::vector<std::uint8_t>& padInputDescriptor()
{
    static const Bytes bytes =
        join({keyboardCollection(0x01), mouseCollection(0x02), consumerCollection(kPadNotificationReportId)});
    return bytes;
}

const std::vector<std::uint8_t>& padCommandDescriptor()
{
    static const Bytes bytes = join({keyboardCollection(0x01), systemControlCollection(0x02),
                                     consumerCollection(0x03), vendorCommandCollection()});
    return bytes;
}

const std::vector<std::uint8_t>& keyboardInputDescriptor()
{
    static const Bytes bytes = join({keyboardCollection(0x01), systemControlCollection(0x02),
                                     consumerCollection(kKeyboardNotificationReportId)});
    return bytes;
}

const std::vector<std::uint8_t>& keyboardCommandDescriptor()
{
    static const Bytes bytes = join({keyboardCollection(0x01), systemControlCollection(0x02),
                                     consumerCollection(0x03), vendorCommandCollection()});
    return bytes;
}

const std::vector<std::uint8_t>& headsetDescriptor()
{
    static const Bytes bytes =
        join({{0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01}, consumerUsageItems(kHeadsetNotificationReportId),
              commandReportItems(), headsetLightItems(), {0xC0}});
    return bytes;
}

}  // namespace devsim
