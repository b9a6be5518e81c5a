#pragma once

#include <string>

#include "platform/hid/hid_environment.h"

namespace kestrion {

// Why the virtual-device folder is or is not used.
enum class VirtualFolderState { Usable, Missing, NotADirectory, ForeignOwner, WritableByOthers };

// The state of a folder as a place for virtual devices: it must be a real directory (not a link),
// owned by this user and writable by nobody else, since whoever can write there can offer the tool
// devices.
VirtualFolderState virtualFolderState(const std::string& folder);

// The virtual-device folder when it may be used, else empty. Outside $XDG_RUNTIME_DIR the folder
// lies in the shared /tmp, so a missing one is created first (mode 0700), before another user can.
// A folder that cannot be trusted is told once in the debug trace, and again only after a change.
std::string trustedVirtualFolder(const HidEnvironment& environment);

}  // namespace kestrion
