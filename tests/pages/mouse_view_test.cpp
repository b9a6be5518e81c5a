// The mouse page over the in-process simulator: the real skin, real sockets, real reader threads.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <memory>
#include <tuple>
#include <vector>

#include "devices/event_container.h"
#include "devices/mouse_device.h"
#include "pages/page_fixture.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "profiles/json_file.h"
#include "profiles/program_folders.h"
#include "ui/device_key_button.h"
#include "ui/device_profile.h"
#include "ui/main_window_sink.h"
#include "ui/shoot_control.h"
#include "ui/qt_app.h"
#include "platform/timer_set.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using test::waitFor;

using test::Message;
using test::RecordingMainWindow;
using test::TestSelector;

constexpr int kMouseKind = 2;
constexpr int kReceiverKind = 6;
constexpr std::size_t kReportRateByte = 11;
constexpr std::size_t kActiveStageByte = 12;
constexpr std::size_t kFirstStageByte = 14;
constexpr std::size_t kStageSize = 9;
constexpr std::size_t kDebounceByte = 81;
constexpr std::size_t kDeviceSleep1Byte = 79;

class MousePage : public testing::Test {
protected:
    void SetUp() override
    {
        setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
        device.setPageSetup(test::mousePageSetup(dataFolder.path() + "/"));
        device.setHost(&mainWindow);
        device.setDeviceIndex(0);
        device.setWireless(true);
        device.setSelectorEntry(&selector);
        view = test::mouseViewOf(device, real);
        ASSERT_NE(view, nullptr);
    }

    // The user changed a control of the page: the window hands its notification to the page.
    void userChanged(const char* notification, const QString& name)
    {
        EXPECT_TRUE(view->routeNotification(QString::fromLatin1(notification), name, control<QWidget>(name))) << name.toStdString();
    }

    // An option or check box clicked by the user.
    void userChecks(const QString& name)
    {
        control<QAbstractButton>(name)->setChecked(true);
        userChanged("selectchanged", name);
    }

    void attach(devsim::Port port)
    {
        ASSERT_TRUE(sim.plug(port));
        const int kind = port == devsim::Port::Receiver ? kReceiverKind : kMouseKind;
        ASSERT_TRUE(device.attachCommandLink(sim.commandPath(port), kind));
        ASSERT_TRUE(device.attachNotificationLink(sim.notificationPath(port), kind));
    }

    // Waits until the device's queued work is done and its results are shown.
    bool settle(int timeoutMs = 15000)
    {
        return waitFor([&] { return !device.hasDeviceWork(); }, timeoutMs);
    }

    // Writes the page's settings and tells whether they reached the device.
    bool writeSettings()
    {
        device.writeSettingsToDevice();
        return settle() && !device.settingsPending();
    }

    template <typename T>
    T* control(const QString& name)
    {
        T* found = view->content()->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    int checkedOption(const QString& prefix, int count)
    {
        for (int i = 0; i < count; ++i) {
            if (control<QAbstractButton>(prefix + QString::number(i))->isChecked())
                return i;
        }
        return -1;
    }

    test::QtApp app;
    test::RealSkin real;
    test::TempDir dataFolder;
    devsim::Simulator sim{virtualHidDir()};
    RecordingMainWindow mainWindow;
    CQuellonMouseDevice device;
    TestSelector selector{device};
    std::unique_ptr<MouseView> view;
};

TEST_F(MousePage, PageBindsItsButtonsAndEveryControlItRelies)
{
    EXPECT_EQ(view->keyButtons().size(), 11);
    EXPECT_EQ(view->lightButtons().size(), 15);
    for (const auto* button : view->keyButtons())
        EXPECT_NE(button, nullptr);
    for (int i = 0; i < CQuellonMouseDevice::kStageRows; ++i) {
        const QString n = QString::number(i);
        control<QSlider>("DPI_slider_" + n);
        control<QLineEdit>("DPI_edit_" + n);
        control<QAbstractButton>("DPI_enable_check_" + n);
        control<QAbstractButton>("DPI_select_check_" + n);
        control<QWidget>("DPI_color_option_" + n);
    }
    for (const char* name : {"Anti_Shake_combo_timeSelect", "ble_sleep1_combo", "ble_sleep2_combo",
                             "device_sleep1_combo", "device_sleep2_combo", "logo_led_mode_combo"})
        control<QComboBox>(name);
    ASSERT_NE(device.profileList(), nullptr);
    EXPECT_EQ(device.profileList()->count(), 1);
    EXPECT_EQ(device.modeCodes().size(), device.lightModes().size());
    EXPECT_FALSE(device.modeCodes().empty());
}

TEST_F(MousePage, WiredReadShowsTheDeviceSettingsAndSavesThem)
{
    std::vector<std::uint8_t> page = sim.settingsPage(0);
    page[kReportRateByte] = 2;
    page[kActiveStageByte] = 3;
    page[kDebounceByte] = 1;
    page[kDeviceSleep1Byte] = 10;
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Mouse, devsim::Area::Settings, 0, page));
    attach(devsim::Port::Cable);

    device.readAll();
    ASSERT_TRUE(settle());

    EXPECT_EQ(mainWindow.messages, (std::vector<Message>{{ui::WM_USB_MAINMESS_DEVICE_IS_INITUI, 1, 0}}));
    EXPECT_EQ(checkedOption("polling_rate_option_", 5), 2);
    EXPECT_EQ(checkedOption("DPI_select_check_", 7), 3);
    EXPECT_FALSE(control<QAbstractButton>("DPI_enable_check_3")->isEnabled());
    EXPECT_EQ(control<QComboBox>("Anti_Shake_combo_timeSelect")->currentIndex(), 1);
    EXPECT_EQ(control<QComboBox>("device_sleep1_combo")->currentData().toInt(), 10);
    // Read values reach the profile document at once.
    CMouseProfiledata stored;
    stored.SetDeviceIndex(0);
    stored.LoadProfile(device.profile().GetProfilePath());
    EXPECT_EQ(stored.GetSystemStages().reportRate, 2);
    stored.GetDpiStages();  // also reads the active stage
    EXPECT_EQ(stored.GetCurrentStage(), 3);
}

TEST_F(MousePage, PageChangesAreWrittenByteForByte)
{
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(settle());
    userChecks("polling_rate_option_1");
    userChecks("Ripple_option_1");
    QSlider* slider = control<QSlider>("DPI_slider_2");
    slider->setValue(slider->value() + 7);
    const int position = slider->value();
    userChanged("valuechanged", "DPI_slider_2");
    control<QComboBox>("device_sleep2_combo")->setCurrentIndex(0);
    const int sleep = control<QComboBox>("device_sleep2_combo")->currentData().toInt();
    userChanged("itemselect", "device_sleep2_combo");
    ASSERT_TRUE(settle());
    EXPECT_FALSE(device.settingsPending());

    const std::vector<std::uint8_t> page = sim.settingsPage(0);
    EXPECT_EQ(page[kReportRateByte], 1);
    EXPECT_EQ(page[84], 1);
    EXPECT_EQ(page[80], sleep);
    const std::size_t stage2 = kFirstStageByte + 2 * kStageSize;
    EXPECT_EQ(page[stage2 + 2] | page[stage2 + 3] << 8, position);
}

// A setting changed by name, or a DPI stage, lands where a change on the page does: the profile, the page and
// the mouse; the choices by name are the ones the page offers.
TEST_F(MousePage, SettingsByNameAndDpiStagesReachTheProfileThePageAndTheMouse)
{
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(settle());
    EXPECT_EQ(device.setSetting("report-rate", 500), SettingChange::Done);
    EXPECT_EQ(device.setSetting("deep-sleep", 10), SettingChange::Done);
    EXPECT_EQ(device.setSetting("report-rate", 2000), SettingChange::ValueRefused);
    EXPECT_EQ(device.setSetting("loudness", 1), SettingChange::UnknownName);
    ASSERT_TRUE(device.dpiRange());
    EXPECT_TRUE(device.setDpiStage(1, 1600));
    EXPECT_FALSE(device.setDpiStage(CQuellonMouseDevice::kStageRows, 800));
    EXPECT_FALSE(device.setDpiStage(1, device.dpiRange()->second + 1));
    ASSERT_TRUE(settle());
    EXPECT_FALSE(device.settingsPending());

    EXPECT_EQ(checkedOption("polling_rate_option_", 5), 2);
    EXPECT_EQ(control<QComboBox>("device_sleep2_combo")->currentData().toInt(), 10);
    const std::vector<std::uint8_t> page = sim.settingsPage(0);
    EXPECT_EQ(page[kReportRateByte], 2);
    EXPECT_EQ(page[80], 10);
    CMouseProfiledata stored;
    stored.LoadProfile(device.profile().GetProfilePath());
    EXPECT_EQ(stored.GetSystemStages().reportRate, 2);
    EXPECT_EQ(device.setting("report-rate"), 500);
    EXPECT_EQ(control<QLineEdit>("DPI_edit_1")->text(), "1600");
    EXPECT_EQ(stored.GetDpiStages().at(1).dpiX(), device.sliderFromDpi(1600));
    EXPECT_TRUE(selector.wasArmed(kTimerKeepAlive, kKeepAliveRestartMs)) << "a new sleep time counts from now";

    int shownRates = 0;
    for (int i = 0; i < 5; ++i)
        shownRates += control<QAbstractButton>("polling_rate_option_" + QString::number(i))->isHidden() ? 0 : 1;
    EXPECT_EQ(shownRates, static_cast<int>(std::size(kReportRatesHz)));
    EXPECT_EQ(control<QComboBox>("Anti_Shake_combo_timeSelect")->count(), static_cast<int>(std::size(kDebouncePositions)));
    for (const char* name : {"device_sleep1_combo", "device_sleep2_combo"}) {
        auto* combo = control<QComboBox>(name);
        std::vector<int> minutes;
        for (int i = 0; i < combo->count(); ++i)
            minutes.push_back(combo->itemData(i).toInt());
        EXPECT_EQ(minutes, std::vector<int>(std::begin(kSleepMinutes), std::end(kSleepMinutes))) << name;
    }
}

TEST_F(MousePage, DpiEditLandsOnTheSensorsSliderPosition)
{
    ASSERT_TRUE(sim.setSensor(0x3395));
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(settle());
    EXPECT_EQ(control<QSlider>("DPI_slider_0")->maximum(), 519);
    QLineEdit* edit = control<QLineEdit>("DPI_edit_0");
    struct Case {
        const char* typed;
        int slider;
        const char* shown;
    };
    for (const Case c : {Case{"26000", 519, "26000"}, Case{"", 0, "50"}, Case{"125", 1, "100"}}) {
        edit->setText(c.typed);
        view->applyDpiEdit(0);
        EXPECT_EQ(control<QSlider>("DPI_slider_0")->value(), c.slider) << c.typed;
        EXPECT_EQ(edit->text().toStdString(), c.shown) << c.typed;
    }
}

TEST_F(MousePage, DpiButtonOnTheMouseReachesThePage)
{
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(settle());
    const int before = checkedOption("DPI_select_check_", 7);

    const int stage = sim.pressDpiButton();

    ASSERT_NE(stage, before);
    EXPECT_TRUE(waitFor([&] { return checkedOption("DPI_select_check_", 7) == stage; }));
    // The device's change notice schedules a reread of its settings.
    EXPECT_TRUE(waitFor([&] {
        return std::find(selector.armed.begin(), selector.armed.end(), std::pair{int(kTimerReread), 50})
            != selector.armed.end();
    }));
}

TEST_F(MousePage, MouseSwitchedOffBehindTheReceiverDoesNothing)
{
    attach(devsim::Port::Receiver);
    sim.setMouseOn(false);
    const std::vector<std::uint8_t> before = sim.settingsPage(0);

    device.readAll();
    device.runSelectorTimer(kTimerFirstRead);
    device.readPowerStatus();
    EXPECT_FALSE(writeSettings());

    EXPECT_TRUE(mainWindow.messages.empty());
    // Behind the receiver a mouse that is off is no failure to report: the change waits.
    EXPECT_TRUE(mainWindow.notices.empty());
    EXPECT_TRUE(control<QWidget>("device_pending_label")->isVisibleTo(view->content()));
    EXPECT_EQ(sim.settingsPage(0), before);
    EXPECT_EQ(selector.armed.back(), (std::pair{int(kTimerFirstRead), 5000}));

    sim.setMouseOn(true);
    device.runSelectorTimer(kTimerFirstRead);
    ASSERT_TRUE(settle());
    EXPECT_EQ(mainWindow.messages,
              (std::vector<Message>{{ui::WM_USB_MAINMESS_DEVICE_ONLINE, 0, 1},
                                    {ui::WM_USB_MAINMESS_DEVICE_IS_INITUI, 1, 0}}));
    // The preview follows its lighting thread's frames, not a polling timer.
    EXPECT_TRUE(device.lighting().isRunning());
    EXPECT_FALSE(selector.timers.isActive(kTimerLightFrame));
    EXPECT_TRUE(selector.timers.isActive(kTimerLinkWatch));
}

TEST_F(MousePage, LinkWatchReportsEachChangeOnce)
{
    attach(devsim::Port::Receiver);
    selector.online = true;
    sim.setMouseOn(false);
    device.runSelectorTimer(kTimerLinkWatch);
    ASSERT_TRUE(settle());
    selector.online = false;
    device.runSelectorTimer(kTimerLinkWatch);
    ASSERT_TRUE(settle());
    sim.setMouseOn(true);
    device.runSelectorTimer(kTimerLinkWatch);
    ASSERT_TRUE(settle());
    EXPECT_EQ(mainWindow.messages[0], (Message{ui::WM_USB_MAINMESS_DEVICE_ONLINE, 0, 0}));
    EXPECT_EQ(mainWindow.messages[1], (Message{ui::WM_USB_MAINMESS_DEVICE_ONLINE, 0, 1}));
    // Back online and wireless: the battery is read at once.
    EXPECT_EQ(mainWindow.messages.size(), 3u);
    EXPECT_EQ(std::get<0>(mainWindow.messages[2]), ui::WM_USB_MAINMESS_POWER_STATUS);
}

TEST_F(MousePage, PreviewColoursReachTheLightButtonsAndIgnoreBadIndexes)
{
    device.setKeyColour(3, 0xFF102030);
    device.setKeyColour(15, 0xFFFFFFFF);
    device.setKeyColour(-1, 0xFFFFFFFF);
    EXPECT_EQ(device.getKeyColour(3), 0xFF102030u);
    EXPECT_EQ(device.getKeyColour(15), 0u);
    device.pushLightFrame();
    EXPECT_EQ(view->lightButtons()[3]->lightColour(), QColor(0x10, 0x20, 0x30, 0xFF));
    EXPECT_EQ(view->lightButtons()[4]->lightColour().alpha(), 0);
}

TEST_F(MousePage, ClickInReactiveModeLightsThePreview)
{
    std::vector<std::uint8_t> page = sim.settingsPage(0);
    page[1] = 9;  // reactive
    page[2] = 4;  // full brightness
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Mouse, devsim::Area::Settings, 0, page));
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(settle());
    ASSERT_TRUE(device.lighting().isRunning());
    const auto lit = [&] {
        device.pushLightFrame();
        return std::any_of(view->lightButtons().begin(), view->lightButtons().end(),
                           [](const auto* button) { return button->lightColour().alpha() > 0; });
    };
    EXPECT_FALSE(lit());

    ASSERT_TRUE(sim.clickButton());
    EXPECT_TRUE(waitFor(lit));
    // Hidden to the tray, the preview rests; shown again, it goes on.
    device.setWindowHidden(true);
    EXPECT_FALSE(device.lighting().isRunning());
    device.setWindowHidden(false);
    EXPECT_TRUE(device.lighting().isRunning());
}

TEST_F(MousePage, SwitchingProfilesWritesTheSelectedOnesSettings)
{
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(settle());
    ui::CDeviceProfileUI* selector = view->profileSelector();
    ASSERT_NE(selector, nullptr);
    selector->setPrompter([](const QString&, int, const QString&) { return 1; });
    userChecks("polling_rate_option_1");
    ASSERT_TRUE(settle());
    const std::string first = device.profile().GetProfilePath();

    selector->addProfile();  // a new profile from the factory settings, selected
    ASSERT_TRUE(settle());
    EXPECT_NE(device.profile().GetProfilePath(), first);
    const int factoryRate = sim.settingsPage(0)[kReportRateByte];
    EXPECT_NE(factoryRate, 1);
    EXPECT_EQ(checkedOption("polling_rate_option_", 5), factoryRate);

    selector->selectProfile(0);
    ASSERT_TRUE(settle());
    EXPECT_EQ(device.profile().GetProfilePath(), first);
    EXPECT_EQ(sim.settingsPage(0)[kReportRateByte], 1);
    EXPECT_EQ(checkedOption("polling_rate_option_", 5), 1);
}

TEST_F(MousePage, PointerSubPageShowsTheProfilesDesktopValues)
{
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(settle());
    const MouseSystemStages system = device.profile().GetSystemStages();
    EXPECT_EQ(control<QSlider>("pointer_speed_slider")->value(), system.mouseSpeed);
    EXPECT_EQ(control<QSlider>("scroll_speed_slider")->value(), system.wheelScrollLines);
    EXPECT_EQ(control<QSlider>("double_click_slider")->value(), system.doubleClickTime);
    EXPECT_EQ(control<QAbstractButton>("pointer_precision_check")->isChecked(), system.pointerPrecision != 0);

    control<QAbstractButton>("mouse_device_seting_option_2")->click();
    EXPECT_EQ(control<QStackedWidget>("mouse_device_seting_switch")->currentIndex(), 2);
}

TEST_F(MousePage, ClosingTheLinksEndsTheWaitingReadersPromptly)
{
    attach(devsim::Port::Cable);
    EXPECT_TRUE(device.notificationLinkOpen(LinkKind::Wired));
    device.closeLinks();
    EXPECT_FALSE(device.notificationLinkOpen(LinkKind::Wired));
    EXPECT_FALSE(device.commandChannel().isOpen());
    EXPECT_FALSE(writeSettings());
}

TEST_F(MousePage, ReadOfADeviceThatStopsAnsweringLeavesTheWindowFree)
{
    attach(devsim::Port::Cable);
    sim.injectFault(devsim::FaultKind::Drop, devsim::Simulator::kAll);
    int ticks = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { ++ticks; });
    heartbeat.start(50);
    bool busyShown = false;
    auto* busy = view->findChild<QWidget*>("device_busy_panel");
    ASSERT_NE(busy, nullptr);

    device.readAll();
    // Every exchange waits out its time limit twice: the read takes seconds, the window goes on.
    ASSERT_TRUE(waitFor([&] {
        busyShown = busyShown || !busy->isHidden();
        return !device.hasDeviceWork();
    }, 30000));
    sim.clearFaults();

    EXPECT_GE(ticks, 10);
    EXPECT_TRUE(busyShown);
    EXPECT_EQ(mainWindow.notices, QStringList{"message_text_7"});
    EXPECT_TRUE(busy->isHidden());
}

TEST_F(MousePage, UnplugDuringALongWriteEndsItAtOnce)
{
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(settle());
    sim.setLatency(3000, 0);
    device.writeSettingsToDevice();
    ASSERT_TRUE(waitFor([&] { return device.worker().status().running; }));

    const auto unplugged = std::chrono::steady_clock::now();
    device.closeLinks();
    ASSERT_TRUE(waitFor([&] { return !device.hasDeviceWork(); }, 5000));
    const auto ended = std::chrono::steady_clock::now() - unplugged;
    sim.setLatency(0, 0);

    EXPECT_LT(ended, std::chrono::milliseconds(100));
    EXPECT_TRUE(device.settingsPending());
}

// A read that was under way when the user changed a setting brings older values: they must not
// replace the change on the page, in the profile or, through the next write, on the mouse.
TEST_F(MousePage, ReadThatEndsAfterAChangeDoesNotUndoIt)
{
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(settle());
    const int before = sim.settingsPage(0)[kReportRateByte];
    const int wanted = before == 1 ? 2 : 1;
    sim.setLatency(300, 0);
    device.rereadSettings();
    ASSERT_TRUE(waitFor([&] { return device.worker().status().running; }));

    userChecks("polling_rate_option_" + QString::number(wanted));
    EXPECT_TRUE(settle());
    EXPECT_FALSE(device.settingsPending());
    sim.setLatency(0, 0);

    EXPECT_EQ(sim.settingsPage(0)[kReportRateByte], wanted);
    EXPECT_EQ(device.profile().GetSystemStages().reportRate, wanted);
    EXPECT_EQ(checkedOption("polling_rate_option_", 5), wanted);
}

TEST_F(MousePage, NoticesAreSeenAmidMotionAtTheHighestRate)
{
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(settle());
    sim.setMotionRate(devsim::Simulator::kMaxInputRate);
    sim.setTypingRate(1000);
    const auto rereadsArmed = [&] {
        return std::count(selector.armed.begin(), selector.armed.end(), std::pair{int(kTimerReread), 50});
    };
    for (int press = 0; press < 3; ++press) {
        QTest::qWait(100);
        const auto armedBefore = rereadsArmed();
        const int stage = sim.pressDpiButton();
        // 0x11nn moves the stage, 0x0401 asks for a reread.
        EXPECT_TRUE(waitFor([&] { return checkedOption("DPI_select_check_", 7) == stage; })) << press;
        EXPECT_TRUE(waitFor([&] { return rereadsArmed() > armedBefore; })) << press;
    }
    // The settings stay readable through the key reports on the command interface.
    device.rereadSettings();
    EXPECT_TRUE(settle());
    sim.setMotionRate(0);
    sim.setTypingRate(0);
}

// The macro library of the page's data folder: one macro of two events.
void writeOneMacroLibrary(const std::string& folder)
{
    Json::Value events(Json::arrayValue);
    for (const char* action : {"down", "up"}) {
        Json::Value event(Json::objectValue);
        event["Action"] = action;
        event["Button"] = 4;
        event["Type"] = 10;
        event["Delay"] = "30";
        events.append(event);
    }
    Json::Value entry(Json::objectValue);
    entry["MacroName"] = "a";
    entry["Guid"] = "2026_01_01_00_00_00_100";
    Json::Value document = entry;
    document["Events"] = events;
    document["Version"] = 64;
    ASSERT_TRUE(SaveJsonFile(document, folder + "2026_01_01_00_00_00_100.mac"));
    Json::Value index(Json::objectValue);
    index["MacroInfo"].append(entry);
    ASSERT_TRUE(SaveJsonFile(index, folder + "macro.config"));
}

std::vector<std::uint8_t> slotOf(const std::vector<std::uint8_t>& table, std::size_t slot)
{
    return {table.begin() + slot * 3, table.begin() + slot * 3 + 3};
}

TEST_F(MousePage, SwitchingProfilesWritesTheirKeysAndMacros)
{
    writeOneMacroLibrary(dataFolder.path() + "/");
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(settle());
    ui::CDeviceProfileUI* selector = view->profileSelector();
    selector->setPrompter([](const QString&, int, const QString&) { return 1; });
    const std::vector<std::uint8_t> factoryTable = sim.keyTable();
    const std::vector<std::uint8_t> emptyMacros = sim.macroArea();

    // A second profile whose second button plays the macro.
    selector->addProfile();
    ASSERT_TRUE(settle());
    std::vector<KeyEntry> keys = device.profile().GetKeyList();
    ASSERT_GE(keys.size(), 2u);
    keys[1].current = keyRecordOf(1, 0x700000);
    device.profile().SetKeyList(keys);
    ASSERT_TRUE(device.profile().SaveProfile());

    selector->selectProfile(0);
    ASSERT_TRUE(settle());
    EXPECT_EQ(sim.keyTable(), factoryTable);

    selector->selectProfile(1);
    ASSERT_TRUE(settle());
    std::vector<std::uint8_t> expected = factoryTable;
    const std::size_t slot = 1;  // the simulator keeps the second button in slot 1
    expected[slot * 3] = 0x70;
    expected[slot * 3 + 1] = 0x00;
    expected[slot * 3 + 2] = 0x00;
    EXPECT_EQ(sim.keyTable(), expected);
    const devsim::ContainerCheck check = sim.macroCheck();
    EXPECT_EQ(check.state, devsim::ContainerCheck::State::Valid) << check.describe();
    EXPECT_EQ(check.eventsPerEntry, (std::vector<std::size_t>{2}));
    EXPECT_NE(sim.macroArea(), emptyMacros);

    selector->selectProfile(0);
    ASSERT_TRUE(settle());
    EXPECT_EQ(slotOf(sim.keyTable(), slot), slotOf(factoryTable, slot));
    EXPECT_TRUE(mainWindow.notices.empty()) << mainWindow.notices.join(", ").toStdString();
    EXPECT_FALSE(device.settingsPending());
}

TEST_F(MousePage, SwitchingWhileTheMouseCannotBeReachedSaysSoAndKeepsItPending)
{
    attach(devsim::Port::Receiver);
    device.readAll();
    ASSERT_TRUE(settle());
    ui::CDeviceProfileUI* selector = view->profileSelector();
    selector->setPrompter([](const QString&, int, const QString&) { return 1; });
    selector->addProfile();
    ASSERT_TRUE(settle());
    mainWindow.notices.clear();
    sim.setMouseOn(false);

    selector->selectProfile(0);
    ASSERT_TRUE(settle());

    EXPECT_EQ(mainWindow.notices, QStringList{"message_text_7"});
    EXPECT_TRUE(device.settingsPending());
    // Back in reach: the link watch writes the profile, and the mark goes.
    userChecks("polling_rate_option_1");
    sim.setMouseOn(true);
    device.runSelectorTimer(kTimerLinkWatch);
    ASSERT_TRUE(settle());
    ASSERT_TRUE(settle());
    EXPECT_FALSE(device.settingsPending());
    EXPECT_EQ(sim.settingsPage(0)[kReportRateByte], 1);
}

// A reassigned button no longer holds its factory assignment, by which its slot is found: after a
// restart it is still written, and "Restore defaults" brings it back.
TEST_F(MousePage, ReassignedButtonStaysWritableAfterARestart)
{
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(settle());
    const std::size_t slot = 1;  // the simulator keeps the second button in slot 1
    const std::vector<std::uint8_t> factory = slotOf(sim.keyTable(), slot);
    const auto assign = [&](CQuellonMouseDevice& page, std::uint32_t code) {
        std::vector<KeyEntry> keys = page.profile().GetKeyList();
        keys[1].current = keyRecordOf(1, code);
        page.profile().SetKeyList(keys);
        ASSERT_TRUE(page.profile().SaveProfile());
        page.applyProfileToDevice();
        ASSERT_TRUE(waitFor([&] { return !page.hasDeviceWork(); }, 15000));
    };
    assign(device, 0xA01C00);
    ASSERT_EQ(slotOf(sim.keyTable(), slot), (std::vector<std::uint8_t>{0xA0, 0x1C, 0x00}));
    device.closeLinks();

    CQuellonMouseDevice again;
    again.setPageSetup(device.pageSetup());
    again.setHost(&mainWindow);
    again.prepare();
    ASSERT_TRUE(again.attachCommandLink(sim.commandPath(devsim::Port::Cable), kMouseKind));
    again.readAll();
    ASSERT_TRUE(waitFor([&] { return !again.hasDeviceWork(); }, 15000));

    assign(again, 0xA01D00);
    EXPECT_EQ(slotOf(sim.keyTable(), slot), (std::vector<std::uint8_t>{0xA0, 0x1D, 0x00}));
    again.reloadProfile();
    again.applyProfileToDevice();
    ASSERT_TRUE(waitFor([&] { return !again.hasDeviceWork(); }, 15000));
    EXPECT_EQ(slotOf(sim.keyTable(), slot), factory);
    EXPECT_TRUE(mainWindow.notices.empty()) << mainWindow.notices.join(", ").toStdString();
}

// What a change made while the mouse was away becomes when the tool is started again before the
// mouse is back: offered at the first read, written when accepted, dropped when declined.
TEST_F(MousePage, PendingChangeSurvivesARestartAndIsOffered)
{
    attach(devsim::Port::Receiver);
    device.readAll();
    ASSERT_TRUE(settle());
    const int rateOnMouse = sim.settingsPage(0)[kReportRateByte];
    const int wanted = rateOnMouse == 1 ? 2 : 1;
    // The change, made while the mouse is off; then the tool ends.
    const auto changeWhileAway = [&](CQuellonMouseDevice& page) {
        sim.setMouseOn(false);
        MouseSystemStages system = page.profile().GetSystemStages();
        system.reportRate = static_cast<std::uint16_t>(wanted);
        page.profile().SetSystemStages(system);
        ASSERT_TRUE(page.profile().SaveProfile());
        page.writeSettingsToDevice();
        ASSERT_TRUE(waitFor([&] { return !page.hasDeviceWork(); }, 15000));
        ASSERT_TRUE(page.settingsPending());
        page.closeLinks();
        sim.setMouseOn(true);
    };
    // The next run, with the mouse back, answering the offer.
    const auto restart = [&](bool accept, CQuellonMouseDevice& again) {
        again.setPageSetup(device.pageSetup());
        again.setHost(&mainWindow);
        again.prepare();
        ASSERT_TRUE(again.attachCommandLink(sim.commandPath(devsim::Port::Receiver), kReceiverKind));
        mainWindow.questions.clear();
        mainWindow.answer = accept;
        again.readAll();
        ASSERT_TRUE(waitFor([&] { return !again.hasDeviceWork(); }, 15000));
        EXPECT_EQ(mainWindow.questions, QStringList{"device_pending_question_text"});
        EXPECT_FALSE(again.settingsPending());
    };

    changeWhileAway(device);
    CQuellonMouseDevice declined;
    restart(false, declined);
    EXPECT_EQ(sim.settingsPage(0)[kReportRateByte], rateOnMouse);
    EXPECT_EQ(declined.profile().GetSystemStages().reportRate, rateOnMouse);

    changeWhileAway(declined);
    CQuellonMouseDevice accepted;
    restart(true, accepted);
    EXPECT_EQ(sim.settingsPage(0)[kReportRateByte], wanted);
}

}  // namespace
}  // namespace kestrion

namespace kestrion {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The events of one entry of a container, read with the layout written out here on its own:
// the entry's block offset at 16 + 2 * entry, its event count first, its events from offset 4.
std::vector<Bytes> shootEntry(const Bytes& area, std::size_t entry)
{
    auto word = [&](std::size_t at) { return static_cast<std::size_t>(area.at(at) | area.at(at + 1) << 8); };
    const std::size_t block = word(16 + 2 * entry);
    std::vector<Bytes> events;
    for (std::size_t i = 0; i < word(block); ++i)
        events.emplace_back(area.begin() + block + 4 + 4 * i, area.begin() + block + 8 + 4 * i);
    return events;
}

// An edited bullet goes to the simulated mouse with the other three patterns, through the worker,
// with the busy strip counting the packets.
TEST_F(MousePage, EditedShootPatternReachesTheMouseByteForByte)
{
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(settle());
    ui::CShootControlUI* shoot = view->shootControl();
    ASSERT_NE(shoot, nullptr);
    control<QAbstractButton>("shoot_gun_op_1")->click();
    control<QAbstractButton>("bullet_op_4")->click();
    control<QAbstractButton>("bullet_x_check")->setChecked(false);
    control<QAbstractButton>("bullet_x_check")->click();
    control<QAbstractButton>("bullet_y_check")->setChecked(false);
    for (const auto& [name, value] : {std::pair{"bullet_x_eidt", "12"}, {"bullet_y_eidt", "9"}, {"bullet_delay_eidt", "300"}}) {
        auto* edit = control<QLineEdit>(name);
        edit->setText(value);
        emit edit->editingFinished();
    }

    sim.setLatency(15, 0);
    auto* progress = view->findChild<QProgressBar*>("device_busy_progress");
    ASSERT_NE(progress, nullptr);
    int highest = 0;
    control<QAbstractButton>("shootdate_save_btn")->click();
    ASSERT_TRUE(waitFor([&] {
        highest = std::max(highest, progress->isHidden() ? 0 : progress->value());
        return !device.hasDeviceWork();
    }, 20000));
    sim.setLatency(0, 0);
    EXPECT_TRUE(mainWindow.notices.isEmpty()) << mainWindow.notices.join(", ").toStdString();
    EXPECT_GT(highest, 0);

    const Bytes area = sim.shootArea();
    const devsim::ContainerCheck check = sim.shootCheck();
    ASSERT_EQ(check.state, devsim::ContainerCheck::State::Valid) << check.describe();
    std::vector<EventList> files;
    for (int gun = 0; gun < kShootGuns; ++gun) {
        const Json::Value pattern = LoadJsonFile(dataFolder.file("ShootData_" + std::to_string(gun) + ".Shoot"));
        files.push_back(encodeEvents(macroEventsOf(pattern["Events"])));
    }
    const Bytes expected = encodeEventContainer(files);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Bytes(area.begin(), area.begin() + static_cast<std::ptrdiff_t>(expected.size())), expected);
    // Bullet 4 of gun 1, as the mouse must hold it: delay, then type with the pressed bit, then the distance.
    const std::vector<Bytes> gun1 = shootEntry(area, 1);
    ASSERT_GT(gun1.size(), 4u * 6 + 5);
    EXPECT_EQ(gun1[4 * 6 + 0], (Bytes{10, 0, 0x81, 1}));
    EXPECT_EQ(gun1[4 * 6 + 1], (Bytes{0, 0, 0x01, 1}));
    EXPECT_EQ(gun1[4 * 6 + 2], (Bytes{5, 0, 0x84, 12}));
    EXPECT_EQ(gun1[4 * 6 + 3], (Bytes{300 & 0xFF, 300 >> 8, 0x05, 9}));
    EXPECT_EQ(gun1[4 * 6 + 4], (Bytes{0, 0, 0x84, 0}));
    EXPECT_EQ(gun1[4 * 6 + 5], (Bytes{0, 0, 0x05, 0}));
}

TEST_F(MousePage, ShootPatternsThatCannotBeWrittenAreTold)
{
    device.writeShootPatterns();
    ASSERT_TRUE(settle());
    EXPECT_EQ(mainWindow.notices, QStringList{"message_text_7"});
}

}  // namespace
}  // namespace kestrion
