#pragma once

#include <chrono>

// The main window's control names and timings, shared by its source files.
namespace kestrion::main_window {

inline constexpr const char* kFrameLayout = "XML_MAIN";
inline constexpr const char* kSelectorContainer = "device_select_layout";
inline constexpr const char* kPageContainer = "device_switch";
inline constexpr const char* kPowerContainer = "device_power_switch";
inline constexpr const char* kNoDevice = "No_device_Link";
inline constexpr const char* kErrorDevice = "Error_device_Link";
inline constexpr const char* kAccessHint = "nodevice_access_label";

inline constexpr int kMouseKind = 2;
inline constexpr int kMouseReceiverKind = 6;
inline constexpr int kHeadsetKind = 7;

}  // namespace kestrion::main_window
