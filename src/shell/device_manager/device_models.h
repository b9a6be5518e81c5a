#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device_link/supported_devices.h"

namespace kestrion {

// Which layouts make up a product's selector entry, and the identity that selects the row.
struct DeviceModel {
    std::string_view selectorLayout;
    std::string_view selectorGroup;
    std::string_view powerContainer;
    std::string_view kindName;
    int deviceParameter;  // handed to the device object's setModelValue
    std::uint16_t vendorId;
    std::uint16_t productId;
    DeviceKind deviceKind;
    InterfaceRole interfaceRole;
};

// What a product's page is made of; same index as its DeviceModel.
struct DevicePage {
    int lightCount;
    int keyCount;
    int wireless;           // 1: the product has a receiver and a battery
    int previewLightIndex;  // -1: no separate preview control
    std::string_view pageLayout;
    std::string_view lightName;
};

inline constexpr std::string_view kDeviceOptionLayout = "XML\\CustomControlXML\\DeviceOption.xml";
inline constexpr std::string_view kPowerDisplayLayout = "XML\\CustomControlXML\\MpDevicePower.xml";

inline constexpr std::array<DeviceModel, 4> kDeviceModelTable = {{
    {kDeviceOptionLayout, "tab_header_device", "device_power_switch", "mouse", 1, 0x320F, 0x22A4,
     DeviceKind::Mouse, InterfaceRole::Command},
    {kDeviceOptionLayout, "tab_header_device", "device_power_switch", "keyboard", 0, 0x320F, 0x0000,
     DeviceKind::Keyboard, InterfaceRole::Command},
    {kDeviceOptionLayout, "tab_header_device", "device_power_switch", "MousePad", 2, 0x320F, 0x1004,
     DeviceKind::MousePad, InterfaceRole::Command},
    {kDeviceOptionLayout, "tab_header_device", "device_power_switch", "HD", 3, 0x0C76, 0x1630,
     DeviceKind::Headset, InterfaceRole::Command},
}};

inline constexpr std::array<DevicePage, 4> kDevicePageTable = {{
    {15, 11, 1, -1, "XML\\DeviceXml\\mousedevice.xml", "brylo_light"},
    {170, 170, 0, -1, "XML\\DeviceXml\\keyboarddevice.xml", "brylo_light"},
    {15, 0, 0, -1, "XML\\DeviceXml\\mousepaddevice.xml", "brylo_light"},
    {13, 0, 0, -1, "XML\\DeviceXml\\hs6533device.xml", "brylo_light"},
}};

// The model row with exactly this identity; nullopt when the product has no page.
std::optional<int> findDeviceModel(std::uint16_t vendorId, std::uint16_t productId, DeviceKind kind,
                                   InterfaceRole role);

// The model row a supported-table row creates its device from: a mouse receiver row stands for
// the wired mouse (through its partner's ids when it has one).
std::optional<int> modelForTableRow(const SupportedDeviceEntry& row, InterfaceRole role);

// What the tool tells a factory tool that asks: the tool's version, the number of device models
// and each model's vendor id, product id and kind, all 32-bit little-endian, zero-filled.
inline constexpr std::size_t kFactoryBlockSize = 1024;
inline constexpr std::array<std::int32_t, 4> kFactoryToolVersion = {2, 3, 0, 2};
std::array<std::uint8_t, kFactoryBlockSize> factoryToolBlock();

// The images and tooltip of a selector entry's "device_select" sub-option.
struct SelectorIcons {
    std::string normal;  // also the disabled image
    std::string selected;
    std::string synchroNormal;  // while the entry's "synchro_device_select" is selected
    std::string synchroSelected;
    std::string tooltipTextId;
};

// Icon name prefix by kind and role (raw numbers: the table knows kinds and roles the tool's own
// enums do not); empty when the entry gets no icons.
std::string_view selectorIconPrefix(int kind, int role);
std::optional<SelectorIcons> selectorIcons(int kind, int role);

}  // namespace kestrion
