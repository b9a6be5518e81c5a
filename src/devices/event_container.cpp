#include "devices/event_container.h"

#include <algorithm>

namespace kestrion {
namespace {

namespace header {
constexpr std::size_t kMagic = 0;
constexpr std::size_t kTotalLength = 2;
constexpr std::size_t kEntryCount = 4;
constexpr std::size_t kOffsetTable = 16;
constexpr std::size_t kOffsetSize = 2;
constexpr std::uint16_t kMagicValue = 0x55AA;
}  // namespace header

namespace block {
constexpr std::size_t kEventCount = 0;
constexpr std::size_t kFirstEvent = 4;
}  // namespace block

namespace event {
constexpr std::size_t kDelay = 0;
constexpr std::size_t kType = 2;
constexpr std::size_t kButton = 3;
constexpr std::uint8_t kPressedBit = 0x80;
}  // namespace event

void putWord(std::uint8_t* at, std::size_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

std::size_t blockSize(const EventList& events)
{
    return block::kFirstEvent + events.size() * kDeviceEventSize;
}

}  // namespace

DeviceEvent encodeEvent(const MacroEvent& source)
{
    DeviceEvent bytes{};
    putWord(bytes.data() + event::kDelay, source.delayMs);
    bytes[event::kType] = static_cast<std::uint8_t>((source.type & MacroEvent::kMaxType)
                                                    | (source.pressed ? event::kPressedBit : 0));
    bytes[event::kButton] = source.button;
    return bytes;
}

EventList encodeEvents(const std::vector<MacroEvent>& events)
{
    EventList list;
    for (const MacroEvent& event : events)
        list.push_back(encodeEvent(event));
    return list;
}

std::size_t eventContainerSize(std::size_t entries, std::size_t events)
{
    return header::kOffsetTable + entries * (header::kOffsetSize + block::kFirstEvent) + events * kDeviceEventSize;
}

std::size_t eventContainerSize(const std::vector<EventList>& entries)
{
    std::size_t events = 0;
    for (const EventList& entry : entries)
        events += entry.size();
    return eventContainerSize(entries.size(), events);
}

std::vector<std::uint8_t> encodeEventContainer(const std::vector<EventList>& entries)
{
    const std::size_t total = eventContainerSize(entries);
    if (total > kMaxEventContainerSize)
        return {};
    std::vector<std::uint8_t> bytes(total, 0);
    std::uint8_t* const start = bytes.data();
    putWord(start + header::kMagic, header::kMagicValue);
    putWord(start + header::kTotalLength, total);
    putWord(start + header::kEntryCount, entries.size());

    std::size_t blockAt = header::kOffsetTable + entries.size() * header::kOffsetSize;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        putWord(start + header::kOffsetTable + i * header::kOffsetSize, blockAt);
        putWord(start + blockAt + block::kEventCount, entries[i].size());
        std::uint8_t* eventAt = start + blockAt + block::kFirstEvent;
        for (const DeviceEvent& e : entries[i])
            eventAt = std::copy(e.begin(), e.end(), eventAt);
        blockAt += blockSize(entries[i]);
    }
    return bytes;
}

}  // namespace kestrion
