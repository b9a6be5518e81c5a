#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/hid/hid_interface_entry.h"

namespace kestrion {

// Kind bytes that open every datagram of a virtual interface.
inline constexpr std::uint8_t kVirtualOutputReport = 'O';
inline constexpr std::uint8_t kVirtualSetOutputReport = 'S';
inline constexpr std::uint8_t kVirtualInputReport = 'I';

enum class OutputPath { Interrupt, Control };

// The bytes to send for one report (report id first) on the given back end.
std::vector<std::uint8_t> frameOutputReport(HidBackend backend, OutputPath route, const std::uint8_t* report,
                                            std::size_t length);

// Bytes of a sent frame that are not report bytes.
std::size_t outputFrameOverhead(HidBackend backend);

// Turns one received unit into an input report with its id byte first. `numbered` tells
// whether the collection's reports carry ids (hidraw leaves the id out otherwise).
// False when the unit is not an input report.
bool unframeInputReport(HidBackend backend, bool numbered, const std::uint8_t* unit, std::size_t size,
                        std::vector<std::uint8_t>& report);

}  // namespace kestrion
