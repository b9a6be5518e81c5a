#include "platform/hid/virtual_backend.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <json/json.h>

#include "platform/hid/hid_path.h"

namespace kestrion {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kMaxDescriptionSize = 64 * 1024;
constexpr std::size_t kMaxDescriptorSize = 4096;
constexpr char kDescriptionSuffix[] = ".json";
constexpr char kSocketSuffix[] = ".sock";

struct VirtualDescription {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::uint16_t version = 0;
    std::uint16_t interfaceNumber = 0;
    std::vector<std::uint8_t> descriptor;
};

std::optional<std::uint16_t> member16(const Json::Value& root, const char* name)
{
    const Json::Value& value = root[name];
    if (!value.isIntegral() || value.asLargestInt() < 0 || value.asLargestInt() > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(value.asLargestInt());
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
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text(kMaxDescriptionSize, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));

    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors) || !root.isObject() ||
        !root["descriptor"].isString())
        return std::nullopt;
    const auto vendor = member16(root, "vendor");
    const auto product = member16(root, "product");
    const auto version = member16(root, "version");
    const auto interfaceNumber = member16(root, "interface");
    auto descriptor = parseHexBytes(root["descriptor"].asString());
    if (!vendor || !product || !version || !interfaceNumber || !descriptor)
        return std::nullopt;
    return VirtualDescription{*vendor, *product, *version, *interfaceNumber, std::move(*descriptor)};
}

bool acceptsConnections(const std::string& socketPath)
{
    const int fd = connectVirtualSocket(socketPath);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool usableStem(const std::string& stem)
{
    return !stem.empty() && stem.find_first_of("/#") == std::string::npos;
}

}  // namespace

bool virtualInterfacePresent(const HidEnvironment& environment, const std::string& stem)
{
    if (!usableStem(stem))
        return false;
    const fs::path dir = environment.effectiveVirtualDir();
    std::error_code ec;
    if (!fs::exists(dir / (stem + kDescriptionSuffix), ec))
        return false;
    const int fd = connectVirtualSocket((dir / (stem + kSocketSuffix)).string());
    if (fd < 0)
        return errno == EACCES || errno == EPERM;
    ::close(fd);
    return true;
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
    const fs::path dir = environment.effectiveVirtualDir();
    const std::string socketPath = (dir / (stem + kSocketSuffix)).string();
    const std::optional<VirtualDescription> description = readDescription(dir / (stem + kDescriptionSuffix));
    if (!description || !acceptsConnections(socketPath))
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
    const fs::path dir = environment.effectiveVirtualDir();
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return true;
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
