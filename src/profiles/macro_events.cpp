#include "profiles/macro_events.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/json_access.h"

namespace kestrion {
namespace {

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

}  // namespace

MacroEvent macroEventOf(const Json::Value& event)
{
    MacroEvent read;
    if (!event.isObject())
        return read;
    read.delayMs = static_cast<std::uint16_t>(fieldValue(event, "Delay", MacroEvent::kMaxDelayMs));
    read.type = static_cast<std::uint8_t>(fieldValue(event, "Type", MacroEvent::kMaxType));
    read.button = static_cast<std::uint8_t>(fieldValue(event, "Button", MacroEvent::kMaxButton));
    read.pressed = textOf(event["Action"]) == kActionPressed;
    return read;
}

std::vector<MacroEvent> macroEventsOf(const Json::Value& events)
{
    std::vector<MacroEvent> list;
    if (!events.isArray())
        return list;
    for (const Json::Value& element : events)
        list.push_back(macroEventOf(element));
    return list;
}

}  // namespace kestrion
