#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <filesystem>
#include <numeric>
#include <thread>

#include "device_link/command_channel.h"
#include "platform/log.h"
#include "support/scripted_device.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using Fault = test::ScriptedDevice::Fault;
using Clock = std::chrono::steady_clock;

struct PacketShape {
    std::uint8_t code;
    std::uint8_t length;
    std::uint16_t offset;
    bool operator==(const PacketShape&) const = default;
};

std::ostream& operator<<(std::ostream& out, const PacketShape& p)
{
    return out << "{code " << int(p.code) << ", length " << int(p.length) << ", offset " << p.offset << "}";
}

std::vector<std::uint8_t> pattern(std::size_t n, std::uint8_t seed = 1)
{
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

class CommandChannelTest : public testing::Test {
protected:
    void open(LinkMode mode)
    {
        HidDevice& link = mode == LinkMode::Receiver ? channel.receiverLink() : channel.wiredLink();
        ASSERT_TRUE(link.open(device.path(), true, true, true, false));
        channel.setOpen(true);
        channel.setLinkMode(static_cast<int>(mode));
        device.clearRequests();
    }

    std::vector<PacketShape> sent() const
    {
        std::vector<PacketShape> shapes;
        for (const auto& r : device.requests())
            shapes.push_back({r.code, r.length, r.offset});
        return shapes;
    }

    test::TempDir home;
    test::ScriptedDevice device{"mouse-if1"};
    CommandChannel channel;
};

TEST(CommandPacket, HeaderAndChecksum)
{
    const Packet begin = buildRequest(CommandCode::BeginConfig, 0, 0);
    EXPECT_EQ(begin[0], 0x04);
    EXPECT_EQ(begin[1], 0x01);
    EXPECT_EQ(begin[2], 0x00);
    EXPECT_EQ(begin[3], 0x01);

    const std::vector<std::uint8_t> data(56, 0xFF);
    const Packet write = buildRequest(CommandCode::WriteSettings, 56, 0x01B8, data.data(), data.size());
    // 0x06 + 56 + 0xB8 + 0x01 + 56 * 0xFF = 0x38BF
    EXPECT_EQ(write[1], 0xBF);
    EXPECT_EQ(write[2], 0x38);
    EXPECT_EQ(write[4], 56);
    EXPECT_EQ(write[5], 0xB8);
    EXPECT_EQ(write[6], 0x01);
    EXPECT_EQ(write[7], 0x00);
    EXPECT_EQ(write[63], 0xFF);

    const Packet notice = buildRequest(CommandCode::SendReadyNotice, 0, 0, nullptr, 0, false);
    EXPECT_EQ(notice[1], 0);
    EXPECT_EQ(notice[2], 0);
}

TEST(CommandPacket, TraceIsTwoLinesOfGroupedBytes)
{
    Packet p{};
    std::iota(p.begin(), p.end(), 0);
    const std::string trace = formatPacketTrace(p);
    EXPECT_EQ(trace.substr(0, 42), "00 01 02 03   04 05 06 07   08 09 0a 0b   ");
    EXPECT_NE(trace.find("0c 0d 0e 0f  10 11 12 13  14 15 16 17  18 19 1a 1b  1c 1d 1e 1f\n20 21"),
              std::string::npos);
    EXPECT_EQ(trace.back(), '\n');
    EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 2);
}

TEST_F(CommandChannelTest, ChunksFollowTheLinkMode)
{
    struct Case {
        const char* what;
        LinkMode mode;
        std::function<int(CommandChannel&)> run;
        std::vector<PacketShape> expected;
    };
    std::vector<std::uint8_t> buffer(1024);
    const std::vector<Case> cases = {
        {"device info, wired", LinkMode::Wired, [&](CommandChannel& c) { return c.readDeviceInfo(buffer.data()); },
         {{0x03, 34, 0}}},
        {"device info, receiver", LinkMode::Receiver,
         [&](CommandChannel& c) { return c.readDeviceInfo(buffer.data()); }, {{0x03, 24, 0}, {0x03, 10, 24}}},
        {"device info write, receiver", LinkMode::Receiver,
         [&](CommandChannel& c) { return c.writeDeviceInfo(buffer.data()); }, {{0x04, 34, 0}}},
        {"shoot data, receiver", LinkMode::Receiver,
         [&](CommandChannel& c) { return c.writeShootData(buffer.data(), 120); },
         {{0x17, 56, 0}, {0x17, 56, 56}, {0x17, 8, 112}}},
        {"shoot data, wired", LinkMode::Wired, [&](CommandChannel& c) { return c.writeShootData(buffer.data(), 120); },
         {{0x17, 56, 0}, {0x17, 56, 56}, {0x17, 8, 112}}},
        {"settings page, wired", LinkMode::Wired,
         [&](CommandChannel& c) { return c.readSettings(buffer.data(), 87, 128); }, {{0x05, 56, 128}, {0x05, 31, 184}}},
        {"settings page, receiver", LinkMode::Receiver,
         [&](CommandChannel& c) { return c.readSettings(buffer.data(), 87, 128); },
         {{0x05, 24, 128}, {0x05, 24, 152}, {0x05, 24, 176}, {0x05, 15, 200}}},
        {"light table slot 2, stride 64", LinkMode::Wired,
         [&](CommandChannel& c) { return c.writeLightTable(buffer.data(), 64, 2, 64); },
         {{0x0B, 56, 128}, {0x0B, 8, 184}}},
        {"second key table", LinkMode::Wired, [&](CommandChannel& c) { return c.readSecondKeyTable(buffer.data()); },
         {{0x1B, 56, 0}, {0x1B, 56, 56}, {0x1B, 56, 112}, {0x1B, 2, 168}}},
        {"status, not chunked", LinkMode::Receiver,
         [&](CommandChannel& c) { return c.readStatus(buffer.data(), 40, 3); }, {{0x1A, 40, 3}}},
        {"begin", LinkMode::Wired, [](CommandChannel& c) { return c.beginConfig(); }, {{0x01, 0, 0}}},
        {"end", LinkMode::Receiver, [](CommandChannel& c) { return c.endConfig(); }, {{0x02, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        channel.wiredLink().close();
        channel.receiverLink().close();
        open(c.mode);
        EXPECT_EQ(c.run(channel), kCommandOk);
        EXPECT_EQ(sent(), c.expected);
    }
}

TEST_F(CommandChannelTest, WrittenBytesReadBackAtTheirOffsets)
{
    for (LinkMode mode : {LinkMode::Wired, LinkMode::Receiver}) {
        channel.wiredLink().close();
        open(mode);
        const std::vector<std::uint8_t> page = pattern(87, static_cast<std::uint8_t>(mode));
        ASSERT_EQ(channel.writeSettings(page.data(), page.size(), 3 * 128), kCommandOk);
        EXPECT_TRUE(std::equal(page.begin(), page.end(), device.area(0x05).begin() + 3 * 128));

        std::vector<std::uint8_t> back(87);
        ASSERT_EQ(channel.readSettings(back.data(), back.size(), 3 * 128), kCommandOk);
        EXPECT_EQ(back, page);
    }
    std::vector<std::uint8_t> keys = pattern(512, 9);
    std::copy(keys.begin(), keys.end(), device.area(0x07).begin());
    std::vector<std::uint8_t> readKeys(512);
    ASSERT_EQ(channel.readKeyTable(readKeys.data()), kCommandOk);
    EXPECT_EQ(readKeys, keys);
}

TEST_F(CommandChannelTest, MissingEchoIsRetriedOnce)
{
    open(LinkMode::Wired);
    device.queueFaults({Fault::WrongEcho});
    EXPECT_EQ(channel.beginConfig(), kCommandOk);
    EXPECT_EQ(sent().size(), 2u);

    device.clearRequests();
    device.queueFaults({Fault::WrongEcho, Fault::WrongEcho});
    std::vector<std::uint8_t> info(34);
    EXPECT_EQ(channel.readDeviceInfo(info.data()), kCommandReadFailed);
    EXPECT_EQ(sent().size(), 2u) << "a second mismatch ends the exchange";
}

TEST_F(CommandChannelTest, ReceiverNoAnswerEndsWithoutRetry)
{
    open(LinkMode::Receiver);
    device.queueFaults({Fault::ReceiverNoAnswer});
    std::vector<std::uint8_t> info(34);
    EXPECT_EQ(channel.readDeviceInfo(info.data()), kCommandUnreachable);
    EXPECT_EQ(sent().size(), 1u);
}

TEST_F(CommandChannelTest, WiredLinkTreatsTheReceiverAnswerAsAMissingEcho)
{
    open(LinkMode::Wired);
    device.queueFaults({Fault::ReceiverNoAnswer});
    EXPECT_EQ(channel.beginConfig(), kCommandOk);
    EXPECT_EQ(sent().size(), 2u);
}

TEST_F(CommandChannelTest, StatusErrorsStopAChunkedTransfer)
{
    open(LinkMode::Receiver);
    const std::vector<std::uint8_t> keys = pattern(512);
    device.queueFaults({Fault::None, Fault::StatusInvalid});
    EXPECT_EQ(channel.writeKeyTable(keys.data(), 0), kCommandStatusInvalid);
    EXPECT_EQ(sent().size(), 2u);
    EXPECT_TRUE(std::equal(keys.begin(), keys.begin() + 24, device.area(0x07).begin()))
        << "the packet before the failure reached the device";

    device.clearRequests();
    device.queueFaults({Fault::StatusRejected});
    EXPECT_EQ(channel.beginConfig(), kCommandStatusRejected);
}

TEST_F(CommandChannelTest, RefusedRequestsSendNothing)
{
    std::vector<std::uint8_t> buffer(512, 0xEE);
    EXPECT_EQ(channel.beginConfig(), kCommandReadFailed) << "not open";

    open(LinkMode::Wired);
    EXPECT_EQ(channel.writeKeyTable(buffer.data(), 1), kCommandBadKeyPage);
    EXPECT_FALSE(channel.setBlockLength(513));
    EXPECT_EQ(channel.blockLength(), 512);

    channel.setSuspended(true);
    EXPECT_EQ(channel.readDeviceInfo(buffer.data()), kCommandOk);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.begin() + 34, [](auto b) { return b == 0; }));
    EXPECT_EQ(channel.streamLightFrame(buffer.data(), 60), kCommandOk);
    EXPECT_TRUE(sent().empty());
}

TEST_F(CommandChannelTest, BlockLengthSetsTheKeyTableTransfer)
{
    open(LinkMode::Wired);
    ASSERT_TRUE(channel.setBlockLength(60));
    std::vector<std::uint8_t> keys(60);
    ASSERT_EQ(channel.readKeyTable(keys.data()), kCommandOk);
    EXPECT_EQ(sent(), (std::vector<PacketShape>{{0x07, 56, 0}, {0x07, 4, 56}}));
}

TEST_F(CommandChannelTest, SilentDeviceTimesOutAndTheNextExchangeWorks)
{
    open(LinkMode::Wired);
    device.queueFaults({Fault::Silent, Fault::Silent});
    EXPECT_EQ(channel.beginConfig(), kCommandReadFailed);
    EXPECT_EQ(sent().size(), 2u);
    EXPECT_EQ(channel.endConfig(), kCommandOk);
}

TEST_F(CommandChannelTest, ClosingTheLinkCancelsAWaitingExchange)
{
    open(LinkMode::Receiver);
    device.queueFaults({Fault::Silent});
    int result = kCommandOk;
    const auto start = Clock::now();
    std::thread exchange([&] { result = channel.beginConfig(); });
    ASSERT_TRUE(device.waitForRequests(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    channel.receiverLink().close();
    exchange.join();
    EXPECT_NE(result, kCommandOk);
    // The receiver limit is 5 s per read; a cancelled read must not wait it out.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
}

TEST_F(CommandChannelTest, ReceiverLinkQuery)
{
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    std::filesystem::create_directories(home.file("Zorvane"));

    open(LinkMode::Wired);
    EXPECT_TRUE(channel.queryReceiverLink());
    EXPECT_TRUE(sent().empty()) << "no I/O in wired mode";

    channel.wiredLink().close();
    open(LinkMode::Receiver);
    EXPECT_TRUE(channel.queryReceiverLink());
    EXPECT_EQ(test::readFile(logFilePath()), "");

    device.setLinkAnswer(0x00);
    EXPECT_FALSE(channel.queryReceiverLink());
    EXPECT_NE(test::readFile(logFilePath()).find(":Hid2_4GDeviceIsLink>0xAA    false\n"), std::string::npos);

    device.queueFaults({Fault::ReceiverNoAnswer});
    EXPECT_FALSE(channel.queryReceiverLink());
}

TEST_F(CommandChannelTest, LightFramesAreDroppedWhileAnExchangeIsBusy)
{
    open(LinkMode::Receiver);
    device.queueFaults({Fault::Slow});
    std::thread config([&] { EXPECT_EQ(channel.beginConfig(), kCommandOk); });
    ASSERT_TRUE(device.waitForRequests(1));
    const std::vector<std::uint8_t> frame = pattern(45);
    EXPECT_EQ(channel.streamLightFrame(frame.data(), frame.size()), kCommandOk);
    config.join();
    for (const auto& p : sent())
        EXPECT_NE(p.code, 0x12) << "a frame was sent during a configuration exchange";

    device.clearRequests();
    EXPECT_EQ(channel.streamLightFrame(frame.data(), frame.size()), kCommandOk);
    EXPECT_EQ(sent(), (std::vector<PacketShape>{{0x12, 24, 0}, {0x12, 21, 24}}));
}

TEST_F(CommandChannelTest, ConcurrentTransfersKeepTheirOwnReplies)
{
    open(LinkMode::Receiver);
    const std::vector<std::uint8_t> page = pattern(128 * 4, 3);
    std::copy(page.begin(), page.end(), device.area(0x05).begin());
    const std::vector<std::uint8_t> keys = pattern(512, 11);
    std::copy(keys.begin(), keys.end(), device.area(0x07).begin());

    std::vector<std::uint8_t> pageBack(page.size()), keysBack(512);
    std::thread a([&] {
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(channel.readSettings(pageBack.data(), pageBack.size(), 0), kCommandOk);
    });
    std::thread b([&] {
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(channel.readKeyTable(keysBack.data()), kCommandOk);
    });
    a.join();
    b.join();
    EXPECT_EQ(pageBack, page);
    EXPECT_EQ(keysBack, keys);
}

TEST_F(CommandChannelTest, ReadyNoticeGoesRawWithoutChecksum)
{
    open(LinkMode::Wired);
    EXPECT_EQ(channel.sendReadyNotice(), kCommandOk);
    const auto requests = device.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].code, 0x19);
    EXPECT_EQ(requests[0].bytes[1], 0);
    EXPECT_EQ(requests[0].bytes[2], 0);
}

}  // namespace
}  // namespace kestrion
