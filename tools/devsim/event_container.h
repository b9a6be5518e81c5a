#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace devsim {

// The layout the mouse keeps macros and shoot patterns in (all numbers little-endian):
// magic, total length, entry count, reserved, then one 16-bit offset per entry, then the
// entry blocks (event count, 2 reserved bytes, 4-byte events).
namespace container {
constexpr std::uint16_t kMagic = 0x55AA;
constexpr std::size_t kMagicOffset = 0;
constexpr std::size_t kTotalLengthOffset = 2;
constexpr std::size_t kEntryCountOffset = 4;
constexpr std::size_t kOffsetTable = 16;
constexpr std::size_t kOffsetWidth = 2;
constexpr std::size_t kBlockHeader = 4;
constexpr std::size_t kEventSize = 4;
// Within an event: delay (16 bits), type with the pressed flag in bit 7, button.
constexpr std::size_t kEventTypeByte = 2;
constexpr std::uint8_t kPressedFlag = 0x80;
}  // namespace container

struct ContainerRules {
    std::size_t capacity;        // bytes the area holds
    std::size_t maxEventsPerEntry;
};

struct ContainerCheck {
    enum class State { Empty, Valid, Malformed };
    State state = State::Empty;
    std::size_t entries = 0;
    std::vector<std::size_t> eventsPerEntry;
    std::string problem;  // what is wrong when Malformed

    std::string describe() const;
};

// Reads the container at the start of area. A zero-filled (or 0xFF-filled) area holds no
// container and is Empty; anything else must be a container that follows every rule.
ContainerCheck checkEventContainer(const std::vector<std::uint8_t>& area, const ContainerRules& rules);

}  // namespace devsim
