#include <gtest/gtest.h>

#include "devsim/event_container.h"

namespace devsim {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Event {
    std::uint16_t delay;
    std::uint8_t type;
    bool pressed;
    std::uint8_t button;
};

void putWord(Bytes& bytes, std::size_t at, std::size_t value)
{
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8 & 0xFF);
}

// The container a host writes: header, offset table, blocks back to back.
Bytes container(const std::vector<std::vector<Event>>& entries)
{
    Bytes bytes(16 + 2 * entries.size(), 0);
    putWord(bytes, 0, 0x55AA);
    putWord(bytes, 4, entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        putWord(bytes, 16 + 2 * i, bytes.size());
        const std::size_t block = bytes.size();
        bytes.resize(block + 4 + 4 * entries[i].size(), 0);
        putWord(bytes, block, entries[i].size());
        for (std::size_t e = 0; e < entries[i].size(); ++e) {
            const Event& event = entries[i][e];
            const std::size_t at = block + 4 + 4 * e;
            putWord(bytes, at, event.delay);
            bytes[at + 2] = static_cast<std::uint8_t>(event.type | (event.pressed ? 0x80 : 0));
            bytes[at + 3] = event.button;
        }
    }
    putWord(bytes, 2, bytes.size());
    return bytes;
}

std::vector<Event> clicks(std::size_t count)
{
    std::vector<Event> events;
    for (std::size_t i = 0; i < count; ++i)
        events.push_back({300, 1, i % 2 == 0, 4});
    return events;
}

Bytes inArea(Bytes bytes, std::size_t size = 4096)
{
    bytes.resize(size, 0);
    return bytes;
}

constexpr ContainerRules kMacroRules{4096, 60};

TEST(EventContainer, WellFormedContainersAreValid)
{
    const Bytes two = container({clicks(10), clicks(10)});
    ASSERT_EQ(two.size(), 108u);
    EXPECT_EQ(two[16], 20);
    EXPECT_EQ(two[18], 64);
    // The host's example event: pressed mouse button 4 after 300 ms.
    EXPECT_EQ(Bytes(two.begin() + 24, two.begin() + 28), (Bytes{0x2C, 0x01, 0x81, 0x04}));

    const ContainerCheck check = checkEventContainer(inArea(two), kMacroRules);
    EXPECT_EQ(check.state, ContainerCheck::State::Valid) << check.describe();
    EXPECT_EQ(check.eventsPerEntry, (std::vector<std::size_t>{10, 10}));
    EXPECT_EQ(check.describe(), "valid entries=2 events=10,10");

    EXPECT_EQ(checkEventContainer(inArea(container({})), kMacroRules).state, ContainerCheck::State::Valid);
    EXPECT_EQ(checkEventContainer(inArea(container({{}, clicks(60)})), kMacroRules).state,
              ContainerCheck::State::Valid);
}

TEST(EventContainer, BlankAreasHoldNoContainer)
{
    EXPECT_EQ(checkEventContainer(Bytes(4096, 0), kMacroRules).state, ContainerCheck::State::Empty);
    EXPECT_EQ(checkEventContainer(Bytes(4096, 0xFF), kMacroRules).state, ContainerCheck::State::Empty);
    // Only the capacity counts: bytes past it are not part of the area.
    Bytes area(4096, 0);
    area.push_back(0x12);
    EXPECT_EQ(checkEventContainer(area, kMacroRules).state, ContainerCheck::State::Empty);
}

TEST(EventContainer, MalformedContainersAreFlaggedWithTheReason)
{
    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"magic", [](Bytes& b) { b[1] = 0x56; }, "bad magic"},
        {"total beyond the area", [](Bytes& b) { putWord(b, 2, 5000); }, "exceeds the area"},
        {"total shorter than the blocks", [](Bytes& b) { putWord(b, 2, 100); }, "runs past the total length"},
        {"total longer than the blocks", [](Bytes& b) { putWord(b, 2, 112); }, "blocks end at 108"},
        {"offset table too long", [](Bytes& b) { putWord(b, 4, 60); }, "offset table of 60 entries"},
        {"entry out of place", [](Bytes& b) { putWord(b, 18, 68); }, "entry 1 at offset 68, expected 64"},
        {"too many events", [](Bytes& b) { putWord(b, 20, 61); }, "entry 0 has 61 events"},
        {"unknown event type", [](Bytes& b) { b[24 + 4 * 3 + 2] = 0x83; }, "entry 0 event 3 has an unknown type"},
    };
    for (const Case& c : cases) {
        Bytes bytes = container({clicks(10), clicks(10)});
        c.damage(bytes);
        const ContainerCheck check = checkEventContainer(inArea(bytes), kMacroRules);
        EXPECT_EQ(check.state, ContainerCheck::State::Malformed) << c.name;
        EXPECT_NE(check.problem.find(c.reason), std::string::npos) << c.name << ": " << check.problem;
    }
}

TEST(EventContainer, EveryMacroEventTypeIsAccepted)
{
    std::vector<Event> events;
    for (std::uint8_t type : {1, 4, 5, 9, 10})
        events.push_back({0, type, true, 2});
    EXPECT_EQ(checkEventContainer(inArea(container({events})), kMacroRules).state, ContainerCheck::State::Valid);
}

}  // namespace
}  // namespace devsim
