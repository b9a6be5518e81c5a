#include "platform/hid/hidraw_backend.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/hid/hid_path.h"

namespace kestrion {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kMaxDescriptorSize = 4096;  // the kernel's limit
constexpr std::size_t kMaxAttributeSize = 4096;
constexpr unsigned long kBusUsb = 0x03;
constexpr char kNodePrefix[] = "hidraw";

struct HidIds {
    unsigned long bus = 0;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
};

struct UsbPlacement {
    std::uint16_t interfaceNumber = 0;
    std::uint16_t version = 0;
};

std::optional<std::string> readAttribute(const fs::path& file, std::size_t limit)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string content(limit, '\0');
    in.read(content.data(), static_cast<std::streamsize>(limit));
    content.resize(static_cast<std::size_t>(in.gcount()));
    return content;
}

std::optional<unsigned long> readHexAttribute(const fs::path& file)
{
    const std::optional<std::string> text = readAttribute(file, 64);
    if (!text || text->empty())
        return std::nullopt;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text->c_str(), &end, 16);
    if (end == text->c_str())
        return std::nullopt;
    return value;
}

// "HID_ID=0003:0000320F:000022A4" in the HID device's uevent.
std::optional<HidIds> readHidIds(const fs::path& hidDir)
{
    const std::optional<std::string> uevent = readAttribute(hidDir / "uevent", kMaxAttributeSize);
    if (!uevent)
        return std::nullopt;
    const std::string key = "HID_ID=";
    const std::size_t at = uevent->find(key);
    if (at == std::string::npos)
        return std::nullopt;
    const char* cursor = uevent->c_str() + at + key.size();
    char* end = nullptr;
    HidIds ids;
    ids.bus = std::strtoul(cursor, &end, 16);
    if (*end != ':')
        return std::nullopt;
    ids.vendor = static_cast<std::uint16_t>(std::strtoul(end + 1, &end, 16));
    if (*end != ':')
        return std::nullopt;
    ids.product = static_cast<std::uint16_t>(std::strtoul(end + 1, &end, 16));
    return ids;
}

// The USB interface is the HID device's parent and the USB device its grandparent.
UsbPlacement readUsbPlacement(const fs::path& hidDir)
{
    const fs::path interfaceDir = hidDir.parent_path();
    UsbPlacement placement;
    placement.interfaceNumber =
        static_cast<std::uint16_t>(readHexAttribute(interfaceDir / "bInterfaceNumber").value_or(0));
    placement.version =
        static_cast<std::uint16_t>(readHexAttribute(interfaceDir.parent_path() / "bcdDevice").value_or(0));
    return placement;
}

std::optional<unsigned long> nodeNumber(const std::string& name)
{
    const std::string prefix = kNodePrefix;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const std::string digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        digits.size() > 9)
        return std::nullopt;
    return std::stoul(digits);
}

}  // namespace

bool isHidrawNodeName(const std::string& name)
{
    return nodeNumber(name).has_value();
}

std::vector<HidInterfaceEntry> describeHidrawNode(const HidEnvironment& environment, const std::string& nodeName)
{
    if (!isHidrawNodeName(nodeName))
        return {};
    std::error_code ec;
    const fs::path node = fs::canonical(fs::path(environment.sysfsRoot) / "class" / "hidraw" / nodeName, ec);
    if (ec)
        return {};
    const fs::path hidDir = node.parent_path().parent_path();
    const std::optional<HidIds> ids = readHidIds(hidDir);
    const std::optional<std::string> descriptor = readAttribute(hidDir / "report_descriptor", kMaxDescriptorSize);
    if (!ids || !descriptor)
        return {};
    const UsbPlacement placement = ids->bus == kBusUsb ? readUsbPlacement(hidDir) : UsbPlacement{};

    std::vector<HidCollectionInfo> collections = parseReportDescriptor(
        reinterpret_cast<const std::uint8_t*>(descriptor->data()), descriptor->size());
    const bool several = collections.size() > 1;
    std::vector<HidInterfaceEntry> entries;
    for (std::size_t i = 0; i < collections.size(); ++i) {
        HidInterfaceEntry entry;
        entry.backend = HidBackend::Hidraw;
        entry.nodePath = environment.devRoot + "/" + nodeName;
        entry.vendorId = ids->vendor;
        entry.productId = ids->product;
        entry.versionNumber = placement.version;
        entry.interfaceNumber = placement.interfaceNumber;
        entry.collectionNumber = several ? static_cast<std::uint16_t>(i + 1) : 0;
        entry.path = entry.nodePath + formatInterfaceSuffix(entry.vendorId, entry.productId, entry.interfaceNumber,
                                                            entry.collectionNumber);
        entry.collection = std::move(collections[i]);
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool enumerateHidraw(const HidEnvironment& environment, std::vector<HidInterfaceEntry>& entries)
{
    const fs::path classDir = fs::path(environment.sysfsRoot) / "class" / "hidraw";
    std::error_code ec;
    if (!fs::exists(classDir, ec))
        return !ec;
    std::vector<std::pair<unsigned long, std::string>> nodes;
    for (fs::directory_iterator it(classDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (const std::optional<unsigned long> number = nodeNumber(name))
            nodes.emplace_back(*number, name);
    }
    if (ec)
        return false;
    std::sort(nodes.begin(), nodes.end());
    for (const auto& [number, name] : nodes) {
        std::vector<HidInterfaceEntry> found = describeHidrawNode(environment, name);
        std::move(found.begin(), found.end(), std::back_inserter(entries));
    }
    return true;
}

}  // namespace kestrion
