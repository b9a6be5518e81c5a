// The keyboard's page over the in-process simulator: real sockets, real threads, real skin.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QTest>

#include <algorithm>
#include <utility>
#include <vector>

#include "devices/keyboard_device.h"
#include "pages/keyboard_layout_view.h"
#include "pages/keyboard_view.h"
#include "pages/page_fixture.h"
#include "pages/key_set_control.h"
#include "profiles/macro_library.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "profiles/program_folders.h"
#include "support/request_log.h"
#include "support/temp_dir.h"
#include "ui/light_control.h"
#include "ui/qt_app.h"

namespace kestrion {
namespace {

using test::waitFor;
using namespace keyboard_page;

constexpr int kKeyboardKind = 1;
constexpr int kStreamFrame = 0x12;
// Positions of the keyboard's mode list: spectrum, and the two host-driven modes.
constexpr std::uint8_t kSpectrum = 3, kHostColour = 5, kHostWave = 6;

class KeyboardDevicePage : public testing::Test {
protected:
    void SetUp() override
    {
        setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
        sim.setLogSink(requests.sink());
        device.setPageSetup(test::pageSetupOf(kKeyboardKind, dataFolder.path() + "/"));
        device.setHost(&mainWindow);
        device.setSelectorEntry(&selector);
        device.prepare();
        view = std::make_unique<KeyboardView>(device);
        ASSERT_TRUE(view->build(real.skin, real.factory));
        ASSERT_TRUE(sim.plug(devsim::Port::Keyboard));
        ASSERT_TRUE(device.attachCommandLink(sim.commandPath(devsim::Port::Keyboard), kKeyboardKind));
        ASSERT_TRUE(device.attachNotificationLink(sim.notificationPath(devsim::Port::Keyboard), kKeyboardKind));
    }

    bool settle() { return waitFor([&] { return !device.hasDeviceWork(); }, 15000); }

    bool armed(int id, int ms) const
    {
        return std::find(selector.armed.begin(), selector.armed.end(), std::pair{id, ms}) != selector.armed.end();
    }

    std::vector<std::uint8_t> settings(std::size_t offset, std::size_t length)
    {
        std::vector<std::uint8_t> bytes;
        sim.readMemory(devsim::Product::Keyboard, devsim::Area::Settings, offset, length, bytes);
        return bytes;
    }

    void readAll()
    {
        device.readAll();
        ASSERT_TRUE(settle());
    }

    test::QtApp app;
    test::RealSkin real;
    test::TempDir dataFolder;
    test::RequestLog requests;
    devsim::Simulator sim{virtualHidDir()};
    test::RecordingMainWindow mainWindow;
    CQuellonKeyboardDevice device;
    test::TestSelector selector{device};
    // Goes before the device it shows.
    std::unique_ptr<KeyboardView> view;
};

TEST_F(KeyboardDevicePage, PageHasItsEditorSelectorKeysAndTheModesOfTheKeyboard)
{
    ASSERT_NE(view->lightEditor(), nullptr);
    ASSERT_NE(view->profileSelector(), nullptr);
    KeyboardLayoutView* drawn = view->layoutView();
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(KeyboardLayoutView::keyCount(), 104u);
    EXPECT_EQ(device.modeCodes(), (std::vector<int>{0, 1, 2, 3, 4, 29, 30}));
}

TEST_F(KeyboardDevicePage, FirstReadTakesTablesAndTheActivePageIntoTheRecord)
{
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::Settings, 0, {1}));
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::Settings, 64 + kMode, {3, 2, 1, 0, 1, 0x12}));
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::Settings, 64 + kWinFlag, {1}));
    std::vector<std::uint8_t> keys(512), lights(512);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        keys[i] = static_cast<std::uint8_t>(i + 5);
        lights[i] = static_cast<std::uint8_t>(i * 3);
    }
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::KeyTable, 0, keys));
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::LightTable, 4 * 512, lights));

    readAll();

    const std::size_t slotCount = devsim::kKeyboardKeyCount;
    EXPECT_EQ(device.keySlots(), slotCount);
    EXPECT_TRUE(std::equal(keys.begin(), keys.begin() + slotCount * 3, device.keyTable().begin()));
    ASSERT_EQ(device.lightTables().size(), 5u);
    EXPECT_EQ(device.lightTables()[4], std::vector<std::uint8_t>(lights.begin(), lights.begin() + slotCount * 3));
    const LightInfo light = device.profile().GetLightInfo();
    EXPECT_EQ(light.mode, kSpectrum);
    EXPECT_EQ(light.brightness, 2);
    EXPECT_EQ(light.speed, 3);
    EXPECT_EQ(light.red, 0x12);
    EXPECT_EQ(device.profile().GetSystemStages().winFlag, 1);
    EXPECT_EQ(view->lightEditor()->light().mode, kSpectrum) << "the page shows it";
}

TEST_F(KeyboardDevicePage, LightingIsWrittenAsTheActiveProfilesWholePage)
{
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::Settings, 0, {2}));
    readAll();
    const std::vector<std::uint8_t> before = settings(0, 320);

    LightInfo light = device.profile().GetLightInfo();
    light.mode = 2;
    light.speed = 4;
    light.green = 0x21;
    device.applyLight(light);
    ASSERT_TRUE(settle());

    const std::vector<std::uint8_t> after = settings(0, 320);
    std::vector<std::uint8_t> expected = before;
    expected[128 + kMode] = 2;
    expected[128 + kSpeed] = 0;
    expected[128 + kGreen] = 0x21;
    expected[128 + kProfile] = 2;
    expected[128 + kPollingRate] = static_cast<std::uint8_t>(device.profile().GetSystemStages().pollingRate);
    ASSERT_EQ(after.size(), expected.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i], expected[i]) << "byte " << i << ": only the fields edited change, on the active page";
    EXPECT_TRUE(mainWindow.notices.isEmpty());
}

TEST_F(KeyboardDevicePage, NoticesRereadOrShowTheKeyboardsOwnChoice)
{
    readAll();
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::Settings, kRed, {0x77}));
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::LightTable, 512 + 3, {1, 2, 3}));
    sim.sendNotification(devsim::Port::Keyboard, 0x0401);
    ASSERT_TRUE(waitFor([&] { return device.profile().GetLightInfo().red == 0x77; }, 3000));
    EXPECT_TRUE(armed(kTimerReread, CQuellonKeyboardDevice::kRereadDelayMs));
    EXPECT_EQ(device.lightTables()[1][3], 0) << "a settings notice leaves the light tables";

    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::Settings, kRed, {0x78}));
    sim.sendNotification(devsim::Port::Keyboard, 0x0402);
    ASSERT_TRUE(waitFor([&] { return device.profile().GetLightInfo().red == 0x78; }, 3000));
    EXPECT_EQ((std::array{device.lightTables()[1][3], device.lightTables()[1][5]}), (std::array<std::uint8_t, 2>{1, 3}))
        << "a notice of a wider change rereads the per-key colours too";

    sim.sendNotification(devsim::Port::Keyboard, 0x1134);
    ASSERT_TRUE(waitFor([&] { return device.pageImage()[kProfile] == 4; }, 3000));
    EXPECT_EQ(device.profile().GetLightInfo().brightness, 3);
}

TEST_F(KeyboardDevicePage, PerKeyModeStreamsTheLightTableAndAClickedKeyTakesTheColour)
{
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::Settings, 0, {1}));
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::LightTable, 512 + 3, {0x40, 0x80, 0xFF}));
    // The first read after arrival also starts the page's frame timer.
    device.runSelectorTimer(kTimerFirstRead);
    ASSERT_TRUE(settle());
    LightInfo light = device.profile().GetLightInfo();
    light.mode = kHostColour;
    light.brightness = 4;
    light.red = 200;
    light.green = 0;
    light.blue = 100;
    device.applyLight(light);
    ASSERT_TRUE(settle());
    EXPECT_EQ(settings(64 + kMode, 1)[0], kKeepModeCode) << "the keyboard keeps its own mode meanwhile";
    const auto lastFrameStarts = [&](std::array<std::uint8_t, 6> bytes) {
        const auto frames = sim.keyboardFrames();
        return !frames.empty() && std::equal(bytes.begin(), bytes.end(), frames.back().begin());
    };
    EXPECT_TRUE(waitFor([&] { return lastFrameStarts({0, 0, 0, 0x3F, 0x7F, 0xFE}); }, 5000))
        << "the second profile's table, at full brightness";

    KeyboardLayoutView* drawn = view->layoutView();
    drawn->resize(600, 180);
    QTest::mouseClick(drawn, Qt::LeftButton, {}, drawn->keyRect(0).center().toPoint());
    ASSERT_TRUE(settle());
    std::vector<std::uint8_t> table;
    ASSERT_TRUE(sim.readMemory(devsim::Product::Keyboard, devsim::Area::LightTable, 512, 6, table));
    EXPECT_EQ(table, (std::vector<std::uint8_t>{200, 0, 100, 0x40, 0x80, 0xFF}));
    EXPECT_TRUE(waitFor([&] { return lastFrameStarts({199, 0, 99, 0x3F, 0x7F, 0xFE}); }, 5000));

    light.mode = kSpectrum;
    device.applyLight(light);
    ASSERT_TRUE(settle());
    QTest::mouseClick(drawn, Qt::LeftButton, {}, drawn->keyRect(1).center().toPoint());
    requests.clear();
    device.pushLightFrame();
    device.readPowerStatus();
    ASSERT_TRUE(settle());
    const std::vector<int> sent = requests.commands();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), kStreamFrame), 0) << "the keyboard's own modes stream nothing";
    ASSERT_TRUE(sim.readMemory(devsim::Product::Keyboard, devsim::Area::LightTable, 512 + 3, 3, table));
    EXPECT_EQ(table, (std::vector<std::uint8_t>{0x40, 0x80, 0xFF})) << "keys are painted in the per-key mode only";
}

// As the user does it: the first read after arrival, then the page's own lighting controls.
TEST_F(KeyboardDevicePage, LightingChosenOnThePageLandsInTheKeyboardAndLiveModesStream)
{
    device.runSelectorTimer(kTimerFirstRead);
    ASSERT_TRUE(settle());
    auto* modes = view->lightEditor()->findChild<QComboBox*>("light_combo_modeSelect");
    auto* brightness = view->lightEditor()->findChild<QSlider*>("deng_light_slider");
    auto* red = view->lightEditor()->findChild<QLineEdit*>("deng_edit_R");
    ASSERT_TRUE(modes && brightness && red);

    modes->setCurrentIndex(2);
    emit modes->activated(2);
    brightness->setValue(1);
    red->setText("90");
    emit red->editingFinished();
    ASSERT_TRUE(settle());

    const std::vector<std::uint8_t> page = settings(0, kSize);
    KeyboardSettings expected{device.profile().GetLightInfo(), device.profile().GetSystemStages()};
    EXPECT_EQ(expected.light.mode, 2);
    EXPECT_EQ(expected.light.brightness, 1);
    EXPECT_EQ(expected.light.red, 90);
    const KeyboardPage bytes = encodeKeyboardPage(expected, 0, device.modeCodes(), device.pageImage());
    EXPECT_EQ(page, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    EXPECT_EQ(page[kMode], 2);
    EXPECT_EQ(page[kBrightness], 1);
    EXPECT_EQ(page[kRed], 90);

    modes->setCurrentIndex(kHostWave);
    emit modes->activated(kHostWave);
    ASSERT_TRUE(settle());
    EXPECT_EQ(settings(kMode, 1)[0], kKeepModeCode);
    const std::size_t before = sim.keyboardFrameCount();
    ASSERT_TRUE(waitFor([&] { return sim.keyboardFrameCount() >= before + 3; }, 5000));
    const auto frames = sim.keyboardFrames();
    EXPECT_NE(frames[frames.size() - 1], frames[frames.size() - 3]) << "the live wave moves";
}

TEST_F(KeyboardDevicePage, MacrosPastTheLimitsAreRefused)
{
    readAll();
    const DeviceEvent press{10, 0, 0x8A, 4};
    EXPECT_FALSE(device.writeMacros({EventList(61, press)}));
    EXPECT_TRUE(device.writeMacros({EventList(60, press), EventList(2, press)}));
    ASSERT_TRUE(settle());
    std::vector<std::uint8_t> area;
    ASSERT_TRUE(sim.readMemory(devsim::Product::Keyboard, devsim::Area::Macro, 0, 2, area));
    EXPECT_EQ(area, (std::vector<std::uint8_t>{0xAA, 0x55}));
    EXPECT_TRUE(mainWindow.notices.isEmpty());
}

TEST_F(KeyboardDevicePage, WriteToAKeyboardThatStopsAnsweringIsTold)
{
    readAll();
    sim.injectFault(devsim::FaultKind::Drop, devsim::Simulator::kAll);
    device.applyLight(device.profile().GetLightInfo());
    ASSERT_TRUE(settle());
    EXPECT_EQ(mainWindow.notices, QStringList{QStringLiteral("message_text_7")});
}

// The key list holds the keyboard's own table as read; each slot's default is its key of the
// drawn layout (a modifier by its bit, any other key by its usage).
TEST_F(KeyboardDevicePage, KeysAreTheKeyboardsOwnWithTheLayoutsKeysAsDefaults)
{
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::KeyTable, 5 * 3, {0x30, 0x00, 0xE9}));
    readAll();
    const std::vector<KeyEntry> keys = device.keyList();
    ASSERT_EQ(keys.size(), device.keySlots());
    EXPECT_EQ(std::vector<int>({keys[5].current.type, keys[5].current.param1, keys[5].current.param2}),
              std::vector<int>({0x30, 0x00, 0xE9}));
    EXPECT_EQ(keys[6].current.type, 0) << "an empty slot stays empty";

    struct Case {
        int slot;
        std::uint8_t modifier;
        std::uint8_t usage;
    };
    constexpr Case kCases[] = {
        {0, 0, 0x29},   // Esc
        {5, 0, 0x3E},   // F5
        {13, 0, 0x46},  // Print Screen
        {38, 0, 0x14},  // Q
        {74, 0x02, 0},  // left Shift
        {90, 0, 0x58},  // Num Enter
        {91, 0x01, 0},  // left Ctrl
        {103, 0, 0x63}, // Num Decimal
    };
    for (const Case& c : kCases) {
        const KeyRecord& key = keys[static_cast<std::size_t>(c.slot)].defaults;
        EXPECT_EQ(std::vector<int>({key.type, key.param1, key.param2}), std::vector<int>({0x20, c.modifier, c.usage}))
            << "slot " << c.slot;
    }
}

// Macros larger than the keyboard's macro area are told; nothing reaches the keyboard and the key
// goes back to its default.
TEST_F(KeyboardDevicePage, AMacroThatDoesNotFitIsToldAndNothingIsWritten)
{
    MacroLibrary library(dataFolder.path());
    ASSERT_TRUE(library.load());
    library.add();
    Json::Value events(Json::arrayValue);
    for (int i = 0; i < 40; ++i) {
        Json::Value event(Json::objectValue);
        event["Action"] = i % 2 ? "up" : "down";
        event["Button"] = 4;
        event["Type"] = 10;
        event["Delay"] = "10";
        events.append(event);
    }
    library.saveMacro(0, events);
    // One block of 128 bytes: the 40 events' container takes 182.
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Keyboard, devsim::Area::Info, keyboard_memory::kInfoMacroBlocks, {1}));
    readAll();
    std::vector<std::uint8_t> keysBefore, macrosBefore, keysAfter, macrosAfter;
    sim.readMemory(devsim::Product::Keyboard, devsim::Area::KeyTable, 0, 512, keysBefore);
    sim.readMemory(devsim::Product::Keyboard, devsim::Area::Macro, 0, 64, macrosBefore);

    view->showFunctionPage(2);
    KeyboardLayoutView* drawn = view->layoutView();
    drawn->resize(900, 160);
    QTest::mouseClick(drawn, Qt::LeftButton, {}, drawn->keyRect(3).center().toPoint());
    ASSERT_EQ(view->selectedKey(), 3);
    EXPECT_EQ(drawn->selectedSlot(), 3);
    KeyEntry macro = device.keyList()[3];
    macro.current.type = 0x70;
    macro.current.param1 = 0;
    macro.current.param2 = 1;
    view->keyEditor()->loadEntry(macro);
    view->applyKeyEdit();
    ASSERT_EQ(device.keyList()[3].current.type, 0x70);
    view->saveKeys();
    ASSERT_TRUE(settle());

    EXPECT_EQ(mainWindow.notices, QStringList{QStringLiteral("message_text_16 14")});
    sim.readMemory(devsim::Product::Keyboard, devsim::Area::KeyTable, 0, 512, keysAfter);
    sim.readMemory(devsim::Product::Keyboard, devsim::Area::Macro, 0, 64, macrosAfter);
    EXPECT_EQ(keysAfter, keysBefore);
    EXPECT_EQ(macrosAfter, macrosBefore);
    const KeyEntry entry = device.keyList()[3];
    EXPECT_EQ(entry.current.type, entry.defaults.type);
    EXPECT_EQ(entry.current.param2, entry.defaults.param2);
}

}  // namespace
}  // namespace kestrion
