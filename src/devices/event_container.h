#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "profiles/macro_events.h"

namespace kestrion {

// The device form of macros and shoot patterns: a container of entries, each a block of 4-byte
// events. Layout (little-endian):
//   0  magic 0x55AA          2  total length, header included     4  entry count n
//   6  reserved (10 bytes)   16 n 16-bit offsets of the entry blocks from the container start
//   then the blocks in entry order: event count (16 bits), 2 reserved bytes, the events.
// Event: delay in milliseconds (16 bits), type in bits 0-6 with bit 7 set on a press, button.

inline constexpr std::size_t kDeviceEventSize = 4;
using DeviceEvent = std::array<std::uint8_t, kDeviceEventSize>;
using EventList = std::vector<DeviceEvent>;

// The largest container the 16-bit length and offsets can describe.
inline constexpr std::size_t kMaxEventContainerSize = 0xFFFF;

// One event in the device's form.
DeviceEvent encodeEvent(const MacroEvent& event);
EventList encodeEvents(const std::vector<MacroEvent>& events);

// Bytes a container of `entries` blocks holding `events` events in all takes.
std::size_t eventContainerSize(std::size_t entries, std::size_t events);
std::size_t eventContainerSize(const std::vector<EventList>& entries);

// The container of the entries in order; empty when it is larger than kMaxEventContainerSize.
std::vector<std::uint8_t> encodeEventContainer(const std::vector<EventList>& entries);

}  // namespace kestrion
