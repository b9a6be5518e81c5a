// The keyboard's settings page both ways, its light tables, streamed frames and notifications.
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "devices/frame_streamer.h"
#include "devices/keyboard_settings.h"
#include "devsim/simulator.h"
#include "platform/paths.h"

namespace kestrion {
namespace {

using namespace keyboard_page;

// Codes unlike their positions, so that a code taken for a position shows; 29 and 30 are the
// host-driven modes.
const std::vector<int> kModeCodes = {5, 9, 2, 29, 30, 20};

KeyboardPage patternedPage()
{
    KeyboardPage bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(0x40 + i);
    return bytes;
}

struct ReadCase {
    const char* what;
    std::uint8_t modeCode, speedByte;
    std::uint8_t mode, speed;
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.what; }

class KeyboardPageRead : public testing::TestWithParam<ReadCase> {};

TEST_P(KeyboardPageRead, FieldsLandInTheRecord)
{
    const ReadCase& c = GetParam();
    KeyboardPage bytes = patternedPage();
    bytes[kMode] = c.modeCode;
    bytes[kSpeed] = c.speedByte;
    KeyboardSettings current{};
    current.light.mode = 4;
    current.system.pollingRate = 3;

    const KeyboardSettings read = decodeKeyboardPage(bytes, kModeCodes, current);

    EXPECT_EQ(read.light.mode, c.mode);
    EXPECT_EQ(read.light.speed, c.speed);
    EXPECT_EQ(read.light.brightness, bytes[kBrightness]);
    EXPECT_EQ(read.light.direction, bytes[kEffectVariant]);
    EXPECT_EQ(read.light.multiColor, bytes[kMultiColour]);
    EXPECT_EQ((std::array{read.light.red, read.light.green, read.light.blue}),
              (std::array{bytes[kRed], bytes[kGreen], bytes[kBlue]}));
    EXPECT_EQ(read.light.zzccLedMode, bytes[kSecondMode]);
    EXPECT_EQ(read.light.customGroup, bytes[kCustomGroup]);
    EXPECT_EQ(read.system.wFlag, bytes[kWFlag]);
    EXPECT_EQ(read.system.key6Flag, bytes[kKey6Flag]);
    EXPECT_EQ(read.system.winFlag, bytes[kWinFlag]);
    EXPECT_EQ(read.system.pollingRate, 3) << "the polling rate is not read from the page";
}

INSTANTIATE_TEST_SUITE_P(Cases, KeyboardPageRead, testing::Values(
    ReadCase{"first code", 5, 1, 0, 3},
    ReadCase{"code of the sixth mode", 20, 4, 5, 0},
    ReadCase{"unknown code", 7, 2, 0, 2},
    ReadCase{"keep code leaves the current mode", kKeepModeCode, 0, 4, 4},
    ReadCase{"speed past the top", 2, 200, 2, 0}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

struct WriteCase {
    std::uint8_t mode, speed;
    std::uint8_t modeCode, speedByte;
};

void PrintTo(const WriteCase& c, std::ostream* out)
{
    *out << "mode " << int(c.mode) << " speed " << int(c.speed);
}

class KeyboardPageWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(KeyboardPageWrite, RecordBecomesTheBytesTheKeyboardTakes)
{
    const WriteCase& c = GetParam();
    KeyboardSettings settings{};
    settings.light = {c.mode, 3, c.speed, 1, 1, 10, 20, 30, 0, 0, 1, 7, 2, 0};
    settings.system = {500, 250, 1, 0x1234, 1, 0};
    const KeyboardPage base = patternedPage();

    const KeyboardPage bytes = encodeKeyboardPage(settings, 3, kModeCodes, base);

    EXPECT_EQ(bytes[kProfile], 3);
    EXPECT_EQ(bytes[kMode], c.modeCode);
    EXPECT_EQ(bytes[kSpeed], c.speedByte);
    const std::vector<std::pair<std::size_t, std::uint8_t>> fields = {
        {kBrightness, 3}, {kEffectVariant, 1}, {kMultiColour, 1}, {kRed, 10}, {kGreen, 20}, {kBlue, 30},
        {kAlwaysZero, 0}, {kSecondMode, 7}, {kWFlag, 1}, {kKey6Flag, 1}, {kWinFlag, 0},
        {kPollingRate, 0xFF}, {kCustomGroup, 2}};
    for (const auto& [offset, value] : fields)
        EXPECT_EQ(bytes[offset], value) << "byte " << offset;
    for (std::size_t i : {std::size_t{9}, std::size_t{15}, std::size_t{17}, std::size_t{24}, kSize - 1})
        EXPECT_EQ(bytes[i], base[i]) << "byte " << i << " is carried as the keyboard gave it";
}

INSTANTIATE_TEST_SUITE_P(Cases, KeyboardPageWrite, testing::Values(
    WriteCase{0, 3, 5, 1},
    WriteCase{5, 0, 20, 4},
    WriteCase{3, 2, kKeepModeCode, 2},  // host-driven: the keyboard keeps its mode
    WriteCase{4, 2, kKeepModeCode, 2},
    WriteCase{9, 250, 5, 0}));          // past the list: the first mode; past the top: the top

TEST(KeyboardPage, WrittenPageReadsBackTheSameSettings)
{
    KeyboardSettings settings{};
    settings.light = {2, 4, 1, 1, 0, 200, 100, 50, 0, 0, 1, 3, 4, 0};
    settings.system = {0, 0, 1, 2, 0, 1};
    const KeyboardPage bytes = encodeKeyboardPage(settings, 0, kModeCodes, KeyboardPage{});
    const KeyboardSettings back = decodeKeyboardPage(bytes, kModeCodes, KeyboardSettings{});
    const auto fields = [](const LightInfo& l) {
        return std::array{l.mode, l.brightness, l.speed, l.direction, l.multiColor, l.red, l.green, l.blue,
                          l.zzccLedMode, l.customGroup};
    };
    EXPECT_EQ(fields(back.light), fields(settings.light));
    EXPECT_EQ(back.system.winFlag, 1);
    EXPECT_EQ(back.system.pollingRate, 0);
}

TEST(KeyboardLightTables, OffsetsLengthsAndFrames)
{
    struct { int index; std::uint16_t offset; } tables[] = {{0, 0}, {1, 512}, {4, 2048}};
    for (const auto& t : tables)
        EXPECT_EQ(lightTableOffset(t.index), t.offset) << "table " << t.index;
    struct { std::size_t slots, length; } lengths[] = {{0, 0}, {1, 3}, {104, 312}, {170, 510}, {200, 510}};
    for (const auto& l : lengths)
        EXPECT_EQ(lightTableLength(l.slots), l.length) << l.slots << " slots";
    EXPECT_EQ(keySlotOffset(0), 0u);
    EXPECT_EQ(keySlotOffset(169), 507u);
}

struct FrameCase {
    const char* what;
    KeyColour key;
    std::array<std::uint8_t, 3> bytes;
};

TEST(KeyboardFrame, EachChannelIsScaledByItsBrightness)
{
    const FrameCase cases[] = {
        {"full", {255, 128, 1, 255}, {254, 127, 0}},
        {"half", {200, 100, 255, 128}, {100, 50, 127}},
        {"dark", {255, 255, 255, 0}, {0, 0, 0}},
    };
    for (const FrameCase& c : cases) {
        const std::vector<std::uint8_t> frame = keyboardFrame({KeyColour{}, c.key}, 3);
        ASSERT_EQ(frame.size(), 9u) << c.what;
        EXPECT_EQ((std::array{frame[3], frame[4], frame[5]}), c.bytes) << c.what;
        EXPECT_EQ((std::array{frame[0], frame[6]}), (std::array<std::uint8_t, 2>{})) << c.what;
    }
    EXPECT_EQ(keyboardFrame(std::vector<KeyColour>(5, {255, 255, 255, 255}), 2).size(), 6u)
        << "keys past the slots are left out";
}

struct NoticeCase {
    std::uint16_t code;
    bool wired;
    int mode;
    KeyboardNotification::Kind kind;
    std::uint8_t profile;
    std::optional<std::uint8_t> light;
};

TEST(KeyboardNotifications, CodesDecode)
{
    using K = KeyboardNotification::Kind;
    const NoticeCase cases[] = {
        {0x0401, true, 0, K::Reread, 0, std::nullopt},
        {0x0402, false, 0, K::RereadPending, 0, std::nullopt},
        {0x0000, true, 20, K::Reread, 0, std::nullopt},
        {0x0000, false, 20, K::Ignored, 0, std::nullopt},
        {0x0000, true, 3, K::Ignored, 0, std::nullopt},
        {0x1003, true, 0, K::DeviceState, 3, std::nullopt},
        {0x10F2, true, 0, K::DeviceState, 2, std::nullopt},
        {0x1134, false, 0, K::DeviceState, 4, 3},
        {0x1200, true, 0, K::Ignored, 0, std::nullopt},
        {0x0403, true, 0, K::Ignored, 0, std::nullopt},
    };
    for (const NoticeCase& c : cases) {
        const KeyboardNotification n = decodeKeyboardNotification(c.code, c.wired, c.mode);
        EXPECT_EQ(n.kind, c.kind) << std::hex << c.code;
        EXPECT_EQ(n.profile, c.profile) << std::hex << c.code;
        EXPECT_EQ(n.lightValue, c.light) << std::hex << c.code;
    }
}

TEST(FramePacer, PausesAfterAFailedFrameOnly)
{
    FramePacer pacer;
    EXPECT_EQ(pacer.waitBefore(1000), 0);
    pacer.frameSent(true, 1000);
    EXPECT_EQ(pacer.waitBefore(1000), 0);
    pacer.frameSent(false, 1000);
    struct { std::int64_t now, wait; } waits[] = {{1000, 200}, {1150, 50}, {1200, 0}, {5000, 0}};
    for (const auto& w : waits)
        EXPECT_EQ(pacer.waitBefore(w.now), w.wait) << "at " << w.now;
    pacer.frameSent(true, 1300);
    EXPECT_EQ(pacer.waitBefore(1300), 0);
}

// Over the simulator's real socket transport.
class KeyboardOnSimulator : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.plug(devsim::Port::Keyboard));
        ASSERT_TRUE(channel.wiredLink().open(sim.commandPath(devsim::Port::Keyboard), true, true, true, false));
        channel.setOpen(true);
        channel.setLinkMode(1);
    }

    std::vector<std::uint8_t> area(devsim::Area which, std::size_t offset, std::size_t length)
    {
        std::vector<std::uint8_t> bytes;
        sim.readMemory(devsim::Product::Keyboard, which, offset, length, bytes);
        return bytes;
    }

    devsim::Simulator sim{virtualHidDir()};
    CommandChannel channel;
    KeyboardLink link{channel};
};

TEST_F(KeyboardOnSimulator, ActivePageIsReadAndWrittenAtItsOwnPlaceOnly)
{
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::Settings, 0, {2}));
    KeyboardPage page{};
    std::uint8_t profile = 9;
    ASSERT_EQ(link.readPage(page, profile), kCommandOk);
    EXPECT_EQ(profile, 2);
    EXPECT_EQ(page[kSize - 1], 3) << "the factory marks each page with its number";

    const std::vector<std::uint8_t> before = area(devsim::Area::Settings, 0, 320);
    page[kRed] = 0x11;
    page[kCustomGroup] = 0x22;
    ASSERT_EQ(link.writePage(page, 1), kCommandOk);
    const std::vector<std::uint8_t> after = area(devsim::Area::Settings, 0, 320);
    EXPECT_EQ(std::vector<std::uint8_t>(after.begin() + 64, after.begin() + 64 + kSize),
              std::vector<std::uint8_t>(page.begin(), page.end()));
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i < 64 || i >= 64 + kSize) {
            ASSERT_EQ(after[i], before[i]) << "byte " << i << " of another page changed";
        }
    }
    EXPECT_EQ(link.writePage(page, kProfileCount), kCommandWriteFailed);
}

TEST_F(KeyboardOnSimulator, DeviceDataBothKeyTablesAndLightTables)
{
    std::vector<std::uint8_t> keys(512), keys2(512), lights(2560);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        keys[i] = static_cast<std::uint8_t>(i * 7);
        keys2[i] = static_cast<std::uint8_t>(i * 3 + 1);
    }
    for (std::size_t i = 0; i < lights.size(); ++i)
        lights[i] = static_cast<std::uint8_t>(i / 512 + 1 + i);
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::KeyTable, 0, keys));
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::SecondKeyTable, 0, keys2));
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::LightTable, 0, lights));

    KeyboardLink::Info info{};
    KeyboardLink::KeyTable table{}, table2{};
    ASSERT_EQ(link.readDeviceData(info, table, table2), kCommandOk);
    const std::size_t slots = info[keyboard_memory::kInfoKeySlots];
    ASSERT_EQ(slots, devsim::kKeyboardKeyCount);
    EXPECT_TRUE(std::equal(keys.begin(), keys.begin() + slots * 3, table.begin()));
    EXPECT_EQ(table[slots * 3], 0) << "only the key slots are read";
    EXPECT_TRUE(std::equal(keys2.begin(), keys2.begin() + slots, table2.begin()));
    EXPECT_EQ(table2[slots], 0) << "the second table is a third as long";

    std::vector<KeyboardLink::LightTable> tables;
    ASSERT_EQ(link.readLightTables(slots, tables), kCommandOk);
    ASSERT_EQ(tables.size(), 5u);
    for (int index = 0; index < 5; ++index) {
        const auto first = lights.begin() + index * 512;
        EXPECT_EQ(tables[index], std::vector<std::uint8_t>(first, first + slots * 3)) << "table " << index;
    }

    KeyboardLink::LightTable written(slots * 3, 0x5C);
    ASSERT_EQ(link.writeLightTable(written, 3), kCommandOk);
    EXPECT_EQ(area(devsim::Area::LightTable, 3 * 512, slots * 3), written);
    EXPECT_EQ(area(devsim::Area::LightTable, 2 * 512, 1)[0], lights[2 * 512]);
    EXPECT_EQ(link.writeLightTable(written, 5), kCommandWriteFailed);
}

TEST_F(KeyboardOnSimulator, FramesReachTheKeyboardWholeOnlyWhenWired)
{
    const std::vector<std::uint8_t> frame = keyboardFrame(std::vector<KeyColour>(devsim::kKeyboardKeyCount, {90, 60, 30, 128}),
                                                          devsim::kKeyboardKeyCount);
    ASSERT_EQ(link.streamFrame(frame), kCommandOk);
    ASSERT_EQ(sim.keyboardFrameCount(), 1u);
    EXPECT_EQ(sim.keyboardFrames().back(), frame);

    channel.setOpen(false);
    EXPECT_EQ(link.streamFrame(frame), kCommandReadFailed);
    EXPECT_EQ(link.writePage(KeyboardPage{}, 0), kCommandReadFailed);
    EXPECT_FALSE(link.isLinkAlive()) << "a wired keyboard has no receiver link to ask";
    EXPECT_EQ(sim.keyboardFrameCount(), 1u);
}

TEST(FrameStreamer, SendsTheNewestFrameAndStopsCleanly)
{
    std::mutex lock;
    std::condition_variable seen;
    std::vector<FrameStreamer::Frame> sent;
    FrameStreamer streamer([&](const FrameStreamer::Frame& frame) {
        std::lock_guard guard(lock);
        sent.push_back(frame);
        seen.notify_all();
        return true;
    });
    streamer.start();
    streamer.offer({1});
    {
        std::unique_lock guard(lock);
        ASSERT_TRUE(seen.wait_for(guard, std::chrono::seconds(5), [&] { return !sent.empty(); }));
    }
    streamer.stop();
    streamer.offer({2});
    EXPECT_FALSE(streamer.isRunning());
    EXPECT_EQ(sent, (std::vector<FrameStreamer::Frame>{{1}}));
}

}  // namespace
}  // namespace kestrion
