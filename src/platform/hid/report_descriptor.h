#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrion {

// One input field of a report as the button and value capabilities describe it.
struct HidInputField {
    std::uint8_t reportId = 0;
    std::uint16_t usagePage = 0;
    bool isRange = false;
    std::uint16_t usageMin = 0;           // range bounds; for a list, its first and last usage
    std::uint16_t usageMax = 0;
    std::vector<std::uint16_t> usages;    // the usage list when not a range
    bool isArray = false;                 // each element selects a usage instead of holding a value
    std::uint32_t bitOffset = 0;          // from the first byte after the report id
    std::uint32_t bitSize = 0;
    std::uint32_t count = 0;
    std::int32_t logicalMin = 0;
    std::int32_t logicalMax = 0;
    std::int32_t physicalMin = 0;
    std::int32_t physicalMax = 0;

    // Usage of element i of a variable field, or of array index i.
    std::uint16_t usageAt(std::uint32_t index) const;
};

// One top-level application collection with what the report I/O and the device manager need.
struct HidCollectionInfo {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::vector<std::uint8_t> reportIds;  // sorted, unique; empty when the reports carry no id
    // Largest report of each type in bytes plus the report id byte; 0 when the type is absent.
    std::uint16_t inputReportLength = 0;
    std::uint16_t outputReportLength = 0;
    std::uint16_t featureReportLength = 0;
    std::vector<HidInputField> inputButtons;
    std::vector<HidInputField> inputValues;

    bool usesReportIds() const { return !reportIds.empty(); }
    bool ownsReportId(std::uint8_t id) const;
};

// Parses a report descriptor. Malformed or truncated input yields what was parsed before the
// fault; nothing is ever read beyond `length`.
std::vector<HidCollectionInfo> parseReportDescriptor(const std::uint8_t* data, std::size_t length);

inline std::vector<HidCollectionInfo> parseReportDescriptor(const std::vector<std::uint8_t>& bytes)
{
    return parseReportDescriptor(bytes.data(), bytes.size());
}

}  // namespace kestrion
