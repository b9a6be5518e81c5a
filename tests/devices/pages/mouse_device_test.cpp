// The mouse page over the in-process simulator: the real skin, real sockets, real reader threads.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>

#include <filesystem>
#include <memory>
#include <tuple>
#include <vector>

#include "devices/pages/mouse_device.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "profiles/program_folders.h"
#include "ui/device_key_button.h"
#include "ui/device_profile.h"
#include "ui/main_window_sink.h"
#include "ui/qt_app.h"
#include "ui/timer_set.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using test::waitFor;

using Message = std::tuple<std::uint32_t, std::intptr_t, std::intptr_t>;

constexpr int kMouseKind = 2;
constexpr int kReceiverKind = 6;
constexpr std::size_t kReportRateByte = 11;
constexpr std::size_t kActiveStageByte = 12;
constexpr std::size_t kFirstStageByte = 14;
constexpr std::size_t kStageSize = 9;
constexpr std::size_t kDebounceByte = 81;
constexpr std::size_t kDeviceSleep1Byte = 79;

class RecordingMainWindow : public ui::MainWindowSink {
public:
    void notify(const ui::UiNotification&) override {}
    void sendMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) override
    {
        messages.emplace_back(message, wParam, lParam);
    }
    std::vector<Message> messages;
};

// A selector entry: real timers that drive the device, and the shown state the main window sets.
class TestSelector : public DeviceSelector {
public:
    explicit TestSelector(CQuellonUSBDevice& device)
        : timers([&device](int id) { device.runSelectorTimer(id); })
    {
    }
    void setTimer(int id, int ms, bool oneShot) override
    {
        armed.emplace_back(id, ms);
        timers.setTimer(id, ms, oneShot);
    }
    void killTimer(int id) override { timers.killTimer(id); }
    bool isOnline() const override { return online; }

    ui::TimerSet timers;
    std::vector<std::pair<int, int>> armed;
    bool online = false;
};

class MousePage : public testing::Test {
protected:
    void SetUp() override
    {
        setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
        DevicePageSetup setup;
        setup.deviceKind = kMouseKind;
        setup.lightCount = 15;
        setup.keyCount = 11;
        setup.pageLayout = QStringLiteral("XML\\DeviceXml\\mousedevice.xml");
        setup.kindName = QStringLiteral("mouse");
        setup.lightName = QStringLiteral("brylo_light");
        setup.dataFolder = dataFolder.path() + "/";
        device.setPageSetup(setup);
        device.setMainWindow(&mainWindow);
        device.setDeviceIndex(0);
        device.setWireless(true);
        device.setSelectorEntry(&selector);
        ASSERT_TRUE(device.buildPage(real.skin, real.factory));
    }

    void attach(devsim::Port port)
    {
        ASSERT_TRUE(sim.plug(port));
        const int kind = port == devsim::Port::Receiver ? kReceiverKind : kMouseKind;
        ASSERT_TRUE(device.attachCommandLink(sim.commandPath(port), kind));
        ASSERT_TRUE(device.attachNotificationLink(sim.notificationPath(port), kind));
    }

    template <typename T>
    T* control(const QString& name)
    {
        T* found = device.page()->findChild<T*>(name);
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
};

TEST_F(MousePage, PageBindsItsButtonsAndEveryControlItRelies)
{
    EXPECT_EQ(device.keyButtons().size(), 11);
    EXPECT_EQ(device.lightButtons().size(), 15);
    for (const auto* button : device.keyButtons())
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
    EXPECT_EQ(device.modeCodes().size(), device.modeNames().size());
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
    control<QAbstractButton>("polling_rate_option_1")->setChecked(true);
    control<QAbstractButton>("Ripple_option_1")->setChecked(true);
    QSlider* slider = control<QSlider>("DPI_slider_2");
    slider->setValue(slider->value() + 7);
    const int position = slider->value();
    control<QComboBox>("device_sleep2_combo")->setCurrentIndex(0);
    const int sleep = control<QComboBox>("device_sleep2_combo")->currentData().toInt();

    device.collectPage();
    ASSERT_EQ(device.writeSettingsPage(0, 0), kCommandOk);

    const std::vector<std::uint8_t> page = sim.settingsPage(0);
    EXPECT_EQ(page[kReportRateByte], 1);
    EXPECT_EQ(page[84], 1);
    EXPECT_EQ(page[80], sleep);
    const std::size_t stage2 = kFirstStageByte + 2 * kStageSize;
    EXPECT_EQ(page[stage2 + 2] | page[stage2 + 3] << 8, position);
}

TEST_F(MousePage, DpiEditLandsOnTheSensorsSliderPosition)
{
    ASSERT_TRUE(sim.setSensor(0x3395));
    attach(devsim::Port::Cable);
    device.readAll();
    EXPECT_EQ(control<QSlider>("DPI_slider_0")->maximum(), 519);
    QLineEdit* edit = control<QLineEdit>("DPI_edit_0");
    struct Case {
        const char* typed;
        int slider;
        const char* shown;
    };
    for (const Case c : {Case{"26000", 519, "26000"}, Case{"", 0, "50"}, Case{"125", 1, "100"}}) {
        edit->setText(c.typed);
        device.applyDpiEdit(0);
        EXPECT_EQ(control<QSlider>("DPI_slider_0")->value(), c.slider) << c.typed;
        EXPECT_EQ(edit->text().toStdString(), c.shown) << c.typed;
    }
}

TEST_F(MousePage, DpiButtonOnTheMouseReachesThePage)
{
    attach(devsim::Port::Cable);
    device.readAll();
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
    EXPECT_EQ(device.writeSettingsPage(0, 0), kCommandReadFailed);

    EXPECT_TRUE(mainWindow.messages.empty());
    EXPECT_EQ(sim.settingsPage(0), before);
    EXPECT_EQ(selector.armed.back(), (std::pair{int(kTimerFirstRead), 5000}));

    sim.setMouseOn(true);
    device.runSelectorTimer(kTimerFirstRead);
    EXPECT_EQ(mainWindow.messages,
              (std::vector<Message>{{ui::WM_USB_MAINMESS_DEVICE_ONLINE, 0, 1},
                                    {ui::WM_USB_MAINMESS_DEVICE_IS_INITUI, 1, 0}}));
    EXPECT_TRUE(selector.timers.isActive(kTimerLightFrame));
    EXPECT_TRUE(selector.timers.isActive(kTimerLinkWatch));
}

TEST_F(MousePage, LinkWatchReportsEachChangeOnce)
{
    attach(devsim::Port::Receiver);
    selector.online = true;
    sim.setMouseOn(false);
    device.runSelectorTimer(kTimerLinkWatch);
    selector.online = false;
    device.runSelectorTimer(kTimerLinkWatch);
    sim.setMouseOn(true);
    device.runSelectorTimer(kTimerLinkWatch);
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
    EXPECT_EQ(device.lightButtons()[3]->lightColour(), QColor(0x10, 0x20, 0x30, 0xFF));
    EXPECT_EQ(device.lightButtons()[4]->lightColour().alpha(), 0);
}

TEST_F(MousePage, ClickInReactiveModeLightsThePreview)
{
    std::vector<std::uint8_t> page = sim.settingsPage(0);
    page[1] = 9;  // reactive
    page[2] = 4;  // full brightness
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Mouse, devsim::Area::Settings, 0, page));
    attach(devsim::Port::Cable);
    device.readAll();
    ASSERT_TRUE(device.lighting().isRunning());
    const auto lit = [&] {
        device.pushLightFrame();
        return std::any_of(device.lightButtons().begin(), device.lightButtons().end(),
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
    ui::CDeviceProfileUI* selector = device.profileSelector();
    ASSERT_NE(selector, nullptr);
    selector->setPrompter([](const QString&, int, const QString&) { return 1; });
    control<QAbstractButton>("polling_rate_option_1")->setChecked(true);
    device.collectPage();
    device.profile().SaveProfile();
    ASSERT_EQ(device.writeSettingsPage(0, 0), kCommandOk);
    const std::string first = device.profile().GetProfilePath();

    selector->addProfile();  // a new profile from the factory settings, selected
    EXPECT_NE(device.profile().GetProfilePath(), first);
    const int factoryRate = sim.settingsPage(0)[kReportRateByte];
    EXPECT_NE(factoryRate, 1);
    EXPECT_EQ(checkedOption("polling_rate_option_", 5), factoryRate);

    selector->selectProfile(0);
    EXPECT_EQ(device.profile().GetProfilePath(), first);
    EXPECT_EQ(sim.settingsPage(0)[kReportRateByte], 1);
    EXPECT_EQ(checkedOption("polling_rate_option_", 5), 1);
}

TEST_F(MousePage, PointerSubPageShowsTheProfilesDesktopValues)
{
    attach(devsim::Port::Cable);
    device.readAll();
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
    EXPECT_EQ(device.writeSettingsPage(0, 0), kCommandReadFailed);
}

}  // namespace
}  // namespace kestrion
