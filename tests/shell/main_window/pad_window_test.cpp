// The mouse pad beside the mouse, over devsim running as its own process.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTest>

#include "devices/hs6533_device.h"
#include "devices/mouse_pad_device.h"
#include "shell/main_window/window_fixture.h"
#include "ui/device_key_button.h"
#include "ui/light_control.h"

namespace kestrion {
namespace {

using test::Application;
using test::waitFor;

constexpr int kPadRedByte = 6;

template <typename Device>
Device* deviceOf(const CMainWnd& window)
{
    for (int i = 0; window.entry(i); ++i) {
        if (auto* device = qobject_cast<Device*>(window.deviceAt(i)))
            return device;
    }
    return nullptr;
}

// The pad alone: the headset shares its class.
CQuellonMousePadDevice* padOf(const CMainWnd& window)
{
    for (int i = 0; window.entry(i); ++i) {
        auto* pad = qobject_cast<CQuellonMousePadDevice*>(window.deviceAt(i));
        if (pad && !qobject_cast<CQuellonHS6533Device*>(pad))
            return pad;
    }
    return nullptr;
}

// The lighting reports the simulated headset has taken so far; -1 when it does not say.
long headsetReports(test::SimulatorProcess& sim)
{
    const std::string reply = sim.command("headset-reports");
    if (reply.rfind("ok ", 0) != 0)
        return -1;
    return std::stol(reply.substr(3));
}

// Waits until the device read its profile after arriving.
bool profileRead(CQuellonMousePadDevice& device)
{
    return waitFor([&] { return !device.profile().GetProfilePath().empty(); }, 3000);
}

ui::CDeviceOptionUI* entryOf(const CMainWnd& window, const QWidget* device)
{
    for (int i = 0; window.entry(i); ++i) {
        if (window.entry(i)->device() == device)
            return window.entry(i);
    }
    return nullptr;
}

TEST_F(Application, PadBesideTheMouseTakesItsLightingAndLeavesTheMouseWhenPulled)
{
    ASSERT_TRUE(start());
    sim.command("plug pad");
    ASSERT_TRUE(waitFor([&] { return padOf(window) != nullptr; }, 3000));
    CQuellonMousePadDevice* pad = padOf(window);
    DeviceView* padView = window.viewOf(pad);
    ASSERT_NE(padView, nullptr);
    // The factory profile's spectrum lights the zones at once.
    EXPECT_TRUE(waitFor([&] { return padView->lightButtons()[0]->lightColour().alpha() > 0; }, 2000))
        << padView->lightButtons()[0]->lightColour().name(QColor::HexArgb).toStdString();
    sim.command("plug cable");
    ui::CDeviceOptionUI* padEntry = entryOf(window, padView);
    ui::CDeviceOptionUI* mouseEntry = entryOf(window, window.viewOf(window.mouse()));
    ASSERT_TRUE(waitFor([&] { return padEntry->isOnline() && mouseEntry->isOnline(); }, 3000));
    EXPECT_TRUE(padEntry->isVisible() && mouseEntry->isVisible()) << "both in the selector";
    ASSERT_TRUE(waitFor([&] { return !pad->profile().GetProfilePath().empty(); }, 3000));
    EXPECT_TRUE(padEntry->timers().isActive(kTimerKeepAlive));
    EXPECT_EQ(padView->lightButtons().size(), 15);

    // The pad's own page, through its selector entry.
    QTest::mouseClick(padEntry->findChild<QAbstractButton*>("device_select"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return window.selectedDevice() == pad; }));
    ASSERT_TRUE(padView->lightEditor() && padView->lightEditor()->isVisible());

    // Static in the user's red: on the pad (page 0, its mode code 0), on disk, in the preview.
    auto* modes = padView->lightEditor()->findChild<QComboBox*>("light_combo_modeSelect");
    modes->setCurrentIndex(0);
    emit modes->activated(0);
    auto* red = padView->lightEditor()->findChild<QLineEdit*>("deng_edit_R");
    auto* green = padView->lightEditor()->findChild<QLineEdit*>("deng_edit_G");
    for (QLineEdit* edit : {green, red}) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, edit == red ? "201" : "0");
        QTest::keyClick(edit, Qt::Key_Return);
    }
    EXPECT_TRUE(waitFor([&] { return sim.dump("settings", kPadRedByte, 2, "pad") == std::vector<int>{201, 0}; }, 3000));
    EXPECT_EQ(sim.dump("settings", 1, 1, "pad"), std::vector<int>{0});
    CBasicProfiledata stored;
    stored.LoadProfile(pad->profile().GetProfilePath());
    EXPECT_EQ(stored.GetLightInfo().red, 201);
    EXPECT_TRUE(waitFor([&] {
        const QColor shown = padView->lightButtons()[7]->lightColour();
        return shown.red() == 201 && shown.green() == 0;
    }));

    // The pad announces a change of its own: its page is read again half a second later.
    sim.command("poke pad settings 12 5a");
    sim.command("notify pad 0401");
    EXPECT_TRUE(waitFor([&] { return pad->pageImage()[12] == 0x5A; }, 3000));
    // 0x0404 is only counted.
    sim.command("poke pad settings 12 5b");
    sim.command("notify pad 0404");
    EXPECT_TRUE(waitFor([&] { return pad->countedNotices() == 1; }, 2000));
    test::pause(700);
    EXPECT_EQ(pad->pageImage()[12], 0x5A);

    // Pulled: its entry goes, the mouse's page stays.
    sim.command("unplug pad");
    ASSERT_TRUE(waitFor([&] { return !padEntry->isOnline(); }, 3000));
    EXPECT_TRUE(mouseEntry->isOnline());
    EXPECT_EQ(window.selectedDevice(), window.mouse());
    EXPECT_FALSE(window.isControlShown("No_device_Link"));
    EXPECT_TRUE(prompts.empty());
}

TEST_F(Application, HeadsetLightsTheToolDrivesGoOnWhileTheWindowIsAway)
{
    ASSERT_TRUE(start());
    sim.command("plug headset");
    ASSERT_TRUE(waitFor([&] { return deviceOf<CQuellonHS6533Device>(window) != nullptr; }, 3000));
    auto* headset = deviceOf<CQuellonHS6533Device>(window);
    ASSERT_TRUE(profileRead(*headset));
    // A changing effect: every frame is a new set of reports for the ear cups.
    LightInfo light = *headset->lightRecord();
    light.mode = 2;
    headset->applyLight(light);
    ASSERT_TRUE(waitFor([&] { return headsetReports(sim) > 0; }, 3000));

    window.hideToTray();
    ASSERT_TRUE(headset->windowHidden());
    const long whenHidden = headsetReports(sim);
    EXPECT_TRUE(waitFor([&] { return headsetReports(sim) > whenHidden + 20; }, 3000))
        << whenHidden << " then " << headsetReports(sim);
}

TEST_F(Application, SameLightingFromTheMouseReachesThePadAndTheHeadset)
{
    ASSERT_TRUE(start());
    sim.command("plug cable,pad,headset");
    ASSERT_TRUE(mouseOnline(true));
    ASSERT_TRUE(waitFor([&] { return padOf(window) && deviceOf<CQuellonHS6533Device>(window); }, 3000));
    CQuellonMousePadDevice* pad = padOf(window);
    auto* headset = deviceOf<CQuellonHS6533Device>(window);
    ASSERT_TRUE(profileRead(*pad) && profileRead(*headset));
    ASSERT_TRUE(waitFor([&] { return !window.mouse()->hasDeviceWork(); }, 5000));

    // The mouse steady in one colour.
    LightInfo light = *window.mouse()->lightRecord();
    light.mode = 3;
    light.red = 17;
    light.green = 34;
    light.blue = 51;
    window.mouse()->applyLight(light);
    window.mouse()->announceProfile();
    ASSERT_NE(mouseView()->lightEditor(), nullptr);
    auto* same = mouseView()->lightEditor()->findChild<QAbstractButton*>("deng_same_mode");
    ASSERT_NE(same, nullptr);
    ASSERT_TRUE(waitFor([&] { return !same->isHidden(); }, 2000)) << "offered with three devices online";
    QTest::mouseClick(entryOf(window, window.viewOf(window.mouse()))->findChild<QAbstractButton*>("device_select"),
                      Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return window.selectedDevice() == window.mouse(); }));
    QTest::mouseClick(same, Qt::LeftButton);
    ASSERT_EQ(window.mouse()->lightRecord()->red, 17);

    for (const char* device : {"pad", "headset"}) {
        EXPECT_TRUE(waitFor([&] { return sim.dump("settings", kPadRedByte, 3, device) == std::vector<int>{17, 34, 51}; },
                            3000))
            << device;
    }
    EXPECT_EQ(pad->lightRecord()->red, 17);
    EXPECT_EQ(headset->lightRecord()->blue, 51);
}

}  // namespace
}  // namespace kestrion
