// The keyboard beside the mouse, over devsim running as its own process. The simulated keyboard
// takes the product id of the shipped keyboard rows, which no real keyboard has, so the tool's
// own discovery finds it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "devices/keyboard_device.h"
#include "shell/main_window/window_fixture.h"
#include "ui/light_control.h"

namespace kestrion {
namespace {

using test::Application;
using test::waitFor;

// The keyboard's mode list: wave at 2, the live wave at 6 (code 30).
constexpr int kWave = 2;
constexpr int kLiveWave = 6;

CQuellonKeyboardDevice* keyboardOf(const CMainWnd& window)
{
    for (int i = 0; window.entry(i); ++i) {
        if (auto* keyboard = qobject_cast<CQuellonKeyboardDevice*>(window.deviceAt(i)))
            return keyboard;
    }
    return nullptr;
}

ui::CDeviceOptionUI* entryOf(const CMainWnd& window, const QWidget* device)
{
    for (int i = 0; window.entry(i); ++i) {
        if (window.entry(i)->device() == device)
            return window.entry(i);
    }
    return nullptr;
}

void chooseMode(DeviceView& page, int mode)
{
    auto* modes = page.lightEditor()->findChild<QComboBox*>("light_combo_modeSelect");
    modes->setCurrentIndex(mode);
    emit modes->activated(mode);
}

TEST_F(Application, KeyboardBesideTheMouseTakesItsLightingStreamsLiveModesAndLeavesTheMouseWhenPulled)
{
    ASSERT_TRUE(start());
    EXPECT_EQ(keyboardOf(window), nullptr) << "no keyboard object before a keyboard came";
    sim.command("keyboard-product 0000");
    sim.command("plug cable");
    sim.command("plug keyboard");
    ASSERT_TRUE(waitFor([&] { return keyboardOf(window) != nullptr; }, 3000));
    CQuellonKeyboardDevice* keyboard = keyboardOf(window);
    DeviceView* keyboardPage = window.viewOf(keyboard);
    ASSERT_NE(keyboardPage, nullptr);
    ui::CDeviceOptionUI* keyboardEntry = entryOf(window, keyboardPage);
    ui::CDeviceOptionUI* mouseEntry = entryOf(window, window.viewOf(window.mouse()));
    ASSERT_TRUE(waitFor([&] { return keyboardEntry->isOnline() && mouseEntry->isOnline(); }, 3000));
    EXPECT_TRUE(keyboardEntry->isVisible() && mouseEntry->isVisible()) << "both in the selector";
    ASSERT_TRUE(waitFor([&] { return keyboard->keySlots() > 0 && !keyboard->hasDeviceWork(); }, 5000));

    QTest::mouseClick(keyboardEntry->findChild<QAbstractButton*>("device_select"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return window.selectedDevice() == keyboard; }));
    ASSERT_TRUE(keyboardPage->lightEditor() && keyboardPage->lightEditor()->isVisible());

    // The wave in the user's red: the whole page of the active profile in the keyboard.
    chooseMode(*keyboardPage, kWave);
    auto* red = keyboardPage->lightEditor()->findChild<QLineEdit*>("deng_edit_R");
    red->setFocus();
    red->selectAll();
    QTest::keyClicks(red, "123");
    QTest::keyClick(red, Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return sim.dump("settings", keyboard_page::kRed, 1, "keyboard") == std::vector<int>{123}; }, 3000));
    const KeyboardSettings settings{keyboard->profile().GetLightInfo(), keyboard->profile().GetSystemStages()};
    const KeyboardPage expected = encodeKeyboardPage(settings, 0, keyboard->modeCodes(), keyboard->pageImage());
    EXPECT_EQ(sim.dump("settings", 0, keyboard_page::kSize, "keyboard"), std::vector<int>(expected.begin(), expected.end()));
    EXPECT_EQ(expected[keyboard_page::kMode], kWave);

    // The live wave: the keyboard keeps its own mode, the tool streams the frames.
    chooseMode(*keyboardPage, kLiveWave);
    ASSERT_TRUE(waitFor([&] { return sim.dump("settings", keyboard_page::kMode, 1, "keyboard") == std::vector<int>{254}; }, 3000));
    const std::vector<int> first = sim.dump("frame", 0, 9, "keyboard");
    EXPECT_TRUE(waitFor([&] { return sim.dump("frame", 0, 9, "keyboard") != first; }, 3000)) << "frames keep coming";

    // Pulled: its entry goes, the mouse's page stays.
    sim.command("unplug keyboard");
    ASSERT_TRUE(waitFor([&] { return !keyboardEntry->isOnline(); }, 3000));
    EXPECT_TRUE(mouseEntry->isOnline());
    EXPECT_EQ(window.selectedDevice(), window.mouse());
    EXPECT_FALSE(window.isControlShown("No_device_Link"));
    EXPECT_TRUE(prompts.empty()) << (prompts.empty() ? std::string() : prompts.front());
}

}  // namespace
}  // namespace kestrion
