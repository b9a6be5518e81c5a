#pragma once

#include <functional>
#include <string>

namespace kestrion {

// Why an interface could not be opened. AccessDenied is told apart so that the user can be
// pointed at the udev rule instead of being told the device is missing.
enum class HidOpenError { None, NotFound, AccessDenied, Failed };

HidOpenError openErrorFromErrno(int error);

// Where the HID layer looks for interfaces and how it opens a device node. Tests and the
// hidinfo tool replace it to work on another sysfs tree or a stand-in node.
struct HidEnvironment {
    using NodeOpener = std::function<int(const std::string& path, int flags)>;

    std::string sysfsRoot = "/sys";
    std::string devRoot = "/dev";
    std::string virtualDir;  // empty: kestrion::virtualHidDir() at the time of use
    NodeOpener openNode;     // empty: ::open

    std::string effectiveVirtualDir() const;
    int open(const std::string& path, int flags) const;
};

HidEnvironment hidEnvironment();
void setHidEnvironment(HidEnvironment environment);

}  // namespace kestrion
