#pragma once

#include <cstdint>
#include <vector>

namespace devsim {

// Report descriptors of the simulated USB interfaces. Top-level application collections are
// numbered from 1 in descriptor order, which is how a host names them in a path ("&col02").

// Mouse (wired and receiver alike), interface 0: mouse, keyboard, consumer (collection 3, the
// notification collection), system control.
const std::vector<std::uint8_t>& mouseInputDescriptor();
// Mouse, interface 1: keyboard, vendor command collection (collection 2).
const std::vector<std::uint8_t>& mouseCommandDescriptor();
// Mouse pad, interface 0: keyboard, mouse, consumer (collection 3).
const std::vector<std::uint8_t>& padInputDescriptor();
// Mouse pad, interface 1: keyboard, system control, consumer, vendor command collection (collection 4).
const std::vector<std::uint8_t>& padCommandDescriptor();
// Keyboard, interface 0: keyboard, system control, consumer (collection 3, the notification collection).
const std::vector<std::uint8_t>& keyboardInputDescriptor();
// Keyboard, interface 1: keyboard, system control, consumer, vendor command collection (collection 4).
const std::vector<std::uint8_t>& keyboardCommandDescriptor();
// Headset, interface 3: one consumer collection carrying the notification input, the command
// reports and the lighting output reports.
const std::vector<std::uint8_t>& headsetDescriptor();

// Report ids.
constexpr std::uint8_t kMouseNotificationReportId = 0x03;
// The mouse's motion reports (interface 0) and its keyboard reports on interface 1.
constexpr std::uint8_t kMouseMotionReportId = 0x01;
constexpr std::uint8_t kMouseKeyboardReportId = 0x06;
constexpr std::uint8_t kPadNotificationReportId = 0x03;
constexpr std::uint8_t kKeyboardNotificationReportId = 0x03;
constexpr std::uint8_t kHeadsetNotificationReportId = 0x01;
constexpr std::uint8_t kHeadsetLightReportId = 0xFF;
constexpr std::size_t kHeadsetLightReportSize = 11;

}  // namespace devsim
