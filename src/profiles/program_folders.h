#pragma once

#include <string>

namespace kestrion {

// Where the program's factory data ("DefaultData") and the user's per-device files live.

// The folder of factory default documents. Unless set, the "DefaultData" folder beside the
// executable.
void setProgramDataDir(const std::string& folder);
std::string programDataDir();

// The kind name of a device kind (receiver kinds share their wired kind's name); empty for unknown.
std::string kindNameOf(int deviceKind);

// <data home>/Kestrion Z880-ZIR Gaming Mouse, the tool's data folder.
std::string userDataFolder();
// The data folder of one device kind, created (with its parents) when missing; ends with "/".
// Empty when the kind is unknown or the folder cannot be made.
std::string deviceDataFolder(int deviceKind);
// The factory default profile document of a device kind: DefaultData/<kind name>.Json.
std::string defaultDocumentPath(int deviceKind);

}  // namespace kestrion
