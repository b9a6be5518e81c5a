// The application window end to end: the real skin, the discovery thread, and the simulator as
// its own process, driven through its command line.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QSlider>

#include <filesystem>
#include <fstream>
#include <string>

#include "devices/mouse_device.h"
#include "profiles/program_folders.h"
#include "shell/main_window/main_window.h"
#include "ui/device_option.h"
#include "ui/device_profile.h"
#include "ui/qt_app.h"
#include "support/temp_dir.h"
#include "shell/main_window/window_fixture.h"

namespace kestrion {
namespace {

using test::Application;
using test::pause;
using test::waitFor;

constexpr std::size_t kReportRateByte = 11;

std::size_t countOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(Application, FollowsTheMouseAcrossCableReceiverPowerAndRemoval)
{
    ASSERT_TRUE(start());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isControlShown("No_device_Link"));
    ASSERT_NE(window.mouse(), nullptr);
    EXPECT_FALSE(window.entry(0)->isOnline());
    EXPECT_EQ(window.entry(1), nullptr);

    // Cable: the entry shows, the first read runs, a DPI change reaches device and disk.
    sim.command("plug cable");
    ASSERT_TRUE(mouseOnline(true));
    EXPECT_FALSE(window.isControlShown("No_device_Link"));
    ASSERT_TRUE(waitFor([&] { return window.mouse()->commandChannel().isOpen()
                                  && window.mouse()->dpiRange().has_value(); }, 3000));
    ASSERT_TRUE(waitFor([&] { return stageOnDevice(1) >= 0; }, 1000));
    const int position = stepSlider(1);
    ASSERT_TRUE(waitFor([&] { return stageOnDevice(1) == position; }, 3000));
    CMouseProfiledata stored;
    stored.LoadProfile(window.mouse()->profile().GetProfilePath());
    EXPECT_EQ(stored.GetDpiStages().at(1).dpiX(), position);

    // Receiver joins, cable goes: one entry, now on the receiver, still configurable.
    sim.command("plug receiver");
    pause(400);
    sim.command("unplug cable");
    ASSERT_TRUE(waitFor([&] { return window.mouse()->commandChannel().receiverMode(); }, 3000));
    EXPECT_TRUE(window.entry(0)->isOnline());
    auto* option = mouseView()->content()->findChild<QAbstractButton*>("polling_rate_option_3");
    option->click();
    ASSERT_TRUE(waitFor([&] { return sim.dump("settings", kReportRateByte, 1) == std::vector<int>{3}; }, 3000));

    // The mouse switched off behind the receiver: it sleeps, still listed with its page; the
    // receiver pulled, it goes, and plugged again the first read waits for the mouse.
    sim.command("mouse off");
    ASSERT_TRUE(mouseAsleep(true, 5000));
    EXPECT_TRUE(window.entry(0)->isOnline());
    EXPECT_FALSE(window.isControlShown("No_device_Link"));
    sim.command("unplug receiver");
    ASSERT_TRUE(mouseOnline(false));
    EXPECT_FALSE(window.entry(0)->isAsleep());
    ASSERT_TRUE(waitFor([&] { return !window.mouse()->commandChannel().isOpen(); }, 3000));
    sim.command("plug receiver");
    ASSERT_TRUE(waitFor([&] { return window.entry(0)->timers().isActive(kTimerFirstRead); }, 3000));
    pause(1200);
    EXPECT_FALSE(window.entry(0)->isOnline());
    EXPECT_TRUE(window.entry(0)->timers().isActive(kTimerFirstRead));
    sim.command("mouse on");
    EXPECT_TRUE(mouseOnline(true, 7000));

    // Everything pulled: the no-device layout again.
    sim.command("unplug receiver");
    ASSERT_TRUE(mouseOnline(false));
    EXPECT_TRUE(window.isControlShown("No_device_Link"));
    EXPECT_TRUE(prompts.empty());
}

// A change made while the mouse sleeps is shown as waiting and written when it wakes.
TEST_F(Application, ChangeMadeWhileTheMouseSleepsWaitsAndReachesItLater)
{
    ASSERT_TRUE(start());
    sim.command("plug receiver");
    ASSERT_TRUE(mouseOnline(true, 7000));
    ASSERT_TRUE(waitFor([&] { return !window.mouse()->hasDeviceWork() && stageOnDevice(2) >= 0; }, 5000));
    QWidget* mark = mouseView()->content()->findChild<QWidget*>("device_pending_label");
    ASSERT_NE(mark, nullptr);
    EXPECT_TRUE(mark->isHidden());
    sim.command("plug pad");
    ASSERT_TRUE(waitFor([&] { return window.entry(1) && window.entry(1)->isOnline(); }, 3000));

    // Asleep, the mouse keeps its entry and its page, and the selector stays on it.
    sim.command("mouse off");
    ASSERT_TRUE(mouseAsleep(true, 8000));
    EXPECT_TRUE(window.entry(0)->isOnline());
    EXPECT_EQ(window.selectedDevice(), window.mouse());
    EXPECT_FALSE(window.entry(0)->toolTip().isEmpty()) << "the entry says it sleeps";
    const int position = stepSlider(2);
    ASSERT_TRUE(waitFor([&] { return window.mouse()->settingsPending(); }, 5000));
    EXPECT_FALSE(mark->isHidden());
    EXPECT_NE(stageOnDevice(2), position);

    sim.command("mouse on");
    EXPECT_TRUE(waitFor([&] { return stageOnDevice(2) == position; }, 10000));
    EXPECT_TRUE(waitFor([&] { return !window.mouse()->settingsPending(); }, 3000));
    EXPECT_TRUE(mark->isHidden());
    EXPECT_TRUE(mouseAsleep(false));
    EXPECT_EQ(window.selectedDevice(), window.mouse());
    EXPECT_TRUE(prompts.empty());
}

// The data folder removed while the tool runs is made again by the next save; a folder that
// cannot be made is told, not passed over.
TEST_F(Application, ChangesAreSavedOrTheFailureIsTold)
{
    ASSERT_TRUE(start());
    sim.command("plug cable");
    ASSERT_TRUE(mouseOnline(true));
    ASSERT_TRUE(waitFor([&] { return !window.mouse()->hasDeviceWork()
                                  && window.mouse()->dpiRange().has_value(); }, 5000));
    const std::filesystem::path profile = window.mouse()->profile().GetProfilePath();
    const std::filesystem::path folder = profile.parent_path();

    std::filesystem::remove_all(folder);
    const int position = stepSlider(1);
    ASSERT_TRUE(waitFor([&] { return stageOnDevice(1) == position; }, 3000));
    CMouseProfiledata stored;
    stored.LoadProfile(profile.string());
    const std::vector<DpiStage> stages = stored.GetDpiStages();
    ASSERT_GT(stages.size(), 1u);
    EXPECT_EQ(stages[1].dpiX(), position);
    EXPECT_TRUE(prompts.empty());

    std::filesystem::remove_all(folder);
    { std::ofstream blocker(folder); }
    stepSlider(1);
    EXPECT_TRUE(waitFor([&] { return !prompts.empty(); }, 3000));
    EXPECT_EQ(prompts, std::vector<std::string>{"profile_write_failed_text"});
    std::filesystem::remove(folder);
}

// The window's answers to the device objects' messages, without a device.
class WindowMessages : public testing::Test {
protected:
    void SetUp() override
    {
        window.setPromptHandler([this](const QString& title, const QString& text) {
            prompts.push_back((title + "/" + text).toStdString());
            return answer;
        });
        QObject::connect(&window, &CMainWnd::exitRequested, [this] { ++exits; });
        ASSERT_TRUE(window.initWindow());
    }

    test::QtApp app;
    test::RealSkin real;
    ui::UiResources resources{real.skin, real.factory, real.language};
    CMainWnd window{resources};
    std::vector<std::string> prompts;
    int answer = 0;
    int exits = 0;
};

TEST_F(WindowMessages, DeviceInErrorFreezesTheNoDeviceLayoutUntilItIsUsable)
{
    window.sendMessage(ui::WM_USB_MAINMESS_DEVICE_IS_INITUI, 0, 0);
    EXPECT_TRUE(window.isControlShown("Error_device_Link"));
    const bool noDevice = window.isControlShown("No_device_Link");
    window.sendMessage(ui::WM_USB_MAINMESS_DEVICE_ONLINE, 0, 0);
    EXPECT_EQ(window.isControlShown("No_device_Link"), noDevice);

    window.sendMessage(ui::WM_USB_MAINMESS_DEVICE_IS_INITUI, 1, 0);
    EXPECT_FALSE(window.isControlShown("Error_device_Link"));
    window.sendMessage(ui::WM_USB_MAINMESS_DEVICE_ONLINE, 0, 0);
    EXPECT_TRUE(window.isControlShown("No_device_Link"));
}

TEST_F(WindowMessages, OldFirmwareOffersTheUpdateAndDecliningEndsTheTool)
{
    window.sendMessage(ui::WM_USB_MAINMESS_FIRMWARE_VERSION, 0x22A4, 0x0104);
    EXPECT_TRUE(prompts.empty());
    EXPECT_FALSE(window.isControlShown("No_device_Link"));

    // No updater beside the program: the prompt says updating needs it.
    window.sendMessage(ui::WM_USB_MAINMESS_FIRMWARE_VERSION, 0x22A4, 0x0103);
    EXPECT_EQ(prompts, std::vector<std::string>{"UpdateTiShi/UpdateNeedsUpdaterText"});
    EXPECT_TRUE(window.isControlShown("No_device_Link"));
    EXPECT_EQ(exits, 1);
}

// The maker's updater in "Update" beside the program, as a script that notes how it was started.
class Updater {
public:
    Updater() : m_folder(QCoreApplication::applicationDirPath() + "/Update")
    {
        QDir().mkpath(m_folder);
        test::writeFile(program(), "#!/bin/sh\necho \"$1\" > \"$PWD/started\"\n");
        QFile::setPermissions(QString::fromStdString(program()), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    ~Updater() { QDir(m_folder).removeRecursively(); }
    std::string program() const { return (m_folder + "/QXTRAM-V0104-20260129").toStdString(); }
    std::string startedFile() const { return (m_folder + "/started").toStdString(); }

private:
    QString m_folder;
};

TEST_F(WindowMessages, OldFirmwareRunsTheUpdaterBesideTheProgramWhenConfirmed)
{
    const Updater updater;
    answer = 1;
    window.sendMessage(ui::WM_USB_MAINMESS_FIRMWARE_VERSION, 0x22A4, 0x0103);
    EXPECT_EQ(prompts, std::vector<std::string>{"UpdateTiShi/UpdateTiShiText"});
    EXPECT_TRUE(waitFor([&] { return test::readFile(updater.startedFile()) == "On the upgrade\n"; }, 5000));
    EXPECT_EQ(exits, 0);
}

TEST_F(WindowMessages, CloseHidesAndTellsTheDevicesAndLightControlToggles)
{
    window.activate();
    window.notify({"click", "closebtn", nullptr});
    EXPECT_TRUE(window.mouse()->windowHidden());
    EXPECT_FALSE(window.isVisible() && !window.isMinimized());
    window.activate();
    EXPECT_FALSE(window.mouse()->windowHidden());

    QWidget* status = window.findChild<QWidget*>("control_light_status");
    ASSERT_NE(status, nullptr);
    std::vector<std::string> ids;
    for (int i = 0; i < 2; ++i) {
        window.notify({"click", "control_light_status", status});
        ids.push_back(status->property("textId").toString().toStdString());
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"control_light_off_text", "control_light_on_text"}));
}

TEST_F(Application, ProfileButtonsReachTheSelectedDevicesSelector)
{
    ASSERT_TRUE(start());
    sim.command("plug cable");
    ASSERT_TRUE(mouseOnline(true));
    ui::CDeviceProfileUI* selector = mouseView()->profileSelector();
    ASSERT_NE(selector, nullptr);
    selector->setPrompter([](const QString&, int, const QString&) { return 1; });
    ProfileListStore& store = *window.mouse()->profileList();
    const int before = store.count();

    window.notify({"click", "device_add_btn", selector->button("device_add_btn")});
    EXPECT_EQ(store.count(), before + 1);
    EXPECT_EQ(store.selectedIndex(), before);

    selector->selector()->setCurrentIndex(0);
    window.notify({"itemselect", "device_profile_combo", selector->selector()});
    EXPECT_EQ(store.selectedIndex(), 0);
    EXPECT_EQ(window.mouse()->profile().GetProfilePath(), store.documentPath(0));

    window.notify({"click", "profile_fun_spread_btn", nullptr});
    EXPECT_TRUE(selector->isProfileMenuVisible());
}

TEST_F(Application, DesktopPointerSettingsGoToTheProfileOnly)
{
    ASSERT_TRUE(start());
    sim.command("plug cable");
    ASSERT_TRUE(mouseOnline(true));
    ASSERT_TRUE(waitFor([&] { return window.mouse()->dpiRange().has_value(); }, 3000));
    QWidget* page = mouseView()->content();
    auto* speed = page->findChild<QSlider*>("pointer_speed_slider");
    auto* lines = page->findChild<QSlider*>("scroll_speed_slider");
    auto* byPage = page->findChild<QAbstractButton*>("scrolls_page_check");
    ASSERT_TRUE(speed && lines && byPage);
    const std::vector<int> devicePage = sim.dump("settings", 0, 87);

    speed->setValue(15);
    window.notify({"valuechanged", "pointer_speed_slider", speed});
    byPage->setChecked(true);
    window.notify({"selectchanged", "scrolls_page_check", byPage});
    CMouseProfiledata stored;
    stored.LoadProfile(window.mouse()->profile().GetProfilePath());
    EXPECT_EQ(stored.GetSystemStages().mouseSpeed, 15);
    EXPECT_EQ(stored.GetSystemStages().scrollPage, 1);

    lines->setValue(7);
    window.notify({"valuechanged", "scroll_speed_slider", lines});
    EXPECT_FALSE(byPage->isChecked());
    stored.LoadProfile(window.mouse()->profile().GetProfilePath());
    EXPECT_EQ(stored.GetSystemStages().wheelScrollLines, 7);
    EXPECT_EQ(stored.GetSystemStages().scrollPage, 0);
    EXPECT_EQ(sim.dump("settings", 0, 87), devicePage);
}

TEST(SecondInstance, ExitsAtOnceAndTheFirstComesToTheFront)
{
    test::TempDir trace;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("KESTRION_DEBUG", QString::fromStdString(trace.file("first.log")));
    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(QStringLiteral(KESTRION_APP), {});
    ASSERT_TRUE(first.waitForStarted(5000));
    const auto activations = [&] { return countOf(test::readFile(trace.file("first.log")), "window activated"); };
    ASSERT_TRUE(waitFor([&] { return activations() > 0; }, 10000));
    const std::size_t before = activations();

    QProcess second;
    environment.insert("KESTRION_DEBUG", QString::fromStdString(trace.file("second.log")));
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(KESTRION_APP), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(waitFor([&] { return activations() > before; }, 5000));
    first.terminate();
    first.waitForFinished(5000);
}

}  // namespace
}  // namespace kestrion
