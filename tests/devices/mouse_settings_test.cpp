// The mouse's settings logic against the in-process simulator: real sockets, real threads.
#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "device_link/command_channel.h"
#include "devices/mouse_settings.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "platform/log.h"
#include "support/request_log.h"
#include "support/simulated_mouse.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using Message = std::tuple<int, std::intptr_t, std::intptr_t>;

class MouseOnSimulator : public testing::Test {
protected:
    void SetUp() override
    {
        sim.setLogSink(requests.sink());
        record.SetProfilePath(profileFolder.file("profile.Json"));
    }

    void attach(devsim::Port port)
    {
        test::attachMouseChannel(sim, channel, port);
    }

    // Command codes the device received, in order (byte 3 of each request).
    std::vector<int> commands() const { return requests.commands(); }

    void clearCommands() { requests.clear(); }

    test::RequestLog requests;  // before the simulator, whose threads log into it
    devsim::Simulator sim{virtualHidDir()};
    CommandChannel channel;
    std::vector<Message> messages;
    MouseSettingsLink link{channel,
                           [this](int m, std::intptr_t w, std::intptr_t l) { messages.emplace_back(m, w, l); }};
    test::TempDir profileFolder;
    CMouseProfiledata record;
};

constexpr int kBegin = 0x01, kEnd = 0x02, kReadInfo = 0x03, kWriteInfo = 0x04, kReadKeys = 0x07;

TEST_F(MouseOnSimulator, InitialisedMouseIsReportedUsableAndItsKeyTableRead)
{
    attach(devsim::Port::Cable);
    ASSERT_EQ(link.readDeviceData(), kCommandOk);
    EXPECT_EQ(messages, (std::vector<Message>{{kMessageDeviceState, 1, 0}}));
    EXPECT_EQ(std::vector<std::uint8_t>(link.deviceInfo().bytes().begin(), link.deviceInfo().bytes().end()),
              sim.info());
    const std::size_t length = link.deviceInfo().keyTableLength();
    ASSERT_GT(length, 0u);
    const std::vector<std::uint8_t> keys = sim.keyTable();
    EXPECT_TRUE(std::equal(keys.begin(), keys.begin() + length, link.keyTable().begin()));
}

TEST_F(MouseOnSimulator, FreshMouseGetsTheMarkerWrittenFirst)
{
    sim.loadFreshInfo();
    attach(devsim::Port::Cable);
    ASSERT_EQ(link.readDeviceData(), kCommandOk);
    EXPECT_EQ(sim.info()[7], 0x15);
    EXPECT_EQ(commands(), (std::vector<int>{kBegin, kReadInfo, kEnd, kBegin, kWriteInfo, kEnd, kBegin, kReadKeys,
                                            kEnd}));
    EXPECT_EQ(messages, (std::vector<Message>{{kMessageDeviceState, 1, 0}}));
}

TEST_F(MouseOnSimulator, FailedMarkerWriteStillTellsTheWindow)
{
    std::filesystem::create_directories(std::filesystem::path(logFilePath()).parent_path());
    sim.loadFreshInfo();
    attach(devsim::Port::Cable);
    const std::vector<std::uint8_t> block = sim.info();
    // The block is read (begin, read, end); every reply after that is lost.
    sim.injectFault(devsim::FaultKind::Drop, devsim::Simulator::kAll, 0, 3);

    const int result = link.readDeviceData();
    sim.clearFaults();

    EXPECT_NE(result, kCommandOk);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], (Message{kMessageDeviceState, result, 0}));
    EXPECT_NE(test::readFile(logFilePath()).find("ReadDeviceData>WM_USB_MAINMESS_DEVICE_IS_INITUI    "
                                                 + std::to_string(result) + "\n"),
              std::string::npos);
}

// A reply that comes after the time limit is still queued when later requests go out: it must
// never be taken for theirs.
TEST_F(MouseOnSimulator, LateRepliesNeverPassForLaterRequests)
{
    struct Case {
        int delayMs;
        int count;
    };
    attach(devsim::Port::Cable);
    const std::vector<std::uint8_t> page = sim.settingsPage(0);
    for (const Case c : {Case{1100, 1}, Case{1100, 2}, Case{1500, 3}}) {
        sim.injectFault(devsim::FaultKind::Delay, c.count, c.delayMs);
        std::vector<std::uint8_t> read(page.size());
        const int result = channel.readSettings(read.data(), read.size(), 0);
        if (result == kCommandOk) {
            EXPECT_EQ(read, page) << c.delayMs << " ms x" << c.count;
        }
        // Whatever the late replies did, the exchanges after them are in step again.
        std::vector<std::uint8_t> again(page.size());
        ASSERT_EQ(channel.readSettings(again.data(), again.size(), 0), kCommandOk);
        EXPECT_EQ(again, page) << c.delayMs << " ms x" << c.count;
    }
}

TEST_F(MouseOnSimulator, CorruptBlockIsReportedAndNothingMoreRead)
{
    std::filesystem::create_directories(std::filesystem::path(logFilePath()).parent_path());
    sim.loadCorruptInfo();
    attach(devsim::Port::Cable);
    EXPECT_EQ(link.readDeviceData(), kCommandReadFailed);
    EXPECT_EQ(messages, (std::vector<Message>{{kMessageDeviceState, 0, 0}}));
    EXPECT_EQ(commands(), (std::vector<int>{kBegin, kReadInfo, kEnd}));
    EXPECT_NE(test::readFile(logFilePath()).find("ReadDeviceData>WM_USB_MAINMESS_DEVICE_IS_INITUI    0\n"),
              std::string::npos);
}

TEST_F(MouseOnSimulator, OldFirmwareOnTheCableAsksForAnUpdate)
{
    struct Case {
        std::uint16_t version;
        bool asks;
    };
    for (const Case c : {Case{0x0103, true}, Case{0x0104, false}}) {
        sim.setFirmwareVersion(c.version);
        attach(devsim::Port::Cable);
        messages.clear();
        ASSERT_EQ(link.readDeviceData(), kCommandOk);
        std::vector<Message> expected{{kMessageDeviceState, 1, 0}};
        if (c.asks)
            expected.emplace_back(kMessageFirmwareVersion, 0x22A4, c.version);
        EXPECT_EQ(messages, expected) << c.version;
        channel.wiredLink().close();
        sim.unplug(devsim::Port::Cable);
    }
}

MouseSettingsValues sampleValues()
{
    MouseSettingsValues values;
    values.light = LightInfo{0, 180, 1, 3, 1, 10, 20, 30, 0, 0, 1, 0, 0, 0};
    values.system.reportRate = 2;
    values.system.silentAltitude = 1;
    values.system.linearCalibration = 1;
    values.system.ripple = 0;
    values.system.bleSleep1 = 5;
    values.system.bleSleep2 = 6;
    values.system.deviceSleep1 = 7;
    values.system.deviceSleep2 = 8;
    values.system.keyDebounceTime = 3;
    values.system.logoLedMode = 2;
    values.currentStage = 1;
    for (std::uint8_t i = 0; i < 2; ++i) {
        DpiStage stage{1, 0, {}, {}, static_cast<std::uint8_t>(0x40 + i), 0x50, 0x60};
        stage.setDpiX(static_cast<std::uint16_t>(0x0130 + i));
        stage.setDpiY(static_cast<std::uint16_t>(0x0130 + i));
        values.stages.push_back(stage);
    }
    return values;
}

void fill(CMouseProfiledata& record, const MouseSettingsValues& values)
{
    record.SetLightInfo(values.light);
    record.SetSystemStages(values.system);
    record.SetCurrentStage(values.currentStage);
    record.SetDpiStages(values.stages);
}

TEST_F(MouseOnSimulator, WrittenPageLandsByteForByteThroughTheReceiver)
{
    attach(devsim::Port::Receiver);
    fill(record, sampleValues());
    ASSERT_EQ(link.writeSettingsPage(encodeRecordPage(record, 0), 0), kCommandOk);

    std::vector<std::uint8_t> expected(87, 0);
    const std::vector<std::pair<std::size_t, std::uint8_t>> set = {
        {1, 4}, {2, 180}, {3, 3}, {4, 3}, {5, 1}, {6, 10}, {7, 20}, {8, 30}, {11, 2}, {12, 1},
        {14, 1}, {16, 0x30}, {17, 0x01}, {18, 0x30}, {19, 0x01}, {20, 0x40}, {21, 0x50}, {22, 0x60},
        {23, 1}, {25, 0x31}, {26, 0x01}, {27, 0x31}, {28, 0x01}, {29, 0x41}, {30, 0x50}, {31, 0x60},
        {77, 5}, {78, 6}, {79, 7}, {80, 8}, {81, 3}, {82, 1}, {83, 1}, {84, 0}, {86, 4}};
    for (const auto& [offset, value] : set)
        expected[offset] = value;
    const std::vector<std::uint8_t> stored = sim.settingsPage(0);
    ASSERT_GE(stored.size(), 87u);
    EXPECT_EQ(std::vector<std::uint8_t>(stored.begin(), stored.begin() + 87), expected);
}

TEST_F(MouseOnSimulator, PageReadBackFillsTheRecordAndSavesIt)
{
    attach(devsim::Port::Cable);
    fill(record, sampleValues());
    ASSERT_EQ(link.writeSettingsPage(encodeRecordPage(record, 0), 0), kCommandOk);

    CMouseProfiledata reread;
    reread.SetProfilePath(profileFolder.file("reread.Json"));
    SettingsPage page{};
    std::uint8_t active = 0xFF;
    ASSERT_EQ(link.readSettingsPage({0, 1, 2, 3}, page, active), kCommandOk);
    storeSettingsPage(reread, page, active, {0, 1, 2, 3});
    EXPECT_EQ(active, 0);
    const LightInfo light = reread.GetLightInfo();
    EXPECT_EQ(light.mode, 2);
    EXPECT_EQ(light.speed, 1);
    EXPECT_EQ(std::vector<int>({light.red, light.green, light.blue}), std::vector<int>({10, 20, 30}));
    const MouseSystemStages system = reread.GetSystemStages();
    EXPECT_EQ(system.logoLedMode, 2);
    EXPECT_EQ(system.deviceSleep2, 8);
    EXPECT_EQ(reread.GetCurrentStage(), 1);
    EXPECT_EQ(link.lastPage()[1], 2);
    EXPECT_TRUE(std::filesystem::exists(profileFolder.file("reread.Json")));

    // A profile playing a custom list keeps it; the rest comes from the mouse.
    LightInfo custom = light;
    custom.mode = 11;
    custom.customGroup = 2;
    custom.speed = 3;
    reread.SetLightInfo(custom);
    storeSettingsPage(reread, page, active, {0, 1, 2, 3});
    EXPECT_EQ(reread.GetLightInfo().mode, 11);
    EXPECT_EQ(reread.GetLightInfo().customGroup, 2);
    EXPECT_EQ(reread.GetLightInfo().speed, 1);
}

TEST_F(MouseOnSimulator, PowerRecordMarksTheReceiver)
{
    sim.setBattery(64);
    attach(devsim::Port::Receiver);
    PowerRecord power;
    ASSERT_EQ(link.readPowerStatus(power), kCommandOk);
    EXPECT_EQ(power.bytes[0], 64);
    EXPECT_EQ(power.bytes[3], 1);
    EXPECT_EQ(power.bytes[2] | power.bytes[4] | power.bytes[5], 0);
    EXPECT_EQ(messages, (std::vector<Message>{{kMessagePowerStatus, 0, 0}}));

    link.setPaused(true);
    EXPECT_EQ(link.readPowerStatus(power), kCommandReadFailed);
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(MouseOnSimulator, MouseOffBehindTheReceiverMakesEveryOperationDoNothing)
{
    attach(devsim::Port::Receiver);
    const std::vector<std::uint8_t> pageBefore = sim.settingsPage(0);
    sim.setMouseOn(false);
    fill(record, sampleValues());
    clearCommands();

    EXPECT_EQ(link.readDeviceData(), kCommandReadFailed);
    SettingsPage page{};
    std::uint8_t active = 0xFF;
    EXPECT_EQ(link.readSettingsPage({}, page, active), kCommandReadFailed);
    EXPECT_EQ(link.writeSettingsPage(encodeRecordPage(record, 0), 0), kCommandReadFailed);
    PowerRecord power;
    EXPECT_EQ(link.readPowerStatus(power), kCommandReadFailed);

    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(active, 0xFF);
    EXPECT_EQ(sim.settingsPage(0), pageBefore);
    for (int code : commands())
        EXPECT_EQ(code, 0xAA);
    EXPECT_EQ(record.GetLightInfo().red, 10);
}

TEST_F(MouseOnSimulator, ClosedChannelSendsNothing)
{
    ASSERT_TRUE(sim.plugCable());
    EXPECT_EQ(link.readDeviceData(), kCommandReadFailed);
    SettingsPage page{};
    std::uint8_t active = 0;
    EXPECT_EQ(link.readSettingsPage({}, page, active), kCommandReadFailed);
    EXPECT_TRUE(commands().empty());
    EXPECT_TRUE(messages.empty());
}

TEST(MouseNotification, CodesDecode)
{
    using Kind = MouseNotification::Kind;
    struct Case {
        std::uint16_t code;
        Kind kind;
        int profile, stage;
    };
    constexpr Case cases[] = {
        {0x0401, Kind::Synchronise, 0, 0},  {0x0403, Kind::ButtonFlash, 0, 0},
        {0x1003, Kind::ProfileChanged, 3, 0}, {0x1153, Kind::ProfileAndStageChanged, 3, 5},
        {0x11F2, Kind::ProfileAndStageChanged, 2, 15}, {0x0402, Kind::Ignored, 0, 0},
        {0x1200, Kind::Ignored, 0, 0},
    };
    for (const Case& c : cases) {
        const MouseNotification n = decodeNotification(c.code);
        EXPECT_EQ(n.kind, c.kind) << std::hex << c.code;
        EXPECT_EQ(n.profile, c.profile) << std::hex << c.code;
        EXPECT_EQ(n.stage, c.stage) << std::hex << c.code;
    }
    const std::uint8_t report[] = {0x05, 0x53, 0x11};
    EXPECT_EQ(notificationCode(report, sizeof report), 0x1153);
    EXPECT_EQ(notificationCode(report, 2), 0);
}

TEST_F(MouseOnSimulator, ProfileAndStageNoticesUpdateThePageImage)
{
    EXPECT_FALSE(link.applyNotification(decodeNotification(0x1153)));  // channel closed
    attach(devsim::Port::Cable);
    EXPECT_TRUE(link.applyNotification(decodeNotification(0x1153)));
    EXPECT_EQ(link.activeProfile(), 3);
    EXPECT_EQ(link.lastPage()[0], 3);
    EXPECT_EQ(link.lastPage()[12], 5);
    EXPECT_TRUE(link.applyNotification(decodeNotification(0x1001)));
    EXPECT_EQ(link.lastPage()[12], 5);
    EXPECT_EQ(link.activeProfile(), 1);
    EXPECT_FALSE(link.applyNotification(decodeNotification(0x0401)));
}

}  // namespace
}  // namespace kestrion
