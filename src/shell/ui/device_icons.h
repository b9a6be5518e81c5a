#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestrion::ui {

// The pictures and tool tip of a device selector entry, chosen by the device's kind and
// interface role. Image names are relative to the skin's image folder.
struct DeviceIcons {
    std::string normal;            // also the disabled picture
    std::string selected;
    std::string synchroNormal;     // while the entry takes part in synchronised lighting
    std::string synchroSelected;
    std::string toolTipId;         // language text id
};

// The file-name prefix of a (kind, role) pair; none for a mouse pad of an unknown role.
std::optional<std::string_view> deviceIconPrefix(int kind, int role);

std::optional<DeviceIcons> deviceIcons(int kind, int role);

// Every prefix a device can be given, for checking that the skin carries their pictures.
std::span<const std::string_view> deviceIconPrefixes();

}  // namespace kestrion::ui
