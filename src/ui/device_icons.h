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

// None for a mouse pad of a role other than 0 (hard pad) or 1 (soft pad); kinds without a
// picture of their own get the unknown-device pictures.
std::optional<DeviceIcons> deviceIcons(int kind, int role);

// Every prefix a device can be given, for checking that the skin carries their pictures.
std::span<const std::string_view> deviceIconPrefixes();

}  // namespace kestrion::ui
