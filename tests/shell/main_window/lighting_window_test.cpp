// The Lighting tab, the colour picker and the lighting-control status on the real window, over
// devsim as its own process: what the user chooses is found in the simulated mouse's memory.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QSpinBox>
#include <QTimer>

#include "editors/custom_light_lists.h"
#include "shell/main_window/window_fixture.h"
#include "ui/colour_select_window.h"
#include "ui/device_key_button.h"
#include "ui/light_control.h"

namespace kestrion {
namespace {

using test::Application;
using test::waitFor;

constexpr int kLightingTab = 1;
constexpr int kBrightnessByte = 2;
constexpr int kSpeedByte = 3;
constexpr int kColourBytes = 3;
constexpr int kStageRedOffset = 6;

class LightingWindow : public Application {
protected:
    bool plugCable()
    {
        sim.command("plug cable");
        return mouseOnline(true) && waitFor([&] { return window.mouse()->dpiRange().has_value(); })
            && waitFor([&] { return !window.mouse()->hasDeviceWork(); }, 10000);
    }

    // What the simulated mouse holds, once the queued writes are done.
    std::vector<int> deviceBytes(int offset, int length)
    {
        EXPECT_TRUE(waitFor([&] { return !window.mouse()->hasDeviceWork(); }, 10000));
        return sim.dump("settings", offset, length);
    }
};

TEST_F(LightingWindow, ModeBrightnessSpeedAndColourReachTheMouse)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    QTest::mouseClick(find("deng_Op_tab"), Qt::LeftButton);
    ASSERT_EQ(mouseView()->functionPage(), kLightingTab);
    ASSERT_TRUE(find("LightControlItem")->isVisible());

    auto* modes = find<QComboBox>("light_combo_modeSelect");
    modes->setCurrentIndex(1);
    emit modes->activated(1);
    auto* brightness = find<QSlider>("deng_light_slider");
    brightness->setFocus();
    QTest::keyClick(brightness, Qt::Key_Home);
    QTest::keyClick(brightness, Qt::Key_Right);
    QTest::keyClick(brightness, Qt::Key_Right);
    auto* speed = find<QSlider>("deng_speed_slider");
    speed->setFocus();
    QTest::keyClick(speed, Qt::Key_End);
    QTest::mouseClick(find("color_option_5"), Qt::LeftButton);  // blue

    EXPECT_EQ(window.mouse()->profile().GetLightInfo().mode, 1);
    EXPECT_EQ(window.mouse()->profile().GetLightInfo().speed, 4);
    EXPECT_EQ(deviceBytes(kSpeedByte, 1), std::vector<int>{0});  // the mouse counts speed downwards
    EXPECT_EQ(deviceBytes(kBrightnessByte, 1), std::vector<int>{2});
    EXPECT_EQ(deviceBytes(6, kColourBytes), (std::vector<int>{0, 0, 255}));
    // The preview on the mouse picture breathes in blue at once.
    EXPECT_TRUE(waitFor([&] {
        const QColor shown = mouseView()->lightButtons()[0]->lightColour();
        return shown.blue() > 0 && shown.red() == 0 && shown.green() == 0;
    }));
}

// A custom list made on the Lighting tab with two short frames, red then blue, plays them in turn
// on the mouse picture and is kept in the mouse's light configuration.
TEST_F(LightingWindow, ACustomListMadeOnTheTabPlaysOnThePicture)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    QTest::mouseClick(find("deng_Op_tab"), Qt::LeftButton);
    ASSERT_TRUE(find("light_custom_group")->isVisible());

    QTest::keyClicks(find("light_custom_name_edit"), "Police");
    QTest::mouseClick(find("light_custom_new_btn"), Qt::LeftButton);
    auto* time = find<QSpinBox>("light_custom_frame_time");
    time->selectAll();
    QTest::keyClicks(time, "300");
    QTest::keyClick(time, Qt::Key_Return);
    for (const char* preset : {"color_option_0", "color_option_5"}) {
        QTest::mouseClick(find(preset), Qt::LeftButton);
        QTest::mouseClick(find("light_custom_frame_add_btn"), Qt::LeftButton);
    }
    EXPECT_EQ(find<QListWidget>("light_custom_frame_list")->count(), 2);
    EXPECT_EQ(find<QComboBox>("light_combo_modeSelect")->currentText(), real.language.text("light_mode_custom_text"));

    auto shows = [&](int red, int blue) {
        return waitFor([&] {
            const QColor shown = mouseView()->lightButtons()[0]->lightColour();
            return (shown.red() > 0) == (red > 0) && (shown.blue() > 0) == (blue > 0) && shown.green() == 0;
        }, 3000);
    };
    EXPECT_TRUE(shows(255, 0));
    EXPECT_TRUE(shows(0, 255));
    EXPECT_TRUE(shows(255, 0));

    CustomLightLists stored(window.mouse()->pageSetup().dataFolder + "brylo_light.config", 1);
    ASSERT_EQ(stored.load(), CustomLightLists::State::Loaded);
    EXPECT_EQ(stored.names(), std::vector<std::string>{"Police"});
    const auto frames = stored.effects(0);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].blue, 255);
    EXPECT_EQ(frames[1].time, 300);
    EXPECT_EQ(window.mouse()->profile().GetLightInfo().mode, 11);
}

TEST_F(LightingWindow, AStageColourChosenInThePickerReachesTheMouse)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    QTest::mouseClick(find("system_Op_tab"), Qt::LeftButton);
    bool seen = false;
    QTimer::singleShot(0, &window, [&] {
        ASSERT_TRUE(waitFor([&] { return window.colourPicker() != nullptr; }));
        seen = true;
        ui::CColorSelectWnd* picker = window.colourPicker();
        for (const auto& [edit, value] : {std::pair{"color_edit_r", "18"}, {"color_edit_g", "52"}, {"color_edit_b", "86"}}) {
            auto* box = picker->findChild<QLineEdit*>(edit);
            box->selectAll();
            QTest::keyClicks(box, value);
        }
        QTest::mouseClick(picker->findChild<QAbstractButton*>("okbtn"), Qt::LeftButton);
    });
    QTest::mouseClick(find("DPI_color_option_1"), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return seen && !window.colourPicker(); }));
    const int red = test::kFirstStageByte + test::kStageSize + kStageRedOffset;
    EXPECT_EQ(deviceBytes(red, kColourBytes), (std::vector<int>{18, 52, 86}));
    EXPECT_TRUE(find("DPI_color_option_1")->styleSheet().contains("#123456"));
}

TEST_F(LightingWindow, LightingControlFollowsTheButtonAndOtherPrograms)
{
    QSignalSpy changes(&window, &CMainWnd::lightControlChanged);
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    ASSERT_EQ(changes.count(), 1);  // told once at start: on
    EXPECT_TRUE(changes.takeFirst().at(0).toBool());
    auto* status = find<QAbstractButton>("control_light_status");
    const QString onText = status->text();

    QTest::mouseClick(status, Qt::LeftButton);
    EXPECT_FALSE(window.lightControl());
    EXPECT_FALSE(window.mouse()->lightControl());
    ASSERT_EQ(changes.count(), 1);
    EXPECT_FALSE(changes.takeFirst().at(0).toBool());
    EXPECT_EQ(status->text(), real.language.text("control_light_off_text"));

    // Another program gives the lights back; asking for what is already so changes nothing.
    window.setLightControl(true);
    window.setLightControl(true);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_TRUE(changes.takeFirst().at(0).toBool());
    EXPECT_EQ(status->text(), onText);
    EXPECT_TRUE(window.mouse()->lightControl());
}

}  // namespace
}  // namespace kestrion
