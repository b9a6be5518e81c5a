#include "devsim/event_container.h"

#include <algorithm>
#include <array>

namespace devsim {
namespace {

// Mouse button, horizontal move, vertical move, keyboard modifier bit, keyboard usage.
constexpr std::array<std::uint8_t, 5> kEventTypes = {1, 4, 5, 9, 10};

std::uint16_t word(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

bool blank(const std::vector<std::uint8_t>& area)
{
    return std::all_of(area.begin(), area.end(), [](std::uint8_t b) { return b == 0; }) ||
           std::all_of(area.begin(), area.end(), [](std::uint8_t b) { return b == 0xFF; });
}

ContainerCheck malformed(std::string problem)
{
    ContainerCheck check;
    check.state = ContainerCheck::State::Malformed;
    check.problem = std::move(problem);
    return check;
}

bool knownType(std::uint8_t typeByte)
{
    const std::uint8_t type = typeByte & static_cast<std::uint8_t>(~container::kPressedFlag);
    return std::find(kEventTypes.begin(), kEventTypes.end(), type) != kEventTypes.end();
}

}  // namespace

std::string ContainerCheck::describe() const
{
    switch (state) {
    case State::Empty:
        return "empty";
    case State::Malformed:
        return "malformed: " + problem;
    case State::Valid:
        break;
    }
    std::string text = "valid entries=" + std::to_string(entries) + " events=";
    for (std::size_t i = 0; i < eventsPerEntry.size(); ++i)
        text += (i ? "," : "") + std::to_string(eventsPerEntry[i]);
    return text;
}

ContainerCheck checkEventContainer(const std::vector<std::uint8_t>& area, const ContainerRules& rules)
{
    using namespace container;
    const std::vector<std::uint8_t> used(area.begin(), area.begin() + static_cast<std::ptrdiff_t>(
                                                                          std::min(area.size(), rules.capacity)));
    if (blank(used))
        return {};
    if (used.size() < kOffsetTable || word(used, kMagicOffset) != kMagic)
        return malformed("bad magic");
    const std::size_t total = word(used, kTotalLengthOffset);
    const std::size_t entries = word(used, kEntryCountOffset);
    const std::size_t tableEnd = kOffsetTable + entries * kOffsetWidth;
    if (total > used.size())
        return malformed("total length " + std::to_string(total) + " exceeds the area of " +
                         std::to_string(used.size()));
    if (tableEnd > total)
        return malformed("offset table of " + std::to_string(entries) + " entries exceeds the total length");

    ContainerCheck check;
    check.state = ContainerCheck::State::Valid;
    check.entries = entries;
    // Blocks follow the table back to back, in entry order.
    std::size_t expected = tableEnd;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t offset = word(used, kOffsetTable + i * kOffsetWidth);
        const std::string entry = "entry " + std::to_string(i);
        if (offset != expected)
            return malformed(entry + " at offset " + std::to_string(offset) + ", expected " +
                             std::to_string(expected));
        if (offset + kBlockHeader > total)
            return malformed(entry + " runs past the total length");
        const std::size_t events = word(used, offset);
        if (events > rules.maxEventsPerEntry)
            return malformed(entry + " has " + std::to_string(events) + " events");
        const std::size_t end = offset + kBlockHeader + events * kEventSize;
        if (end > total)
            return malformed(entry + " runs past the total length");
        for (std::size_t e = 0; e < events; ++e) {
            if (!knownType(used[offset + kBlockHeader + e * kEventSize + kEventTypeByte]))
                return malformed(entry + " event " + std::to_string(e) + " has an unknown type");
        }
        check.eventsPerEntry.push_back(events);
        expected = end;
    }
    if (expected != total)
        return malformed("total length " + std::to_string(total) + ", blocks end at " + std::to_string(expected));
    return check;
}

}  // namespace devsim
