#include "platform/hid/hid_enumeration.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "platform/hid/hid_path.h"
#include "platform/hid/hidraw_backend.h"
#include "platform/hid/virtual_backend.h"

namespace kestrion {
namespace fs = std::filesystem;
namespace {

struct PathParts {
    HidBackend backend;
    std::string name;  // hidraw node name or virtual stem
};

PathParts splitPath(const std::string& path)
{
    const std::string node = path.substr(0, path.find('#'));
    const std::string prefix = kVirtualPathPrefix;
    if (node.compare(0, prefix.size(), prefix) == 0)
        return {HidBackend::Virtual, node.substr(prefix.size())};
    return {HidBackend::Hidraw, fs::path(node).filename().string()};
}

std::vector<HidInterfaceEntry> describe(const HidEnvironment& environment, const PathParts& parts)
{
    return parts.backend == HidBackend::Virtual ? describeVirtualInterface(environment, parts.name)
                                                : describeHidrawNode(environment, parts.name);
}

bool errorMeansPresent(int error)
{
    return error == EACCES || error == EPERM;
}

}  // namespace

bool enumerateHidInterfaces(const HidEnvironment& environment, std::vector<HidInterfaceEntry>& entries)
{
    const bool hidrawOk = enumerateHidraw(environment, entries);
    const bool virtualOk = enumerateVirtual(environment, entries);
    return hidrawOk && virtualOk;
}

std::optional<HidInterfaceEntry> resolveHidPath(const HidEnvironment& environment, const std::string& path)
{
    const std::uint16_t collection = parseCollectionNumber(path);
    std::vector<HidInterfaceEntry> entries = describe(environment, splitPath(path));
    const auto match = std::find_if(entries.begin(), entries.end(),
                                    [&](const HidInterfaceEntry& e) { return e.collectionNumber == collection; });
    if (match == entries.end())
        return std::nullopt;
    return std::move(*match);
}

int openHidInterface(const HidEnvironment& environment, const HidInterfaceEntry& entry, int accessMode,
                     HidOpenError& error)
{
    int fd = -1;
    if (entry.backend == HidBackend::Virtual)
        fd = connectVirtualSocket(entry.nodePath);
    else
        fd = environment.open(entry.nodePath, accessMode | O_NONBLOCK | O_CLOEXEC);
    error = fd >= 0 ? HidOpenError::None : openErrorFromErrno(errno);
    return fd;
}

bool hidPathPresent(const HidEnvironment& environment, const std::string& path)
{
    const PathParts parts = splitPath(path);
    if (parts.backend == HidBackend::Virtual)
        return virtualInterfacePresent(environment, parts.name);
    if (!isHidrawNodeName(parts.name))
        return false;
    // Node numbers are reused: the node must still belong to the interface the path names.
    const std::optional<HidInterfaceEntry> entry = resolveHidPath(environment, path);
    if (!entry || entry->vendorId != parseVendorId(path) || entry->productId != parseProductId(path) ||
        entry->interfaceNumber != parseInterfaceNumber(path))
        return false;
    const int fd = environment.open(environment.devRoot + "/" + parts.name, O_PATH | O_CLOEXEC);
    if (fd < 0)
        return errorMeansPresent(errno);
    ::close(fd);
    return true;
}

}  // namespace kestrion
