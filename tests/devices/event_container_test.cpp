// The device form of macro and shoot events, byte for byte.
#include <gtest/gtest.h>

#include <json/value.h>
#include <vector>

#include "devices/event_container.h"

namespace kestrion {
namespace {

Json::Value macroEvent(const char* action, const Json::Value& type, const Json::Value& button, const Json::Value& delay)
{
    Json::Value event(Json::objectValue);
    event["Action"] = action;
    event["Type"] = type;
    event["Button"] = button;
    event["Delay"] = delay;
    return event;
}

std::uint16_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

EventList numberedEvents(std::size_t count, std::uint8_t button)
{
    EventList events;
    for (std::size_t i = 0; i < count; ++i)
        events.push_back({static_cast<std::uint8_t>(i), 0, 0x8A, button});
    return events;
}

TEST(DeviceEvent, FieldsLandInTheirBytes)
{
    struct Case {
        Json::Value event;
        DeviceEvent bytes;
    };
    const Case cases[] = {
        {macroEvent("down", 1, 4, "300"), {0x2C, 0x01, 0x81, 0x04}},
        {macroEvent("up", 10, 0x04, "0"), {0x00, 0x00, 0x0A, 0x04}},
        // Shoot files hold the delay as a number.
        {macroEvent("up", 5, 7, 90), {0x5A, 0x00, 0x05, 0x07}},
        {macroEvent("down", 9, 0x80, " 12"), {0x0C, 0x00, 0x89, 0x80}},
        // A pause longer than the field holds stays the longest pause, never a short one.
        {macroEvent("down", 1, 1, "70000"), {0xFF, 0xFF, 0x81, 0x01}},
        {macroEvent("down", 1, 1, "99999999999999999999999"), {0xFF, 0xFF, 0x81, 0x01}},
        {macroEvent("up", 1, 1, "-5"), {0x00, 0x00, 0x01, 0x01}},
        {macroEvent("up", 1, 1, "soon"), {0x00, 0x00, 0x01, 0x01}},
        // A type too large for its seven bits must not pass for a press.
        {macroEvent("up", 200, 1, "0"), {0x00, 0x00, 0x7F, 0x01}},
        {macroEvent("up", 4, 300, "0"), {0x00, 0x00, 0x04, 0xFF}},
        {macroEvent("up", 4, -3, "0"), {0x00, 0x00, 0x04, 0x00}},
        {macroEvent("press", 1, 2, "1"), {0x01, 0x00, 0x01, 0x02}},
        {Json::Value("not an event"), {0, 0, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(encodeEvent(macroEventOf(c.event)), c.bytes) << c.event.toStyledString();
}

TEST(DeviceEvent, OnlyAnArrayHoldsEvents)
{
    Json::Value events(Json::arrayValue);
    events.append(macroEvent("down", 1, 1, "10"));
    events.append(macroEvent("up", 1, 1, "20"));
    const EventList list = encodeEvents(macroEventsOf(events));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1], (DeviceEvent{20, 0, 0x01, 0x01}));
    EXPECT_TRUE(macroEventsOf(Json::Value(Json::objectValue)).empty());
    EXPECT_TRUE(macroEventsOf(Json::Value()).empty());
}

TEST(EventContainer, TwoMacrosOfTenEvents)
{
    const std::vector<EventList> entries{numberedEvents(10, 0xA1), numberedEvents(10, 0xB2)};
    const std::vector<std::uint8_t> bytes = encodeEventContainer(entries);
    ASSERT_EQ(bytes.size(), 108u);
    EXPECT_EQ(eventContainerSize(entries), 108u);
    EXPECT_EQ(wordAt(bytes, 0), 0x55AA);
    EXPECT_EQ(bytes[0], 0xAA);
    EXPECT_EQ(wordAt(bytes, 2), 108);
    EXPECT_EQ(wordAt(bytes, 4), 2);
    for (std::size_t reserved = 6; reserved < 16; ++reserved)
        EXPECT_EQ(bytes[reserved], 0) << reserved;
    EXPECT_EQ(wordAt(bytes, 16), 20);
    EXPECT_EQ(wordAt(bytes, 18), 64);
    for (std::size_t entry = 0; entry < 2; ++entry) {
        const std::size_t block = wordAt(bytes, 16 + 2 * entry);
        EXPECT_EQ(wordAt(bytes, block), 10);
        EXPECT_EQ(wordAt(bytes, block + 2), 0);
        for (std::size_t i = 0; i < 10; ++i) {
            const DeviceEvent& expected = entries[entry][i];
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin() + block + 4 + 4 * i))
                << entry << " " << i;
        }
    }
}

TEST(EventContainer, EmptyEntriesKeepTheirPlaces)
{
    const std::vector<EventList> entries{{}, numberedEvents(2, 1), {}};
    const std::vector<std::uint8_t> bytes = encodeEventContainer(entries);
    ASSERT_EQ(bytes.size(), 16u + 18u + 8u);
    EXPECT_EQ(wordAt(bytes, 4), 3);
    EXPECT_EQ(wordAt(bytes, 16), 22);
    EXPECT_EQ(wordAt(bytes, 18), 26);
    EXPECT_EQ(wordAt(bytes, 20), 38);
    EXPECT_EQ(wordAt(bytes, 22), 0);
    EXPECT_EQ(wordAt(bytes, 26), 2);
    EXPECT_EQ(wordAt(bytes, 38), 0);

    const std::vector<std::uint8_t> none = encodeEventContainer({});
    EXPECT_EQ(none, (std::vector<std::uint8_t>{0xAA, 0x55, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(EventContainer, LengthsBeyondSixteenBitsAreNotEncoded)
{
    // 16 + 6 + 4 * 16378 = 65534 fits; two events more do not.
    EXPECT_EQ(encodeEventContainer({numberedEvents(16378, 1)}).size(), 65534u);
    EXPECT_EQ(eventContainerSize(1, 16380), 65542u);
    EXPECT_TRUE(encodeEventContainer({numberedEvents(16380, 1)}).empty());
}

}  // namespace
}  // namespace kestrion
