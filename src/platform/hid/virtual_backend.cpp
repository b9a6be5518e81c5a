#include "platform/hid/virtual_backend.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <optional>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/file_read.h"
#include "platform/hid/hid_path.h"
#include "platform/hid/virtual_folder.h"
#include "platform/json_access.h"

namespace kestrion {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kMaxDescriptionSize = 64 * 1024;
constexpr std::size_t kMaxDescriptorSize = 4096;
constexpr char kDescriptionSuffix[] = ".json";
constexpr char kSocketSuffix[] = ".sock";

std::optional<std::uint16_t> member16(const Json::Value& root, const char* name)
{
    const std::optional<std::int64_t> number = integerWithin(memberOf(root, name), 0, 0xFFFF);
    if (!number)
        return std::nullopt;
    return static_cast<std::uint16_t>(*number);
}

// "05 01 09 02 ...": hexadecimal bytes separated by blanks.
std::optional<std::vector<std::uint8_t>> parseHexBytes(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::uint8_t> bytes;
    std::string token;
    while (in >> token) {
        const bool hex = std::all_of(token.begin(), token.end(),
                                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
        if (!hex || token.size() > 2 || bytes.size() >= kMaxDescriptorSize)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(token, nullptr, 16)));
    }
    return bytes;
}

std::optional<VirtualDescription> readDescription(const fs::path& file)
{
    std::string text;
    if (!readWholeFile(file.string(), kMaxDescriptionSize, text))
        return std::nullopt;
    return parseVirtualDescription(text);
}

// A socket the user may not connect to still has someone behind it: it is listed, and opening it
// reports the missing rights, as a hidraw node without rights does.
bool acceptsConnectionsOrDenies(const std::string& socketPath)
{
    const int fd = connectVirtualSocket(socketPath);
    if (fd < 0)
        return errno == EACCES || errno == EPERM;
    ::close(fd);
    return true;
}

bool usableStem(const std::string& stem)
{
    return !stem.empty() && stem.find_first_of("/#") == std::string::npos;
}

}  // namespace

std::optional<VirtualDescription> parseVirtualDescription(const std::string& text)
{
    const Json::Value root = parseJsonText(text);
    const Json::Value& descriptorText = memberOf(root, "descriptor");
    if (!descriptorText.isString())
        return std::nullopt;
    const auto vendor = member16(root, "vendor");
    const auto product = member16(root, "product");
    const auto version = member16(root, "version");
    const auto interfaceNumber = member16(root, "interface");
    auto descriptor = parseHexBytes(textOf(descriptorText));
    if (!vendor || !product || !version || !interfaceNumber || !descriptor)
        return std::nullopt;
    return VirtualDescription{*vendor, *product, *version, *interfaceNumber, std::move(*descriptor)};
}

bool virtualInterfacePresent(const HidEnvironment& environment, const std::string& stem)
{
    if (!usableStem(stem))
        return false;
    const std::string dir = trustedVirtualFolder(environment);
    std::error_code ec;
    if (dir.empty() || !fs::exists(fs::path(dir) / (stem + kDescriptionSuffix), ec))
        return false;
    return acceptsConnectionsOrDenies((fs::path(dir) / (stem + kSocketSuffix)).string());
}

int connectVirtualSocket(const std::string& socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

std::vector<HidInterfaceEntry> describeVirtualInterface(const HidEnvironment& environment, const std::string& stem)
{
    if (!usableStem(stem))
        return {};
    const std::string folder = trustedVirtualFolder(environment);
    if (folder.empty())
        return {};
    const fs::path dir = folder;
    const std::string socketPath = (dir / (stem + kSocketSuffix)).string();
    const std::optional<VirtualDescription> description = readDescription(dir / (stem + kDescriptionSuffix));
    if (!description || !acceptsConnectionsOrDenies(socketPath))
        return {};

    std::vector<HidCollectionInfo> collections = parseReportDescriptor(description->descriptor);
    const bool several = collections.size() > 1;
    std::vector<HidInterfaceEntry> entries;
    for (std::size_t i = 0; i < collections.size(); ++i) {
        HidInterfaceEntry entry;
        entry.backend = HidBackend::Virtual;
        entry.nodePath = socketPath;
        entry.vendorId = description->vendor;
        entry.productId = description->product;
        entry.versionNumber = description->version;
        entry.interfaceNumber = description->interfaceNumber;
        entry.collectionNumber = several ? static_cast<std::uint16_t>(i + 1) : 0;
        entry.path = kVirtualPathPrefix + stem +
                     formatInterfaceSuffix(entry.vendorId, entry.productId, entry.interfaceNumber,
                                           entry.collectionNumber);
        entry.collection = std::move(collections[i]);
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool enumerateVirtual(const HidEnvironment& environment, std::vector<HidInterfaceEntry>& entries)
{
    const std::string folder = trustedVirtualFolder(environment);
    if (folder.empty())
        return true;
    const fs::path dir = folder;
    std::error_code ec;
    std::vector<std::string> stems;
    const std::string suffix = kDescriptionSuffix;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            stems.push_back(name.substr(0, name.size() - suffix.size()));
    }
    if (ec)
        return false;
    std::sort(stems.begin(), stems.end());
    for (const std::string& stem : stems) {
        std::vector<HidInterfaceEntry> found = describeVirtualInterface(environment, stem);
        std::move(found.begin(), found.end(), std::back_inserter(entries));
    }
    return true;
}

}  // namespace kestrion
