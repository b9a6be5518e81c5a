// The tool's command channel against the simulator: both sides are written separately from the
// same byte tables, so a misreading on either shows here.
#include <gtest/gtest.h>

#include "devsim/simulator.h"
#include "device_link/command_channel.h"
#include "platform/paths.h"

namespace kestrion {
namespace {

class ChannelOnSimulator : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.plugCable());
        ASSERT_TRUE(sim.plugReceiver());
    }

    void attach(LinkMode mode)
    {
        const bool receiver = mode == LinkMode::Receiver;
        HidDevice& link = receiver ? channel.receiverLink() : channel.wiredLink();
        ASSERT_TRUE(link.open(sim.commandPath(receiver ? devsim::Port::Receiver : devsim::Port::Cable), true,
                              true, true, false));
        channel.setOpen(true);
        channel.setLinkMode(static_cast<int>(mode));
    }

    devsim::Simulator sim{virtualHidDir()};
    CommandChannel channel;
};

TEST_F(ChannelOnSimulator, ReadsTheSameMemoryByCableAndReceiver)
{
    for (LinkMode mode : {LinkMode::Wired, LinkMode::Receiver}) {
        attach(mode);
        std::vector<std::uint8_t> info(CommandChannel::kDeviceInfoSize);
        ASSERT_EQ(channel.beginConfig(), kCommandOk);
        ASSERT_EQ(channel.readDeviceInfo(info.data()), kCommandOk);
        ASSERT_EQ(channel.endConfig(), kCommandOk);
        EXPECT_EQ(info, sim.info());
        EXPECT_EQ(info[0], 0xAA);
        EXPECT_EQ(info[1], 0x55);

        std::vector<std::uint8_t> keys(512);
        ASSERT_TRUE(channel.setBlockLength(static_cast<std::uint16_t>(info[5] * 3)));
        ASSERT_EQ(channel.readKeyTable(keys.data()), kCommandOk);
        const std::vector<std::uint8_t> expected = sim.keyTable();
        EXPECT_TRUE(std::equal(keys.begin(), keys.begin() + info[5] * 3, expected.begin()));
    }
}

TEST_F(ChannelOnSimulator, SettingsWrittenThroughTheReceiverReachTheMouse)
{
    attach(LinkMode::Receiver);
    ASSERT_TRUE(channel.queryReceiverLink());
    std::vector<std::uint8_t> page(87);
    for (std::size_t i = 1; i < page.size(); ++i)
        page[i] = static_cast<std::uint8_t>(i);
    ASSERT_EQ(channel.beginConfig(), kCommandOk);
    ASSERT_EQ(channel.writeSettings(page.data(), page.size(), 128), kCommandOk);
    ASSERT_EQ(channel.endConfig(), kCommandOk);
    const std::vector<std::uint8_t> stored = sim.settingsPage(1);
    EXPECT_TRUE(std::equal(page.begin() + 1, page.end(), stored.begin() + 1));
}

TEST_F(ChannelOnSimulator, MouseSwitchedOffBehindTheReceiver)
{
    attach(LinkMode::Receiver);
    sim.setMouseOn(false);
    EXPECT_FALSE(channel.queryReceiverLink());
    std::vector<std::uint8_t> info(34);
    EXPECT_EQ(channel.readDeviceInfo(info.data()), kCommandUnreachable);

    sim.setMouseOn(true);
    EXPECT_TRUE(channel.queryReceiverLink());
    EXPECT_EQ(channel.readDeviceInfo(info.data()), kCommandOk);
}

TEST_F(ChannelOnSimulator, BadRangesAreRefusedByTheDevice)
{
    attach(LinkMode::Wired);
    std::vector<std::uint8_t> page(87);
    EXPECT_EQ(channel.readSettings(page.data(), page.size(), 0xFFC0), kCommandStatusRejected);
}

TEST_F(ChannelOnSimulator, UnpluggedCableFailsTheExchangeQuickly)
{
    attach(LinkMode::Wired);
    sim.unplugCable();
    std::vector<std::uint8_t> info(34);
    EXPECT_NE(channel.readDeviceInfo(info.data()), kCommandOk);
}

}  // namespace
}  // namespace kestrion
