// The mouse pad's device object with no widget at all: the simulator on its real socket
// transport, real threads, the factory data files.
#include <gtest/gtest.h>

#include <vector>

#include "devices/mouse_pad_device.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "profiles/program_folders.h"
#include "support/device_doubles.h"
#include "support/request_log.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using test::Message;
using test::waitFor;

constexpr int kPadKind = 3;
constexpr int kBegin = 0x01, kEnd = 0x02;
constexpr int kKeepAliveMs = 50000;

class PadDriver : public testing::Test {
protected:
    void SetUp() override
    {
        test::ensureCoreApp();
        setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
        sim.setLogSink(requests.sink());
        device.setPageSetup(test::pageSetupOf(kPadKind, dataFolder.path() + "/"));
        device.setHost(&host);
        device.setSelectorEntry(&selector);
        device.prepare();
        QObject::connect(&device, &CQuellonMousePadDevice::profileLoaded, [this] { ++loaded; });
        ASSERT_TRUE(sim.plug(devsim::Port::Pad));
        ASSERT_TRUE(device.attachCommandLink(sim.commandPath(devsim::Port::Pad), kPadKind));
        ASSERT_TRUE(device.attachNotificationLink(sim.notificationPath(devsim::Port::Pad), kPadKind));
    }

    bool settle() { return waitFor([&] { return !device.hasDeviceWork(); }, 15000); }

    test::TempDir dataFolder;
    test::RequestLog requests;
    devsim::Simulator sim{virtualHidDir()};
    test::RecordingHost<> host;
    CQuellonMousePadDevice device;
    test::TestSelector selector{device};
    int loaded = 0;
};

TEST_F(PadDriver, PreparedWithItsModesAndProfilesBeforeAnyPage)
{
    EXPECT_EQ(device.modeCodes(), (std::vector<int>{0, 1, 2, 3, 4}));
    ASSERT_EQ(device.lightModes().size(), 5u);
    EXPECT_FALSE(device.lightModes()[0].name.isEmpty());
    ASSERT_NE(device.profileList(), nullptr);
    EXPECT_EQ(device.profileList()->count(), 1);
}

TEST_F(PadDriver, FirstReadLoadsTheProfileAndKeepsThePadAwakeEvery50Seconds)
{
    device.readAll();
    ASSERT_TRUE(settle());
    EXPECT_EQ(device.deviceInfo()[0], sim.memory(devsim::Product::Pad, devsim::Area::Info)[0]);
    EXPECT_EQ(device.profile().GetLightInfo().mode, 3) << "the factory profile's spectrum";
    EXPECT_EQ(loaded, 1) << "announced for whatever shows it";
    EXPECT_TRUE(selector.wasArmed(kTimerKeepAlive, kKeepAliveMs));

    requests.clear();
    selector.armed.clear();
    device.runSelectorTimer(kTimerKeepAlive);
    ASSERT_TRUE(settle());
    EXPECT_EQ(requests.commands(), (std::vector<int>{kBegin, kEnd}));
    EXPECT_TRUE(selector.wasArmed(kTimerKeepAlive, kKeepAliveMs)) << "and again 50 s later";
}

TEST_F(PadDriver, NoticeOfAChangeRereadsThePageHalfASecondLaterAndTellsItsProfile)
{
    device.readAll();
    ASSERT_TRUE(settle());
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Pad, devsim::Area::Settings, 0, {1}));
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Pad, devsim::Area::Settings, 25 + pad_page::kRed, {0x42}));
    host.messages.clear();

    sim.sendNotification(devsim::Port::Pad, CQuellonMousePadDevice::kSynchroniseCode);
    ASSERT_TRUE(waitFor([&] { return selector.wasArmed(kTimerReread, CQuellonMousePadDevice::kRereadDelayMs); }, 2000));
    ASSERT_TRUE(waitFor([&] { return !host.messages.empty(); }, 3000));

    EXPECT_EQ(host.messages, (std::vector<Message>{{WM_USB_MAINMESS_PROFILE_INDEX, 1, 0}}));
    EXPECT_EQ(device.pageImage()[pad_page::kProfile], 1);
    EXPECT_EQ(device.pageImage()[pad_page::kRed], 0x42);
    EXPECT_NE(device.profile().GetLightInfo().red, 0x42) << "the profile is not touched";
}

TEST_F(PadDriver, LightingOfTheSecondProfileIsSavedAndWrittenAtItsPageOf64)
{
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Pad, devsim::Area::Settings, 0, {1}));
    device.readAll();
    ASSERT_TRUE(settle());

    LightInfo light = device.profile().GetLightInfo();
    light.mode = 1;
    light.speed = 3;
    light.red = 9;
    device.applyLight(light);
    ASSERT_TRUE(settle());

    std::vector<std::uint8_t> written;
    ASSERT_TRUE(sim.readMemory(devsim::Product::Pad, devsim::Area::Settings, 64, pad_page::kSize, written));
    EXPECT_EQ(written[pad_page::kProfile], 1);
    EXPECT_EQ(written[pad_page::kMode], 1);
    EXPECT_EQ(written[pad_page::kSpeed], 1);
    EXPECT_EQ(written[pad_page::kRed], 9);
    EXPECT_TRUE(host.notices.isEmpty());

    CBasicProfiledata saved;
    saved.LoadProfile(device.profile().GetProfilePath());
    EXPECT_EQ(saved.GetLightInfo().red, 9) << "kept in the profile's file";
}

TEST_F(PadDriver, WriteToAPadThatStopsAnsweringIsTold)
{
    device.readAll();
    ASSERT_TRUE(settle());
    sim.injectFault(devsim::FaultKind::Drop, devsim::Simulator::kAll);
    device.applyLight(device.profile().GetLightInfo());
    ASSERT_TRUE(settle());
    EXPECT_EQ(host.notices, QStringList{QStringLiteral("message_text_7")});
}

}  // namespace
}  // namespace kestrion
