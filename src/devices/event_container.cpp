#include "devices/event_container.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/json_access.h"

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
constexpr std::int64_t kMaxDelay = 0xFFFF;
constexpr std::int64_t kMaxType = 0x7F;
constexpr std::int64_t kMaxButton = 0xFF;
}  // namespace event

constexpr char kActionPressed[] = "down";

// Leading blanks, an optional sign, then decimal digits up to the first other character; saturates
// at `limit` instead of overflowing.
std::int64_t decimalText(const std::string& text, std::int64_t limit)
{
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';
    std::int64_t value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at)
        value = std::min(value * 10 + (text[at] - '0'), limit + 1);
    return negative ? -value : value;
}

std::int64_t fieldValue(const Json::Value& event, const char* key, std::int64_t limit)
{
    const Json::Value& value = memberOf(event, key);
    const std::int64_t number = value.isString() ? decimalText(textOf(value), limit) : integerOf(value);
    return std::clamp<std::int64_t>(number, 0, limit);
}

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

DeviceEvent encodeEvent(const Json::Value& source)
{
    DeviceEvent bytes{};
    if (!source.isObject())
        return bytes;
    putWord(bytes.data() + event::kDelay, static_cast<std::size_t>(fieldValue(source, "Delay", event::kMaxDelay)));
    const bool pressed = textOf(source["Action"]) == kActionPressed;
    bytes[event::kType] = static_cast<std::uint8_t>(fieldValue(source, "Type", event::kMaxType))
        | (pressed ? event::kPressedBit : 0);
    bytes[event::kButton] = static_cast<std::uint8_t>(fieldValue(source, "Button", event::kMaxButton));
    return bytes;
}

EventList encodeEvents(const Json::Value& events)
{
    EventList list;
    if (!events.isArray())
        return list;
    for (const Json::Value& element : events)
        list.push_back(encodeEvent(element));
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
