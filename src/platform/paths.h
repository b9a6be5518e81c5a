#pragma once

#include <string>

namespace kestrion {

// Folders the tool reads and writes, resolved from the XDG variables on every call so that
// tests (and users) can redirect them.
std::string dataHome();       // $XDG_DATA_HOME, else ~/.local/share
std::string runtimeDir();     // $XDG_RUNTIME_DIR, else empty
std::string virtualHidDir();  // where simulated HID interfaces are published

}  // namespace kestrion
