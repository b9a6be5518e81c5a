// The keyboard's device object with no widget at all: the simulator on its real socket
// transport, real threads, the factory data files.
#include <gtest/gtest.h>

#include <vector>

#include "devices/keyboard_device.h"
#include "devices/keyboard_keys.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "profiles/program_folders.h"
#include "support/device_doubles.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using test::waitFor;

constexpr int kKeyboardKind = 1;
constexpr int kPerKeyMode = 5;  // the list position of the per-key mode (code 29)

class KeyboardDriver : public testing::Test {
protected:
    void SetUp() override
    {
        test::ensureCoreApp();
        setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
        device.setPageSetup(test::pageSetupOf(kKeyboardKind, dataFolder.path() + "/"));
        device.setHost(&host);
        device.setSelectorEntry(&selector);
        device.prepare();
        QObject::connect(&device, &CQuellonKeyboardDevice::keysLoaded, [this] { ++keysLoaded; });
        QObject::connect(&device, &CQuellonKeyboardDevice::keysWritten, [this] { ++keysWritten; });
        ASSERT_TRUE(sim.plug(devsim::Port::Keyboard));
        ASSERT_TRUE(device.attachCommandLink(sim.commandPath(devsim::Port::Keyboard), kKeyboardKind));
        device.readAll();
        ASSERT_TRUE(settle());
    }

    bool settle() { return waitFor([&] { return !device.hasDeviceWork(); }, 15000); }

    std::vector<std::uint8_t> memory(devsim::Area area, std::size_t offset, std::size_t length)
    {
        std::vector<std::uint8_t> bytes;
        sim.readMemory(devsim::Product::Keyboard, area, offset, length, bytes);
        return bytes;
    }

    test::TempDir dataFolder;
    devsim::Simulator sim{virtualHidDir()};
    test::RecordingHost<> host;
    CQuellonKeyboardDevice device;
    test::TestSelector selector{device};
    int keysLoaded = 0;
    int keysWritten = 0;
};

TEST_F(KeyboardDriver, ReadsItsKeysAndWritesAnAssignmentWithoutAPage)
{
    ASSERT_GT(device.keySlots(), 4u);
    EXPECT_EQ(device.modeCodes(), (std::vector<int>{0, 1, 2, 3, 4, 29, 30}));
    EXPECT_EQ(keysLoaded, 1) << "the read announces its keys";

    KeyEntry key = device.keyList()[2];
    key.current.type = 0x11;
    key.current.param1 = 0x00;
    key.current.param2 = 0x05;
    device.setKey(2, key);
    device.saveKeysToDevice();
    ASSERT_TRUE(settle());
    EXPECT_EQ(keysWritten, 1);
    EXPECT_EQ(memory(devsim::Area::KeyTable, keySlotOffset(2), 3), (std::vector<std::uint8_t>{0x11, 0x00, 0x05}));
    EXPECT_TRUE(host.notices.isEmpty());
}

TEST_F(KeyboardDriver, APaintedKeyReachesTheLightTableInThePerKeyModeOnly)
{
    LightInfo light = *device.lightRecord();
    light.mode = 3;
    light.red = 10;
    device.applyLight(light);
    ASSERT_TRUE(settle());
    const std::vector<std::uint8_t> before = memory(devsim::Area::LightTable, keySlotOffset(1), 3);
    device.paintKey(1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(memory(devsim::Area::LightTable, keySlotOffset(1), 3), before);

    light.mode = kPerKeyMode;
    light.red = 200;
    light.green = 0;
    light.blue = 100;
    device.applyLight(light);
    device.paintKey(1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(memory(devsim::Area::LightTable, keySlotOffset(1), 3), (std::vector<std::uint8_t>{200, 0, 100}));
}

}  // namespace
}  // namespace kestrion
