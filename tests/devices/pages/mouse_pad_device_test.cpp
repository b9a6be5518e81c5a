// The mouse pad's page over the in-process simulator: real sockets, real threads, real skin.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "devices/pages/mouse_pad_device.h"
#include "devices/pages/page_fixture.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "profiles/program_folders.h"
#include "support/request_log.h"
#include "support/temp_dir.h"
#include "ui/light_control.h"
#include "ui/qt_app.h"

namespace kestrion {
namespace {

using test::Message;
using test::waitFor;

constexpr int kPadKind = 3;
constexpr int kBegin = 0x01, kEnd = 0x02;
constexpr int kKeepAliveMs = 50000;

class PadDevicePage : public testing::Test {
protected:
    void SetUp() override
    {
        setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
        sim.setLogSink(requests.sink());
        DevicePageSetup setup;
        setup.deviceKind = kPadKind;
        setup.lightCount = 15;
        setup.pageLayout = QStringLiteral("XML\\DeviceXml\\mousepaddevice.xml");
        setup.kindName = QStringLiteral("MousePad");
        setup.lightName = QStringLiteral("brylo_light");
        setup.dataFolder = dataFolder.path() + "/";
        device.setPageSetup(setup);
        device.setHost(&mainWindow);
        device.setSelectorEntry(&selector);
        ASSERT_TRUE(device.buildPage(real.skin, real.factory));
        ASSERT_TRUE(sim.plug(devsim::Port::Pad));
        ASSERT_TRUE(device.attachCommandLink(sim.commandPath(devsim::Port::Pad), kPadKind));
        ASSERT_TRUE(device.attachNotificationLink(sim.notificationPath(devsim::Port::Pad), kPadKind));
    }

    bool settle() { return waitFor([&] { return !device.hasDeviceWork(); }, 15000); }

    bool armed(int id, int ms) const
    {
        return std::find(selector.armed.begin(), selector.armed.end(), std::pair{id, ms}) != selector.armed.end();
    }

    test::QtApp app;
    test::RealSkin real;
    test::TempDir dataFolder;
    test::RequestLog requests;
    devsim::Simulator sim{virtualHidDir()};
    test::RecordingMainWindow mainWindow;
    CQuellonMousePadDevice device;
    test::TestSelector selector{device};
};

TEST_F(PadDevicePage, PageHasItsZonesEditorAndTheModesOfThePad)
{
    EXPECT_EQ(device.lightButtons().size(), 15);
    EXPECT_TRUE(std::all_of(device.lightButtons().begin(), device.lightButtons().end(), [](auto* b) { return b; }));
    ASSERT_NE(device.lightEditor(), nullptr);
    ASSERT_NE(device.profileSelector(), nullptr);
    EXPECT_EQ(device.modeCodes(), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(PadDevicePage, FirstReadShowsTheProfileAndKeepsThePadAwakeEvery50Seconds)
{
    device.readAll();
    ASSERT_TRUE(settle());
    EXPECT_EQ(device.deviceInfo()[0], sim.memory(devsim::Product::Pad, devsim::Area::Info)[0]);
    EXPECT_EQ(device.lightEditor()->light().mode, 3) << "the factory profile's spectrum";
    EXPECT_TRUE(armed(kTimerKeepAlive, kKeepAliveMs));

    requests.clear();
    selector.armed.clear();
    device.runSelectorTimer(kTimerKeepAlive);
    ASSERT_TRUE(settle());
    EXPECT_EQ(requests.commands(), (std::vector<int>{kBegin, kEnd}));
    EXPECT_TRUE(armed(kTimerKeepAlive, kKeepAliveMs)) << "and again 50 s later";
}

TEST_F(PadDevicePage, NoticeOfAChangeRereadsThePageHalfASecondLaterAndTellsItsProfile)
{
    device.readAll();
    ASSERT_TRUE(settle());
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Pad, devsim::Area::Settings, 0, {1}));
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Pad, devsim::Area::Settings, 25 + pad_page::kRed, {0x42}));
    mainWindow.messages.clear();

    sim.sendNotification(devsim::Port::Pad, CQuellonMousePadDevice::kSynchroniseCode);
    ASSERT_TRUE(waitFor([&] { return armed(kTimerReread, CQuellonMousePadDevice::kRereadDelayMs); }, 2000));
    ASSERT_TRUE(waitFor([&] { return !mainWindow.messages.empty(); }, 3000));

    EXPECT_EQ(mainWindow.messages, (std::vector<Message>{{ui::WM_USB_MAINMESS_PROFILE_INDEX, 1, 0}}));
    EXPECT_EQ(device.pageImage()[pad_page::kProfile], 1);
    EXPECT_EQ(device.pageImage()[pad_page::kRed], 0x42);
    EXPECT_NE(device.profile().GetLightInfo().red, 0x42) << "the profile is not touched";
}

TEST_F(PadDevicePage, LightingOfTheSecondProfileIsWrittenAtItsPageOf64)
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
    EXPECT_TRUE(mainWindow.notices.isEmpty());
}

TEST_F(PadDevicePage, WriteToAPadThatStopsAnsweringIsTold)
{
    device.readAll();
    ASSERT_TRUE(settle());
    sim.injectFault(devsim::FaultKind::Drop, devsim::Simulator::kAll);
    device.applyLight(device.profile().GetLightInfo());
    ASSERT_TRUE(settle());
    EXPECT_EQ(mainWindow.notices, QStringList{QStringLiteral("message_text_7")});
}

}  // namespace
}  // namespace kestrion
