#include "editors/macro_recorder.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace kestrion {
namespace {

constexpr std::uint16_t kScanA = 0x1E;
constexpr std::uint16_t kScanB = 0x30;
constexpr std::uint16_t kScanShift = 0x2A;
constexpr std::uint16_t kScanUnknown = 0x7F;

// A few keys as the scan-code table gives them: usages of the keyboard page, Shift a modifier bit.
std::optional<MacroKey> lookup(std::uint16_t scanCode, bool extended)
{
    static const std::map<std::pair<std::uint16_t, bool>, MacroKey> keys = {
        {{kScanA, false}, {MacroEventType::Key, 0x04}},
        {{kScanB, false}, {MacroEventType::Key, 0x05}},
        {{kScanShift, false}, {MacroEventType::Modifier, 0x02}},
        {{0x1D, true}, {MacroEventType::Modifier, 0x10}},
    };
    const auto key = keys.find({scanCode, extended});
    return key == keys.end() ? std::nullopt : std::optional(key->second);
}

RecordedInput key(std::uint16_t scanCode, bool pressed, bool autoRepeat = false)
{
    RecordedInput input;
    input.scanCode = scanCode;
    input.pressed = pressed;
    input.autoRepeat = autoRepeat;
    return input;
}

RecordedInput button(int bit, bool pressed, bool onStop = false)
{
    RecordedInput input;
    input.kind = RecordedInput::Kind::MouseButton;
    input.buttonBit = bit;
    input.pressed = pressed;
    input.onStopButton = onStop;
    return input;
}

// A recorder over its own rows with a clock the test moves.
class MacroRecorderTest : public ::testing::Test {
protected:
    MacroRecorderTest() : recorder(rows, lookup, [this] { return now; }) {}

    void at(std::int64_t ms, const RecordedInput& input)
    {
        now = ms;
        recorder.record(input);
    }

    std::vector<std::string> delays() const
    {
        std::vector<std::string> result;
        for (const Json::Value& event : rows.events())
            result.push_back(event["Delay"].asString());
        return result;
    }

    std::int64_t now = 1000;
    MacroRows rows;
    MacroRecorder recorder;
};

TEST_F(MacroRecorderTest, RecordedDelaysAreTheTimeUntilTheNextEvent)
{
    recorder.start(DelayMode::Recorded, Placement::Append, 50);
    at(1400, key(kScanA, true));
    at(1700, key(kScanB, true));
    ASSERT_EQ(rows.count(), 2);
    EXPECT_EQ(delays(), (std::vector<std::string>{"300", "10"}));
    EXPECT_EQ(rows.at(1).delay, 10) << "the last event keeps the provisional cell";
}

TEST_F(MacroRecorderTest, MeasuredDelaysAreHeldWithinTheirRange)
{
    struct Case {
        std::int64_t gap;
        std::string delay;
    };
    const Case cases[] = {{0, "10"}, {5, "10"}, {10, "10"}, {11, "11"}, {65534, "65534"}, {65535, "65535"},
                          {900000, "65535"}};
    for (const Case& c : cases) {
        rows.clear();
        recorder.start(DelayMode::Recorded, Placement::Append, 50);
        at(now, key(kScanA, true));
        at(now + c.gap, key(kScanA, false));
        EXPECT_EQ(delays().front(), c.delay) << "gap " << c.gap;
    }
}

TEST_F(MacroRecorderTest, FixedAndNoDelays)
{
    recorder.start(DelayMode::Fixed, Placement::Append, 120);
    at(1100, key(kScanA, true));
    at(1105, key(kScanA, false));
    at(9000, button(kButtonRight, true));
    EXPECT_EQ(delays(), (std::vector<std::string>{"120", "120", "120"}));

    rows.clear();
    recorder.start(DelayMode::None, Placement::Append, 120);
    at(1100, key(kScanA, true));
    at(1500, key(kScanA, false));
    EXPECT_EQ(delays(), (std::vector<std::string>{"0", "10"}));
}

TEST_F(MacroRecorderTest, AHeldKeyGivesOneDownAndOneUp)
{
    recorder.start(DelayMode::Recorded, Placement::Append, 50);
    at(1010, key(kScanShift, true));
    at(1100, key(kScanA, true));
    at(1600, key(kScanA, true, true));
    at(1630, key(kScanA, true));
    at(1645, key(kScanA, false, true));
    at(1660, key(kScanA, true, true));
    at(1700, key(kScanA, false));
    at(1800, key(kScanShift, false));
    ASSERT_EQ(rows.count(), 4);
    const Json::Value events = rows.events();
    EXPECT_EQ(events[0]["Type"].asInt(), 9);
    EXPECT_EQ(events[0]["Button"].asInt(), 0x02);
    EXPECT_EQ(events[1]["Action"].asString(), "down");
    EXPECT_EQ(events[2]["Action"].asString(), "up");
    EXPECT_EQ(events[1]["Delay"].asString(), "600");
    EXPECT_EQ(events[3]["Action"].asString(), "up");
}

// X11 repeats a held key as release and press pairs that are not always flagged.
TEST_F(MacroRecorderTest, AReleaseAndPressInTheSameMomentAreTheKeyRepeating)
{
    for (const Placement placement : {Placement::Append, Placement::Before, Placement::After}) {
        rows.load([] {
            Json::Value events(Json::arrayValue);
            events.append(mouseButtonEvent(kButtonMiddle, true, 500));
            events.append(mouseButtonEvent(kButtonMiddle, false, 500));
            return events;
        }());
        rows.select(1);
        recorder.start(DelayMode::Recorded, placement, 50);
        at(1100, key(kScanA, true));
        at(1600, key(kScanA, false));
        at(1602, key(kScanA, true));
        at(1640, key(kScanA, false));
        at(1640, key(kScanA, true));
        at(1700, key(kScanA, false));
        at(1900, key(kScanB, true));
        ASSERT_EQ(rows.count(), 5) << static_cast<int>(placement);
        std::vector<std::string> actions;
        for (const Json::Value& event : rows.events()) {
            if (event["Type"].asInt() == 10 && event["Button"].asInt() == 0x04)
                actions.push_back(event["Action"].asString() + " " + event["Delay"].asString());
        }
        EXPECT_EQ(actions, (std::vector<std::string>{"down 600", "up 200"})) << static_cast<int>(placement);
    }

    rows.clear();
    recorder.start(DelayMode::Recorded, Placement::Append, 50);
    at(2000, key(kScanA, true));
    at(2100, key(kScanA, false));
    at(2180, key(kScanA, true));
    at(2250, key(kScanA, false));
    EXPECT_EQ(delays(), (std::vector<std::string>{"100", "80", "70", "10"})) << "a real second press stays";
}

TEST_F(MacroRecorderTest, KeysWithoutACodeAndUnknownButtonsAreNotRecorded)
{
    recorder.start(DelayMode::Recorded, Placement::Append, 50);
    at(1100, key(kScanUnknown, true));
    at(1200, key(kScanUnknown, false));
    at(1300, button(0, true));
    EXPECT_EQ(rows.count(), 0);
    RecordedInput rightCtrl = key(0x1D, true);
    rightCtrl.extended = true;
    at(1400, rightCtrl);
    ASSERT_EQ(rows.count(), 1);
    EXPECT_EQ(rows.events()[0]["Button"].asInt(), 0x10);
}

TEST_F(MacroRecorderTest, TheStopClickIsNotRecordedAndRepeatedMouseMessagesAreDropped)
{
    recorder.start(DelayMode::Recorded, Placement::Append, 50);
    at(1100, button(kButtonLeft, true));
    at(1200, button(kButtonLeft, true));
    at(1300, button(kButtonLeft, false));
    at(1400, button(kButtonForward, true));
    at(1500, button(kButtonForward, false));
    at(1600, button(kButtonLeft, true, true));
    at(1700, button(kButtonLeft, false, true));
    EXPECT_TRUE(MacroRecorder::isStopClick(button(kButtonLeft, false, true)));
    EXPECT_FALSE(MacroRecorder::isStopClick(button(kButtonLeft, false, false)));
    EXPECT_FALSE(MacroRecorder::isStopClick(button(kButtonRight, false, true)));
    ASSERT_EQ(rows.count(), 4);
    EXPECT_EQ(rows.events()[2]["Button"].asInt(), kButtonForward);
}

TEST_F(MacroRecorderTest, NothingIsRecordedBeforeStartOrAfterStop)
{
    at(1100, key(kScanA, true));
    recorder.start(DelayMode::Recorded, Placement::Append, 50);
    recorder.stop();
    at(1200, key(kScanB, true));
    EXPECT_EQ(rows.count(), 0);
}

TEST_F(MacroRecorderTest, InsertingBeforeAndAfterGivesTheRowBeforeTheMeasuredDelay)
{
    rows.load([] {
        Json::Value events(Json::arrayValue);
        for (int i = 0; i < 3; ++i)
            events.append(mouseButtonEvent(kButtonMiddle, i % 2 == 0, 500));
        return events;
    }());
    rows.select(1);
    recorder.start(DelayMode::Recorded, Placement::Before, 50);
    at(1250, key(kScanA, true));
    EXPECT_EQ(delays(), (std::vector<std::string>{"250", "10", "500", "500"}));
    EXPECT_EQ(rows.selected(), 2);

    recorder.start(DelayMode::Recorded, Placement::After, 50);
    at(1330, key(kScanB, true));
    EXPECT_EQ(delays(), (std::vector<std::string>{"250", "10", "80", "10", "500"}));
    EXPECT_EQ(rows.selected(), 3);
}

TEST(MacroRecorderFixedDelayTest, TheBoxIsReadWithinRange)
{
    struct Case {
        const char* text;
        int value;
        FixedDelay::Notice notice;
    };
    const Case cases[] = {
        {"120", 120, FixedDelay::Notice::None},
        {"10", 10, FixedDelay::Notice::None},
        {"65535", 65535, FixedDelay::Notice::None},
        {"65536", 65535, FixedDelay::Notice::TooLarge},
        {"99999999999999999999999", 65535, FixedDelay::Notice::TooLarge},
        {"3", 10, FixedDelay::Notice::TooSmall},
        {"", 10, FixedDelay::Notice::TooSmall},
        {"abc", 10, FixedDelay::Notice::TooSmall},
        {"-5", 10, FixedDelay::Notice::TooSmall},
    };
    for (const Case& c : cases) {
        const FixedDelay delay = MacroRecorder::readFixedDelay(c.text);
        EXPECT_EQ(delay.value, c.value) << c.text;
        EXPECT_EQ(delay.notice, c.notice) << c.text;
    }
}

}  // namespace
}  // namespace kestrion
